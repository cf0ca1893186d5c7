#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSerialPort>
#include <QStringList>
#include <QTimer>

class PtyPair;

// Stands in for the engraver's controller on the far end of a serial line
// (usually one end of a PtyPair) so the device link can be tested against
// real serial I/O. It answers only what the link relies on:
//  - 0x18 soft reset: discards pending input, answers with the banner (and
//    the lock message while locked);
//  - "$I": [VER:], [HARDVER:] and [OPT:] lines, then "ok";
//  - every counted line gets exactly one "ok" or "error:N"; the real-time
//    bytes '?', '!', '~' and 0x18 get none;
//  - '?': "<state|MPos:x,y,0.000|FS:0,0>";
//  - "$$": one "$N=value" line per setting in ascending order, then "ok";
//    "$N=value" stores a setting, "$RST=*" restores the defaults;
//  - lock: "[MSG:'$H'|'$X' to unlock]"; "$X" or "$H" unlocks;
//  - job end: "[MSG:Pgm End]" after "M2"/"M30" or after "$@file@done";
//  - packages (hardware 3.0.0 / 4.0.0): "$@print@storage=psram", then per
//    part "ask pack_info" -> "$@file@name=partN.gzip@size=S@uncompress_size=U"
//    -> "ask package" -> S raw zlib bytes -> "receive package";
//  - firmware: "$@OTA=N" -> "ok", then "[MSG:OTA OK]" per 4096-byte block
//    and "[MSG:OTA done]" once N bytes arrived.
// Everything received is recorded for the test, and protocol violations are
// collected in errors() instead of being answered.
//
// Receive buffer: bytes of received lines that have not been answered yet
// occupy a buffer of Profile::bufferSize bytes, as in the real controller.
// Lines are worked through at the controller's own pace (replyDelayMs,
// holdLines()); a host that ever has more bytes outstanding than the buffer
// holds is recorded as overrun() (the bytes are kept, so the test sees the
// violation rather than its consequences).
class ControllerSubstitute : public QObject
{
    Q_OBJECT
public:
    struct Profile
    {
        QByteArray version = "1.1h";        // firmware, in "[VER:<version>,...]"
        QByteArray hardwareLine = "1.0.0";  // in "[HARDVER:<line>]"
        int bufferSize = 1024;              // announced as the 2nd number of "[OPT:"
        bool locked = false;                // starts in alarm; every banner is followed by the lock message
        QByteArray banner = "Grbl 1.1h ['$' for help]";
        bool bannerOnOpen = false;          // greet without waiting for 0x18
        int replyDelayMs = 0;               // time spent on each line; 0 answers at once
        bool autoProgramEnd = true;         // "[MSG:Pgm End]" after M2/M30 or "$@file@done"
        int firmwareBlockSize = 4096;       // bytes asked for with each "OTA OK"
    };

    enum class PackageFault {
        None,
        NeverAskPackage,     // after an announcement, never asks for the payload
        NeverConfirmPackage, // takes the payload but never says "receive package"
    };

    explicit ControllerSubstitute(const Profile &profile, QObject *parent = nullptr);
    explicit ControllerSubstitute(QObject *parent = nullptr);
    ~ControllerSubstitute() override;

    // Opens the substitute's end of the line (115200 8N1).
    bool open(const QString &devicePath);
    // Opens the pair's device end and remembers the pair, so that close()
    // can make the whole line vanish.
    bool open(PtyPair &pair);
    // The device vanishes: the port is closed, pending input is dropped and,
    // when opened through open(PtyPair &), the pair is ended so the link's
    // port is hung up like an unplugged USB device (its links disappear).
    void close();
    // Closes only the substitute's end; the link's end notices nothing (a pty
    // pair outlives one closed end) and the substitute can open it again.
    void closePort();
    bool isOpen() const;

    const Profile &profile() const { return m_profile; }

    // --- behaviour controls ---
    // A silent controller reads and drops everything and answers nothing.
    void setSilent(bool silent);
    bool isSilent() const { return m_silent; }
    // While held, received lines wait unanswered in the receive buffer.
    void holdLines(bool hold);
    void setReplyDelay(int ms);
    void setAutoProgramEnd(bool on);
    // Answers the n-th counted line (1-based, in countedLines() order) with
    // "error:<code>" instead of "ok".
    void failLine(int countedLineNumber, int errorCode);
    // Misbehaves in the package dialogue from part number `part` on.
    void setPackageFault(PackageFault fault, int part = 1);
    // Sends an unsolicited line; "\r\n" is appended.
    void sendLine(const QByteArray &line);
    void endProgram();                  // "[MSG:Pgm End]"
    void lock();                        // locks and says so
    void setStatus(double x, double y, const QByteArray &state = "Idle");
    void setSetting(int number, const QByteArray &value);
    QMap<int, QByteArray> settings() const { return m_settings; }
    static QMap<int, QByteArray> defaultSettings();
    // Forgets everything recorded so far (lines, program, counters, errors).
    void clearRecords();

    // --- what was received ---
    QList<QByteArray> countedLines() const { return m_countedLines; }
    // All G-code lines (counted lines not starting with '$'), each followed
    // by "\n", plus the decompressed text of every package, in arrival order.
    QByteArray programText() const { return m_programText; }
    QByteArray rawReceived() const { return m_rawReceived; }
    int bytesInFlight() const;
    int maxBytesInFlight() const { return m_maxBytesInFlight; }
    bool overrun() const { return m_overrun; }
    int realtimeCount(char byte) const { return m_realtimeCounts.value(byte); }
    QByteArray firmwareReceived() const { return m_firmware; }
    int firmwareSize() const { return m_firmwareSize; }
    bool firmwareComplete() const { return m_firmwareComplete; }
    int packagesReceived() const { return m_packagesReceived; }
    QList<QByteArray> announcements() const { return m_announcements; }
    bool storageRequested() const { return m_storageRequested; }
    bool fileDoneReceived() const { return m_fileDone; }
    bool isLocked() const { return m_locked; }
    int programEnds() const { return m_programEnds; }
    QStringList errors() const { return m_errors; }

signals:
    void lineReceived(const QByteArray &line);
    void realtimeReceived(char byte);
    void packageReceived(int part);
    void firmwareCompleted();

private:
    enum class InputMode { Lines, PackagePayload, FirmwareBlock };

    void readIncoming();
    void parseIncoming(const QByteArray &bytes);
    void takeRealtime(char byte);
    void takePayloadByte(const char *data, int size);
    void processQueuedLines();
    void scheduleProcessing();
    void processLine(const QByteArray &rawLine);
    void answerSystemCommand(const QByteArray &command);
    void handleStorageRequest(const QByteArray &command);
    void handleAnnouncement(const QByteArray &command);
    void finishPackage();
    void startFirmware(const QByteArray &command);
    void finishFirmwareBlock();
    void softReset();
    void writeRaw(const QByteArray &bytes);
    void reply(const QByteArray &line);
    void recordError(const QString &error);
    void noteInFlight();

    Profile m_profile;
    QSerialPort m_port;
    PtyPair *m_pair = nullptr;
    QTimer m_paceTimer;

    bool m_silent = false;
    bool m_held = false;
    bool m_locked = false;
    bool m_autoProgramEnd = true;
    int m_replyDelayMs = 0;
    QHash<int, int> m_failures; // counted line number -> error code
    PackageFault m_packageFault = PackageFault::None;
    int m_packageFaultPart = 1;
    double m_x = 0;
    double m_y = 0;
    QByteArray m_state = "Idle";
    QMap<int, QByteArray> m_settings;

    // receive side
    InputMode m_mode = InputMode::Lines;
    QByteArray m_partialLine;
    QList<QByteArray> m_pendingLines; // complete lines, "\n" stripped

    // package dialogue
    int m_expectedPart = 1;
    int m_currentPart = 0;
    int m_payloadSize = 0;
    int m_uncompressedSize = 0;
    QByteArray m_payload;
    bool m_awaitingAnnouncement = false;

    // firmware
    int m_firmwareSize = 0;
    int m_blockRemaining = 0;
    bool m_firmwareComplete = false;

    // records
    QList<QByteArray> m_countedLines;
    QByteArray m_programText;
    QByteArray m_rawReceived;
    int m_maxBytesInFlight = 0;
    bool m_overrun = false;
    QHash<char, int> m_realtimeCounts;
    QByteArray m_firmware;
    int m_packagesReceived = 0;
    QList<QByteArray> m_announcements;
    bool m_storageRequested = false;
    bool m_fileDone = false;
    int m_programEnds = 0;
    QStringList m_errors;
};
