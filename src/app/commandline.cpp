#include "app/commandline.h"

#include "app/itemdefaults.h"

#include "canvas/domtreeview.h"
#include "canvas/scene.h"
#include "common/settingsindex.h"
#include "document/svgview.h"
#include "preview/gcodeview.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>
#include <QVBoxLayout>

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

} // namespace

QString commandLineUsage()
{
    return QStringLiteral("usage: scribo [DESIGN.svg]\n"
                          "       scribo --gcode DESIGN.svg [-o OUT.gc] [--area WIDTHxHEIGHT]\n"
                          "       scribo --preview DESIGN.svg [--area WIDTHxHEIGHT]\n"
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
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            request.mode = CommandLineRequest::Mode::Help;
            return request;
        }
        if (argument == QLatin1String("--gcode") || argument == QLatin1String("--preview")) {
            if (jobOption)
                return invalid(QStringLiteral("only one of --gcode and --preview may be given"));
            jobOption = true;
            request.mode = argument == QLatin1String("--gcode") ? CommandLineRequest::Mode::Gcode
                                                                : CommandLineRequest::Mode::Preview;
            if (i + 1 >= arguments.size())
                return invalid(QStringLiteral("%1 needs a design file").arg(argument));
            request.design = arguments.at(++i);
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
        if (outputGiven || areaGiven)
            return invalid(QStringLiteral("-o and --area go with --gcode or --preview"));
        return request;
    }
    if (outputGiven && request.mode == CommandLineRequest::Mode::Preview)
        return invalid(QStringLiteral("-o goes with --gcode"));
    if (request.design.isEmpty())
        return invalid(QStringLiteral("the design file name is empty"));
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
                       QString &error, int &exitCode)
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
    const QString failure = view.generateJob();
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
    case CommandLineRequest::Mode::Gcode:
    case CommandLineRequest::Mode::Preview:
        break;
    }
    QList<GCodeBuffer> job;
    QString error;
    int exitCode = CommandLineExit::Ok;
    if (!generateDesignJob(request.design, request.areaWidthMm, request.areaHeightMm, job, error, exitCode)) {
        printError(error);
        return exitCode;
    }
    if (request.mode == CommandLineRequest::Mode::Gcode)
        return writeJob(job, request.output);

    QWidget *window = createJobPreview(job, QFileInfo(request.design).fileName());
    window->show();
    return QApplication::exec();
}
