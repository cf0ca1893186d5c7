#include "app/commandline.h"

#include "app/itemdefaults.h"
#include "app/jobprogressdialog.h"

#include "canvas/domtreeview.h"
#include "canvas/scene.h"
#include "common/settingsindex.h"
#include "device/devicejobrunner.h"
#include "document/svgview.h"
#include "preview/gcodeview.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

double settingsDefault(const char *group, const char *key)
{
    return SettingsIndex::defaultValue(QString::fromLatin1(group), QString::fromLatin1(key)).toDouble();
}

bool parseArea(const QString &text, double &width, double &height)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([^xX]+)[xX]([^xX]+)\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return false;
    bool okWidth = false;
    bool okHeight = false;
    width = match.captured(1).trimmed().toDouble(&okWidth);
    height = match.captured(2).trimmed().toDouble(&okHeight);
    // Beyond 10 m no engraver exists; the bound also keeps the scene finite.
    return okWidth && okHeight && width > 0 && height > 0 && width <= 10000 && height <= 10000;
}

void printError(const QString &message)
{
    QTextStream err(stderr);
    err << "scribo: " << message << '\n';
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

int writeJob(const QList<GCodeBuffer> &job, const QString &output)
{
    QByteArray text;
    text.reserve(job.size() * 24);
    for (const GCodeBuffer &record : job)
        text += gcodeBuffer2Str(record).toLatin1();

    if (output.isEmpty()) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(text) != text.size() || !out.flush()) {
            printError(QStringLiteral("cannot write the job to standard output"));
            return CommandLineExit::OutputUnwritable;
        }
        return CommandLineExit::Ok;
    }
    // Written aside and renamed: a failed write never leaves half a job behind.
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        printError(QStringLiteral("cannot write %1: %2").arg(output, file.errorString()));
        return CommandLineExit::OutputUnwritable;
    }
    return CommandLineExit::Ok;
}

// A G-code file as the job records that send the same text. False, with the
// reason in `error` and the exit code in `exitCode`, when it cannot be sent.
bool readJobFile(const QString &jobFile, QList<GCodeBuffer> &job, QString &error, int &exitCode)
{
    job.clear();
    exitCode = CommandLineExit::DesignUnreadable;
    const QFileInfo info(jobFile);
    if (!info.exists()) {
        error = QStringLiteral("%1: no such file").arg(jobFile);
        return false;
    }
    if (info.isDir()) {
        error = QStringLiteral("%1: is a folder, not a job file").arg(jobFile);
        return false;
    }
    QFile file(jobFile);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: cannot be read: %2").arg(jobFile, file.errorString());
        return false;
    }
    QString why;
    if (!DeviceJobRunner::parseJobText(QString::fromLatin1(file.readAll()), &job, &why)) {
        error = QStringLiteral("%1: %2").arg(jobFile, why);
        return false;
    }
    // The controller reports the end of the job only when it runs the program
    // end; without one the send would wait for ever.
    const bool hasProgramEnd = std::any_of(job.cbegin(), job.cend(),
                                           [](const GCodeBuffer &record) { return record.m == 2 || record.m == 30; });
    if (!hasProgramEnd) {
        error = QStringLiteral("%1: no program end (M2 or M30), the controller would never report the job done")
                    .arg(jobFile);
        exitCode = CommandLineExit::NoJob;
        job.clear();
        return false;
    }
    exitCode = CommandLineExit::Ok;
    return true;
}

// Sends the job and waits until the controller reports the end of the
// program or the link gives up.
int sendToController(const QList<GCodeBuffer> &job, const QString &port)
{
    DeviceJobRunner runner;
    QEventLoop loop;
    bool success = false;
    int reportedStep = 0;
    QObject::connect(&runner, &DeviceJobRunner::progress, &loop, [&reportedStep](double percent) {
        // Whole tens only: a long job would otherwise flood the terminal.
        const int step = std::clamp(int(percent / 10), 0, 10);
        if (step > reportedStep) {
            reportedStep = step;
            printError(QStringLiteral("sent %1 %").arg(step * 10));
        }
    });
    QObject::connect(&runner, &DeviceJobRunner::warning, &loop,
                     [](const QString &message) { printError(QStringLiteral("warning: %1").arg(message)); });
    QObject::connect(&runner, &DeviceJobRunner::finished, &loop, [&](bool ok, const QString &message) {
        success = ok;
        printError(ok ? QStringLiteral("%1 on %2").arg(message, port) : QStringLiteral("send failed: %1").arg(message));
        loop.quit();
    });
    printError(QStringLiteral("sending %1 lines to %2").arg(job.size()).arg(port));
    runner.start(port, job);
    if (runner.isRunning())
        loop.exec();
    return success ? CommandLineExit::Ok : CommandLineExit::DeviceFailed;
}

int sendJob(const CommandLineRequest &request)
{
    QList<GCodeBuffer> job;
    QString error;
    int exitCode = CommandLineExit::Ok;
    const bool ready = isDesignFile(request.design)
        ? generateDesignJob(request.design, request.areaWidthMm, request.areaHeightMm, job, error, exitCode)
        : readJobFile(request.design, job, error, exitCode);
    if (!ready) {
        printError(error);
        return exitCode;
    }
    return sendToController(job, request.port);
}

} // namespace

bool isDesignFile(const QString &file)
{
    return QFileInfo(file).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0;
}

QString commandLineUsage()
{
    return QStringLiteral("usage: scribo [DESIGN.svg]\n"
                          "       scribo --gcode DESIGN.svg [-o OUT.gc] [--area WIDTHxHEIGHT]\n"
                          "       scribo --preview DESIGN.svg [--area WIDTHxHEIGHT]\n"
                          "       scribo --send JOB.gc|DESIGN.svg --port PATH [--area WIDTHxHEIGHT]\n"
                          "The work area is in millimetres, 150x150 unless given.\n");
}

CommandLineRequest parseCommandLine(const QStringList &arguments)
{
    CommandLineRequest request;
    auto invalid = [&request](const QString &why) {
        request.mode = CommandLineRequest::Mode::Invalid;
        request.error = why;
        return request;
    };
    bool jobOption = false;
    bool outputGiven = false;
    bool areaGiven = false;
    bool portGiven = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            request.mode = CommandLineRequest::Mode::Help;
            return request;
        }
        if (argument == QLatin1String("--gcode") || argument == QLatin1String("--preview")
            || argument == QLatin1String("--send")) {
            if (jobOption)
                return invalid(QStringLiteral("only one of --gcode, --preview and --send may be given"));
            jobOption = true;
            if (argument == QLatin1String("--gcode"))
                request.mode = CommandLineRequest::Mode::Gcode;
            else if (argument == QLatin1String("--preview"))
                request.mode = CommandLineRequest::Mode::Preview;
            else
                request.mode = CommandLineRequest::Mode::Send;
            if (i + 1 >= arguments.size())
                return invalid(argument == QLatin1String("--send")
                                   ? QStringLiteral("--send needs a job or design file")
                                   : QStringLiteral("%1 needs a design file").arg(argument));
            request.design = arguments.at(++i);
        } else if (argument == QLatin1String("--port")) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                return invalid(QStringLiteral("--port needs the path of a serial port"));
            request.port = arguments.at(++i);
            portGiven = true;
        } else if (argument == QLatin1String("-o")) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                return invalid(QStringLiteral("-o needs a file name"));
            request.output = arguments.at(++i);
            outputGiven = true;
        } else if (argument == QLatin1String("--area")) {
            if (i + 1 >= arguments.size())
                return invalid(QStringLiteral("--area needs WIDTHxHEIGHT in millimetres"));
            const QString area = arguments.at(++i);
            if (!parseArea(area, request.areaWidthMm, request.areaHeightMm))
                return invalid(QStringLiteral("--area %1: expected WIDTHxHEIGHT in millimetres, "
                                              "both above 0 and at most 10000")
                                   .arg(area));
            areaGiven = true;
        } else if (jobOption && argument.startsWith(QLatin1Char('-'))) {
            return invalid(QStringLiteral("unknown option %1").arg(argument));
        } else if (jobOption) {
            return invalid(QStringLiteral("unexpected argument %1").arg(argument));
        }
        // Without a job option everything is left to the window (a design to open).
    }
    if (!jobOption) {
        if (outputGiven || areaGiven || portGiven)
            return invalid(QStringLiteral("-o, --area and --port go with --gcode, --preview or --send"));
        return request;
    }
    const bool sending = request.mode == CommandLineRequest::Mode::Send;
    if (outputGiven && request.mode != CommandLineRequest::Mode::Gcode)
        return invalid(QStringLiteral("-o goes with --gcode"));
    if (portGiven && !sending)
        return invalid(QStringLiteral("--port goes with --send"));
    if (request.design.isEmpty())
        return invalid(sending ? QStringLiteral("the job file name is empty")
                               : QStringLiteral("the design file name is empty"));
    if (sending && !portGiven)
        return invalid(QStringLiteral("--send needs --port PATH (the controller's serial port)"));
    // A G-code job is already laid out; a work area could not change it.
    if (sending && areaGiven && !isDesignFile(request.design))
        return invalid(QStringLiteral("--area goes with a design (*.svg), not with a G-code job"));
    return request;
}

bool prepareCommandLinePlatform(const CommandLineRequest &request)
{
    if (request.mode == CommandLineRequest::Mode::Window || hasDisplay())
        return true;
    if (request.mode == CommandLineRequest::Mode::Preview) {
        printError(QStringLiteral("--preview needs a display (DISPLAY or WAYLAND_DISPLAY); use --gcode"));
        return false;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}

bool generateDesignJob(const QString &design, double areaWidthMm, double areaHeightMm, QList<GCodeBuffer> &job,
                       QString &error, int &exitCode, const JobProgress &progress)
{
    job.clear();
    const QFileInfo info(design);
    if (!info.exists()) {
        error = QStringLiteral("%1: no such file").arg(design);
        exitCode = CommandLineExit::DesignUnreadable;
        return false;
    }
    if (info.isDir()) {
        error = QStringLiteral("%1: is a folder, not a design file").arg(design);
        exitCode = CommandLineExit::DesignUnreadable;
        return false;
    }
    {
        QFile probe(design);
        if (!probe.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("%1: cannot be read: %2").arg(design, probe.errorString());
            exitCode = CommandLineExit::DesignUnreadable;
            return false;
        }
    }

    SVGView view(nullptr);
    view.getScene()->defaultParameters = itemPanelDefaults(nullptr);
    // The device panel's print power (percent x 10) and speed (mm/s x 80).
    view.paintPower = settingsDefault("lowerOperatePanel", "printLaserPowerSave") * 10;
    view.paintSpeed = settingsDefault("lowerOperatePanel", "printSpeedSave") * 80;
    view.setSvgSceneBound(areaWidthMm * 12.5, areaHeightMm * 12.5);
    if (!view.load(design)) {
        error = QStringLiteral("%1: not a readable SVG design").arg(design);
        exitCode = CommandLineExit::DesignUnreadable;
        return false;
    }
    // As after opening a design in the window: every element gets its node.
    {
        DomTreeView walk(nullptr, QSize(256, 256));
        walk.setView(&view);
        walk.expandAll();
    }
    const QString failure = view.generateJob(progress);
    if (!failure.isEmpty()) {
        error = QStringLiteral("%1: no job: %2").arg(design, failure);
        exitCode = CommandLineExit::NoJob;
        return false;
    }
    job = view.mGcode;
    view.mGcode.clear();
    exitCode = CommandLineExit::Ok;
    return true;
}

QWidget *createJobPreview(const QList<GCodeBuffer> &job, const QString &title)
{
    auto *dialog = new QDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(title);
    dialog->setMinimumSize(700, 500);
    auto *preview = new GcodeView(dialog, 1000);
    auto *layout = new QVBoxLayout;
    layout->addWidget(preview);
    dialog->setLayout(layout);
    QList<GCodeBuffer> copy = job;
    QList<GCodeBuffer *> records;
    records.reserve(copy.size());
    for (GCodeBuffer &record : copy)
        records.append(&record);
    preview->gcodeBuffer2Path(records);
    return dialog;
}

int runCommandLine(const CommandLineRequest &request)
{
    switch (request.mode) {
    case CommandLineRequest::Mode::Window:
        return CommandLineExit::Ok;
    case CommandLineRequest::Mode::Help:
        QTextStream(stdout) << commandLineUsage();
        return CommandLineExit::Ok;
    case CommandLineRequest::Mode::Invalid:
        printError(request.error);
        QTextStream(stderr) << commandLineUsage();
        return CommandLineExit::Usage;
    case CommandLineRequest::Mode::Send:
        return sendJob(request);
    case CommandLineRequest::Mode::Gcode:
    case CommandLineRequest::Mode::Preview:
        break;
    }
    QList<GCodeBuffer> job;
    QString error;
    int exitCode = CommandLineExit::Ok;
    bool generated = false;
    if (request.mode == CommandLineRequest::Mode::Gcode) {
        generated = generateDesignJob(request.design, request.areaWidthMm, request.areaHeightMm, job, error,
                                      exitCode);
    } else {
        // On screen, a long generation shows its progress and can be cancelled.
        generateWithProgressDialog(nullptr, [&](const JobProgress &progress) {
            generated = generateDesignJob(request.design, request.areaWidthMm, request.areaHeightMm, job, error,
                                          exitCode, progress);
            return generated ? QString() : error;
        });
    }
    if (!generated) {
        printError(error);
        return exitCode;
    }
    if (request.mode == CommandLineRequest::Mode::Gcode)
        return writeJob(job, request.output);

    QWidget *window = createJobPreview(job, QFileInfo(request.design).fileName());
    window->show();
    return QApplication::exec();
}
