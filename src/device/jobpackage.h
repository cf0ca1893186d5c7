#pragma once

#include "gcode/gcodebuffer.h"

#include <QByteArray>
#include <QList>

// Package transfer of a job: the job is cut into parts of whole lines, each at
// least PackageMinimumText characters except the last, and every part travels
// as one zlib stream (RFC 1950, level 6) announced by a "$@file@" line.
namespace JobPackage {

inline constexpr int PackageMinimumText = 153600;

// One record as the bytes of its line (Latin-1, one byte per character).
QByteArray recordLine(const GCodeBuffer &record);

// Compresses `text` and appends the stream to `out`; returns the number of
// bytes appended, or -1 on a compression error (then nothing is appended).
int compress(const QByteArray &text, QByteArray *out);

struct Part
{
    QByteArray payload;       // the zlib stream
    int uncompressedSize = 0; // text bytes before compression
    int records = 0;          // records packed
};

// Packs records from the head of `jobList` (removing them) into `part`. False
// when `jobList` is empty or compression failed.
bool takePart(QList<GCodeBuffer> *jobList, Part *part);

// "$@file@name=part<n>.gzip@size=<compressed>@uncompress_size=<text>\n".
QByteArray announcement(int partNumber, int compressedSize, int uncompressedSize);

inline QByteArray storageRequest() { return QByteArrayLiteral("$@print@storage=psram\n"); }
inline QByteArray transferDone() { return QByteArrayLiteral("$@file@done\n"); }

} // namespace JobPackage
