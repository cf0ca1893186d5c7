#pragma once

#include <QString>
#include <QtGlobal>

// Settings of the diagnostic handler, process-wide.
extern bool logToFile;      // true: append to logFileUrl; false: standard output
extern int appLogLevel;     // 1..5, see logLevelAllows
extern QString logFileUrl;  // path of the log file

// The line written for one message, without the trailing newline.
QString formatLogLine(QtMsgType type, const QMessageLogContext &context, const QString &message);

// Whether the file filter at `level` lets messages of `type` through.
bool logLevelAllows(int level, QtMsgType type);

// The diagnostic message handler, installed with qInstallMessageHandler.
void logger(QtMsgType type, const QMessageLogContext &context, const QString &message);

// The log file the program writes: "scribo.log" in the documents folder
// "lumacraft", which is created when missing. Empty if no folder can be made.
QString defaultLogFilePath();
