// Job transfer: line streaming under character counting, or compressed
// packages that the controller stores and asks for one by one.
#include "device/devicelog.h"
#include "device/jobpackage.h"
#include "device/lowergrbl.h"

#include <QTimer>
#include <QtDebug>

void LowerGrbl::grblGcodePrint(QList<GCodeBuffer> g)
{
    qCDebug(lcDevice) << "grblGcodeBuf refresh";
    if (!accepted) {
        // Nothing would reach a controller: say so instead of waiting forever.
        sendStringToPanel(PanelLinkError, QLatin1String(DeviceLinkError::LinkLost));
        return;
    }
    if (transferBusy) {
        qCDebug(lcDevice) << "job refused: a package is still in flight";
        return;
    }
    printing = true;
    lineErrorReported = false;
    jobList = std::move(g);
    grblSetGcodeSize(jobList.size());
    if (packageMode) {
        gcode_send_set_storage();
    } else {
        grblWriteGcodeBuf();
        restartSilenceWatch();
    }
}

void LowerGrbl::grblSetGcodeSize(int size)
{
    totalRecords = size;
    sentRecords = 0;
    lastReportedRecords = 0;
    reportStep = size / 100;
    qCDebug(lcDevice) << "grbl gcode size:" << totalRecords << sentRecords << lastReportedRecords << reportStep;
}

void LowerGrbl::addSentRecords(int count)
{
    if (count <= 0)
        return;
    sentRecords += count;
    // The last records always report, so progress reaches 100.
    const bool finished = sentRecords >= totalRecords;
    if ((sentRecords - lastReportedRecords >= reportStep || finished) && totalRecords > 0) {
        lastReportedRecords = sentRecords;
        sendNumberToPanel(PanelProgress, double(sentRecords) / double(totalRecords) * 100.0);
    }
}

void LowerGrbl::grblWriteGcodeBuf()
{
    if (packageMode || counter.available() < 300 || !printing)
        return;
    // One port write per refill: the lines of a refill leave together.
    QByteArray batch;
    int records = 0;
    while (!jobList.isEmpty()) {
        const QByteArray line = JobPackage::recordLine(jobList.first());
        if (counter.available() - reserveBytes < line.size())
            break;
        if (!counter.take(line.size()))
            break;
        batch += line;
        jobList.removeFirst();
        ++records;
    }
    if (!batch.isEmpty() && linkState == 0)
        writeToPort(batch);
    addSentRecords(records);
}

bool LowerGrbl::writeUncountedLine(const QByteArray &line)
{
    if (!counter.fits(line.size()) || linkState != 0) {
        qCDebug(lcDevice) << "no room for" << line;
        return false;
    }
    writeToPort(line);
    return true;
}

void LowerGrbl::gcode_send_set_storage()
{
    partNumber = 0;
    writeUncountedLine(JobPackage::storageRequest());
    qCDebug(lcDevice) << "set storage=psram";
}

void LowerGrbl::gcode_send_compress_start()
{
    if (transferBusy) {
        qCDebug(lcDevice) << "file is sending";
        return;
    }
    if (!printing) {
        qCDebug(lcDevice) << "stop button has pressed";
        return;
    }
    sendNumberToPanel(PanelTransferStart, 1);
    transferBusy = true;
    send_timer_start();
    if (!gcode_compress_package()) {
        transferBusy = false;
        send_timer_stop();
    }
    qCDebug(lcDevice) << "package info sended";
}

bool LowerGrbl::gcode_compress_package()
{
    if (jobList.isEmpty())
        return false;
    JobPackage::Part part;
    const bool compressed = JobPackage::takePart(&jobList, &part);
    qCDebug(lcDevice) << "size:" << part.uncompressedSize;
    if (!compressed) {
        // A part that cannot be built cannot be sent; the rest of the job
        // would be meaningless without it.
        endJobWithError(QStringLiteral("compress error"));
        return false;
    }
    packageBuffer = part.payload;
    ++partNumber;
    addSentRecords(part.records);
    writeUncountedLine(JobPackage::announcement(partNumber, packageBuffer.size(), part.uncompressedSize));
    qCDebug(lcDevice) << "compress count " << partNumber << "compress done " << packageBuffer.size();
    return true;
}

void LowerGrbl::gcode_send_compress_package()
{
    if (packageBuffer.isEmpty())
        return;
    writeToPort(packageBuffer);
    qCDebug(lcDevice) << "file send done";
}

void LowerGrbl::gcode_send_compress_end()
{
    transferBusy = false;
    send_timer_stop();
    if (jobList.isEmpty() && printing) {
        writeUncountedLine(JobPackage::transferDone());
        qCDebug(lcDevice) << "one package finished";
    }
    sendNumberToPanel(PanelTransferDone, 1);
}

void LowerGrbl::reset_sending_status()
{
    qCDebug(lcDevice) << "sending out of time--------------";
    transferBusy = false;
    check_stop_status();
    check_pause_status();
    send_timer_stop();
    const bool wasPrinting = printing;
    send_clear_buf();
    // The rest of the job is gone; the user must know that it did not finish.
    printing = false;
    if (wasPrinting)
        sendStringToPanel(PanelLinkError, QLatin1String(DeviceLinkError::PackageTimeout));
}

void LowerGrbl::endJobWithError(const QString &reason)
{
    qCWarning(lcDevice) << "job ended:" << reason;
    printing = false;
    transferBusy = false;
    send_timer_stop();
    send_clear_buf();
    sendStringToPanel(PanelLinkError, reason);
}

void LowerGrbl::send_timer_start()
{
    transferTimer->start(packageTimeoutMs);
}

void LowerGrbl::send_timer_stop()
{
    transferTimer->stop();
}

void LowerGrbl::check_stop_status()
{
    if (stopPending)
        grblInstructStop();
}

void LowerGrbl::check_pause_status()
{
    if (pausePending)
        grblInstructPause();
}

void LowerGrbl::send_clear_buf()
{
    jobList.clear();
    packageBuffer.clear();
}

// A line-mode job waits on "ok"s, and an "ok" may rightly take as long as the
// slowest move in the planner, so its lateness proves nothing. A status query,
// though, is answered at once even with a full planner: silence after it means
// the controller is gone while the port stays open. Packages have their own
// time-out, and an upgrade is paced by the controller.
bool LowerGrbl::silenceWatchApplies() const
{
    return accepted && printing && !packageMode && !otaInProgress
        && (!jobList.isEmpty() || counter.pendingCount() > 0);
}

void LowerGrbl::restartSilenceWatch()
{
    silenceQueried = false;
    if (silenceWatchApplies())
        silenceTimer->start(silenceQuietMs);
    else
        silenceTimer->stop();
}

void LowerGrbl::silenceTimedOut()
{
    if (!silenceWatchApplies())
        return;
    if (!silenceQueried) {
        qCDebug(lcDevice) << "controller quiet, asking for its status";
        silenceQueried = true;
        grblInstructGetPos();
        silenceTimer->start(silenceAnswerMs);
        return;
    }
    qCWarning(lcDevice) << "controller does not answer the status query: job ended";
    // The soft reset halts a controller that is only wedged (its laser may be
    // on) and frees the counted bytes of lines that will never be answered,
    // which would otherwise starve the next job.
    stopPending = false;
    pausePending = false;
    grblInstructStop();
    counter.reset(rxBufferSize);
    printing = false;
    send_clear_buf();
    sendStringToPanel(PanelLinkError, QLatin1String(DeviceLinkError::StoppedAnswering));
}
