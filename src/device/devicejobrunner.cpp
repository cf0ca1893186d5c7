#include "device/devicejobrunner.h"

#include "device/lowergrbl.h"
#include "device/panelmessage.h"

#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QThread>
#include <QtDebug>
#include <cmath>

DeviceJobRunner::DeviceJobRunner(QObject *parent)
    : QObject(parent)
{
    registerGCodeBufferMetaTypes();
}

DeviceJobRunner::~DeviceJobRunner()
{
    stopLink();
}

void DeviceJobRunner::setScanInterval(int milliseconds)
{
    scanInterval = milliseconds;
}

void DeviceJobRunner::setPackageTimeout(int milliseconds)
{
    packageTimeout = milliseconds;
}

void DeviceJobRunner::start(const QString &portPath, const QList<GCodeBuffer> &job)
{
    if (running)
        return;
    running = true;
    connected = false;
    port = portPath;
    pendingJob = job;

    thread = new QThread;
    link = new LowerGrbl(nullptr);
    link->setPortListProvider([]() { return QStringList(); });
    link->setScanIntervalForTest(scanInterval);
    link->setPackageTimeoutForTest(packageTimeout);
    link->moveToThread(thread);
    connect(thread, &QThread::finished, link, &QObject::deleteLater);
    connect(this, &DeviceJobRunner::linkMessage, link, &LowerGrbl::getPanelMessage);
    connect(this, &DeviceJobRunner::linkJob, link, &LowerGrbl::grblGcodePrint);
    connect(link, &LowerGrbl::sendPanelMessage, this, &DeviceJobRunner::onPanelMessage);
    thread->start();
    emit linkMessage(QStringList{panelMessageText(LowerConnectPort, portPath)});
}

void DeviceJobRunner::onPanelMessage(const QStringList &message)
{
    for (const QString &text : message) {
        if (!running)
            return;
        const QStringList fields = getNumbersFormStr(text);
        if (fields.isEmpty())
            continue;
        const QString value = panelMessageValueText(text);
        switch (fields.at(0).toInt()) {
        case PanelConnected:
            connected = true;
            emit linkJob(pendingJob);
            pendingJob.clear();
            break;
        case PanelProgress:
            emit progress(value.toDouble());
            break;
        case PanelPrintDone:
            finish(true, QStringLiteral("job finished"));
            break;
        case PanelDisconnected:
            finish(false, QStringLiteral("link lost: %1").arg(value));
            break;
        case PanelLinkError:
            if (value.startsWith(QLatin1String(DeviceLinkError::ControllerError))
                || value == QLatin1String(DeviceLinkError::ReplyTooLong)) {
                emit warning(value);
            } else if (value == QLatin1String(DeviceLinkError::ControllerRefused)) {
                finish(false, QStringLiteral("%1 on %2").arg(value, port));
            } else if (value == QLatin1String(DeviceLinkError::NoController)) {
                finish(false, QStringLiteral("no controller answered on %1").arg(port));
            } else {
                finish(false, value);
            }
            break;
        default:
            break;
        }
    }
}

void DeviceJobRunner::finish(bool success, const QString &message)
{
    if (!running)
        return;
    running = false;
    stopLink();
    emit finished(success, message);
}

void DeviceJobRunner::stopLink()
{
    if (!thread)
        return;
    thread->quit();
    thread->wait();
    delete thread;
    thread = nullptr;
    link = nullptr; // deleted on its thread as the thread finished
}

namespace {

// Letter -> value of one G-code line; "G00" is kept apart from "G0" as -2.
bool parseWords(const QString &line, QMap<QChar, double> *words)
{
    int i = 0;
    const int n = line.size();
    while (i < n) {
        const QChar letter = line.at(i).toUpper();
        if (letter.isSpace()) {
            ++i;
            continue;
        }
        if (!QStringLiteral("GMXYSF").contains(letter) || words->contains(letter))
            return false;
        int j = i + 1;
        while (j < n && (line.at(j).isDigit() || line.at(j) == QLatin1Char('.') || line.at(j) == QLatin1Char('-')
                         || line.at(j) == QLatin1Char('+')))
            ++j;
        const QString number = line.mid(i + 1, j - i - 1);
        bool ok = false;
        double value = number.toDouble(&ok);
        if (!ok)
            return false;
        if (letter == QLatin1Char('G') && number == QLatin1String("00"))
            value = -2;
        words->insert(letter, value);
        i = j;
    }
    return true;
}

bool sameWords(const QMap<QChar, double> &a, const QMap<QChar, double> &b)
{
    if (a.keys() != b.keys())
        return false;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        if (std::fabs(it.value() - b.value(it.key())) > 0.00005)
            return false;
    }
    return true;
}

} // namespace

bool DeviceJobRunner::parseJobText(const QString &text, QList<GCodeBuffer> *job, QString *error)
{
    job->clear();
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (int index = 0; index < lines.size(); ++index) {
        QString line = lines.at(index);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        GCodeBuffer record;
        if (line.trimmed().isEmpty()) {
            record.g = -3;
            job->append(record);
            continue;
        }
        QMap<QChar, double> words;
        bool carried = parseWords(line, &words);
        if (carried) {
            record.g = words.value(QLatin1Char('G'), -1);
            record.m = words.value(QLatin1Char('M'), -1);
            record.s = words.value(QLatin1Char('S'), -1);
            record.f = words.value(QLatin1Char('F'), -1);
            record.x = words.value(QLatin1Char('X'), -1);
            record.y = words.value(QLatin1Char('Y'), -1);
            QMap<QChar, double> sent;
            carried = parseWords(gcodeBuffer2Str(record).trimmed(), &sent) && sameWords(words, sent);
            if (!carried) {
                // A coordinate of -1 cannot be absolute; try the relative form.
                record.absolute = false;
                record.x = words.value(QLatin1Char('X'), 0);
                record.y = words.value(QLatin1Char('Y'), 0);
                sent.clear();
                carried = parseWords(gcodeBuffer2Str(record).trimmed(), &sent) && sameWords(words, sent);
            }
        }
        if (!carried) {
            if (error)
                *error = QStringLiteral("line %1: cannot be sent as written: %2").arg(index + 1).arg(line);
            job->clear();
            return false;
        }
        job->append(record);
    }
    return true;
}

int sendJobFile(const QString &jobFile, const QString &portPath,
                const std::function<void(const QString &)> &report)
{
    QFile file(jobFile);
    if (!file.open(QIODevice::ReadOnly)) {
        report(QStringLiteral("cannot read %1: %2").arg(jobFile, file.errorString()));
        return 1;
    }
    QList<GCodeBuffer> job;
    QString error;
    if (!DeviceJobRunner::parseJobText(QString::fromLatin1(file.readAll()), &job, &error)) {
        report(QStringLiteral("%1: %2").arg(jobFile, error));
        return 1;
    }

    DeviceJobRunner runner;
    QEventLoop loop;
    bool success = false;
    int lastPercent = -1;
    QObject::connect(&runner, &DeviceJobRunner::progress, &loop, [&](double percent) {
        const int whole = int(percent);
        if (whole != lastPercent) {
            lastPercent = whole;
            report(QStringLiteral("progress %1 %").arg(whole));
        }
    });
    QObject::connect(&runner, &DeviceJobRunner::warning, &loop,
                     [&](const QString &message) { report(QStringLiteral("warning: %1").arg(message)); });
    QObject::connect(&runner, &DeviceJobRunner::finished, &loop, [&](bool ok, const QString &message) {
        success = ok;
        report(message);
        loop.quit();
    });
    report(QStringLiteral("sending %1 records to %2").arg(job.size()).arg(portPath));
    runner.start(portPath, job);
    if (runner.isRunning())
        loop.exec();
    return success ? 0 : 1;
}
