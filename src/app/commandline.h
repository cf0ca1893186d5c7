#pragma once

#include "document/jobassembly.h"
#include "gcode/gcodebuffer.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Jobs from the command line, without the design window:
//   scribo --gcode DESIGN.svg [-o OUT.gc] [--area WIDTHxHEIGHT]
//   scribo --preview DESIGN.svg [--area WIDTHxHEIGHT]
//   scribo --send JOB.gc|DESIGN.svg --port PATH [--area WIDTHxHEIGHT]
// The work area is in millimetres (150x150 unless given). All run the same
// generation as the window's job commands; --send takes a file named *.svg as
// a design and any other file as G-code text.
struct CommandLineRequest
{
    enum class Mode { Window, Gcode, Preview, Send, Help, Invalid };
    Mode mode = Mode::Window;
    QString design; // with Mode::Send: the design or the G-code job
    QString output; // empty: standard output
    QString port;   // Mode::Send: the controller's serial port
    double areaWidthMm = 150;
    double areaHeightMm = 150;
    QString error; // why the arguments are unusable (Mode::Invalid)
};

// Exit codes of a command-line run.
namespace CommandLineExit {
inline constexpr int Ok = 0;
inline constexpr int Usage = 2;
inline constexpr int DesignUnreadable = 3;
inline constexpr int OutputUnwritable = 4;
inline constexpr int NoJob = 5;
// No controller answered, the controller was refused or the link was lost.
inline constexpr int DeviceFailed = 6;
} // namespace CommandLineExit

// Reads the arguments (the program name first). Mode::Window when none of the
// command-line jobs is asked for.
CommandLineRequest parseCommandLine(const QStringList &arguments);

QString commandLineUsage();

// To be called before the application object exists: a G-code run needs no
// display and then uses the offscreen platform. False (with a message on
// standard error) when the request cannot run here: a preview without display.
bool prepareCommandLinePlatform(const CommandLineRequest &request);

// Runs a parsed request that is not Mode::Window; needs the application
// object. Messages go to standard error; the exit code.
int runCommandLine(const CommandLineRequest &request);

// True when --send takes `file` as a design (to be turned into a job) rather
// than as G-code text.
bool isDesignFile(const QString &file);

// The job of a design file as the window makes it, for a work area in
// millimetres. False, with the reason in `error` and the exit code in
// `exitCode`, when there is no job.
// `progress`, when given, follows the generation and may abandon it.
bool generateDesignJob(const QString &design, double areaWidthMm, double areaHeightMm,
                       QList<GCodeBuffer> &job, QString &error, int &exitCode,
                       const JobProgress &progress = {});

// The preview window of a job (not shown; deletes itself when closed).
QWidget *createJobPreview(const QList<GCodeBuffer> &job, const QString &title);
