#include "app/logger.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTextStream>
#include <QThread>

#include <cstdio>
#include <cstdlib>

bool logToFile = true;
int appLogLevel = 5;
QString logFileUrl;

namespace {

const char *levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "Debug";
    case QtWarningMsg:
        return "Warning";
    case QtCriticalMsg:
        return "Critical";
    case QtInfoMsg:
        return "Info";
    case QtFatalMsg:
        break;
    }
    return "Fatal";
}

bool onGuiThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread()
           && qobject_cast<const QApplication *>(app) != nullptr;
}

// A failed write must be visible to the user, but a message box is a widget:
// from any other thread, and while a box is already up, the failure goes to
// standard error instead.
void reportWriteFailure(const QString &text)
{
    static thread_local bool showing = false;
    if (!onGuiThread() || showing) {
        std::fprintf(stderr, "WARNING: %s\n", text.toLocal8Bit().constData());
        return;
    }
    showing = true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("WARNING"), text);
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                       | Qt::WindowCloseButtonHint);
    box.exec();
    showing = false;
}

} // namespace

QString formatLogLine(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy.MM.dd hh:mm:ss.zzz"));
    const quintptr threadId = reinterpret_cast<quintptr>(QThread::currentThreadId());
    return QStringLiteral("[%1] <%2> %3 (%4) | %5:%6 (%7) '%8'")
        .arg(stamp, QString::number(threadId), QLatin1String(levelName(type)),
             QString::fromUtf8(context.category), QString::fromUtf8(context.file),
             QString::number(context.line), QString::fromUtf8(context.function), message);
}

bool logLevelAllows(int level, QtMsgType type)
{
    switch (level) {
    case 2:
        return type == QtCriticalMsg;
    case 3:
        return type == QtWarningMsg || type == QtCriticalMsg;
    case 4:
        return type == QtWarningMsg || type == QtCriticalMsg || type == QtInfoMsg;
    case 5:
        return type != QtFatalMsg;
    default:
        return false;
    }
}

void logger(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg)
        std::abort();

    const QString line = formatLogLine(type, context, message);
    if (!logToFile) {
        std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
        std::fflush(stdout);
        return;
    }
    if (!logLevelAllows(appLogLevel, type))
        return;

    QFile file(logFileUrl);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        reportWriteFailure(file.errorString() + logFileUrl);
        return;
    }
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    stream << line << '\n';
}

QString defaultLogFilePath()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return {};
    QDir folder(documents);
    if (!folder.mkpath(QStringLiteral("lumacraft")))
        return {};
    return folder.filePath(QStringLiteral("lumacraft/scribo.log"));
}
