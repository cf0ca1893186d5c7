#include "app/commandline.h"
#include "common/testenvironment.h"
#include "controllersubstitute.h"
#include "ptypair.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Run
{
    int exitCode = -1;
    bool crashed = true;
    QByteArray out;
    QByteArray err;
};

// Starts the program as a user would, without a display.
void startScribo(QProcess &process, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(SCRIBO_BINARY), arguments);
}

Run runScribo(const QStringList &arguments)
{
    QProcess process;
    startScribo(process, arguments);
    Run run;
    if (!process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

Run finishedRun(QProcess &process)
{
    Run run;
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Long enough for a silent port (one scan interval, 2.5 s) and for a job on
// a loaded machine.
constexpr int SendWait = 60000;

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parsing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        using M = CommandLineRequest::Mode;
        QTest::newRow("window") << QStringList{} << int(M::Window) << "" << 150.0 << 150.0;
        QTest::newRow("window with design") << QStringList{"a.svg"} << int(M::Window) << "" << 150.0 << 150.0;
        QTest::newRow("gcode") << QStringList{"--gcode", "a.svg"} << int(M::Gcode) << "" << 150.0 << 150.0;
        QTest::newRow("gcode to file, area")
            << QStringList{"--gcode", "a.svg", "-o", "b.gc", "--area", "300x200.5"} << int(M::Gcode) << "b.gc"
            << 300.0 << 200.5;
        QTest::newRow("options first") << QStringList{"--area", "10X20", "--gcode", "a.svg"} << int(M::Gcode) << ""
                                       << 10.0 << 20.0;
        QTest::newRow("preview") << QStringList{"--preview", "a.svg"} << int(M::Preview) << "" << 150.0 << 150.0;
        QTest::newRow("help") << QStringList{"--help"} << int(M::Help) << "" << 150.0 << 150.0;
        QTest::newRow("no design") << QStringList{"--gcode"} << int(M::Invalid) << "" << 150.0 << 150.0;
        QTest::newRow("no output name") << QStringList{"--gcode", "a.svg", "-o"} << int(M::Invalid) << "" << 150.0
                                        << 150.0;
        for (const char *area : {"0x10", "-5x10", "10", "10x", "axb", "10x10x10", "20000x10", "nanxinf"})
            QTest::addRow("area %s", area) << QStringList{"--gcode", "a.svg", "--area", area} << int(M::Invalid)
                                           << "" << 150.0 << 150.0;
        QTest::newRow("unknown option") << QStringList{"--gcode", "a.svg", "--fast"} << int(M::Invalid) << ""
                                        << 150.0 << 150.0;
        QTest::newRow("two designs") << QStringList{"--gcode", "a.svg", "b.svg"} << int(M::Invalid) << "" << 150.0
                                     << 150.0;
        QTest::newRow("both jobs") << QStringList{"--gcode", "a.svg", "--preview", "a.svg"} << int(M::Invalid)
                                   << "" << 150.0 << 150.0;
        QTest::newRow("output without job") << QStringList{"a.svg", "-o", "b.gc"} << int(M::Invalid) << ""
                                            << 150.0 << 150.0;
        QTest::newRow("output with preview") << QStringList{"--preview", "a.svg", "-o", "b.gc"} << int(M::Invalid)
                                             << "" << 150.0 << 150.0;
        QTest::newRow("send design") << QStringList{"--send", "a.svg", "--port", "/dev/ttyUSB0", "--area", "40x30"}
                                     << int(M::Send) << "" << 40.0 << 30.0;
        QTest::newRow("send job, port first") << QStringList{"--port", "/dev/ttyUSB0", "--send", "a.gc"}
                                              << int(M::Send) << "" << 150.0 << 150.0;
        QTest::newRow("send without port") << QStringList{"--send", "a.gc"} << int(M::Invalid) << "" << 150.0
                                           << 150.0;
        QTest::newRow("port without name") << QStringList{"--send", "a.gc", "--port"} << int(M::Invalid) << ""
                                           << 150.0 << 150.0;
        QTest::newRow("port without send") << QStringList{"--gcode", "a.svg", "--port", "/dev/ttyUSB0"}
                                           << int(M::Invalid) << "" << 150.0 << 150.0;
        QTest::newRow("port alone") << QStringList{"--port", "/dev/ttyUSB0"} << int(M::Invalid) << "" << 150.0
                                    << 150.0;
        QTest::newRow("output with send") << QStringList{"--send", "a.svg", "--port", "p", "-o", "b.gc"}
                                          << int(M::Invalid) << "" << 150.0 << 150.0;
        QTest::newRow("area with a g-code job") << QStringList{"--send", "a.gc", "--port", "p", "--area", "40x30"}
                                                << int(M::Invalid) << "" << 150.0 << 150.0;
        QTest::newRow("send and gcode") << QStringList{"--send", "a.svg", "--port", "p", "--gcode", "a.svg"}
                                        << int(M::Invalid) << "" << 150.0 << 150.0;
    }

    void parsing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, mode);
        QFETCH(QString, output);
        QFETCH(double, width);
        QFETCH(double, height);
        const CommandLineRequest request = parseCommandLine(QStringList{"scribo"} + arguments);
        QCOMPARE(int(request.mode), mode);
        QCOMPARE(request.error.isEmpty(), mode != int(CommandLineRequest::Mode::Invalid));
        if (mode == int(CommandLineRequest::Mode::Invalid))
            return;
        QCOMPARE(request.output, output);
        if (mode == int(CommandLineRequest::Mode::Send))
            QCOMPARE(request.port, QString("/dev/ttyUSB0"));
        QCOMPARE(request.areaWidthMm, width);
        QCOMPARE(request.areaHeightMm, height);
    }

    void everyDesignGivesAJob_data()
    {
        QTest::addColumn<QString>("design");
        for (const QString &folder : {QString(), QStringLiteral("jobs/")}) {
            const QStringList files = QDir(ScriboTest::dataPath(folder))
                                          .entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
            for (const QString &file : files)
                QTest::newRow(qPrintable(folder + file)) << ScriboTest::dataPath(folder + file);
        }
    }

    void everyDesignGivesAJob()
    {
        QFETCH(QString, design);
        const Run run = runScribo({QStringLiteral("--gcode"), design});
        QVERIFY(!run.crashed);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY(run.out.startsWith("G00\nG17\nG40\nG21\nG54\nM106\n"));
        QVERIFY(run.out.endsWith("G0X0.0000Y0.0000\nM2\n"));
    }

    void outputIsTheSameEveryTimeAndInTheFile()
    {
        const QString design = ScriboTest::dataPath(QStringLiteral("inkscape-tutorials__tutorial-shapes.svg"));
        const Run first = runScribo({QStringLiteral("--gcode"), design});
        const Run second = runScribo({QStringLiteral("--gcode"), design, QStringLiteral("--area"),
                                      QStringLiteral("150x150")});
        QCOMPARE(first.exitCode, 0);
        QVERIFY(first.out.size() > 1000);
        QVERIFY(first.out == second.out);

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("job.gc"));
        const Run toFile = runScribo({QStringLiteral("--gcode"), design, QStringLiteral("-o"), file});
        QCOMPARE(toFile.exitCode, 0);
        QVERIFY(toFile.out.isEmpty());
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll() == first.out);
    }

    void areaChangesTheJob()
    {
        const QString design = ScriboTest::dataPath(QStringLiteral("jobs/raster.svg"));
        const Run small = runScribo({QStringLiteral("--gcode"), design, QStringLiteral("--area"),
                                     QStringLiteral("20x20")});
        const Run large = runScribo({QStringLiteral("--gcode"), design});
        QCOMPARE(small.exitCode, 0);
        QCOMPARE(large.exitCode, 0);
        // The work area clips the engraving.
        QVERIFY(small.out.size() < large.out.size());
    }

    void errorsExitWithAMessage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString good = ScriboTest::dataPath(QStringLiteral("jobs/vector.svg"));
        QTest::newRow("missing design") << QStringList{"--gcode", "/nonexistent/design.svg"}
                                        << CommandLineExit::DesignUnreadable << "no such file";
        QTest::newRow("folder as design") << QStringList{"--gcode", ScriboTest::dataPath()}
                                          << CommandLineExit::DesignUnreadable << "folder";
        QTest::newRow("unparsable design") << QStringList{"--gcode", "@garbage"} << CommandLineExit::DesignUnreadable
                                           << "not a readable SVG";
        QTest::newRow("empty design") << QStringList{"--gcode", "@empty"} << CommandLineExit::DesignUnreadable
                                      << "not a readable SVG";
        QTest::newRow("not svg") << QStringList{"--gcode", "@html"} << CommandLineExit::DesignUnreadable
                                 << "not a readable SVG";
        QTest::newRow("output folder missing")
            << QStringList{"--gcode", good, "-o", "/nonexistent/folder/job.gc"} << CommandLineExit::OutputUnwritable
            << "cannot write";
        QTest::newRow("output is a folder") << QStringList{"--gcode", good, "-o", "@dir"}
                                            << CommandLineExit::OutputUnwritable << "cannot write";
        QTest::newRow("bad area") << QStringList{"--gcode", good, "--area", "0x0"} << CommandLineExit::Usage
                                  << "--area";
        QTest::newRow("unknown option") << QStringList{"--gcode", good, "--fast"} << CommandLineExit::Usage
                                        << "unknown option";
        QTest::newRow("preview without display") << QStringList{"--preview", good} << CommandLineExit::Usage
                                                 << "display";
        QTest::newRow("no job") << QStringList{"--gcode", "@zerospacing"} << CommandLineExit::NoJob
                                << "not positive";
        // A job that cannot be made is refused before any port is opened.
        QTest::newRow("send without port") << QStringList{"--send", good} << CommandLineExit::Usage << "--port";
        QTest::newRow("send missing design") << QStringList{"--send", "/nonexistent/design.svg", "--port", "@dir"}
                                             << CommandLineExit::DesignUnreadable << "no such file";
        QTest::newRow("send missing job") << QStringList{"--send", "/nonexistent/job.gc", "--port", "@dir"}
                                          << CommandLineExit::DesignUnreadable << "no such file";
        QTest::newRow("send unparsable design") << QStringList{"--send", "@garbage", "--port", "@dir"}
                                                << CommandLineExit::DesignUnreadable << "not a readable SVG";
        QTest::newRow("send foreign g-code") << QStringList{"--send", "@foreign", "--port", "@dir"}
                                             << CommandLineExit::DesignUnreadable << "line 2: cannot be sent";
        QTest::newRow("send job without end") << QStringList{"--send", "@noend", "--port", "@dir"}
                                              << CommandLineExit::NoJob << "no program end";
    }

    void errorsExitWithAMessage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir dir;
        auto fixture = [&dir](const QString &name, const QByteArray &content) {
            const QString path = dir.filePath(name);
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(content);
            return path;
        };
        for (QString &argument : arguments) {
            if (argument == QLatin1String("@garbage"))
                argument = fixture("garbage.svg", "<svg><rect></svg");
            else if (argument == QLatin1String("@empty"))
                argument = fixture("empty.svg", "");
            else if (argument == QLatin1String("@html"))
                argument = fixture("page.svg", "<html><body/></html>");
            else if (argument == QLatin1String("@foreign"))
                argument = fixture("foreign.gc", "G0X1Y1\nG1 X2 ; cut\nM2\n");
            else if (argument == QLatin1String("@noend"))
                argument = fixture("noend.gc", "G0X1.0000Y1.0000\nG1X2.0000Y1.0000\n");
            else if (argument == QLatin1String("@dir"))
                argument = dir.path();
            else if (argument == QLatin1String("@zerospacing"))
                argument = fixture("zero.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                               "xmlns:lumacraft=\"http://www.lumacraft.net/scribo\">"
                                               "<rect x=\"10\" y=\"10\" width=\"100\" height=\"100\" "
                                               "style=\"fill:#000\" lumacraft:scanAccuracy=\"0\"/></svg>");
        }
        const Run run = runScribo(arguments);
        QVERIFY(!run.crashed);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
    }

    // What --gcode writes for a design is what reaches the controller, both
    // when the design itself is sent and when the written file is.
    void sendsTheJobToTheController_data()
    {
        QTest::addColumn<QString>("design");
        QTest::addColumn<QStringList>("area");
        QTest::addColumn<bool>("viaFile");
        QTest::addColumn<QByteArray>("hardware");
        const QStringList none;
        const QStringList small{QStringLiteral("--area"), QStringLiteral("20x20")};
        QTest::newRow("design, lines") << "jobs/vector.svg" << none << false << QByteArray("1.0.0");
        QTest::newRow("design in a small area") << "jobs/raster.svg" << small << false << QByteArray("1.0.0");
        QTest::newRow("design, packages") << "jobs/groups.svg" << none << false << QByteArray("3.0.0");
        QTest::newRow("written job, lines") << "jobs/text.svg" << none << true << QByteArray("2.0.0");
        QTest::newRow("written job, packages") << "jobs/both.svg" << small << true << QByteArray("4.0.0");
    }

    void sendsTheJobToTheController()
    {
        QFETCH(QString, design);
        QFETCH(QStringList, area);
        QFETCH(bool, viaFile);
        QFETCH(QByteArray, hardware);
        const QString designPath = ScriboTest::dataPath(design);
        QTemporaryDir dir;
        const QString jobFile = dir.filePath(QStringLiteral("job.gc"));
        const Run written
            = runScribo(QStringList{QStringLiteral("--gcode"), designPath, QStringLiteral("-o"), jobFile} + area);
        QCOMPARE(written.exitCode, 0);
        QFile file(jobFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray expected = file.readAll();
        QVERIFY(expected.endsWith("M2\n"));

        PtyPair pair;
        QVERIFY(pair.open());
        ControllerSubstitute::Profile profile;
        profile.hardwareLine = hardware;
        profile.version = "0.2.2";
        ControllerSubstitute controller(profile);
        QVERIFY(controller.open(pair));

        QProcess process;
        startScribo(process, QStringList{QStringLiteral("--send"), viaFile ? jobFile : designPath,
                                         QStringLiteral("--port"), pair.hostPath()}
                                 + (viaFile ? QStringList() : area));
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, SendWait);
        const Run run = finishedRun(process);
        QVERIFY(!run.crashed);
        QVERIFY2(run.exitCode == CommandLineExit::Ok, run.err.constData());
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains("sent 100 %"), run.err.constData());
        QVERIFY2(run.err.contains("job finished"), run.err.constData());
        // Progress in whole tens, each step once, ending at 100.
        QList<int> steps;
        for (const QByteArray &line : run.err.split('\n')) {
            if (line.startsWith("scribo: sent "))
                steps << line.mid(13, line.size() - 15).toInt();
        }
        QVERIFY(!steps.isEmpty());
        QCOMPARE(steps.last(), 100);
        for (int i = 0; i < steps.size(); ++i) {
            QCOMPARE(steps.at(i) % 10, 0);
            QVERIFY(i == 0 || steps.at(i) > steps.at(i - 1));
        }

        // Only G-code lines are recorded as program text: the link's own
        // "$" commands around the job do not show up here.
        QCOMPARE(controller.programText().size(), expected.size());
        QVERIFY(controller.programText() == expected);
        QCOMPARE(controller.programEnds(), 1);
        QVERIFY(!controller.overrun());
        QVERIFY2(controller.errors().isEmpty(), qPrintable(controller.errors().join('\n')));
    }

    void reportsDeviceFailures_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");
        QTest::newRow("silent controller") << "silent" << "no controller answered on ";
        QTest::newRow("missing port") << "missing" << "no controller answered on ";
        QTest::newRow("controller refused") << "refused" << "controller refused";
        QTest::newRow("link lost") << "unplugged" << "link lost";
    }

    void reportsDeviceFailures()
    {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        PtyPair pair;
        QVERIFY(pair.open());
        ControllerSubstitute::Profile profile;
        profile.version = "0.2.2";
        // Below the smallest receive buffer the link works with.
        profile.bufferSize = failure == "refused" ? 512 : 1024;
        // Slow enough that the line can be pulled out in the middle of the job.
        profile.replyDelayMs = failure == "unplugged" ? 5 : 0;
        ControllerSubstitute controller(profile);
        QVERIFY(controller.open(pair));
        controller.setSilent(failure == "silent");
        if (failure == "unplugged") {
            connect(&controller, &ControllerSubstitute::lineReceived, &controller, [&controller]() {
                if (controller.programText().count('\n') == 10)
                    QTimer::singleShot(0, &controller, [&controller]() { controller.close(); });
            });
        }

        const QString port = failure == "missing" ? pair.folder() + "/nothing-here" : pair.hostPath();
        QProcess process;
        startScribo(process, {QStringLiteral("--send"), ScriboTest::dataPath(QStringLiteral("jobs/text.svg")),
                              QStringLiteral("--port"), port});
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, SendWait);
        const Run run = finishedRun(process);
        QVERIFY(!run.crashed);
        QCOMPARE(run.exitCode, CommandLineExit::DeviceFailed);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
        QVERIFY(!run.err.contains("job finished"));
    }
};

SCRIBO_TEST_MAIN(TestCommandLine)
#include "test_commandline.moc"
