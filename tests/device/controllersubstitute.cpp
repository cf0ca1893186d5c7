#include "controllersubstitute.h"

#include "ptypair.h"

#include <QDebug>
#include <QRegularExpression>

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace {

constexpr char SoftReset = 0x18;

// GRBL's "G-code locked out during alarm or jog state".
constexpr int ErrorLocked = 9;
// GRBL's "invalid statement": unknown or malformed '$' command.
constexpr int ErrorInvalidStatement = 3;

const QByteArray LockMessage = "[MSG:'$H'|'$X' to unlock]";
const QByteArray ProgramEndMessage = "[MSG:Pgm End]";
const QByteArray AskPackInfo = "msg@printing ask pack_info";
const QByteArray AskPackage = "msg@printing ask package";
const QByteArray ReceivePackage = "msg@printing receive package";
const QByteArray ReceiveStorageMode = "msg@printing receive storage_mode";

bool isRealtime(char byte)
{
    return byte == '?' || byte == '!' || byte == '~' || byte == SoftReset;
}

bool isProgramEnd(const QByteArray &command)
{
    QByteArray word = command.toUpper();
    word.replace(' ', QByteArray());
    return word == "M2" || word == "M02" || word == "M30";
}

bool takesPackages(const QByteArray &hardwareLine)
{
    return hardwareLine == "3.0.0" || hardwareLine == "4.0.0";
}

QString byteText(char byte)
{
    return QStringLiteral("0x%1").arg(uint(uchar(byte)), 2, 16, QLatin1Char('0'));
}

} // namespace

ControllerSubstitute::ControllerSubstitute(const Profile &profile, QObject *parent)
    : QObject(parent)
    , m_profile(profile)
    , m_locked(profile.locked)
    , m_autoProgramEnd(profile.autoProgramEnd)
    , m_replyDelayMs(profile.replyDelayMs)
    , m_settings(defaultSettings())
{
    m_paceTimer.setSingleShot(true);
    connect(&m_paceTimer, &QTimer::timeout, this, [this] {
        if (!m_pendingLines.isEmpty() && !m_held && !m_silent)
            processLine(m_pendingLines.takeFirst());
        scheduleProcessing();
    });
    connect(&m_port, &QSerialPort::readyRead, this, &ControllerSubstitute::readIncoming);
}

ControllerSubstitute::ControllerSubstitute(QObject *parent)
    : ControllerSubstitute(Profile(), parent)
{
}

ControllerSubstitute::~ControllerSubstitute()
{
    // The pair belongs to the test; only this end is closed.
    closePort();
}

bool ControllerSubstitute::open(const QString &devicePath)
{
    closePort();
    m_pair = nullptr;
    m_port.setPortName(devicePath);
    m_port.setBaudRate(QSerialPort::Baud115200);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        qWarning() << "ControllerSubstitute: cannot open" << devicePath << m_port.errorString();
        return false;
    }
    if (m_profile.bannerOnOpen)
        softReset();
    return true;
}

bool ControllerSubstitute::open(PtyPair &pair)
{
    if (!open(pair.devicePath()))
        return false;
    m_pair = &pair;
    return true;
}

void ControllerSubstitute::close()
{
    closePort();
    if (m_pair)
        m_pair->close();
    m_pair = nullptr;
}

void ControllerSubstitute::closePort()
{
    m_paceTimer.stop();
    if (m_port.isOpen())
        m_port.close();
    m_mode = InputMode::Lines;
    m_partialLine.clear();
    m_pendingLines.clear();
}

bool ControllerSubstitute::isOpen() const
{
    return m_port.isOpen();
}

void ControllerSubstitute::setSilent(bool silent)
{
    m_silent = silent;
    if (silent)
        m_paceTimer.stop();
    else
        scheduleProcessing();
}

void ControllerSubstitute::holdLines(bool hold)
{
    m_held = hold;
    if (hold)
        m_paceTimer.stop();
    else
        scheduleProcessing();
}

void ControllerSubstitute::setReplyDelay(int ms)
{
    m_replyDelayMs = std::max(0, ms);
}

void ControllerSubstitute::setAutoProgramEnd(bool on)
{
    m_autoProgramEnd = on;
}

void ControllerSubstitute::failLine(int countedLineNumber, int errorCode)
{
    m_failures.insert(countedLineNumber, errorCode);
}

void ControllerSubstitute::setPackageFault(PackageFault fault, int part)
{
    m_packageFault = fault;
    m_packageFaultPart = part;
}

void ControllerSubstitute::sendLine(const QByteArray &line)
{
    reply(line);
}

void ControllerSubstitute::endProgram()
{
    ++m_programEnds;
    reply(ProgramEndMessage);
}

void ControllerSubstitute::lock()
{
    m_locked = true;
    reply(LockMessage);
}

void ControllerSubstitute::setStatus(double x, double y, const QByteArray &state)
{
    m_x = x;
    m_y = y;
    m_state = state;
}

void ControllerSubstitute::setSetting(int number, const QByteArray &value)
{
    m_settings.insert(number, value);
}

QMap<int, QByteArray> ControllerSubstitute::defaultSettings()
{
    // A laser engraver's usual GRBL 1.1 values, 80 steps per millimetre.
    return {
        {0, "10"},        {1, "25"},        {2, "0"},         {3, "0"},
        {4, "0"},         {5, "0"},         {6, "0"},         {10, "1"},
        {11, "0.010"},    {12, "0.002"},    {13, "0"},        {20, "0"},
        {21, "0"},        {22, "1"},        {23, "0"},        {24, "25.000"},
        {25, "500.000"},  {26, "250"},      {27, "1.000"},    {30, "1000"},
        {31, "0"},        {32, "1"},        {100, "80.000"},  {101, "80.000"},
        {102, "250.000"}, {110, "6000.000"}, {111, "6000.000"}, {112, "500.000"},
        {120, "500.000"}, {121, "500.000"}, {122, "10.000"},  {130, "400.000"},
        {131, "400.000"}, {132, "200.000"},
    };
}

void ControllerSubstitute::clearRecords()
{
    m_countedLines.clear();
    m_programText.clear();
    m_rawReceived.clear();
    m_maxBytesInFlight = bytesInFlight();
    m_overrun = false;
    m_realtimeCounts.clear();
    m_firmware.clear();
    m_packagesReceived = 0;
    m_announcements.clear();
    m_programEnds = 0;
    m_errors.clear();
}

int ControllerSubstitute::bytesInFlight() const
{
    int bytes = m_partialLine.size();
    for (const QByteArray &line : m_pendingLines)
        bytes += line.size() + 1;
    return bytes;
}

// --- receiving ---

void ControllerSubstitute::readIncoming()
{
    const QByteArray bytes = m_port.readAll();
    m_rawReceived += bytes;
    if (m_silent)
        return;
    parseIncoming(bytes);
    noteInFlight();
    scheduleProcessing();
}

void ControllerSubstitute::parseIncoming(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    const int size = bytes.size();
    int i = 0;
    while (i < size) {
        if (m_mode != InputMode::Lines) {
            // Raw payload: taken whole, real-time bytes included.
            const int wanted = m_mode == InputMode::PackagePayload
                                   ? m_payloadSize - m_payload.size()
                                   : m_blockRemaining;
            const int taken = std::min(wanted, size - i);
            takePayloadByte(data + i, taken);
            i += taken;
            continue;
        }
        const char byte = data[i++];
        if (isRealtime(byte)) {
            takeRealtime(byte);
        } else if (byte == '\n') {
            m_pendingLines.append(m_partialLine);
            m_partialLine.clear();
        } else if (uchar(byte) >= 0x80 || (uchar(byte) < 0x20 && byte != '\r' && byte != '\t')) {
            recordError(QStringLiteral("unexpected byte %1 in a command line").arg(byteText(byte)));
        } else {
            m_partialLine.append(byte);
        }
    }
}

void ControllerSubstitute::takeRealtime(char byte)
{
    ++m_realtimeCounts[byte];
    emit realtimeReceived(byte);
    switch (byte) {
    case '?':
        reply("<" + m_state + "|MPos:" + QByteArray::number(m_x, 'f', 3) + ","
              + QByteArray::number(m_y, 'f', 3) + ",0.000|FS:0,0>");
        break;
    case SoftReset:
        softReset();
        break;
    default: // feed hold and cycle start are only recorded
        break;
    }
}

void ControllerSubstitute::takePayloadByte(const char *data, int size)
{
    if (m_mode == InputMode::PackagePayload) {
        m_payload.append(data, size);
        if (m_payload.size() == m_payloadSize)
            finishPackage();
    } else {
        m_firmware.append(data, size);
        m_blockRemaining -= size;
        if (m_blockRemaining == 0)
            finishFirmwareBlock();
    }
}

void ControllerSubstitute::noteInFlight()
{
    const int inFlight = bytesInFlight();
    m_maxBytesInFlight = std::max(m_maxBytesInFlight, inFlight);
    if (inFlight > m_profile.bufferSize && !m_overrun) {
        m_overrun = true;
        qWarning() << "ControllerSubstitute: receive buffer overrun," << inFlight << "bytes outstanding of"
                   << m_profile.bufferSize;
    }
}

void ControllerSubstitute::scheduleProcessing()
{
    if (m_pendingLines.isEmpty() || m_held || m_silent || !m_port.isOpen())
        return;
    if (m_replyDelayMs > 0) {
        if (!m_paceTimer.isActive())
            m_paceTimer.start(m_replyDelayMs);
        return;
    }
    processQueuedLines();
}

void ControllerSubstitute::processQueuedLines()
{
    while (!m_pendingLines.isEmpty() && !m_held && !m_silent && m_replyDelayMs <= 0)
        processLine(m_pendingLines.takeFirst());
}

// --- answering ---

void ControllerSubstitute::processLine(const QByteArray &rawLine)
{
    emit lineReceived(rawLine);
    const QByteArray command = rawLine.trimmed();

    // Every queued line arrived before any payload was asked for (payload
    // bytes never reach the queue), so it is a command even if a transfer
    // has started since.

    // The package dialogue lines are not counted: the link never budgets
    // them, so they get no "ok".
    if (command.startsWith("$@print@")) {
        handleStorageRequest(command);
        return;
    }
    if (command.startsWith("$@file@")) {
        handleAnnouncement(command);
        return;
    }

    m_countedLines.append(rawLine);
    const int number = m_countedLines.size();
    const bool gcode = !command.startsWith('$');
    if (gcode && !command.isEmpty())
        m_programText += rawLine + '\n';
    if (m_failures.contains(number)) {
        reply("error:" + QByteArray::number(m_failures.value(number)));
        return;
    }
    if (command.isEmpty()) {
        reply("ok");
    } else if (!gcode) {
        answerSystemCommand(command);
    } else if (m_locked) {
        reply("error:" + QByteArray::number(ErrorLocked));
    } else {
        reply("ok");
        if (m_autoProgramEnd && isProgramEnd(command))
            endProgram();
    }
}

void ControllerSubstitute::answerSystemCommand(const QByteArray &command)
{
    static const QRegularExpression settingPattern(QStringLiteral("^\\$(\\d+)=(\\S+)$"));
    static const QRegularExpression extensionPattern(QStringLiteral("^\\$@(LOC|STEX)=-?\\d+$"));

    if (command == "$I") {
        reply("[VER:" + m_profile.version + ",Scribo test controller]");
        reply("[HARDVER:" + m_profile.hardwareLine + "]");
        reply("[OPT:V,15," + QByteArray::number(m_profile.bufferSize) + "]");
        reply("ok");
    } else if (command == "$$") {
        for (auto it = m_settings.cbegin(); it != m_settings.cend(); ++it)
            reply("$" + QByteArray::number(it.key()) + "=" + it.value());
        reply("ok");
    } else if (command == "$X") {
        if (m_locked)
            reply("[MSG:Caution: Unlocked]");
        m_locked = false;
        reply("ok");
    } else if (command == "$H") {
        m_locked = false; // a homed machine is no longer in alarm
        reply("ok");
    } else if (command == "$RST=*" || command == "$RST=$") {
        m_settings = defaultSettings();
        reply("ok");
    } else if (command.startsWith("$J=")) {
        reply(m_locked ? "error:" + QByteArray::number(ErrorLocked) : QByteArray("ok"));
    } else if (command.startsWith("$@OTA=")) {
        startFirmware(command);
    } else if (extensionPattern.match(QString::fromLatin1(command)).hasMatch()) {
        reply("ok");
    } else if (const auto match = settingPattern.match(QString::fromLatin1(command)); match.hasMatch()) {
        const int number = match.captured(1).toInt();
        if (!m_settings.contains(number)) {
            recordError(QStringLiteral("unknown setting in \"%1\"").arg(QString::fromLatin1(command)));
            reply("error:" + QByteArray::number(ErrorInvalidStatement));
            return;
        }
        m_settings.insert(number, match.captured(2).toLatin1());
        reply("ok");
    } else {
        recordError(QStringLiteral("unknown command \"%1\"").arg(QString::fromLatin1(command)));
        reply("error:" + QByteArray::number(ErrorInvalidStatement));
    }
}

void ControllerSubstitute::handleStorageRequest(const QByteArray &command)
{
    if (command != "$@print@storage=psram") {
        recordError(QStringLiteral("unknown storage request \"%1\"").arg(QString::fromLatin1(command)));
        return;
    }
    if (!takesPackages(m_profile.hardwareLine)) {
        recordError(QStringLiteral("storage request sent to hardware %1, which takes no packages")
                        .arg(QString::fromLatin1(m_profile.hardwareLine)));
        return;
    }
    if (m_currentPart != 0)
        recordError(QStringLiteral("storage request while part %1 is being transferred").arg(m_currentPart));
    m_storageRequested = true;
    m_fileDone = false;
    m_expectedPart = 1;
    m_currentPart = 0;
    reply(ReceiveStorageMode);
    reply(AskPackInfo);
    m_awaitingAnnouncement = true;
}

void ControllerSubstitute::handleAnnouncement(const QByteArray &command)
{
    static const QRegularExpression announcementPattern(
        QStringLiteral("^\\$@file@name=part(\\d+)\\.gzip@size=(\\d+)@uncompress_size=(\\d+)$"));

    if (!m_storageRequested) {
        recordError(QStringLiteral("\"%1\" without a storage request").arg(QString::fromLatin1(command)));
        return;
    }
    if (command == "$@file@done") {
        if (m_currentPart != 0)
            recordError(QStringLiteral("file done while part %1 is not received").arg(m_currentPart));
        if (m_packagesReceived == 0)
            recordError(QStringLiteral("file done before any package"));
        m_fileDone = true;
        m_storageRequested = false;
        m_awaitingAnnouncement = false;
        if (m_autoProgramEnd)
            endProgram();
        return;
    }
    const auto match = announcementPattern.match(QString::fromLatin1(command));
    if (!match.hasMatch()) {
        recordError(QStringLiteral("malformed announcement \"%1\"").arg(QString::fromLatin1(command)));
        return;
    }
    m_announcements.append(command);
    const int part = match.captured(1).toInt();
    const qint64 size = match.captured(2).toLongLong();
    const qint64 uncompressedSize = match.captured(3).toLongLong();
    if (!m_awaitingAnnouncement)
        recordError(QStringLiteral("part %1 announced without \"ask pack_info\"").arg(part));
    if (part != m_expectedPart)
        recordError(QStringLiteral("part %1 announced, part %2 expected").arg(part).arg(m_expectedPart));
    // A zlib stream has at least a header and a trailer; the text parts are
    // far below 2 GiB.
    if (size < 6 || size > INT_MAX || uncompressedSize <= 0 || uncompressedSize > INT_MAX) {
        recordError(QStringLiteral("implausible sizes in \"%1\"").arg(QString::fromLatin1(command)));
        return;
    }
    m_awaitingAnnouncement = false;
    m_currentPart = part;
    m_payloadSize = int(size);
    m_uncompressedSize = int(uncompressedSize);
    m_payload.clear();
    if (m_packageFault == PackageFault::NeverAskPackage && part >= m_packageFaultPart)
        return;
    reply(AskPackage);
    m_mode = InputMode::PackagePayload;
}

void ControllerSubstitute::finishPackage()
{
    m_mode = InputMode::Lines;
    const int part = m_currentPart;
    // One byte more than announced tells "larger than announced" apart from
    // an exact fit.
    QByteArray text(m_uncompressedSize + 1, Qt::Uninitialized);
    uLongf textSize = uLongf(text.size());
    const int result = uncompress(reinterpret_cast<Bytef *>(text.data()), &textSize,
                                  reinterpret_cast<const Bytef *>(m_payload.constData()), uLong(m_payload.size()));
    if (result != Z_OK) {
        recordError(result == Z_BUF_ERROR
                        ? QStringLiteral("part %1 decompresses to more than the announced %2 bytes")
                              .arg(part)
                              .arg(m_uncompressedSize)
                        : QStringLiteral("part %1 is not a valid zlib stream (zlib error %2)").arg(part).arg(result));
    } else {
        text.truncate(int(textSize));
        if (text.size() != m_uncompressedSize)
            recordError(QStringLiteral("part %1 decompresses to %2 bytes, %3 announced")
                            .arg(part)
                            .arg(text.size())
                            .arg(m_uncompressedSize));
        m_programText += text;
    }
    m_payload.clear();
    ++m_packagesReceived;
    ++m_expectedPart;
    emit packageReceived(part);
    if (m_packageFault == PackageFault::NeverConfirmPackage && part >= m_packageFaultPart)
        return;
    m_currentPart = 0;
    reply(ReceivePackage);
    reply(AskPackInfo);
    m_awaitingAnnouncement = true;
}

void ControllerSubstitute::startFirmware(const QByteArray &command)
{
    bool ok = false;
    const int size = command.mid(6).toInt(&ok);
    if (!ok || size <= 0) {
        recordError(QStringLiteral("bad firmware size in \"%1\"").arg(QString::fromLatin1(command)));
        reply("error:" + QByteArray::number(ErrorInvalidStatement));
        return;
    }
    reply("ok");
    m_firmware.clear();
    m_firmwareSize = size;
    m_firmwareComplete = false;
    m_blockRemaining = std::min(m_profile.firmwareBlockSize, size);
    reply("[MSG:OTA OK]");
    m_mode = InputMode::FirmwareBlock;
}

void ControllerSubstitute::finishFirmwareBlock()
{
    const int remaining = m_firmwareSize - m_firmware.size();
    if (remaining > 0) {
        m_blockRemaining = std::min(m_profile.firmwareBlockSize, remaining);
        reply("[MSG:OTA OK]");
        return;
    }
    m_mode = InputMode::Lines;
    m_firmwareComplete = true;
    reply("[MSG:OTA done]");
    emit firmwareCompleted();
}

void ControllerSubstitute::softReset()
{
    // A reset throws away what is waiting unanswered and any transfer.
    m_paceTimer.stop();
    m_partialLine.clear();
    m_pendingLines.clear();
    m_mode = InputMode::Lines;
    m_storageRequested = false;
    m_awaitingAnnouncement = false;
    m_currentPart = 0;
    m_expectedPart = 1;
    m_payload.clear();
    writeRaw("\r\n" + m_profile.banner + "\r\n");
    if (m_locked)
        reply(LockMessage);
}

void ControllerSubstitute::reply(const QByteArray &line)
{
    writeRaw(line + "\r\n");
}

void ControllerSubstitute::writeRaw(const QByteArray &bytes)
{
    if (m_silent || !m_port.isOpen())
        return;
    m_port.write(bytes);
}

void ControllerSubstitute::recordError(const QString &error)
{
    qWarning() << "ControllerSubstitute:" << error;
    m_errors.append(error);
}
