#pragma once

#include <QByteArray>
#include <QString>
#include <QVersionNumber>

// Reading the controller's reply lines. Pure functions; the link acts on them.
namespace GrblReply {

// Received bytes as text: UTF-8 up to the first NUL byte.
QString decode(const QByteArray &bytes);

enum class Kind {
    Ok,          // starts with "ok"
    Error,       // starts with "error:"
    Transfer,    // contains "msg@printing"
    Message,     // starts with "[MSG:"
    Alarm,       // starts with "ALARM:"
    Setting,     // starts with "$"
    Status,      // contains "MPos"
    HelpBanner,  // contains "['$' for help]"
    Other,
};

// The first rule that matches, in the order of the enumeration.
Kind classify(const QString &line);

// The version after `tag` (e.g. "VER:") up to the first comma of the line, or
// to the end of the line when the comma is missing or stands before the tag.
QVersionNumber versionAfter(const QString &line, const QString &tag);

// The controller's receive-buffer size: the second number after "OPT:".
// False when the line has fewer than two numbers there.
bool optBufferSize(const QString &line, int *size);

// "$<n>=<v>": false unless the line holds exactly two numbers.
bool settingLine(const QString &line, int *number, double *value);

// The first two numbers of a status report, as written, for "value:x%1,y%2".
bool statusPosition(const QString &line, QString *x, QString *y);

} // namespace GrblReply

// One hardware line of the maker's controllers: how jobs are sent to it and
// which firmware it should run.
struct HardwareLine
{
    const char *hardware;        // "[HARDVER:" version
    bool packageMode;            // jobs go as compressed packages
    const char *newestFirmware;  // below this an upgrade is offered
    const char *modelWord;       // for the diagnostic line of the notice
    const char *imageResource;
    int imageSize;
    const char *upgradeLine;     // diagnostic line when upgrading, or nullptr
    const char *currentLine;     // diagnostic line when the firmware is current
};

// The row of `hardware` (exact segment equality), or nullptr.
const HardwareLine *hardwareLineOf(const QVersionNumber &hardware);
