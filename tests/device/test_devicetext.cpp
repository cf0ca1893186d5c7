// The device link's text: panel messages, command lines, reply lines, stored
// machine settings and job packages. No port involved.
#include "common/testenvironment.h"

#include "device/charactercounter.h"
#include "device/devicejobrunner.h"
#include "device/grblcommands.h"
#include "device/grblreply.h"
#include "device/jobpackage.h"
#include "device/machinesettings.h"
#include "device/panelmessage.h"

#include <QSettings>
#include <zlib.h>

class TestDeviceText : public QObject
{
    Q_OBJECT
private slots:
    void numbersFromText_data();
    void numbersFromText();
    void panelMessageForm_data();
    void panelMessageForm();

    void laserLines_data();
    void laserLines();
    void jogLines_data();
    void jogLines();
    void machineSettingLines_data();
    void machineSettingLines();
    void frameProgramIsNineCountedLines();

    void replyKinds_data();
    void replyKinds();
    void versions_data();
    void versions();
    void bufferSizeOfOptionLine_data();
    void bufferSizeOfOptionLine();
    void settingLines_data();
    void settingLines();
    void statusPositionTakesFirstTwoNumbers();
    void hardwareLinesMatchExactly_data();
    void hardwareLinesMatchExactly();

    void settingsFromControllerReachPanel_data();
    void settingsFromControllerReachPanel();
    void storedSettingsRoundTrip();

    void counterKeepsBudget();

    void packagesHoldWholeLinesAndDecompress();
    void announcementText();

    void jobTextReadsBack_data();
    void jobTextReadsBack();
    void jobTextRejectsWhatRecordsCannotCarry_data();
    void jobTextRejectsWhatRecordsCannotCarry();
};

void TestDeviceText::numbersFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("code and value") << "set:5 value:3" << QStringList{"5", "3"};
    QTest::newRow("position") << "set:21 value:value:x12.5,y40" << QStringList{"21", "12.5", "40"};
    QTest::newRow("negative") << "set:21 value:value:x-1.5,y-2" << QStringList{"21", "-1.5", "-2"};
    QTest::newRow("status report") << "<Hold:0|MPos:10.000,20.000,0.000|FS:0,0>"
                                   << QStringList{"0", "10.000", "20.000", "0.000", "0", "0"};
    QTest::newRow("setting") << "$110=6000.000\r\n" << QStringList{"110", "6000.000"};
    QTest::newRow("kept characters") << "a?b(c)d+e" << QStringList{"?", "(", ")", "+"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("no numbers") << "ok\r\n" << QStringList{};
}

void TestDeviceText::numbersFromText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, fields);
    QCOMPARE(getNumbersFormStr(text), fields);
}

void TestDeviceText::panelMessageForm_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("fraction") << int(PanelProgress) << 37.5 << "set:5 value:37.5";
    QTest::newRow("whole") << int(PanelProgress) << 100.0 << "set:5 value:100";
    QTest::newRow("six digits") << int(PanelMaxSpeedX) << 1.0 / 3.0 << "set:13 value:0.333333";
    QTest::newRow("large") << int(PanelWorkWidth) << 12345678.0 << "set:11 value:1.23457e+07";
}

void TestDeviceText::panelMessageForm()
{
    QFETCH(int, code);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(panelMessageNumber(code, value), text);
    QCOMPARE(panelMessageText(PanelPosition, "value:x10,y20"), QString("set:19 value:value:x10,y20"));
    QCOMPARE(panelMessageValueText("set:10 value:/tmp/a b"), QString("/tmp/a b"));
    QCOMPARE(panelMessageText(PanelConnected, "%1 %2"), QString("set:1 value:%1 %2"));
}

void TestDeviceText::laserLines_data()
{
    QTest::addColumn<double>("percent");
    QTest::addColumn<double>("maxPower");
    QTest::addColumn<QByteArray>("fan");
    QTest::addColumn<QByteArray>("power");
    QTest::newRow("6 % keeps the fan off") << 6.0 << 1000.0 << QByteArray("M107\n") << QByteArray("M3 G1F100 S60\n");
    QTest::newRow("6.5 % turns it on") << 6.5 << 1000.0 << QByteArray("M106 G1F100 S0\n")
                                       << QByteArray("M3 G1F100 S65\n");
    QTest::newRow("5 % of 1000") << 5.0 << 1000.0 << QByteArray("M107\n") << QByteArray("M3 G1F100 S50\n");
    QTest::newRow("fraction") << 33.3 << 255.0 << QByteArray("M106 G1F100 S0\n")
                              << QByteArray("M3 G1F100 S84.915\n");
}

void TestDeviceText::laserLines()
{
    QFETCH(double, percent);
    QFETCH(double, maxPower);
    QFETCH(QByteArray, fan);
    QFETCH(QByteArray, power);
    QCOMPARE(GrblCommand::openLaser(percent, maxPower), (QList<QByteArray>{fan, power}));
    QCOMPARE(GrblCommand::closeLaser(), (QList<QByteArray>{"S0 G0 M5\n", "M107\n"}));
}

void TestDeviceText::jogLines_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("up") << 1 << QByteArray("$J=G21G91X0Y-5F16000\n");
    QTest::newRow("down") << 2 << QByteArray("$J=G21G91X0Y5F16000\n");
    QTest::newRow("left") << 3 << QByteArray("$J=G21G91X-5Y0F16000\n");
    QTest::newRow("right") << 4 << QByteArray("$J=G21G91X5Y0F16000\n");
    QTest::newRow("none") << 0 << QByteArray();
    QTest::newRow("beyond") << 5 << QByteArray();
}

void TestDeviceText::jogLines()
{
    QFETCH(int, direction);
    QFETCH(QByteArray, line);
    QCOMPARE(GrblCommand::move(200, 5, direction, 80), line);
    QCOMPARE(GrblCommand::setPosition(200, 10.5, 20, 80), QByteArray("$J=G21G90X10.5Y20F16000\n"));
}

void TestDeviceText::machineSettingLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("width") << "workWidth150" << QByteArray("$130=150\n");
    QTest::newRow("height") << "workHeight120.5" << QByteArray("$131=120.5\n");
    QTest::newRow("speed x") << "speedX100" << QByteArray("$110=8000\n");
    QTest::newRow("speed y") << "speedY100" << QByteArray("$111=10000\n");
    QTest::newRow("acc x") << "accX3000" << QByteArray("$120=3000\n");
    QTest::newRow("acc y") << "accY2500" << QByteArray("$121=2500\n");
    QTest::newRow("direction") << "direction3" << QByteArray("$3=3\n");
    QTest::newRow("unknown word") << "depth3" << QByteArray();
    QTest::newRow("no number") << "workWidth" << QByteArray();
    QTest::newRow("not a number") << "workWidth?" << QByteArray();
}

void TestDeviceText::machineSettingLines()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, line);
    QCOMPARE(GrblCommand::runParameter(text, 80, 100), line);
}

void TestDeviceText::frameProgramIsNineCountedLines()
{
    // 125 x 250 design units from (12.5, 25): 1 mm, 2 mm, 10 mm wide, 20 mm high.
    const QList<QByteArray> program = GrblCommand::frameProgram(QRectF(12.5, 25, 125, 250), 200, 80);
    const QList<QByteArray> expected{"G00 G17 G40 G21 G54\n", "G90\n", "G0X1Y2\n", "G1X11F16000\n", "G1Y22\n",
                                     "G1X1\n", "G1Y2\n", "G0\n", "G90\n"};
    QCOMPARE(program, expected);
}

void TestDeviceText::replyKinds_data()
{
    using K = GrblReply::Kind;
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::newRow("ok") << "ok\r\n" << int(K::Ok);
    QTest::newRow("error") << "error:20\r\n" << int(K::Error);
    QTest::newRow("transfer") << "[MSG:msg@printing ask package]\r\n" << int(K::Transfer);
    QTest::newRow("message") << "[MSG:Pgm End]\r\n" << int(K::Message);
    QTest::newRow("alarm") << "ALARM:1\r\n" << int(K::Alarm);
    QTest::newRow("setting") << "$110=6000.000\r\n" << int(K::Setting);
    QTest::newRow("status") << "<Idle|MPos:1.000,2.000,0.000|FS:0,0>\r\n" << int(K::Status);
    QTest::newRow("banner") << "Grbl 1.1h ['$' for help]\r\n" << int(K::HelpBanner);
    QTest::newRow("ok not at start") << " ok\r\n" << int(K::Other);
    QTest::newRow("garbage") << QString::fromLatin1("\xff\xfe\x01zz\r\n") << int(K::Other);
}

void TestDeviceText::replyKinds()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    QCOMPARE(int(GrblReply::classify(line)), kind);
}

void TestDeviceText::versions_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("version");
    QTest::newRow("firmware") << "[VER:0.1.4,kx2020]" << "VER:" << "0.1.4";
    QTest::newRow("no comma") << "[VER:0.2.2]" << "VER:" << "0.2.2";
    QTest::newRow("hardware") << "[HARDVER:3.0.0]\r\n" << "HARDVER:" << "3.0.0";
    QTest::newRow("empty") << "[VER:]" << "VER:" << "";
    QTest::newRow("garbage") << "[VER:abc,1]" << "VER:" << "";
}

void TestDeviceText::versions()
{
    QFETCH(QString, line);
    QFETCH(QString, tag);
    QFETCH(QString, version);
    QCOMPARE(GrblReply::versionAfter(line, tag).toString(), version);
}

void TestDeviceText::bufferSizeOfOptionLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("read");
    QTest::addColumn<int>("size");
    QTest::newRow("1024") << "[OPT:V,15,1024]\r\n" << true << 1024;
    QTest::newRow("1023") << "[OPT:V,15,1023]\r\n" << true << 1023;
    QTest::newRow("stock grbl") << "[OPT:V,15,128]\r\n" << true << 128;
    QTest::newRow("one number") << "[OPT:V,15]\r\n" << false << 0;
    QTest::newRow("no numbers") << "[OPT:]\r\n" << false << 0;
    QTest::newRow("huge") << "[OPT:V,15,99999999999]\r\n" << false << 0;
}

void TestDeviceText::bufferSizeOfOptionLine()
{
    QFETCH(QString, line);
    QFETCH(bool, read);
    QFETCH(int, size);
    int found = 0;
    QCOMPARE(GrblReply::optBufferSize(line, &found), read);
    if (read)
        QCOMPARE(found, size);
}

void TestDeviceText::settingLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("read");
    QTest::addColumn<int>("number");
    QTest::addColumn<double>("value");
    QTest::newRow("rate") << "$110=6000.000\r\n" << true << 110 << 6000.0;
    QTest::newRow("mask") << "$3=2\r\n" << true << 3 << 2.0;
    QTest::newRow("third number") << "$110=6000.000 (x 1)\r\n" << false << 0 << 0.0;
    QTest::newRow("no value") << "$110=\r\n" << false << 0 << 0.0;
    QTest::newRow("jog echo") << "$J=G21G91X0Y-5F16000\r\n" << false << 0 << 0.0;
}

void TestDeviceText::settingLines()
{
    QFETCH(QString, line);
    QFETCH(bool, read);
    QFETCH(int, number);
    QFETCH(double, value);
    int n = 0;
    double v = 0;
    QCOMPARE(GrblReply::settingLine(line, &n, &v), read);
    if (read) {
        QCOMPARE(n, number);
        QCOMPARE(v, value);
    }
}

void TestDeviceText::statusPositionTakesFirstTwoNumbers()
{
    QString x;
    QString y;
    QVERIFY(GrblReply::statusPosition("<Hold:0|MPos:10.000,20.000,0.000>", &x, &y));
    QCOMPARE(x, QString("0"));
    QCOMPARE(y, QString("10.000"));
    QVERIFY(!GrblReply::statusPosition("<Idle|MPos:>", &x, &y));
}

void TestDeviceText::hardwareLinesMatchExactly_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<bool>("known");
    QTest::addColumn<bool>("packageMode");
    QTest::addColumn<QString>("newest");
    QTest::newRow("1.0.0") << "1.0.0" << true << false << "0.1.5";
    QTest::newRow("2.0.0") << "2.0.0" << true << false << "0.1.6";
    QTest::newRow("3.0.0") << "3.0.0" << true << true << "0.2.2";
    QTest::newRow("4.0.0") << "4.0.0" << true << true << "0.2.2";
    QTest::newRow("1.0 is not 1.0.0") << "1.0" << false << false << "";
    QTest::newRow("5.0.0") << "5.0.0" << false << false << "";
}

void TestDeviceText::hardwareLinesMatchExactly()
{
    QFETCH(QString, hardware);
    QFETCH(bool, known);
    QFETCH(bool, packageMode);
    QFETCH(QString, newest);
    const HardwareLine *row = hardwareLineOf(QVersionNumber::fromString(hardware));
    QCOMPARE(row != nullptr, known);
    if (row) {
        QCOMPARE(row->packageMode, packageMode);
        QCOMPARE(QString(row->newestFirmware), newest);
    }
}

void TestDeviceText::settingsFromControllerReachPanel_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("panel");
    QTest::addColumn<double>("panelValue");
    QTest::newRow("max rate x") << 110 << 6000.0 << int(PanelMaxSpeedX) << 75.0;
    QTest::newRow("max rate y") << 111 << 8000.0 << int(PanelMaxSpeedY) << 100.0;
    QTest::newRow("acc x") << 120 << 500.0 << int(PanelAccX) << 500.0;
    QTest::newRow("acc y") << 121 << 600.0 << int(PanelAccY) << 600.0;
    QTest::newRow("travel x") << 130 << 400.0 << int(PanelWorkWidth) << 400.0;
    QTest::newRow("travel y") << 131 << 300.0 << int(PanelWorkHeight) << 300.0;
    QTest::newRow("direction") << 3 << 2.0 << int(PanelDirection) << 2.0;
    QTest::newRow("stored only") << 0 << 10.0 << -1 << 0.0;
    QTest::newRow("unknown") << 7 << 1.0 << -2 << 0.0;
}

void TestDeviceText::settingsFromControllerReachPanel()
{
    QFETCH(int, number);
    QFETCH(double, value);
    QFETCH(int, panel);
    QFETCH(double, panelValue);
    GrblMachineSettings settings;
    settings.grbl_steps_per_mmX = 80;
    settings.grbl_steps_per_mmY = 80;
    QList<QPair<int, double>> updates;
    QCOMPARE(settings.apply(number, value, &updates), panel != -2);
    if (panel >= 0) {
        QCOMPARE(updates.size(), 1);
        QCOMPARE(updates.first().first, panel);
        QCOMPARE(updates.first().second, panelValue);
    } else {
        QVERIFY(updates.isEmpty());
    }
}

void TestDeviceText::storedSettingsRoundTrip()
{
    QSettings settings("lumacraft", "controlApp");
    settings.beginGroup("lowerGrbl");
    GrblMachineSettings fresh;
    fresh.grbl_max_rateX = 1;
    fresh.read(settings); // nothing stored: the indexed defaults
    QCOMPARE(fresh.grbl_max_rateX, 20000.0);
    QCOMPARE(fresh.grbl_dir_invert_mask, 3);
    QCOMPARE(fresh.grbl_arc_tolerance, 0.002);

    // Integer settings truncate toward zero.
    QVERIFY(fresh.apply(23, -2.7, nullptr));
    QCOMPARE(fresh.grbl_homing_dir_mask, -2);
    fresh.apply(100, 87.5, nullptr);
    fresh.write(settings);
    settings.sync();

    GrblMachineSettings readBack;
    readBack.read(settings);
    QCOMPARE(readBack.grbl_homing_dir_mask, -2);
    QCOMPARE(readBack.grbl_steps_per_mmX, 87.5);
    QCOMPARE(settings.value("grbl_homing_dir_mask").type(), QVariant::Int);
    settings.endGroup();
}

void TestDeviceText::counterKeepsBudget()
{
    CharacterCounter counter;
    QVERIFY(!counter.take(1)); // nothing known yet: nothing fits
    counter.reset(10);
    QVERIFY(counter.take(4));
    QVERIFY(counter.take(5));
    QVERIFY(!counter.take(1)); // one byte must stay free
    QCOMPARE(counter.available(), 1);
    QVERIFY(counter.recoverOnce());
    QCOMPARE(counter.available(), 5);
    QVERIFY(counter.recoverOnce());
    QVERIFY(!counter.recoverOnce()); // a stray "ok" frees nothing
    QCOMPARE(counter.available(), 10);
}

void TestDeviceText::packagesHoldWholeLinesAndDecompress()
{
    // 250 records of 1600 characters: 400 000 characters in three parts.
    GCodeBuffer record;
    record.g = 1;
    record.x = 1;
    record.y = 2;
    QList<GCodeBuffer> job;
    QByteArray expectedText;
    const QByteArray plainLine = JobPackage::recordLine(record);
    const int repeat = 1600 / plainLine.size() + 1;
    for (int i = 0; i < 250; ++i) {
        GCodeBuffer r = record;
        r.x = i;
        job.append(r);
        expectedText += JobPackage::recordLine(r);
    }
    Q_UNUSED(repeat);

    QByteArray received;
    int parts = 0;
    JobPackage::Part part;
    while (JobPackage::takePart(&job, &part)) {
        ++parts;
        QVERIFY(part.uncompressedSize >= JobPackage::PackageMinimumText || job.isEmpty());
        QByteArray text(part.uncompressedSize, '\0');
        uLongf length = uLongf(text.size());
        QCOMPARE(uncompress(reinterpret_cast<Bytef *>(text.data()), &length,
                            reinterpret_cast<const Bytef *>(part.payload.constData()), uLong(part.payload.size())),
                 Z_OK);
        QCOMPARE(int(length), part.uncompressedSize);
        QVERIFY(text.endsWith('\n'));
        // RFC 1950 header at the default level.
        QCOMPARE(quint8(part.payload.at(0)), quint8(0x78));
        QCOMPARE(quint8(part.payload.at(1)), quint8(0x9c));
        received += text;
    }
    QCOMPARE(received, expectedText);
    QVERIFY(parts >= 1);
    QVERIFY(job.isEmpty());
    QVERIFY(!JobPackage::takePart(&job, &part));
}

void TestDeviceText::announcementText()
{
    QCOMPARE(JobPackage::announcement(1, 21034, 153650),
             QByteArray("$@file@name=part1.gzip@size=21034@uncompress_size=153650\n"));
}

void TestDeviceText::jobTextReadsBack_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("header") << "G00\nG17\nG40\nG21\nG54\nM106\n";
    QTest::newRow("moves") << "G0X10.0000Y20.0000\nG1X11.5000S500.0000F3000.0000\nM5\n";
    QTest::newRow("end marker") << "G1X1.0000\n\nM2\n";
    QTest::newRow("negative one") << "G1X-1.0000Y5.0000\n";
    QTest::newRow("crlf") << "G1X1.0000\r\nM2\r\n";
}

void TestDeviceText::jobTextReadsBack()
{
    QFETCH(QString, text);
    QList<GCodeBuffer> job;
    QString error;
    QVERIFY2(DeviceJobRunner::parseJobText(text, &job, &error), qPrintable(error));
    QString sent;
    for (const GCodeBuffer &record : qAsConst(job))
        sent += gcodeBuffer2Str(record);
    QString expected = text;
    expected.remove('\r');
    QCOMPARE(sent, expected);
}

void TestDeviceText::jobTextRejectsWhatRecordsCannotCarry_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("comment") << "G1X1 (move)\n";
    QTest::newRow("two G words") << "G00G17G40\n";
    QTest::newRow("other word") << "G1Z5\n";
    QTest::newRow("repeated word") << "G1G90X1\n";
    QTest::newRow("power -1") << "G1S-1\n";
}

void TestDeviceText::jobTextRejectsWhatRecordsCannotCarry()
{
    QFETCH(QString, text);
    QList<GCodeBuffer> job;
    QString error;
    QVERIFY(!DeviceJobRunner::parseJobText(text, &job, &error));
    QVERIFY(error.startsWith("line 1:"));
    QVERIFY(job.isEmpty());
}

SCRIBO_TEST_CORE_MAIN(TestDeviceText)
#include "test_devicetext.moc"
