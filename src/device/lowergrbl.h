#pragma once

#include "device/charactercounter.h"
#include "device/machinesettings.h"
#include "device/panelmessage.h"
#include "device/serial.h"
#include "gcode/gcodebuffer.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QRectF>
#include <QSerialPort>
#include <QStringList>
#include <QVersionNumber>

#include <functional>

class QTimer;

// The device link: owns the serial port to the engraver's controller, finds
// and identifies the controller, writes commands under GRBL character
// counting, sends jobs (as lines or as compressed packages), upgrades the
// firmware, and talks to the panels only through panel messages.
//
// It runs on a thread of its own: create it without a parent, moveToThread,
// and reach it only through queued signals (getPanelMessage, grblGcodePrint,
// grblFrameLoc). Delete it on its thread after the thread stops so that its
// settings group is written.
class LowerGrbl : public QObject
{
    Q_OBJECT
public:
    explicit LowerGrbl(QObject *parent = nullptr);
    ~LowerGrbl() override;

    // For tests, set before the link is moved to its thread: the scan
    // candidates instead of the system's USB serial ports; the time each
    // candidate gets to answer (default 2500 ms); the package time-out
    // (default 50 000 ms); the silence a line-mode job tolerates before the
    // status query, and the wait for any answer after it (10 000 ms each).
    void setPortListProvider(std::function<QStringList()> provider);
    void setScanIntervalForTest(int milliseconds);
    void setPackageTimeoutForTest(int milliseconds);
    void setSilenceTimeoutsForTest(int quietMs, int answerMs);

public slots:
    void getPanelMessage(QStringList message);
    void grblGcodePrint(QList<GCodeBuffer> g);
    void grblFrameLoc(QRectF bound);

    void serialAutoConnect();
    void serialErrorHandle(QSerialPort::SerialPortError error);
    void serialAvailableCheck();
    void lowerRead();
    void lowerBackInfoCheck();

signals:
    void sendPanelMessage(QStringList message);

private slots:
    void reset_sending_status();
    void identificationTimedOut();
    void scanExhausted();
    void silenceTimedOut();

private:
    // Panel messages and settings.
    void panelMessageAnalysis(const QString &text);
    void sendNumberToPanel(SetPanel panel, double value);
    void sendStringToPanel(SetPanel panel, const QString &value);
    void readSettings();
    void writeSettings();

    // Connection.
    void startScan(const QStringList &chosenPorts);
    void routeReadsTo(void (LowerGrbl::*handler)());
    void serialAvailableCheckStart();
    void serialAvailableCheckStop();
    void refuseController(const char *reason);
    void linkLost();
    bool takeLine(QByteArray *line);
    void appendReceived();

    // Identification and replies.
    void identificationLine(const QByteArray &line);
    void grblConnectedRunInstruct();
    void grblBackInfoAnalysis(const QByteArray &line);
    void transferMessage(const QString &line);
    void controllerMessage(const QString &line);
    void settingsLine(const QString &line);
    void statusReport(const QString &line);
    void controllerRestarted();

    // Commands.
    qint64 writeToPort(const QByteArray &bytes);
    bool grblInstructWrite(const QByteArray &bytes, bool counted);
    void grblRecoverOnceBytes();
    void grblInstructOpenLaser(double power);
    void grblInstructCloseLaser();
    void grblInstructMove(double speed, double distance, int direction);
    void grblInstructStop();
    void grblInstructRestart();
    void grblInstructPause();
    void grblInstructGetPos();
    void grblInstructSetPos(double speed, double x, double y);
    void grblInstructSetRunPara(const QString &text);
    void grblInstructSetLocTool(int n);
    void grblInstructStepEx(int n);
    void grblInstructUnlock();

    // Job transfer.
    void grblSetGcodeSize(int size);
    void grblWriteGcodeBuf();
    void addSentRecords(int count);
    void gcode_send_set_storage();
    void gcode_send_compress_start();
    bool gcode_compress_package();
    void gcode_send_compress_package();
    void gcode_send_compress_end();
    void send_timer_start();
    void send_timer_stop();
    void check_stop_status();
    void check_pause_status();
    void send_clear_buf();
    void endJobWithError(const QString &reason);
    bool writeUncountedLine(const QByteArray &line);
    bool silenceWatchApplies() const;
    void restartSilenceWatch();

    // Firmware upgrade.
    void grblOTAInit();
    void grblOTAWriteBin(int size);

    double areaWidth = 0;
    double areaHeight = 0;
    int laserOn = 0;
    double idlePower = 0;
    double moveSpeed = 0;
    double moveDistance = 0;
    double maxLaserPowerValue = 1000;
    QByteArray receiveBuffer;
    bool discardingLongLine = false;
    GrblMachineSettings machine;
    QList<GCodeBuffer> jobList;
    QByteArray packageBuffer;
    int partNumber = 0;
    bool packageMode = false;
    bool transferBusy = false;
    QTimer *transferTimer = nullptr;
    int packageTimeoutMs = 50000;
    QTimer *silenceTimer = nullptr;
    int silenceQuietMs = 10000;
    int silenceAnswerMs = 10000;
    bool silenceQueried = false;
    bool stopPending = false;
    bool pausePending = false;
    int totalRecords = 0;
    int sentRecords = 0;
    int lastReportedRecords = 0;
    int reportStep = 0;
    bool unlockPending = false;
    QVersionNumber softVersion;
    QVersionNumber hardVersion;
    QString connectedPortName;
    Serial *serialPort = nullptr;
    QTimer *availableCheckTimer = nullptr;
    QTimer *identifyTimer = nullptr;
    int scanIntervalMs = 2500;
    bool printing = false;
    bool paused = false;
    int linkState = 2;
    CharacterCounter counter;
    int rxBufferSize = 0;
    int reserveBytes = 100;
    QByteArray firmwareImage;
    double firmwareSize = 0;
    double firmwareWritten = 0;
    bool otaInProgress = false;
    bool accepted = false;
    bool lineErrorReported = false;
    bool disconnectReported = false;
    void (LowerGrbl::*readHandler)() = nullptr;
};
