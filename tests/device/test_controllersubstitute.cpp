#include "common/testenvironment.h"

#include "controllersubstitute.h"
#include "ptypair.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>

#include <zlib.h>

#include <memory>
#include <signal.h>

namespace {

// Generous: the machine running the suite is shared and loaded.
constexpr int WaitMs = 20000;

QByteArray zlibCompress(const QByteArray &text)
{
    uLongf size = compressBound(uLong(text.size()));
    QByteArray out(int(size), Qt::Uninitialized);
    if (compress(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(text.constData()),
                 uLong(text.size()))
        != Z_OK)
        return {};
    out.truncate(int(size));
    return out;
}

// A job-like text of whole lines, exactly `bytes` long.
QByteArray gcodeText(int bytes, int lineLength = 24)
{
    QByteArray text;
    int n = 0;
    while (text.size() < bytes) {
        const int length = std::min(lineLength, bytes - text.size());
        QByteArray line = "G1X" + QByteArray::number(n++ % 1000);
        line = line.leftJustified(length - 1, '0', true);
        text += line.left(length - 1) + '\n';
    }
    return text;
}

QByteArray announcement(int part, const QByteArray &payload, int textSize)
{
    return "$@file@name=part" + QByteArray::number(part) + ".gzip@size=" + QByteArray::number(payload.size())
           + "@uncompress_size=" + QByteArray::number(textSize) + "\n";
}

// The link's side of the line, reduced to a port that collects what arrives.
class HostPort
{
public:
    bool open(const QString &path)
    {
        port.setPortName(path);
        port.setBaudRate(QSerialPort::Baud115200);
        QObject::connect(&port, &QSerialPort::readyRead, [this] { received += port.readAll(); });
        return port.open(QIODevice::ReadWrite);
    }
    void write(const QByteArray &bytes) { port.write(bytes); }

    // Complete "\r\n"-terminated lines received so far, empty ones dropped.
    QList<QByteArray> lines() const
    {
        QList<QByteArray> result;
        int start = 0;
        for (int end = received.indexOf("\r\n"); end >= 0; end = received.indexOf("\r\n", start)) {
            if (end > start)
                result << received.mid(start, end - start);
            start = end + 2;
        }
        return result;
    }
    int count(const QByteArray &line) const { return int(lines().count(line)); }
    int countContaining(const QByteArray &text) const
    {
        int n = 0;
        const auto all = lines();
        for (const QByteArray &line : all)
            n += line.contains(text) ? 1 : 0;
        return n;
    }

    QSerialPort port;
    QByteArray received;
};

} // namespace

class TestControllerSubstitute : public QObject
{
    Q_OBJECT

private:
    // One pty pair with a substitute on the device end and a host port on
    // the other, rebuilt for every test.
    bool connectPair(const ControllerSubstitute::Profile &profile = {})
    {
        pair = std::make_unique<PtyPair>();
        if (!pair->open())
            return false;
        substitute = std::make_unique<ControllerSubstitute>(profile);
        host = std::make_unique<HostPort>();
        return substitute->open(*pair) && host->open(pair->hostPath());
    }

    std::unique_ptr<PtyPair> pair;
    std::unique_ptr<ControllerSubstitute> substitute;
    std::unique_ptr<HostPort> host;

private slots:
    void cleanup()
    {
        host.reset();
        substitute.reset();
        pair.reset();
    }

    void ptyPairCarriesBytesAndEndsCleanly()
    {
        PtyPair own;
        QVERIFY(own.open());
        QVERIFY(QFileInfo(own.hostPath()).isSymLink());
        QVERIFY(own.hostPtyName().startsWith("/dev/"));
        QVERIFY(own.hostPtyName() != own.devicePtyName());
        const qint64 pid = own.processId();
        QVERIFY(pid > 0);

        HostPort a, b;
        QVERIFY(a.open(own.hostPath()));
        QVERIFY(b.open(own.devicePath()));
        a.write(QByteArray("\x00\xff\r\n?", 5));
        QTRY_COMPARE_WITH_TIMEOUT(b.received, QByteArray("\x00\xff\r\n?", 5), WaitMs);
        a.port.close();
        b.port.close();

        own.close();
        QVERIFY(!own.isOpen());
        QVERIFY(!QFileInfo::exists(own.hostPath()));
        // Reaped, not a zombie: the process id no longer exists.
        QCOMPARE(::kill(pid_t(pid), 0), -1);
    }

    void groupHoldsSeveralCandidatesOneAnswering()
    {
        PtyPairGroup group;
        QVERIFY(group.open(3, "cu.usbserial-"));
        QCOMPARE(group.hostPaths().size(), 3);
        for (const QString &path : group.hostPaths())
            QCOMPARE(QFileInfo(path).absolutePath(), group.folder());
        QVERIFY(group.hostPaths().at(0).endsWith("/cu.usbserial-0"));

        ControllerSubstitute machine;
        QVERIFY(machine.open(group.at(2)));
        HostPort candidates[3];
        for (int i = 0; i < 3; ++i) {
            QVERIFY(candidates[i].open(group.hostPaths().at(i)));
            candidates[i].write(QByteArray(1, 0x18));
        }
        QTRY_VERIFY_WITH_TIMEOUT(candidates[2].received.contains("Grbl"), WaitMs);
        // The silent candidates carried their byte to nobody.
        QCOMPARE(machine.realtimeCount(0x18), 1);
        QVERIFY(candidates[0].received.isEmpty());
        QVERIFY(candidates[1].received.isEmpty());
    }

    void softResetAnswersWithBanner_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("unlocked") << false;
        QTest::newRow("locked") << true;
    }

    void softResetAnswersWithBanner()
    {
        QFETCH(bool, locked);
        ControllerSubstitute::Profile profile;
        profile.locked = locked;
        QVERIFY(connectPair(profile));

        host->write(QByteArray(1, 0x18));
        QTRY_VERIFY_WITH_TIMEOUT(host->received.startsWith("\r\nGrbl 1.1h ['$' for help]\r\n"), WaitMs);
        if (locked)
            QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("to unlock"), 1, WaitMs);
        QCOMPARE(host->count("ok"), 0);
        QCOMPARE(substitute->realtimeCount(0x18), 1);
        QVERIFY(substitute->countedLines().isEmpty());
    }

    void identificationLines_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("hardware");
        QTest::addColumn<int>("buffer");
        QTest::newRow("line streaming") << QByteArray("0.1.4") << QByteArray("1.0.0") << 1024;
        QTest::newRow("packages") << QByteArray("0.2.2") << QByteArray("3.0.0") << 2048;
        QTest::newRow("small buffer") << QByteArray("1.1h") << QByteArray("2.0.0") << 128;
    }

    void identificationLines()
    {
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, hardware);
        QFETCH(int, buffer);
        ControllerSubstitute::Profile profile;
        profile.version = version;
        profile.hardwareLine = hardware;
        profile.bufferSize = buffer;
        QVERIFY(connectPair(profile));

        host->write("$I\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->count("ok"), 1, WaitMs);
        const QList<QByteArray> lines = host->lines();
        QCOMPARE(lines.size(), 4);
        // The shapes the link reads: version up to the first comma, hardware
        // line, and the buffer as the second number of the option line.
        QVERIFY(lines[0].startsWith("[VER:"));
        QCOMPARE(lines[0].mid(5, lines[0].indexOf(',') - 5), version);
        QCOMPARE(lines[1], "[HARDVER:" + hardware + "]");
        QVERIFY(lines[2].startsWith("[OPT:"));
        const QStringList numbers =
            QString::fromLatin1(lines[2]).split(QRegularExpression("[^\\d.]+"), Qt::SkipEmptyParts);
        QVERIFY(numbers.size() >= 2);
        QCOMPARE(numbers[1].toInt(), buffer);
        QCOMPARE(lines[3], QByteArray("ok"));
    }

    void oneAnswerPerCountedLineNoneForRealtime()
    {
        QVERIFY(connectPair());
        substitute->setStatus(12.5, 40, "Idle");
        // A status query in the middle of a line does not split it.
        host->write("G00 G17\nG1X1?0Y5\n!~\n$J=G21G91X0Y-5F16000\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->count("ok"), 4, WaitMs);
        QCOMPARE(substitute->countedLines(),
                 (QList<QByteArray>{"G00 G17", "G1X10Y5", "", "$J=G21G91X0Y-5F16000"}));
        QCOMPARE(substitute->programText(), QByteArray("G00 G17\nG1X10Y5\n"));
        QCOMPARE(substitute->realtimeCount('?'), 1);
        QCOMPARE(substitute->realtimeCount('!'), 1);
        QCOMPARE(substitute->realtimeCount('~'), 1);
        QCOMPARE(host->countContaining("MPos"), 1);
        QVERIFY(substitute->errors().isEmpty());
        QVERIFY(!substitute->overrun());
    }

    void statusReportCarriesPosition()
    {
        QVERIFY(connectPair());
        substitute->setStatus(12.5, -3, "Run");
        host->write("?");
        QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("MPos"), 1, WaitMs);
        const QByteArray status = host->lines().constFirst();
        QCOMPARE(status, QByteArray("<Run|MPos:12.500,-3.000,0.000|FS:0,0>"));
        QCOMPARE(host->count("ok"), 0);
    }

    void overrunIsDetected_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<bool>("overrun");
        QTest::newRow("exactly the buffer") << 1024 << false;
        QTest::newRow("one byte more") << 1025 << true;
        QTest::newRow("a flood") << 5000 << true;
    }

    void overrunIsDetected()
    {
        QFETCH(int, bytes);
        QFETCH(bool, overrun);
        QVERIFY(connectPair());
        substitute->holdLines(true);
        const QByteArray text = gcodeText(bytes);
        host->write(text);
        QTRY_COMPARE_WITH_TIMEOUT(substitute->rawReceived().size(), bytes, WaitMs);
        QCOMPARE(substitute->overrun(), overrun);
        QCOMPARE(substitute->maxBytesInFlight(), bytes);
        QCOMPARE(host->count("ok"), 0);

        substitute->holdLines(false);
        QTRY_COMPARE_WITH_TIMEOUT(host->count("ok"), text.count('\n'), WaitMs);
        QCOMPARE(substitute->bytesInFlight(), 0);
        QCOMPARE(substitute->programText(), text);
    }

    // A sender that keeps to character counting never overruns a controller
    // that answers at its own pace, and every byte arrives in order.
    void characterCountingSenderFitsThePacedBuffer()
    {
        ControllerSubstitute::Profile profile;
        profile.replyDelayMs = 1;
        QVERIFY(connectPair(profile));
        const QByteArray text = gcodeText(6000, 30);
        const QList<QByteArray> lines = text.split('\n').mid(0, text.count('\n'));

        int next = 0;
        int answered = 0;
        QList<int> inFlight;
        int free = profile.bufferSize;
        auto refill = [&] {
            while (next < lines.size() && lines[next].size() + 1 <= free) {
                host->write(lines[next] + '\n');
                inFlight << lines[next].size() + 1;
                free -= inFlight.last();
                ++next;
            }
        };
        refill();
        while (answered < lines.size()) {
            QTRY_VERIFY_WITH_TIMEOUT(host->count("ok") > answered, WaitMs);
            for (const int oks = host->count("ok"); answered < oks; ++answered)
                free += inFlight.takeFirst();
            refill();
        }
        QCOMPARE(substitute->programText(), text);
        QVERIFY(!substitute->overrun());
        QVERIFY(substitute->maxBytesInFlight() <= profile.bufferSize);
        QVERIFY(substitute->errors().isEmpty());
    }

    void settingsDumpAndChanges()
    {
        QVERIFY(connectPair());
        host->write("$$\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->count("ok"), 1, WaitMs);
        QList<QByteArray> lines = host->lines();
        QCOMPARE(lines.takeLast(), QByteArray("ok"));
        QCOMPARE(lines.size(), ControllerSubstitute::defaultSettings().size());
        const QRegularExpression shape("^\\$(\\d+)=-?\\d+(\\.\\d+)?$");
        int previous = -1;
        for (const QByteArray &line : qAsConst(lines)) {
            const auto match = shape.match(QString::fromLatin1(line));
            QVERIFY2(match.hasMatch(), line.constData());
            QVERIFY(match.captured(1).toInt() > previous); // $100/$101 before $110/$111
            previous = match.captured(1).toInt();
        }
        QVERIFY(lines.contains("$100=80.000"));

        host->received.clear();
        host->write("$130=450\n$$\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->count("ok"), 2, WaitMs);
        QVERIFY(host->lines().contains("$130=450"));
        QCOMPARE(substitute->settings().value(130), QByteArray("450"));

        host->received.clear();
        host->write("$RST=*\n$999=1\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->lines().size(), 2, WaitMs);
        QCOMPARE(host->lines(), (QList<QByteArray>{"ok", "error:3"}));
        QCOMPARE(substitute->settings().value(130), QByteArray("400.000"));
        QCOMPARE(substitute->errors().size(), 1);
    }

    void injectedErrorReplacesOneOk()
    {
        QVERIFY(connectPair());
        substitute->failLine(2, 20);
        host->write("G0X1\nG0X2\nG0X3\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->lines().size(), 3, WaitMs);
        QCOMPARE(host->lines(), (QList<QByteArray>{"ok", "error:20", "ok"}));
        QCOMPARE(substitute->countedLines().size(), 3);
    }

    void lockedControllerRefusesMotionUntilUnlocked()
    {
        QVERIFY(connectPair());
        substitute->lock();
        QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("to unlock"), 1, WaitMs);
        QVERIFY(host->lines().constFirst().startsWith("[MSG:"));
        host->write("G0X1\n$X\nG0X1\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->count("ok"), 2, WaitMs);
        QCOMPARE(host->count("error:9"), 1);
        QVERIFY(host->lines().indexOf("error:9") < host->lines().indexOf("ok"));
        QVERIFY(!substitute->isLocked());
    }

    void programEndFollowsTheLastLine()
    {
        QVERIFY(connectPair());
        host->write("G1X1\nM2\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->count("[MSG:Pgm End]"), 1, WaitMs);
        QCOMPARE(host->lines(), (QList<QByteArray>{"ok", "ok", "[MSG:Pgm End]"}));

        substitute->setAutoProgramEnd(false);
        host->write("M2\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->count("ok"), 3, WaitMs);
        substitute->endProgram();
        QTRY_COMPARE_WITH_TIMEOUT(host->count("[MSG:Pgm End]"), 2, WaitMs);
        QCOMPARE(host->lines().last(), QByteArray("[MSG:Pgm End]"));
        QCOMPARE(substitute->programEnds(), 2);
    }

    void packageDialogue_data()
    {
        QTest::addColumn<QList<int>>("partSizes");
        QTest::newRow("one part") << QList<int>{5000};
        QTest::newRow("three parts") << QList<int>{153620, 153610, 900};
    }

    void packageDialogue()
    {
        QFETCH(QList<int>, partSizes);
        ControllerSubstitute::Profile profile;
        profile.hardwareLine = "3.0.0";
        QVERIFY(connectPair(profile));

        host->write("$@print@storage=psram\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("ask pack_info"), 1, WaitMs);
        QByteArray job;
        for (int i = 0; i < partSizes.size(); ++i) {
            const QByteArray text = gcodeText(partSizes[i], 20 + i);
            const QByteArray payload = zlibCompress(text);
            job += text;
            host->write(announcement(i + 1, payload, text.size()));
            QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("ask package"), i + 1, WaitMs);
            host->write(payload);
            QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("receive package"), i + 1, WaitMs);
            QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("ask pack_info"), i + 2, WaitMs);
        }
        host->write("$@file@done\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->count("[MSG:Pgm End]"), 1, WaitMs);

        QVERIFY2(substitute->errors().isEmpty(), qPrintable(substitute->errors().join('\n')));
        QCOMPARE(substitute->packagesReceived(), partSizes.size());
        QCOMPARE(substitute->programText(), job);
        QVERIFY(substitute->fileDoneReceived());
        // The dialogue lines are not counted commands.
        QCOMPARE(host->count("ok"), 0);
        QVERIFY(substitute->countedLines().isEmpty());
        QVERIFY(host->lines().constFirst().contains("msg@printing"));
        // Payload bytes that look like real-time commands are payload.
        QCOMPARE(substitute->realtimeCount('?') + substitute->realtimeCount(0x18), 0);
    }

    void packageViolationsAreRecorded_data()
    {
        QTest::addColumn<QByteArray>("hardware");
        QTest::addColumn<int>("part");
        QTest::addColumn<int>("sizeChange");   // added to the announced text size
        QTest::addColumn<int>("corruptByte");  // payload byte to flip, -1 none
        QTest::addColumn<QString>("error");
        QTest::newRow("decompresses larger") << QByteArray("4.0.0") << 1 << -10 << -1 << "more than the announced";
        QTest::newRow("decompresses smaller") << QByteArray("4.0.0") << 1 << 10 << -1 << "decompresses to";
        QTest::newRow("broken stream") << QByteArray("4.0.0") << 1 << 0 << 40 << "not a valid zlib stream";
        QTest::newRow("wrong part number") << QByteArray("3.0.0") << 2 << 0 << -1 << "part 1 expected";
    }

    void packageViolationsAreRecorded()
    {
        QFETCH(QByteArray, hardware);
        QFETCH(int, part);
        QFETCH(int, sizeChange);
        QFETCH(int, corruptByte);
        QFETCH(QString, error);
        ControllerSubstitute::Profile profile;
        profile.hardwareLine = hardware;
        QVERIFY(connectPair(profile));

        host->write("$@print@storage=psram\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("ask pack_info"), 1, WaitMs);
        const QByteArray text = gcodeText(3000);
        QByteArray payload = zlibCompress(text);
        if (corruptByte >= 0)
            payload[corruptByte] = char(payload[corruptByte] ^ 0x5a);
        host->write(announcement(part, payload, text.size() + sizeChange));
        QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("ask package"), 1, WaitMs);
        host->write(payload);
        QTRY_COMPARE_WITH_TIMEOUT(substitute->packagesReceived(), 1, WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!substitute->errors().isEmpty(), WaitMs);
        QVERIFY2(substitute->errors().join('\n').contains(error), qPrintable(substitute->errors().join('\n')));
    }

    void storageRequestNeedsAPackageController()
    {
        QVERIFY(connectPair()); // hardware 1.0.0 streams lines
        host->write("$@print@storage=psram\n?");
        QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("MPos"), 1, WaitMs);
        QCOMPARE(host->lines().size(), 1);
        QCOMPARE(substitute->errors().size(), 1);
        QVERIFY(!substitute->storageRequested());
    }

    void packageFaults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("never asks for the payload") << int(ControllerSubstitute::PackageFault::NeverAskPackage);
        QTest::newRow("never confirms the payload") << int(ControllerSubstitute::PackageFault::NeverConfirmPackage);
    }

    void packageFaults()
    {
        QFETCH(int, fault);
        const auto packageFault = ControllerSubstitute::PackageFault(fault);
        ControllerSubstitute::Profile profile;
        profile.hardwareLine = "3.0.0";
        QVERIFY(connectPair(profile));
        substitute->setPackageFault(packageFault, 1);

        host->write("$@print@storage=psram\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("ask pack_info"), 1, WaitMs);
        const QByteArray text = gcodeText(2000);
        const QByteArray payload = zlibCompress(text);
        host->write(announcement(1, payload, text.size()));
        QTRY_COMPARE_WITH_TIMEOUT(substitute->announcements().size(), 1, WaitMs);
        if (packageFault == ControllerSubstitute::PackageFault::NeverConfirmPackage) {
            QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("ask package"), 1, WaitMs);
            host->write(payload);
            QTRY_COMPARE_WITH_TIMEOUT(substitute->packagesReceived(), 1, WaitMs);
            QCOMPARE(substitute->programText(), text);
        }
        // Whatever comes next is answered in order, so its answer proves the
        // missing message is not merely late.
        host->write("?");
        QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("MPos"), 1, WaitMs);
        QCOMPARE(host->countContaining("receive package"), 0);
        QCOMPARE(host->countContaining("ask package"),
                 packageFault == ControllerSubstitute::PackageFault::NeverAskPackage ? 0 : 1);
    }

    void firmwareIsAskedForInBlocks_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("several blocks and a remainder") << 4096 * 3 + 1000;
        QTest::newRow("exact blocks") << 4096 * 2;
        QTest::newRow("less than a block") << 10;
    }

    void firmwareIsAskedForInBlocks()
    {
        QFETCH(int, size);
        QVERIFY(connectPair());
        // Every byte value, real-time and line feeds included.
        QByteArray image(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            image[i] = char((i * 7) & 0xff);

        // A command sent before the first block was asked for is a command.
        host->write("$@OTA=" + QByteArray::number(size) + "\nG0X9\n");
        const int blocks = (size + 4095) / 4096;
        for (int block = 0; block < blocks; ++block) {
            QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("OTA OK"), block + 1, WaitMs);
            host->write(image.mid(block * 4096, 4096));
        }
        QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("OTA done"), 1, WaitMs);
        QCOMPARE(host->countContaining("OTA OK"), blocks);
        QCOMPARE(host->count("ok"), 2);
        QCOMPARE(host->lines().constFirst(), QByteArray("ok"));
        QVERIFY(host->lines().constLast().startsWith("[MSG:"));
        QCOMPARE(substitute->firmwareReceived(), image);
        QVERIFY(substitute->firmwareComplete());
        QCOMPARE(substitute->realtimeCount('?') + substitute->realtimeCount(0x18), 0);
        QVERIFY(substitute->errors().isEmpty());

        // Back to commands afterwards.
        host->write("G0X1\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->count("ok"), 3, WaitMs);
        QCOMPARE(substitute->programText(), QByteArray("G0X9\nG0X1\n"));
    }

    void delayedAnswersKeepTheirOrder()
    {
        ControllerSubstitute::Profile profile;
        profile.replyDelayMs = 5;
        QVERIFY(connectPair(profile));
        substitute->failLine(3, 2);
        host->write("G0X1\n$I\nG0X2\nM30\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->count("[MSG:Pgm End]"), 1, WaitMs);
        const QList<QByteArray> lines = host->lines();
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines[0], QByteArray("ok"));
        QVERIFY(lines[1].startsWith("[VER:"));
        QCOMPARE(lines.mid(4), (QList<QByteArray>{"ok", "error:2", "ok", "[MSG:Pgm End]"}));
    }

    void softResetDropsUnansweredLines()
    {
        QVERIFY(connectPair());
        substitute->holdLines(true);
        host->write("G0X1\nG0X2\nG0X");
        QTRY_COMPARE_WITH_TIMEOUT(substitute->bytesInFlight(), 13, WaitMs);
        host->write(QByteArray(1, 0x18));
        QTRY_VERIFY_WITH_TIMEOUT(host->received.contains("Grbl"), WaitMs);
        QCOMPARE(substitute->bytesInFlight(), 0);
        substitute->holdLines(false);
        host->write("G0X3\n");
        QTRY_COMPARE_WITH_TIMEOUT(host->count("ok"), 1, WaitMs);
        QCOMPARE(substitute->countedLines(), QList<QByteArray>{"G0X3"});
    }

    void unexpectedBytesAreRecorded()
    {
        QVERIFY(connectPair());
        host->write(QByteArray("G0\x01X1\xe9\n", 7));
        QTRY_COMPARE_WITH_TIMEOUT(host->count("ok"), 1, WaitMs);
        QCOMPARE(substitute->errors().size(), 2);
        QVERIFY(substitute->errors().constFirst().contains("0x01"));
    }

    void silentControllerAnswersNothing()
    {
        QVERIFY(connectPair());
        substitute->setSilent(true);
        host->write(QByteArray(1, 0x18) + "$I\n?");
        QTRY_COMPARE_WITH_TIMEOUT(substitute->rawReceived().size(), 5, WaitMs);
        substitute->setSilent(false);
        // Replies go out in order, so once this one is here, nothing from the
        // silent time can still be on its way.
        host->write("?");
        QTRY_COMPARE_WITH_TIMEOUT(host->countContaining("MPos"), 1, WaitMs);
        QCOMPARE(host->lines().size(), 1);
        QVERIFY(substitute->countedLines().isEmpty());
    }

    void closedControllerCanReturn()
    {
        QVERIFY(connectPair());
        substitute->closePort();
        QVERIFY(!substitute->isOpen());
        QVERIFY(pair->isOpen());
        host->write("G0X1\n");
        QVERIFY(substitute->open(*pair));
        host->write(QByteArray(1, 0x18));
        QTRY_VERIFY_WITH_TIMEOUT(host->received.contains("Grbl"), WaitMs);
    }

    // The host's end is hung up, as a tty is when its USB device goes: the
    // port reports read errors (Linux gives end-of-file on a hung-up tty, which
    // Qt reports as ReadError, not ResourceError).
    void unpluggedDeviceIsSeenByTheHost()
    {
        qRegisterMetaType<QSerialPort::SerialPortError>();
        QVERIFY(connectPair());
        QSignalSpy errors(&host->port, &QSerialPort::errorOccurred);
        substitute->close();
        QVERIFY(!substitute->isOpen());
        QVERIFY(!pair->isOpen());
        QVERIFY(!QFileInfo::exists(pair->hostPath()));
        QTRY_VERIFY_WITH_TIMEOUT(!errors.isEmpty(), WaitMs);
        const auto error = errors.constFirst().at(0).value<QSerialPort::SerialPortError>();
        QVERIFY2(error == QSerialPort::ReadError || error == QSerialPort::ResourceError, QTest::toString(error));
        host->port.close();
    }
};

SCRIBO_TEST_CORE_MAIN(TestControllerSubstitute)
#include "test_controllersubstitute.moc"
