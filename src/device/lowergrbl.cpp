// The device link's life cycle, panel messages, settings, connection and
// identification. Commands, job transfer and firmware upgrade live in their
// own lowergrbl_*.cpp files.
#include "device/devicelog.h"
#include "device/lowergrbl.h"

#include "common/settingsindex.h"
#include "device/grblcommands.h"
#include "device/grblreply.h"

#include <QFileInfo>
#include <QMetaEnum>
#include <QSerialPortInfo>
#include <QSettings>
#include <QTimer>
#include <QtDebug>

namespace {

// A reply line longer than this is not from a GRBL controller (their longest
// lines are well under 200 bytes); it is dropped instead of growing without end.
constexpr int MaxReplyLine = 4096;

} // namespace

LowerGrbl::LowerGrbl(QObject *parent)
    : QObject(parent)
{
    readSettings();

    serialPort = new Serial(this);
    serialPort->setBaudRate(QSerialPort::Baud115200, QSerialPort::AllDirections);
    serialPort->setDataBits(QSerialPort::Data8);
    serialPort->setParity(QSerialPort::NoParity);
    serialPort->setStopBits(QSerialPort::OneStop);
    serialPort->setFlowControl(QSerialPort::NoFlowControl);
    connect(serialPort, &QSerialPort::errorOccurred, this, &LowerGrbl::serialErrorHandle);
    connect(serialPort, &QSerialPort::readyRead, this, [this]() {
        if (readHandler)
            (this->*readHandler)();
        else
            serialPort->readAll();
    });
    connect(serialPort, &Serial::autoSendExhausted, this, &LowerGrbl::scanExhausted);

    availableCheckTimer = new QTimer(this);
    connect(availableCheckTimer, &QTimer::timeout, this, &LowerGrbl::serialAvailableCheck);
    transferTimer = new QTimer(this);
    connect(transferTimer, &QTimer::timeout, this, &LowerGrbl::reset_sending_status);
    silenceTimer = new QTimer(this);
    silenceTimer->setSingleShot(true);
    connect(silenceTimer, &QTimer::timeout, this, &LowerGrbl::silenceTimedOut);
    identifyTimer = new QTimer(this);
    identifyTimer->setSingleShot(true);
    connect(identifyTimer, &QTimer::timeout, this, &LowerGrbl::identificationTimedOut);

    softVersion = QVersionNumber(0, 0, 0);
    hardVersion = QVersionNumber(0, 0, 0);
}

LowerGrbl::~LowerGrbl()
{
    writeSettings();
    if (serialPort->isOpen())
        serialPort->close();
}

void LowerGrbl::setPortListProvider(std::function<QStringList()> provider)
{
    serialPort->setPortListProvider(std::move(provider));
}

void LowerGrbl::setScanIntervalForTest(int milliseconds)
{
    scanIntervalMs = milliseconds;
}

void LowerGrbl::setPackageTimeoutForTest(int milliseconds)
{
    packageTimeoutMs = milliseconds;
}

void LowerGrbl::setSilenceTimeoutsForTest(int quietMs, int answerMs)
{
    silenceQuietMs = quietMs;
    silenceAnswerMs = answerMs;
}

// ---------------------------------------------------------------- settings

void LowerGrbl::readSettings()
{
    QSettings settings(QLatin1String(SettingsIndex::Organisation), QLatin1String(SettingsIndex::Application));
    const QString group = QStringLiteral("lowerGrbl");
    settings.beginGroup(group);
    auto real = [&](const char *key) {
        return settings.value(QLatin1String(key), SettingsIndex::defaultValue(group, QLatin1String(key)))
            .toDouble();
    };
    areaWidth = real("areaWidth");
    areaHeight = real("areaHeight");
    maxLaserPowerValue = real("maxLaserPowerValue");
    machine.read(settings);
    settings.endGroup();
}

void LowerGrbl::writeSettings()
{
    QSettings settings(QLatin1String(SettingsIndex::Organisation), QLatin1String(SettingsIndex::Application));
    settings.beginGroup(QStringLiteral("lowerGrbl"));
    settings.setValue(QStringLiteral("areaWidth"), areaWidth);
    settings.setValue(QStringLiteral("areaHeight"), areaHeight);
    settings.setValue(QStringLiteral("maxLaserPowerValue"), maxLaserPowerValue);
    machine.write(settings);
    settings.endGroup();
    settings.sync();
}

// ---------------------------------------------------------- panel messages

void LowerGrbl::sendNumberToPanel(SetPanel panel, double value)
{
    emit sendPanelMessage(QStringList{panelMessageNumber(panel, value)});
}

void LowerGrbl::sendStringToPanel(SetPanel panel, const QString &value)
{
    emit sendPanelMessage(QStringList{panelMessageText(panel, value)});
}

void LowerGrbl::getPanelMessage(QStringList message)
{
    for (const QString &text : qAsConst(message))
        panelMessageAnalysis(text);
}

void LowerGrbl::panelMessageAnalysis(const QString &text)
{
    const QStringList fields = getNumbersFormStr(text);
    if (fields.isEmpty())
        return;
    bool codeOk = false;
    const int code = fields.at(0).toInt(&codeOk);
    if (!codeOk)
        return;
    // Every code below reads the value field; a message without it is ignored
    // (the connect button's value is not used, so it needs none).
    const bool hasValue = fields.size() >= 2;
    const QString valueField = hasValue ? fields.at(1) : QString();

    switch (code) {
    case LowerPrintPower:
        if (hasValue)
            qCDebug(lcDevice) << "print power" << valueField.toDouble();
        break;
    case LowerPrintSpeed:
        if (hasValue)
            qCDebug(lcDevice) << "speed print" << valueField.toDouble();
        break;
    case LowerLaserOpen:
        if (!hasValue)
            break;
        laserOn = valueField.toInt();
        qCDebug(lcDevice) << "open" << laserOn;
        if (laserOn == 1)
            grblInstructOpenLaser(idlePower);
        else
            grblInstructCloseLaser();
        break;
    case LowerIdlePower:
        if (!hasValue)
            break;
        idlePower = valueField.toDouble();
        if (laserOn == 1)
            grblInstructOpenLaser(idlePower);
        else
            grblInstructCloseLaser();
        qCDebug(lcDevice) << "idle power" << idlePower;
        break;
    case LowerHome:
        grblInstructWrite(GrblCommand::home(), true);
        break;
    case LowerMove:
        if (hasValue)
            grblInstructMove(moveSpeed, moveDistance, static_cast<int>(valueField.toDouble()));
        break;
    case LowerMoveSpeed:
        if (!hasValue)
            break;
        moveSpeed = valueField.toDouble();
        qCDebug(lcDevice) << "speed idle" << moveSpeed;
        break;
    case LowerMoveDistance:
        if (!hasValue)
            break;
        moveDistance = valueField.toDouble();
        qCDebug(lcDevice) << "move distance" << moveDistance;
        break;
    case LowerAutoConnect:
        serialAutoConnect();
        break;
    case LowerConnectPort: {
        const QString port = panelMessageValueText(text).trimmed();
        if (!port.isEmpty())
            startScan(QStringList{port});
        break;
    }
    case LowerStopPrint:
        grblInstructStop();
        counter.reset(rxBufferSize);
        qCDebug(lcDevice) << "stop print";
        break;
    case LowerPausePrint:
        if (hasValue) {
            if (valueField.toInt() != 0) {
                paused = true;
                grblInstructPause();
            } else {
                paused = false;
                grblInstructRestart();
            }
        }
        qCDebug(lcDevice) << "pause print";
        break;
    case LowerOtaUpgrade:
        grblOTAInit();
        break;
    case LowerGetCoord:
        grblInstructWrite(GrblCommand::statusQuery(), false);
        break;
    case LowerSetCoord:
        if (fields.size() >= 3) {
            const double x = fields.at(1).toDouble();
            const double y = fields.at(2).toDouble();
            grblInstructSetPos(moveSpeed, x, y);
            qCDebug(lcDevice) << "set coord" << x << y;
        }
        break;
    case LowerRunPara:
        grblInstructSetRunPara(panelMessageValueText(text));
        break;
    case LowerRestoreDefault:
        grblInstructWrite(GrblCommand::restoreDefaults(), true);
        break;
    case LowerLocTool:
        if (hasValue)
            grblInstructSetLocTool(valueField.toInt());
        break;
    case LowerRoller:
        if (hasValue) {
            const int index = valueField.toInt();
            grblInstructStepEx(index);
            qCDebug(lcDevice) << "roller index = " << index;
        }
        break;
    default:
        // Reserved codes and codes without a sender: nothing.
        break;
    }
}

// -------------------------------------------------------------- connection

void LowerGrbl::serialAutoConnect()
{
    startScan(QStringList());
}

// An empty `chosenPorts` scans the USB serial candidates; otherwise exactly
// the chosen port is tried, with the same identification.
void LowerGrbl::startScan(const QStringList &chosenPorts)
{
    const QStringList candidates = chosenPorts.isEmpty() ? serialPort->candidatePortNames() : chosenPorts;
    QString panelText;
    if (candidates.isEmpty()) {
        panelText = QStringLiteral("none");
    } else {
        // A new scan forgets the controller found before, and any job with it.
        serialAvailableCheckStop();
        identifyTimer->stop();
        if (accepted && printing) {
            printing = false;
            send_clear_buf();
        }
        send_timer_stop();
        transferBusy = false;
        accepted = false;
        connectedPortName.clear();
        receiveBuffer.clear();
        discardingLongLine = false;
        serialPort->close();
        routeReadsTo(&LowerGrbl::lowerBackInfoCheck);
        serialPort->setAutoSend(GrblCommand::softReset(), scanIntervalMs);
        for (const QString &name : candidates)
            panelText += name + QLatin1Char(' ');
        if (chosenPorts.isEmpty())
            serialPort->startAutoSend();
        else
            serialPort->startAutoSendOn(chosenPorts);
    }
    // A port chosen from the panel's list leaves that list as it is.
    if (chosenPorts.isEmpty())
        sendStringToPanel(PanelPortList, panelText);
}

void LowerGrbl::routeReadsTo(void (LowerGrbl::*handler)())
{
    readHandler = handler;
}

void LowerGrbl::serialAvailableCheckStart()
{
    availableCheckTimer->start(1000);
}

void LowerGrbl::serialAvailableCheckStop()
{
    availableCheckTimer->stop();
}

void LowerGrbl::serialAvailableCheck()
{
    if (!accepted)
        return;
    const QString name = connectedPortName;
    bool present = false;
    if (name.contains(QLatin1Char('/'))) {
        present = QFileInfo::exists(name);
    } else {
        const QSerialPortInfo info(name);
        present = !info.isNull() || QFileInfo::exists(QStringLiteral("/dev/") + name);
    }
    if (present && serialPort->isOpen())
        return;
    qCDebug(lcDevice) << "serial ckeck is null";
    serialErrorHandle(QSerialPort::ResourceError);
}

void LowerGrbl::serialErrorHandle(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError)
        return;
    qCDebug(lcDevice) << "serial errhandle" << QMetaEnum::fromType<QSerialPort::SerialPortError>().valueToKey(error);
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::PermissionError:
    case QSerialPort::ReadError:
        // A port whose peer vanished keeps raising read errors: close it.
        if (accepted) {
            linkLost();
        } else if (identifyTimer->isActive()) {
            identifyTimer->stop();
            receiveBuffer.clear();
            serialPort->close();
            serialPort->resumeAutoSend();
        } else if (serialPort->isOpen()) {
            serialPort->close();
        }
        break;
    default:
        break;
    }
}

void LowerGrbl::linkLost()
{
    const QString name = connectedPortName.isEmpty() ? serialPort->portName() : connectedPortName;
    accepted = false;
    serialAvailableCheckStop();
    if (serialPort->isOpen())
        serialPort->close();
    receiveBuffer.clear();
    // The job and any upgrade die with the link.
    printing = false;
    paused = false;
    send_clear_buf();
    send_timer_stop();
    transferBusy = false;
    stopPending = false;
    pausePending = false;
    otaInProgress = false;
    firmwareImage.clear();
    if (!disconnectReported) {
        disconnectReported = true;
        sendStringToPanel(PanelDisconnected, name);
    }
}

void LowerGrbl::scanExhausted()
{
    if (!accepted)
        sendStringToPanel(PanelLinkError, QLatin1String(DeviceLinkError::NoController));
}

void LowerGrbl::identificationTimedOut()
{
    // A banner but no complete identification within the scan interval.
    qCDebug(lcDevice) << "identification timed out on" << serialPort->portName();
    receiveBuffer.clear();
    serialPort->close();
    serialPort->resumeAutoSend();
}

void LowerGrbl::refuseController(const char *reason)
{
    // Told nothing more: the port is closed and the scan goes on.
    qCDebug(lcDevice) << "controller refused on" << serialPort->portName() << reason;
    identifyTimer->stop();
    receiveBuffer.clear();
    serialPort->close();
    sendStringToPanel(PanelLinkError, QLatin1String(DeviceLinkError::ControllerRefused));
    serialPort->resumeAutoSend();
}

// ------------------------------------------------------------ reading lines

void LowerGrbl::appendReceived()
{
    QByteArray bytes = serialPort->readAll();
    if (discardingLongLine) {
        const int lf = bytes.indexOf('\n');
        if (lf < 0)
            return;
        bytes.remove(0, lf + 1);
        discardingLongLine = false;
    }
    receiveBuffer += bytes;
}

bool LowerGrbl::takeLine(QByteArray *line)
{
    const int lf = receiveBuffer.indexOf('\n');
    if (lf < 0) {
        if (receiveBuffer.size() > MaxReplyLine) {
            qCWarning(lcDevice) << "reply line too long, dropped" << receiveBuffer.size();
            receiveBuffer.clear();
            discardingLongLine = true;
            sendStringToPanel(PanelLinkError, QLatin1String(DeviceLinkError::ReplyTooLong));
        }
        return false;
    }
    *line = receiveBuffer.left(lf + 1);
    receiveBuffer.remove(0, lf + 1);
    return true;
}

void LowerGrbl::lowerRead()
{
    appendReceived();
    QByteArray line;
    while (readHandler == &LowerGrbl::lowerRead && takeLine(&line))
        grblBackInfoAnalysis(line);
    // Whatever arrived, the controller is alive.
    restartSilenceWatch();
}

void LowerGrbl::lowerBackInfoCheck()
{
    appendReceived();
    QByteArray line;
    while (readHandler == &LowerGrbl::lowerBackInfoCheck && takeLine(&line))
        identificationLine(line);
    // Lines after the accepted identification are ordinary replies.
    if (readHandler == &LowerGrbl::lowerRead && !receiveBuffer.isEmpty())
        lowerRead();
}

// ---------------------------------------------------------- identification

void LowerGrbl::identificationLine(const QByteArray &bytes)
{
    const QString line = GrblReply::decode(bytes).trimmed();
    if (line.isEmpty())
        return;
    qCDebug(lcDevice) << "lower back check serial read:" << line;

    if (line.contains(QLatin1String("Grbl"))) {
        serialPort->stopAutoSend();
        identifyTimer->start(scanIntervalMs);
        serialPort->write(GrblCommand::buildInfo());
        packageMode = false;
        softVersion = QVersionNumber(0, 0, 0);
        hardVersion = QVersionNumber(0, 0, 0);
        return;
    }
    if (line.contains(QLatin1String("[VER:")) || line.contains(QLatin1String("[HARDVER:"))) {
        grblBackInfoAnalysis(bytes);
        return;
    }
    if (line.contains(QLatin1String("[OPT:"))) {
        int size = 0;
        if (!GrblReply::optBufferSize(line, &size)) {
            refuseController("option line without a buffer size");
            return;
        }
        if (size < 1024) {
            refuseController("receive buffer below 1024 bytes");
            return;
        }
        serialPort->stopAutoSend();
        identifyTimer->stop();
        rxBufferSize = size;
        counter.reset(size);
        // "$I" was written outside the counting; its "ok" is still to come.
        counter.take(GrblCommand::buildInfo().size());
        linkState = 0;
        routeReadsTo(&LowerGrbl::lowerRead);
        connectedPortName = serialPort->portName();
        accepted = true;
        disconnectReported = false;
        serialAvailableCheckStart();
        sendStringToPanel(PanelConnected, connectedPortName);
        grblConnectedRunInstruct();
    }
}

void LowerGrbl::grblConnectedRunInstruct()
{
    grblInstructWrite(GrblCommand::home(), true);
    grblInstructWrite(GrblCommand::settingsDump(), true);
    grblInstructOpenLaser(idlePower);
}

// ------------------------------------------------------------ reply parser

void LowerGrbl::grblBackInfoAnalysis(const QByteArray &bytes)
{
    const QString line = GrblReply::decode(bytes);
    qCDebug(lcDevice) << "grbl analysis" << line.trimmed();

    switch (GrblReply::classify(line)) {
    case GrblReply::Kind::Ok:
        grblRecoverOnceBytes();
        grblWriteGcodeBuf();
        if (unlockPending) {
            unlockPending = false;
            grblInstructWrite(GrblCommand::statusQuery(), false);
            grblInstructOpenLaser(idlePower);
        }
        break;
    case GrblReply::Kind::Error:
        grblRecoverOnceBytes();
        // The job goes on (the controller skipped the line), but the user
        // hears of it, once per job.
        if (printing && !lineErrorReported) {
            lineErrorReported = true;
            sendStringToPanel(PanelLinkError, QLatin1String(DeviceLinkError::ControllerError) + line.trimmed());
        }
        break;
    case GrblReply::Kind::Transfer:
        transferMessage(line);
        break;
    case GrblReply::Kind::Message:
        controllerMessage(line);
        break;
    case GrblReply::Kind::Alarm:
        break;
    case GrblReply::Kind::Setting:
        settingsLine(line);
        break;
    case GrblReply::Kind::Status:
        statusReport(line);
        break;
    case GrblReply::Kind::HelpBanner:
        controllerRestarted();
        if (paused) {
            grblInstructGetPos();
            grblInstructOpenLaser(idlePower);
        }
        break;
    case GrblReply::Kind::Other:
        if (line.contains(QLatin1String("[VER:"))) {
            softVersion = GrblReply::versionAfter(line, QStringLiteral("VER:"));
            qCDebug(lcDevice) << "soft version" << softVersion;
        } else if (line.contains(QLatin1String("[HARDVER:"))) {
            hardVersion = GrblReply::versionAfter(line, QStringLiteral("HARDVER:"));
            qCDebug(lcDevice) << "hardware version:" << hardVersion;
            const HardwareLine *row = hardwareLineOf(hardVersion);
            if (!row)
                break;
            if (row->packageMode)
                packageMode = true;
            if (hardVersion == QVersionNumber(3, 0, 0))
                qCDebug(lcDevice) << "firmware: kx2020 ble";
            sendStringToPanel(PanelHardwareVersion, QLatin1String(row->hardware));
            if (softVersion.segmentCount() == 0)
                qCDebug(lcDevice) << "firmware version error";
            if (softVersion < QVersionNumber::fromString(QLatin1String(row->newestFirmware))) {
                qCDebug(lcDevice) << row->modelWord << "newer firmware available";
                sendNumberToPanel(PanelOtaAvailable, 1);
            }
        }
        break;
    }
}

void LowerGrbl::controllerRestarted()
{
    // A soft reset empties the controller's buffer: nothing is pending any more.
    if (!accepted)
        return;
    counter.reset(rxBufferSize);
    unlockPending = false;
    if (printing || transferBusy) {
        printing = false;
        send_clear_buf();
        send_timer_stop();
        transferBusy = false;
        stopPending = false;
        pausePending = false;
        sendStringToPanel(PanelLinkError, QLatin1String(DeviceLinkError::ControllerReset));
    }
}

void LowerGrbl::transferMessage(const QString &line)
{
    if (line.contains(QLatin1String("ask pack_info"))) {
        gcode_send_compress_start();
    } else if (line.contains(QLatin1String("ask package"))) {
        gcode_send_compress_package();
    } else if (line.contains(QLatin1String("receive package"))) {
        gcode_send_compress_end();
        check_stop_status();
        check_pause_status();
    }
}

void LowerGrbl::controllerMessage(const QString &line)
{
    if (line.contains(QLatin1String("to unlock"))) {
        grblInstructUnlock();
        unlockPending = true;
    } else if (line.contains(QLatin1String("Holded"))) {
        // nothing
    } else if (line.contains(QLatin1String("OTA OK"))) {
        otaInProgress = true;
        grblOTAWriteBin(4096);
    } else if (line.contains(QLatin1String("OTA done"))) {
        otaInProgress = false;
        sendNumberToPanel(PanelOtaDone, 1);
    } else if (line.contains(QLatin1String("Pgm End"))) {
        grblInstructOpenLaser(idlePower);
        grblInstructGetPos();
        sendNumberToPanel(PanelPrintDone, 1);
        printing = false;
        send_clear_buf();
        qCDebug(lcDevice) << "print done" << counter.available();
    }
}

void LowerGrbl::settingsLine(const QString &line)
{
    int number = 0;
    double value = 0;
    if (!GrblReply::settingLine(line, &number, &value))
        return;
    QList<QPair<int, double>> updates;
    machine.apply(number, value, &updates);
    for (const auto &update : qAsConst(updates))
        sendNumberToPanel(static_cast<SetPanel>(update.first), update.second);
}

void LowerGrbl::statusReport(const QString &line)
{
    QString x;
    QString y;
    if (GrblReply::statusPosition(line, &x, &y))
        sendStringToPanel(PanelPosition, QStringLiteral("value:x%1,y%2").arg(x, y));
}
