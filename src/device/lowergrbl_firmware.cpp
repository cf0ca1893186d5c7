// Firmware upgrade: the image of the controller's hardware line, announced with
// "$@OTA=<size>" and written one block each time the controller asks.
#include "device/devicelog.h"
#include "device/grblreply.h"
#include "device/lowergrbl.h"

#include <QFile>
#include <QtDebug>

void LowerGrbl::grblOTAInit()
{
    if (otaInProgress)
        return;
    const HardwareLine *row = hardwareLineOf(hardVersion);
    if (!row) {
        sendNumberToPanel(PanelOtaError, 1);
        qCDebug(lcDevice) << "hardware version error";
        return;
    }
    if (softVersion.isNull()) {
        sendNumberToPanel(PanelOtaError, 1);
        qCDebug(lcDevice) << "grbl version error";
        return;
    }
    if (!(softVersion < QVersionNumber::fromString(QLatin1String(row->newestFirmware)))) {
        qCDebug(lcDevice) << row->currentLine;
        sendNumberToPanel(PanelOtaUpToDate, 1);
        return;
    }
    if (row->upgradeLine)
        qCDebug(lcDevice) << row->upgradeLine;

    QFile image(QLatin1String(row->imageResource));
    if (!image.open(QIODevice::ReadOnly)) {
        qCDebug(lcDevice) << "file error" << row->imageResource;
        // Without an image the button would seem to do nothing.
        sendNumberToPanel(PanelOtaError, 1);
        return;
    }
    firmwareImage = image.readAll();
    image.close();
    firmwareSize = firmwareImage.size();
    firmwareWritten = 0;

    const QByteArray command = "$@OTA=" + QByteArray::number(firmwareImage.size()) + '\n';
    qCDebug(lcDevice) << command;
    if (counter.take(command.size())) {
        if (linkState == 0 && accepted)
            writeToPort(command);
    } else {
        qCDebug(lcDevice) << "no room for" << command;
    }
    otaInProgress = true;
    sendNumberToPanel(PanelOtaStarted, 1);
}

void LowerGrbl::grblOTAWriteBin(int size)
{
    while (size > 0 && !firmwareImage.isEmpty()) {
        const QByteArray block = firmwareImage.left(size);
        const qint64 written = writeToPort(block);
        if (written <= 0) {
            // The port refused the block: the upgrade cannot go on.
            qCWarning(lcDevice) << "firmware write refused" << written;
            firmwareImage.clear();
            otaInProgress = false;
            sendNumberToPanel(PanelOtaError, 1);
            return;
        }
        const int count = static_cast<int>(written);
        firmwareWritten += count;
        firmwareImage.remove(0, count);
        qCDebug(lcDevice) << "write" << count << firmwareImage.size();
        sendNumberToPanel(PanelOtaProgress, firmwareSize > 0 ? firmwareWritten / firmwareSize : 1.0);
        size -= count;
    }
}
