#include "device/devicelog.h"
#include "device/jobpackage.h"

#include <QtDebug>
#include <zlib.h>

namespace JobPackage {

QByteArray recordLine(const GCodeBuffer &record)
{
    return gcodeBuffer2Str(record).toLatin1();
}

int compress(const QByteArray &text, QByteArray *out)
{
    uLongf bound = compressBound(static_cast<uLong>(text.size()));
    const int oldSize = out->size();
    out->resize(oldSize + static_cast<int>(bound));
    const int status = compress2(reinterpret_cast<Bytef *>(out->data() + oldSize), &bound,
                                 reinterpret_cast<const Bytef *>(text.constData()),
                                 static_cast<uLong>(text.size()), Z_DEFAULT_COMPRESSION);
    if (status != Z_OK) {
        out->resize(oldSize);
        qCWarning(lcDevice) << "compress error" << status;
        return -1;
    }
    out->resize(oldSize + static_cast<int>(bound));
    return static_cast<int>(bound);
}

bool takePart(QList<GCodeBuffer> *jobList, Part *part)
{
    part->payload.clear();
    part->uncompressedSize = 0;
    part->records = 0;
    if (jobList->isEmpty())
        return false;

    QByteArray text;
    text.reserve(PackageMinimumText + 128);
    while (!jobList->isEmpty()) {
        text += recordLine(jobList->takeFirst());
        ++part->records;
        if (text.size() >= PackageMinimumText)
            break;
    }
    part->uncompressedSize = text.size();
    return compress(text, &part->payload) >= 0;
}

QByteArray announcement(int partNumber, int compressedSize, int uncompressedSize)
{
    return "$@file@name=part" + QByteArray::number(partNumber) + ".gzip@size="
        + QByteArray::number(compressedSize) + "@uncompress_size=" + QByteArray::number(uncompressedSize)
        + '\n';
}

} // namespace JobPackage
