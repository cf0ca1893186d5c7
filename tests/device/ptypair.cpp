#include "ptypair.h"

#include <QDebug>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace {

// socat needs a moment to create both terminals, more on a loaded machine.
constexpr int StartTimeoutMs = 20000;
constexpr int StopTimeoutMs = 5000;

bool linkReady(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() && QFileInfo::exists(info.symLinkTarget());
}

} // namespace

PtyPair::PtyPair(const QString &hostName, const QString &deviceName)
    : m_hostName(hostName)
    , m_deviceName(deviceName)
{
}

PtyPair::~PtyPair()
{
    close();
}

bool PtyPair::open(const QString &folder)
{
    close();
    if (folder.isEmpty()) {
        m_ownFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/scribo-pty-XXXXXX"));
        if (!m_ownFolder->isValid()) {
            qWarning() << "PtyPair: cannot create a folder for the terminals";
            m_ownFolder.reset();
            return false;
        }
        m_folder = m_ownFolder->path();
    } else {
        m_folder = folder;
    }

    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (socat.isEmpty()) {
        qWarning() << "PtyPair: socat not found";
        return false;
    }
    // Stale links from an earlier pair in the same folder would look ready.
    QFile::remove(hostPath());
    QFile::remove(devicePath());

    m_socat = std::make_unique<QProcess>();
    m_socat->setProgram(socat);
    m_socat->setArguments({QStringLiteral("-d"), QStringLiteral("-d"),
                           QStringLiteral("pty,raw,echo=0,link=") + hostPath(),
                           QStringLiteral("pty,raw,echo=0,link=") + devicePath()});
    m_socat->setStandardOutputFile(QProcess::nullDevice());
    m_socat->start();
    if (!m_socat->waitForStarted(StartTimeoutMs)) {
        qWarning() << "PtyPair: socat did not start:" << m_socat->errorString();
        m_socat.reset();
        return false;
    }

    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!(linkReady(hostPath()) && linkReady(devicePath()))) {
        if (m_socat->state() != QProcess::Running || deadline.hasExpired()) {
            qWarning() << "PtyPair: terminals did not appear:" << m_socat->readAllStandardError();
            close();
            return false;
        }
        QThread::msleep(10);
    }
    return true;
}

void PtyPair::close()
{
    if (!m_socat)
        return;
    if (m_socat->state() != QProcess::NotRunning) {
        m_socat->terminate();
        if (!m_socat->waitForFinished(StopTimeoutMs)) {
            m_socat->kill();
            m_socat->waitForFinished(StopTimeoutMs);
        }
    }
    m_socat.reset();
    // socat removes its links on a clean exit; make sure after a kill.
    QFile::remove(hostPath());
    QFile::remove(devicePath());
}

bool PtyPair::isOpen() const
{
    return m_socat && m_socat->state() == QProcess::Running;
}

qint64 PtyPair::processId() const
{
    return isOpen() ? m_socat->processId() : 0;
}

QString PtyPair::hostPath() const
{
    return m_folder + QLatin1Char('/') + m_hostName;
}

QString PtyPair::devicePath() const
{
    return m_folder + QLatin1Char('/') + m_deviceName;
}

QString PtyPair::folder() const
{
    return m_folder;
}

QString PtyPair::hostPtyName() const
{
    return QFileInfo(hostPath()).symLinkTarget();
}

QString PtyPair::devicePtyName() const
{
    return QFileInfo(devicePath()).symLinkTarget();
}

PtyPairGroup::PtyPairGroup()
    : m_folder(QDir::tempPath() + QStringLiteral("/scribo-ports-XXXXXX"))
{
}

bool PtyPairGroup::open(int count, const QString &hostPrefix)
{
    m_pairs.clear();
    if (!m_folder.isValid()) {
        qWarning() << "PtyPairGroup: cannot create a folder for the terminals";
        return false;
    }
    for (int i = 0; i < count; ++i) {
        auto pair = std::make_unique<PtyPair>(hostPrefix + QString::number(i),
                                              QStringLiteral("device") + QString::number(i));
        if (!pair->open(m_folder.path()))
            return false;
        m_pairs.push_back(std::move(pair));
    }
    return true;
}

QStringList PtyPairGroup::hostPaths() const
{
    QStringList paths;
    for (const auto &pair : m_pairs)
        paths << pair->hostPath();
    return paths;
}

QString PtyPairGroup::folder() const
{
    return m_folder.path();
}
