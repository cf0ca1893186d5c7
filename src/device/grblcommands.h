#pragma once

#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QString>

// The text of every command the device link writes outside a job. Pure
// functions: the link decides when and how (counted or not) they are written.
namespace GrblCommand {

// printf %g with six significant digits, as the controller expects numbers.
QByteArray number(double value);

// Pointer laser on at `percent` of `maxLaserPowerValue`: the fan line (on above
// 6 %, off otherwise), then the M3 line. Both are counted commands.
QList<QByteArray> openLaser(double percent, double maxLaserPowerValue);
QList<QByteArray> closeLaser();

// Jog by `distance` mm; direction 1 up, 2 down, 3 left, 4 right. An empty
// result for any other direction.
QByteArray move(double speed, double distance, int direction, double stepsPerMmX);

// Absolute jog to x, y.
QByteArray setPosition(double speed, double x, double y, double stepsPerMmX);

// A machine setting from the panel's text, e.g. "workWidth150" or "speedX100".
// Empty when the text names no known setting or carries no number.
QByteArray runParameter(const QString &text, double stepsPerMmX, double stepsPerMmY);

QByteArray locTool(int n);
QByteArray stepEx(int n);

// The frame program for `bound` in design units (12.5 per mm): nine lines that
// travel the rectangle once at `moveSpeed`. Each line is answered by its own
// "ok", so each is a counted command of its own.
QList<QByteArray> frameProgram(const QRectF &bound, double moveSpeed, double stepsPerMmX);

// Real-time bytes (not answered, never counted).
inline QByteArray softReset() { return QByteArray(1, '\x18'); }
inline QByteArray feedHold() { return QByteArrayLiteral("!"); }
inline QByteArray cycleResume() { return QByteArrayLiteral("~"); }
inline QByteArray statusQuery() { return QByteArrayLiteral("?"); }

inline QByteArray home() { return QByteArrayLiteral("$H\n"); }
inline QByteArray settingsDump() { return QByteArrayLiteral("$$\n"); }
inline QByteArray unlock() { return QByteArrayLiteral("$X\n"); }
inline QByteArray restoreDefaults() { return QByteArrayLiteral("$RST=*\n"); }
inline QByteArray buildInfo() { return QByteArrayLiteral("$I\n"); }

} // namespace GrblCommand
