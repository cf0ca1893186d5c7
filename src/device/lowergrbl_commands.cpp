// The device link's write path (GRBL character counting) and its commands.
#include "device/devicelog.h"
#include "device/grblcommands.h"
#include "device/lowergrbl.h"

#include <QtDebug>

qint64 LowerGrbl::writeToPort(const QByteArray &bytes)
{
    if (!serialPort->isOpen())
        return -1;
    return serialPort->write(bytes);
}

bool LowerGrbl::grblInstructWrite(const QByteArray &bytes, bool counted)
{
    if (transferBusy) {
        qCDebug(lcDevice) << "tsend" << bytes;
        return false;
    }
    // Real-time bytes are taken by the controller as they arrive and never
    // occupy its buffer, so a stop or a hold is never dropped for lack of room.
    const bool fits = counted ? counter.take(bytes.size()) : true;
    if (fits && linkState == 0 && accepted)
        writeToPort(bytes);
    if (!fits)
        qCDebug(lcDevice) << "no room for" << bytes;
    qCDebug(lcDevice) << "fsend" << bytes;
    return true;
}

void LowerGrbl::grblRecoverOnceBytes()
{
    if (!counter.recoverOnce())
        qCDebug(lcDevice) << "answer with nothing pending";
}

void LowerGrbl::grblInstructOpenLaser(double power)
{
    if (laserOn == 0)
        return;
    const QList<QByteArray> lines = GrblCommand::openLaser(power, maxLaserPowerValue);
    for (const QByteArray &line : lines)
        grblInstructWrite(line, true);
}

void LowerGrbl::grblInstructCloseLaser()
{
    const QList<QByteArray> lines = GrblCommand::closeLaser();
    for (const QByteArray &line : lines)
        grblInstructWrite(line, true);
}

void LowerGrbl::grblInstructMove(double speed, double distance, int direction)
{
    const QByteArray line = GrblCommand::move(speed, distance, direction, machine.grbl_steps_per_mmX);
    if (!line.isEmpty())
        grblInstructWrite(line, true);
}

void LowerGrbl::grblInstructStop()
{
    if (grblInstructWrite(GrblCommand::softReset(), false)) {
        stopPending = false;
        printing = false;
        send_clear_buf();
    } else {
        stopPending = true;
    }
}

void LowerGrbl::grblInstructRestart()
{
    grblInstructWrite(GrblCommand::cycleResume(), false);
}

void LowerGrbl::grblInstructPause()
{
    pausePending = !grblInstructWrite(GrblCommand::feedHold(), false);
}

void LowerGrbl::grblInstructGetPos()
{
    grblInstructWrite(GrblCommand::statusQuery(), false);
}

void LowerGrbl::grblInstructSetPos(double speed, double x, double y)
{
    grblInstructWrite(GrblCommand::setPosition(speed, x, y, machine.grbl_steps_per_mmX), true);
}

void LowerGrbl::grblInstructSetRunPara(const QString &text)
{
    const QByteArray line =
        GrblCommand::runParameter(text, machine.grbl_steps_per_mmX, machine.grbl_steps_per_mmY);
    if (line.isEmpty()) {
        qCDebug(lcDevice) << "unknown machine setting" << text;
        return;
    }
    grblInstructWrite(line, true);
}

void LowerGrbl::grblInstructSetLocTool(int n)
{
    grblInstructWrite(GrblCommand::locTool(n), true);
}

void LowerGrbl::grblInstructStepEx(int n)
{
    grblInstructWrite(GrblCommand::stepEx(n), true);
}

void LowerGrbl::grblInstructUnlock()
{
    grblInstructWrite(GrblCommand::unlock(), true);
}

void LowerGrbl::grblFrameLoc(QRectF bound)
{
    qCDebug(lcDevice) << "frame" << bound;
    grblInstructOpenLaser(idlePower);
    const QList<QByteArray> program =
        GrblCommand::frameProgram(bound, moveSpeed, machine.grbl_steps_per_mmX);
    // All nine lines or none: half a frame would leave the head somewhere odd.
    int total = 0;
    for (const QByteArray &line : program)
        total += line.size();
    if (!transferBusy && counter.fits(total)) {
        for (const QByteArray &line : program)
            grblInstructWrite(line, true);
    } else {
        qCDebug(lcDevice) << "frame program dropped: no room" << total;
    }
    grblInstructOpenLaser(idlePower);
}
