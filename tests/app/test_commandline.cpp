#include "app/commandline.h"
#include "common/testenvironment.h"

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

// Runs the program as a user would, without a display.
Run runScribo(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(SCRIBO_BINARY), arguments);
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
};

SCRIBO_TEST_MAIN(TestCommandLine)
#include "test_commandline.moc"
