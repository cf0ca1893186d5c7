// The device link against a controller substitute over pseudo-terminals.
#include "common/testenvironment.h"

#include "controllersubstitute.h"
#include "linkharness.h"
#include "ptypair.h"

#include "device/devicejobrunner.h"
#include "device/lowergrbl.h"
#include "device/panelmessage.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QSerialPort>
#include <functional>
#include <memory>

namespace {

constexpr int Wait = 20000;

// Waits in a real event loop until `condition` holds (or `timeoutMs` passed):
// the controller substitute lives on this thread and must answer at once,
// which a sleeping poll would slow down a hundredfold.
bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&]() {
        if (condition())
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(2);
    deadline.start(timeoutMs);
    loop.exec();
    return condition();
}

#define WAIT_VERIFY(condition, timeout)                                                                      \
    do {                                                                                                     \
        waitFor([&]() { return bool(condition); }, timeout);                                                 \
        QVERIFY(condition);                                                                                  \
    } while (0)

#define WAIT_COMPARE(actual, expected, timeout)                                                              \
    do {                                                                                                     \
        waitFor([&]() { return (actual) == (expected); }, timeout);                                          \
        QCOMPARE(actual, expected);                                                                          \
    } while (0)

// A job like the raster engraving the program makes: absolute moves with
// power and feed, then relative rows, ending with the program end.
QList<GCodeBuffer> makeJob(int records)
{
    QList<GCodeBuffer> job;
    job.reserve(records);
    GCodeBuffer header;
    header.g = -2;
    job.append(header);
    for (int i = 1; i < records - 1; ++i) {
        GCodeBuffer r;
        r.g = 1;
        if (i % 3 == 0) {
            r.absolute = false;
            r.x = (i % 7) * 0.08;
            r.y = 0;
            r.s = (i % 11) * 25;
        } else {
            r.x = (i % 1000) * 0.1;
            r.y = (i / 1000) * 0.1;
            r.f = 3000;
        }
        job.append(r);
    }
    GCodeBuffer end;
    end.m = 2;
    job.append(end);
    return job;
}

QList<QByteArray> repeated(int count, const QByteArray &line)
{
    QList<QByteArray> lines;
    for (int i = 0; i < count; ++i)
        lines.append(line);
    return lines;
}

QByteArray jobText(const QList<GCodeBuffer> &job)
{
    QByteArray text;
    for (const GCodeBuffer &record : job)
        text += gcodeBuffer2Str(record).toLatin1();
    return text;
}

ControllerSubstitute::Profile profileFor(const QByteArray &hardware, const QByteArray &version = "0.2.2",
                                         int bufferSize = 1024)
{
    ControllerSubstitute::Profile profile;
    profile.hardwareLine = hardware;
    profile.version = version;
    profile.bufferSize = bufferSize;
    return profile;
}

// One substitute on one pty pair, and a link that has connected to it.
struct Connection
{
    PtyPair pair;
    std::unique_ptr<ControllerSubstitute> controller;
    std::unique_ptr<LinkHarness> link;

    bool open(const ControllerSubstitute::Profile &profile, int packageTimeoutMs = 50000,
              int silenceQuietMs = 10000, int silenceAnswerMs = 10000)
    {
        if (!pair.open())
            return false;
        controller.reset(new ControllerSubstitute(profile));
        if (!controller->open(pair))
            return false;
        LinkHarness::Options options;
        options.candidates = QStringList{pair.hostPath()};
        options.packageTimeoutMs = packageTimeoutMs;
        options.silenceQuietMs = silenceQuietMs;
        options.silenceAnswerMs = silenceAnswerMs;
        link.reset(new LinkHarness(options));
        link->send(LowerAutoConnect);
        return true;
    }

    ~Connection()
    {
        link.reset(); // stops the link's thread before its peer goes
        controller.reset();
    }
};

#define CONNECT_OR_FAIL(connection, ...)                                                                    \
    do {                                                                                                    \
        QVERIFY((connection).open(__VA_ARGS__));                                                            \
        WAIT_COMPARE((connection).link->count(PanelConnected), 1, Wait);                      \
    } while (0)

} // namespace

class TestLowerGrbl : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void discoveryFindsTheOneControllerThatAnswers();
    void noCandidateIsReported();
    void identifiesHardwareLines_data();
    void identifiesHardwareLines();
    void refusesSmallReceiveBuffers_data();
    void refusesSmallReceiveBuffers();

    void repeatedBannersDuringIdentification();
    void streamsLargeJob_data();
    void streamsLargeJob();
    void stopAndPauseWaitForThePackage_data();
    void stopAndPauseWaitForThePackage();
    void stalledPackageTransferEndsTheJob_data();
    void stalledPackageTransferEndsTheJob();
    void silentControllerEndsALineJob();
    void slowControllerKeepsALineJob();

    void unlocksAfterLockMessage();
    void settingsAndStatusReachThePanel();
    void frameProgramIsCountedLineByLine();
    void jogsInEveryDirection_data();
    void jogsInEveryDirection();
    void upgradesFirmware_data();
    void upgradesFirmware();

    void disconnectIsReportedOnce();
    void survivesBadReplies_data();
    void survivesBadReplies();
    void rejectedLineIsReportedAndJobGoesOn();
    void repliesSplitAtEveryByte();
    void settingsAreWrittenWhenTheLinkEnds();

    void runnerSendsAJob_data();
    void runnerSendsAJob();
    void runnerReportsFailures_data();
    void runnerReportsFailures();
    void sendsAJobFile_data();
    void sendsAJobFile();
};

void TestLowerGrbl::initTestCase()
{
    registerGCodeBufferMetaTypes();
    // The per-line traffic of long jobs would drown the test log.
    QLoggingCategory::setFilterRules("scribo.device.debug=false");
    QVERIFY(QFile::exists(":/ota/kx2020_v0.1.5encode.bin"));
}

void TestLowerGrbl::discoveryFindsTheOneControllerThatAnswers()
{
    // Candidate 0 has nothing behind it, candidate 1 a controller with a
    // stock GRBL buffer (refused), candidate 2 the machine.
    PtyPairGroup ports;
    QVERIFY(ports.open(3));
    ControllerSubstitute small(profileFor("1.0.0", "0.1.5", 128));
    ControllerSubstitute machine(profileFor("2.0.0", "0.1.6"));
    QVERIFY(small.open(ports.at(1)));
    QVERIFY(machine.open(ports.at(2)));

    LinkHarness::Options options;
    options.candidates = ports.hostPaths();
    LinkHarness link(options);
    link.send(LowerAutoConnect);

    WAIT_COMPARE(link.count(PanelConnected), 1, Wait);
    QCOMPARE(link.last(PanelConnected), ports.hostPaths().at(2));
    QCOMPARE(link.values(PanelPortList), QStringList{ports.hostPaths().join(' ') + ' '});
    QCOMPARE(link.values(PanelLinkError), QStringList{DeviceLinkError::ControllerRefused});
    // The refused controller was asked once and then told nothing more.
    QCOMPARE(small.rawReceived().count("$I\n"), 1);
    QVERIFY(!small.rawReceived().contains("$H"));
    // The machine gets homing and the settings dump after acceptance.
    WAIT_VERIFY(machine.countedLines().contains("$$"), Wait);
    QVERIFY(machine.errors().isEmpty());
}

void TestLowerGrbl::noCandidateIsReported()
{
    LinkHarness link(LinkHarness::Options{});
    link.send(LowerAutoConnect);
    WAIT_COMPARE(link.values(PanelPortList), QStringList{"none"}, Wait);

    // A port that exists but has no controller behind it.
    PtyPair pair;
    QVERIFY(pair.open());
    link.send(LowerConnectPort, pair.hostPath());
    WAIT_COMPARE(link.values(PanelLinkError), QStringList{DeviceLinkError::NoController}, Wait);
    QCOMPARE(link.count(PanelConnected), 0);
}

void TestLowerGrbl::identifiesHardwareLines_data()
{
    QTest::addColumn<QByteArray>("hardware");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QString>("panelHardware");
    QTest::addColumn<int>("notices");
    QTest::newRow("1.0.0 old") << QByteArray("1.0.0") << QByteArray("0.1.4") << "1.0.0" << 1;
    QTest::newRow("1.0.0 current") << QByteArray("1.0.0") << QByteArray("0.1.5") << "1.0.0" << 0;
    QTest::newRow("2.0.0 old") << QByteArray("2.0.0") << QByteArray("0.1.5") << "2.0.0" << 1;
    QTest::newRow("2.0.0 current") << QByteArray("2.0.0") << QByteArray("0.1.6") << "2.0.0" << 0;
    QTest::newRow("3.0.0 old") << QByteArray("3.0.0") << QByteArray("0.2.1") << "3.0.0" << 1;
    QTest::newRow("4.0.0 current") << QByteArray("4.0.0") << QByteArray("0.2.2") << "4.0.0" << 0;
    QTest::newRow("unknown line") << QByteArray("5.0.0") << QByteArray("0.0.1") << "" << 0;
    QTest::newRow("1.0 is no line") << QByteArray("1.0") << QByteArray("0.0.1") << "" << 0;
}

void TestLowerGrbl::identifiesHardwareLines()
{
    QFETCH(QByteArray, hardware);
    QFETCH(QByteArray, version);
    QFETCH(QString, panelHardware);
    QFETCH(int, notices);
    Connection c;
    CONNECT_OR_FAIL(c, profileFor(hardware, version));
    QCOMPARE(c.link->last(PanelHardwareVersion), panelHardware);
    QCOMPARE(c.link->count(PanelOtaAvailable), notices);
}

void TestLowerGrbl::refusesSmallReceiveBuffers_data()
{
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("1023") << 1023 << false;
    QTest::newRow("stock grbl") << 128 << false;
    QTest::newRow("1024") << 1024 << true;
}

void TestLowerGrbl::refusesSmallReceiveBuffers()
{
    QFETCH(int, bufferSize);
    QFETCH(bool, accepted);
    Connection c;
    QVERIFY(c.open(profileFor("1.0.0", "0.1.5", bufferSize)));
    if (accepted) {
        WAIT_COMPARE(c.link->count(PanelConnected), 1, Wait);
        return;
    }
    // Refused, then the scan runs out of candidates.
    WAIT_COMPARE(c.link->values(PanelLinkError),
                              (QStringList{DeviceLinkError::ControllerRefused, DeviceLinkError::NoController}), Wait);
    QCOMPARE(c.link->count(PanelConnected), 0);
    QCOMPARE(c.controller->rawReceived().count("$I\n"), 1);
    QVERIFY(!c.controller->rawReceived().contains("$H"));
}

void TestLowerGrbl::repeatedBannersDuringIdentification()
{
    // The controller greets on open and again on the soft reset, so it is
    // asked twice and answers twice; the link must count correctly anyway.
    ControllerSubstitute::Profile profile = profileFor("1.0.0", "0.1.5");
    profile.bannerOnOpen = true;
    profile.replyDelayMs = 1;
    Connection c;
    CONNECT_OR_FAIL(c, profile);
    QVERIFY(c.controller->rawReceived().count("$I\n") <= 2);
    const QList<GCodeBuffer> job = makeJob(1000);
    emit c.link->lowerSetGcode(job);
    WAIT_COMPARE(c.link->count(PanelPrintDone), 1, 60000);
    QVERIFY(!c.controller->overrun());
    QCOMPARE(c.link->count(PanelConnected), 1);
    QVERIFY(c.link->values(PanelLinkError).isEmpty());
}

void TestLowerGrbl::streamsLargeJob_data()
{
    QTest::addColumn<QByteArray>("hardware");
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<bool>("packages");
    QTest::newRow("lines, 1024-byte buffer") << QByteArray("1.0.0") << 1024 << false;
    QTest::newRow("lines, 2048-byte buffer") << QByteArray("2.0.0") << 2048 << false;
    QTest::newRow("packages, 3.0.0") << QByteArray("3.0.0") << 1024 << true;
    QTest::newRow("packages, 4.0.0") << QByteArray("4.0.0") << 1024 << true;
}

void TestLowerGrbl::streamsLargeJob()
{
    QFETCH(QByteArray, hardware);
    QFETCH(int, bufferSize);
    QFETCH(bool, packages);
    Connection c;
    CONNECT_OR_FAIL(c, profileFor(hardware, "0.2.2", bufferSize));
    WAIT_VERIFY(c.controller->countedLines().contains("$$"), Wait);
    c.controller->clearRecords();

    const QList<GCodeBuffer> job = makeJob(100000);
    emit c.link->lowerSetGcode(job);
    WAIT_COMPARE(c.link->count(PanelPrintDone), 1, 60000);

    const QByteArray expected = jobText(job);
    QCOMPARE(c.controller->programText().size(), expected.size());
    QVERIFY(c.controller->programText() == expected);
    QVERIFY(!c.controller->overrun());
    QVERIFY(c.controller->maxBytesInFlight() <= bufferSize);
    QCOMPARE(c.link->last(PanelProgress), QString("100"));
    QVERIFY2(c.controller->errors().isEmpty(), qPrintable(c.controller->errors().join('\n')));
    QCOMPARE(c.controller->storageRequested() || c.controller->fileDoneReceived(), packages);
    if (packages) {
        QVERIFY(c.controller->packagesReceived() >= 2);
        QCOMPARE(c.controller->announcements().size(), c.controller->packagesReceived());
        QVERIFY(c.controller->announcements().first().startsWith("$@file@name=part1.gzip@size="));
    }
    QVERIFY(c.link->values(PanelLinkError).isEmpty());
}

void TestLowerGrbl::stopAndPauseWaitForThePackage_data()
{
    QTest::addColumn<bool>("confirmLate");
    QTest::newRow("carried out at receive package") << true;
    QTest::newRow("carried out at the time-out") << false;
}

void TestLowerGrbl::stopAndPauseWaitForThePackage()
{
    QFETCH(bool, confirmLate);
    Connection c;
    CONNECT_OR_FAIL(c, profileFor("3.0.0"), confirmLate ? 50000 : 1500);
    c.controller->setPackageFault(ControllerSubstitute::PackageFault::NeverConfirmPackage, 1);

    // The scan's soft reset has been counted already.
    const int resets = c.controller->realtimeCount('\x18');
    emit c.link->lowerSetGcode(makeJob(30000));
    WAIT_COMPARE(c.controller->packagesReceived(), 1, Wait);

    c.link->sendAndWait(LowerStopPrint);
    c.link->sendAndWait(LowerPausePrint, "1");
    c.link->sendAndWait(LowerPausePrint, "0"); // a resume during a transfer is lost
    QTest::qWait(300);
    QCOMPARE(c.controller->realtimeCount('\x18'), resets);
    QCOMPARE(c.controller->realtimeCount('!'), 0);

    if (confirmLate)
        c.controller->sendLine("msg@printing receive package");
    WAIT_COMPARE(c.controller->realtimeCount('\x18'), resets + 1, Wait);
    WAIT_COMPARE(c.controller->realtimeCount('!'), 1, Wait);
    QCOMPARE(c.controller->realtimeCount('~'), 0);
    // The rest of the job was dropped: no second part.
    QTest::qWait(300);
    QCOMPARE(c.controller->announcements().size(), 1);
    QVERIFY(!c.link->values(PanelLinkError).contains(DeviceLinkError::PackageTimeout));
}

void TestLowerGrbl::stalledPackageTransferEndsTheJob_data()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("never asks for the package") << int(ControllerSubstitute::PackageFault::NeverAskPackage);
    QTest::newRow("never confirms it") << int(ControllerSubstitute::PackageFault::NeverConfirmPackage);
    QTest::newRow("falls silent") << -1;
}

void TestLowerGrbl::stalledPackageTransferEndsTheJob()
{
    QFETCH(int, fault);
    Connection c;
    CONNECT_OR_FAIL(c, profileFor("4.0.0"), 1000);
    QMetaObject::Connection silencing;
    if (fault >= 0)
        c.controller->setPackageFault(ControllerSubstitute::PackageFault(fault), 2);
    else
        silencing = connect(c.controller.get(), &ControllerSubstitute::packageReceived, c.controller.get(),
                            [&c]() { c.controller->setSilent(true); });

    emit c.link->lowerSetGcode(makeJob(40000));
    WAIT_COMPARE(c.link->values(PanelLinkError), QStringList{DeviceLinkError::PackageTimeout}, Wait);
    QCOMPARE(c.link->count(PanelPrintDone), 0);
    QVERIFY(!c.controller->overrun());

    // The link still works: a new job after the controller recovers.
    disconnect(silencing);
    c.controller->setSilent(false);
    c.controller->setPackageFault(ControllerSubstitute::PackageFault::None);
    const int resets = c.controller->realtimeCount('\x18');
    c.link->send(LowerStopPrint);
    WAIT_COMPARE(c.controller->realtimeCount('\x18'), resets + 1, Wait);
    // The status answer comes after the reset's banner: the link has seen it.
    c.link->send(LowerGetCoord);
    WAIT_COMPARE(c.link->count(PanelPosition), 1, Wait);
    c.controller->clearRecords();
    const QList<GCodeBuffer> job = makeJob(5000);
    emit c.link->lowerSetGcode(job);
    WAIT_COMPARE(c.link->count(PanelPrintDone), 1, Wait);
    QVERIFY(c.controller->programText() == jobText(job));
}

void TestLowerGrbl::silentControllerEndsALineJob()
{
    Connection c;
    CONNECT_OR_FAIL(c, profileFor("1.0.0"), 50000, 200, 1500);
    int silentFrom = -1;
    QMetaObject::Connection silencing =
        connect(c.controller.get(), &ControllerSubstitute::lineReceived, c.controller.get(), [&c, &silentFrom]() {
            if (c.controller->countedLines().size() >= 200 && !c.controller->isSilent()) {
                c.controller->setSilent(true);
                silentFrom = c.controller->rawReceived().size();
            }
        });

    emit c.link->lowerSetGcode(makeJob(20000));
    WAIT_COMPARE(c.link->values(PanelLinkError), QStringList{DeviceLinkError::StoppedAnswering}, Wait);
    QCOMPARE(c.link->count(PanelPrintDone), 0);
    QVERIFY(silentFrom >= 0);
    // The link asked for the status before giving up, then reset the controller.
    auto afterSilence = [&c, silentFrom]() { return c.controller->rawReceived().mid(silentFrom); };
    const int query = afterSilence().indexOf('?');
    QVERIFY(query >= 0);
    WAIT_VERIFY(afterSilence().indexOf('\x18', query) > query, Wait);
    QVERIFY(!c.controller->overrun());

    // The controller answers again: a new job runs to its end.
    disconnect(silencing);
    c.controller->setSilent(false);
    const int resets = c.controller->realtimeCount('\x18');
    c.link->send(LowerStopPrint);
    WAIT_COMPARE(c.controller->realtimeCount('\x18'), resets + 1, Wait);
    c.link->send(LowerGetCoord);
    WAIT_COMPARE(c.link->count(PanelPosition), 1, Wait);
    c.controller->clearRecords();
    const QList<GCodeBuffer> job = makeJob(5000);
    emit c.link->lowerSetGcode(job);
    WAIT_COMPARE(c.link->count(PanelPrintDone), 1, Wait);
    QVERIFY(c.controller->programText() == jobText(job));
    QCOMPARE(c.link->values(PanelLinkError), QStringList{DeviceLinkError::StoppedAnswering});
}

void TestLowerGrbl::slowControllerKeepsALineJob()
{
    Connection c;
    CONNECT_OR_FAIL(c, profileFor("1.0.0"), 50000, 200, 1500);
    QMetaObject::Connection holding =
        connect(c.controller.get(), &ControllerSubstitute::lineReceived, c.controller.get(), [&c]() {
            if (c.controller->countedLines().size() >= 200)
                c.controller->holdLines(true);
        });

    const QList<GCodeBuffer> job = makeJob(5000);
    emit c.link->lowerSetGcode(job);
    WAIT_VERIFY(c.controller->countedLines().size() >= 200, Wait);
    disconnect(holding);
    // Each status answer counts as life: the link keeps asking instead of
    // giving up, through several quiet periods in a row.
    const int queries = c.controller->realtimeCount('?');
    WAIT_VERIFY(c.controller->realtimeCount('?') >= queries + 3, Wait);
    QVERIFY(c.link->values(PanelLinkError).isEmpty());

    c.controller->holdLines(false);
    WAIT_COMPARE(c.link->count(PanelPrintDone), 1, Wait);
    QVERIFY(c.controller->programText() == jobText(job));
    QVERIFY(c.link->values(PanelLinkError).isEmpty());
    QVERIFY(!c.controller->overrun());
}

void TestLowerGrbl::unlocksAfterLockMessage()
{
    Connection c;
    CONNECT_OR_FAIL(c, profileFor("1.0.0"));
    WAIT_VERIFY(c.controller->countedLines().contains("$$"), Wait);
    const int queries = c.controller->realtimeCount('?');
    c.controller->lock();
    WAIT_VERIFY(!c.controller->isLocked(), Wait);
    QVERIFY(c.controller->countedLines().contains("$X"));
    // After the unlock's "ok" the link asks where the head is.
    WAIT_COMPARE(c.controller->realtimeCount('?'), queries + 1, Wait);
}

void TestLowerGrbl::settingsAndStatusReachThePanel()
{
    ControllerSubstitute::Profile profile = profileFor("2.0.0", "0.1.6");
    Connection c;
    QVERIFY(c.pair.open());
    c.controller.reset(new ControllerSubstitute(profile));
    c.controller->setSetting(100, "80.000");
    c.controller->setSetting(110, "6000.000");
    c.controller->setSetting(111, "8000.000");
    c.controller->setSetting(130, "400.000");
    c.controller->setSetting(131, "300.000");
    c.controller->setSetting(3, "1");
    QVERIFY(c.controller->open(c.pair));
    LinkHarness::Options options;
    options.candidates = QStringList{c.pair.hostPath()};
    c.link.reset(new LinkHarness(options));
    c.link->send(LowerAutoConnect);

    WAIT_COMPARE(c.link->last(PanelMaxSpeedX), QString("75"), Wait);
    WAIT_COMPARE(c.link->last(PanelWorkHeight), QString("300"), Wait);
    QCOMPARE(c.link->last(PanelWorkWidth), QString("400"));
    QCOMPARE(c.link->last(PanelDirection), QString("1"));

    c.controller->setStatus(10, 20);
    c.link->send(LowerGetCoord);
    WAIT_COMPARE(c.link->last(PanelPosition), QString("value:x10.000,y20.000"), Wait);

    // A machine setting from the panel, with the steps the controller reported.
    c.link->send(LowerRunPara, "value:speedX100");
    WAIT_VERIFY(c.controller->countedLines().contains("$110=8000"), Wait);
}

void TestLowerGrbl::frameProgramIsCountedLineByLine()
{
    // The controller works slowly, so its buffer fills: had the frame been
    // counted once, its eight extra answers would let the job overrun it.
    ControllerSubstitute::Profile profile = profileFor("1.0.0", "0.1.5");
    profile.replyDelayMs = 1;
    Connection c;
    CONNECT_OR_FAIL(c, profile);
    c.link->sendNumber(LowerMoveSpeed, 200);
    emit c.link->lowerSetFrame(QRectF(12.5, 25, 125, 250));
    const QList<GCodeBuffer> job = makeJob(1500);
    emit c.link->lowerSetGcode(job);
    WAIT_COMPARE(c.link->count(PanelPrintDone), 1, 60000);

    const QList<QByteArray> lines = c.controller->countedLines();
    const int first = lines.indexOf("G00 G17 G40 G21 G54");
    QVERIFY(first >= 0);
    const QList<QByteArray> frame{"G00 G17 G40 G21 G54", "G90", "G0X1Y2", "G1X11F16000", "G1Y22",
                                  "G1X1", "G1Y2", "G0", "G90"};
    QCOMPARE(lines.mid(first, 9), frame);
    QVERIFY(!c.controller->overrun());
    QVERIFY(c.controller->maxBytesInFlight() <= 1024);
}

void TestLowerGrbl::jogsInEveryDirection_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("up") << 1 << QByteArray("$J=G21G91X0Y-5F16000");
    QTest::newRow("down") << 2 << QByteArray("$J=G21G91X0Y5F16000");
    QTest::newRow("left") << 3 << QByteArray("$J=G21G91X-5Y0F16000");
    QTest::newRow("right") << 4 << QByteArray("$J=G21G91X5Y0F16000");
}

void TestLowerGrbl::jogsInEveryDirection()
{
    QFETCH(int, direction);
    QFETCH(QByteArray, line);
    Connection c;
    CONNECT_OR_FAIL(c, profileFor("1.0.0"));
    c.link->sendNumber(LowerMoveSpeed, 200);
    c.link->sendNumber(LowerMoveDistance, 5);
    c.link->sendNumber(LowerMove, direction + 0.7); // the panel's value is truncated
    WAIT_VERIFY(c.controller->countedLines().contains(line), Wait);
}

void TestLowerGrbl::upgradesFirmware_data()
{
    QTest::addColumn<QByteArray>("hardware");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QString>("image");
    QTest::addColumn<int>("outcome"); // the panel message that answers the request
    QTest::newRow("1.0.0") << QByteArray("1.0.0") << QByteArray("0.1.4") << ":/ota/kx2020_v0.1.5encode.bin"
                           << int(PanelOtaStarted);
    QTest::newRow("2.0.0") << QByteArray("2.0.0") << QByteArray("0.1.5") << ":/ota/vela_grbl_v0.1.6encode.bin"
                           << int(PanelOtaStarted);
    QTest::newRow("3.0.0") << QByteArray("3.0.0") << QByteArray("0.2.1") << ":/ota/kx2020_ble_v0.2.2encode.bin"
                           << int(PanelOtaStarted);
    QTest::newRow("4.0.0") << QByteArray("4.0.0") << QByteArray("0.2.1") << ":/ota/kr5050_v0.2.2encode.bin"
                           << int(PanelOtaStarted);
    QTest::newRow("current") << QByteArray("1.0.0") << QByteArray("0.1.5") << "" << int(PanelOtaUpToDate);
    QTest::newRow("unknown hardware") << QByteArray("5.0.0") << QByteArray("0.1.0") << "" << int(PanelOtaError);
}

void TestLowerGrbl::upgradesFirmware()
{
    QFETCH(QByteArray, hardware);
    QFETCH(QByteArray, version);
    QFETCH(QString, image);
    QFETCH(int, outcome);
    Connection c;
    CONNECT_OR_FAIL(c, profileFor(hardware, version));
    c.link->send(LowerOtaUpgrade);
    WAIT_COMPARE(c.link->count(SetPanel(outcome)), 1, Wait);
    if (image.isEmpty()) {
        QTest::qWait(200);
        QVERIFY(!c.controller->rawReceived().contains("$@OTA="));
        return;
    }
    QFile file(image);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // A second press during the upgrade changes nothing.
    c.link->send(LowerOtaUpgrade);
    WAIT_COMPARE(c.link->count(PanelOtaDone), 1, Wait);
    QCOMPARE(c.link->count(PanelOtaStarted), 1);
    QVERIFY(c.controller->firmwareComplete());
    QCOMPARE(c.controller->firmwareSize(), bytes.size());
    QVERIFY(c.controller->firmwareReceived() == bytes);
    const int blocks = (bytes.size() + 4095) / 4096;
    QCOMPARE(c.link->count(PanelOtaProgress), blocks);
    QCOMPARE(c.link->last(PanelOtaProgress), QString("1"));
    QVERIFY(c.controller->errors().isEmpty());
}

void TestLowerGrbl::disconnectIsReportedOnce()
{
    ControllerSubstitute::Profile profile = profileFor("1.0.0");
    profile.replyDelayMs = 2;
    Connection c;
    CONNECT_OR_FAIL(c, profile);
    emit c.link->lowerSetGcode(makeJob(20000));
    WAIT_VERIFY(c.controller->countedLines().size() > 50, Wait);
    c.controller->close();
    WAIT_COMPARE(c.link->count(PanelDisconnected), 1, Wait);
    QCOMPARE(c.link->last(PanelDisconnected), c.pair.hostPath());
    // The port watch keeps ticking; nothing more is reported.
    QTest::qWait(2500);
    QCOMPARE(c.link->count(PanelDisconnected), 1);
    QCOMPARE(c.link->count(PanelPrintDone), 0);
}

void TestLowerGrbl::survivesBadReplies_data()
{
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QString>("told");
    QTest::newRow("garbage") << QList<QByteArray>{"qwertz", "[", "]]]", ":::", "$", "MPos"} << "";
    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary += char(i == '\n' ? 0 : i);
    QTest::newRow("binary") << QList<QByteArray>{binary, QByteArray("\0ok", 3), QByteArray("\xff\xfe\x00", 3)}
                            << "";
    QTest::newRow("100 KB line") << QList<QByteArray>{QByteArray(100 * 1024, 'x')}
                                 << DeviceLinkError::ReplyTooLong;
    QTest::newRow("ok with nothing pending") << repeated(8, "ok") << "";
    QTest::newRow("errors with nothing pending") << repeated(3, "error:9") << "";
    QTest::newRow("repeated banners") << repeated(3, "Grbl 1.1h ['$' for help]") << "";
    QTest::newRow("transfer messages out of turn")
        << QList<QByteArray>{"msg@printing ask package", "msg@printing receive package",
                             "msg@printing ask pack_info", "[MSG:OTA OK]", "[MSG:Pgm End]"}
        << "";
}

void TestLowerGrbl::survivesBadReplies()
{
    QFETCH(QList<QByteArray>, lines);
    QFETCH(QString, told);
    Connection c;
    CONNECT_OR_FAIL(c, profileFor("1.0.0"));
    WAIT_VERIFY(c.controller->countedLines().contains("$$"), Wait);
    for (const QByteArray &line : lines)
        c.controller->sendLine(line);
    if (!told.isEmpty())
        WAIT_COMPARE(c.link->values(PanelLinkError), QStringList{told}, Wait);

    // The link still reads replies and streams a job within the buffer.
    c.controller->setStatus(3, 4);
    c.link->send(LowerGetCoord);
    WAIT_COMPARE(c.link->last(PanelPosition), QString("value:x3.000,y4.000"), Wait);
    c.controller->clearRecords();
    const QList<GCodeBuffer> job = makeJob(3000);
    const int done = c.link->count(PanelPrintDone);
    emit c.link->lowerSetGcode(job);
    WAIT_COMPARE(c.link->count(PanelPrintDone), done + 1, Wait);
    QVERIFY(c.controller->programText() == jobText(job));
    QVERIFY(!c.controller->overrun());
    QCOMPARE(c.link->count(PanelDisconnected), 0);
}

void TestLowerGrbl::rejectedLineIsReportedAndJobGoesOn()
{
    Connection c;
    CONNECT_OR_FAIL(c, profileFor("2.0.0", "0.1.6"));
    WAIT_VERIFY(c.controller->countedLines().contains("$$"), Wait);
    const int before = c.controller->countedLines().size();
    c.controller->failLine(before + 500, 20);
    c.controller->failLine(before + 900, 21); // only the first of a job is reported
    emit c.link->lowerSetGcode(makeJob(2000));
    WAIT_COMPARE(c.link->count(PanelPrintDone), 1, Wait);
    QCOMPARE(c.link->values(PanelLinkError),
             QStringList{QString(DeviceLinkError::ControllerError) + "error:20"});
    QVERIFY(!c.controller->overrun());
}

void TestLowerGrbl::repliesSplitAtEveryByte()
{
    // A hand-driven controller that writes every reply one byte at a time.
    PtyPair pair;
    QVERIFY(pair.open());
    QSerialPort device;
    device.setPortName(pair.devicePath());
    QVERIFY(device.open(QIODevice::ReadWrite));
    QByteArray received;
    auto dribble = [&device](const QByteArray &bytes) {
        for (char byte : bytes) {
            device.write(&byte, 1);
            device.waitForBytesWritten(1000);
            QCoreApplication::processEvents();
        }
    };
    LinkHarness::Options options;
    options.candidates = QStringList{pair.hostPath()};
    options.scanIntervalMs = 5000;
    LinkHarness link(options);
    link.send(LowerAutoConnect);

    WAIT_VERIFY((received += device.readAll()).contains('\x18'), Wait);
    dribble("\r\nGrbl 1.1h ['$' for help]\r\n");
    WAIT_VERIFY((received += device.readAll()).contains("$I\n"), Wait);
    dribble("[VER:0.1.4,x]\r\n[HARDVER:1.0.0]\r\n[OPT:V,15,1024]\r\nok\r\n");
    WAIT_COMPARE(link.count(PanelConnected), 1, Wait);
    QCOMPARE(link.last(PanelHardwareVersion), QString("1.0.0"));
    QCOMPARE(link.count(PanelOtaAvailable), 1);
    dribble("$100=80\r\n$110=6000.000\r\n");
    WAIT_COMPARE(link.last(PanelMaxSpeedX), QString("75"), Wait);
    dribble("<Idle|MPos:1.500,2.500,0.000>\n");
    WAIT_COMPARE(link.last(PanelPosition), QString("value:x1.500,y2.500"), Wait);
}

void TestLowerGrbl::settingsAreWrittenWhenTheLinkEnds()
{
    {
        Connection c;
        QVERIFY(c.pair.open());
        c.controller.reset(new ControllerSubstitute(profileFor("1.0.0")));
        c.controller->setSetting(130, "321.000");
        QVERIFY(c.controller->open(c.pair));
        LinkHarness::Options options;
        options.candidates = QStringList{c.pair.hostPath()};
        c.link.reset(new LinkHarness(options));
        c.link->send(LowerAutoConnect);
        WAIT_COMPARE(c.link->last(PanelWorkWidth), QString("321"), Wait);
    }
    QSettings settings("lumacraft", "controlApp");
    QCOMPARE(settings.value("lowerGrbl/grbl_max_travelX").toDouble(), 321.0);
    QCOMPARE(settings.value("lowerGrbl/maxLaserPowerValue").toDouble(), 1000.0);
}

void TestLowerGrbl::runnerSendsAJob_data()
{
    QTest::addColumn<QByteArray>("hardware");
    QTest::newRow("lines") << QByteArray("1.0.0");
    QTest::newRow("packages") << QByteArray("3.0.0");
}

void TestLowerGrbl::runnerSendsAJob()
{
    QFETCH(QByteArray, hardware);
    PtyPair pair;
    QVERIFY(pair.open());
    ControllerSubstitute controller(profileFor(hardware, "0.2.2"));
    QVERIFY(controller.open(pair));

    QList<GCodeBuffer> job;
    QString error;
    const QList<GCodeBuffer> generated = makeJob(20000);
    QVERIFY(DeviceJobRunner::parseJobText(QString::fromLatin1(jobText(generated)), &job, &error));

    DeviceJobRunner runner;
    QList<double> progress;
    bool finished = false;
    bool success = false;
    QString message;
    connect(&runner, &DeviceJobRunner::progress, this, [&](double p) { progress.append(p); });
    connect(&runner, &DeviceJobRunner::finished, this, [&](bool ok, const QString &text) {
        finished = true;
        success = ok;
        message = text;
    });
    runner.start(pair.hostPath(), job);
    WAIT_VERIFY(finished, 60000);
    QVERIFY2(success, qPrintable(message));
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last(), 100.0);
    QVERIFY(controller.programText() == jobText(generated));
    QVERIFY(!controller.overrun());
    QVERIFY(!runner.isRunning());
}

void TestLowerGrbl::runnerReportsFailures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("messageStart");
    QTest::newRow("no controller") << "silent" << "no controller answered on ";
    QTest::newRow("refused") << "refused" << DeviceLinkError::ControllerRefused;
    QTest::newRow("link lost") << "unplugged" << "link lost: ";
    QTest::newRow("no such port") << "missing" << "no controller answered on ";
}

void TestLowerGrbl::runnerReportsFailures()
{
    QFETCH(QString, failure);
    QFETCH(QString, messageStart);
    PtyPair pair;
    QVERIFY(pair.open());
    ControllerSubstitute::Profile profile = profileFor("1.0.0", "0.1.5", failure == "refused" ? 512 : 1024);
    profile.replyDelayMs = failure == "unplugged" ? 2 : 0;
    ControllerSubstitute controller(profile);
    QVERIFY(controller.open(pair));
    controller.setSilent(failure == "silent");

    DeviceJobRunner runner;
    runner.setScanInterval(1500);
    bool finished = false;
    bool success = true;
    QString message;
    connect(&runner, &DeviceJobRunner::finished, this, [&](bool ok, const QString &text) {
        finished = true;
        success = ok;
        message = text;
    });
    if (failure == "unplugged") {
        connect(&runner, &DeviceJobRunner::progress, this, [&](double p) {
            if (p > 5 && controller.isOpen())
                controller.close();
        });
    }
    runner.start(failure == "missing" ? pair.folder() + "/nothing-here" : pair.hostPath(), makeJob(20000));
    WAIT_VERIFY(finished, Wait);
    QVERIFY(!success);
    QVERIFY2(message.startsWith(messageStart), qPrintable(message));
}

void TestLowerGrbl::sendsAJobFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("lastReport");
    QTest::newRow("job") << jobText(makeJob(500)) << 0 << "job finished";
    QTest::newRow("foreign g-code") << QByteArray("G1 X1 ; comment\n") << 1 << "";
}

void TestLowerGrbl::sendsAJobFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, exitCode);
    QFETCH(QString, lastReport);
    PtyPair pair;
    QVERIFY(pair.open());
    ControllerSubstitute controller(profileFor("2.0.0", "0.1.6"));
    QVERIFY(controller.open(pair));
    QTemporaryDir folder;
    QFile file(folder.filePath("job.gc"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    QStringList reports;
    const int code = sendJobFile(file.fileName(), pair.hostPath(), [&](const QString &line) { reports << line; });
    QCOMPARE(code, exitCode);
    QVERIFY(!reports.isEmpty());
    if (!lastReport.isEmpty()) {
        QCOMPARE(reports.last(), lastReport);
        QVERIFY(reports.contains("progress 100 %"));
        QVERIFY(controller.programText() == content);
    } else {
        QVERIFY(reports.last().contains("line 1:"));
    }
    QVERIFY(sendJobFile(folder.filePath("missing.gc"), pair.hostPath(), [&](const QString &) {}) == 1);
}

SCRIBO_TEST_CORE_MAIN(TestLowerGrbl)
#include "test_lowergrbl.moc"
