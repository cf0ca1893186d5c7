#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// A pair of connected pseudo terminals made by socat: whatever is written on
// one end is read on the other, like a USB serial cable with a controller
// behind it. The link under test opens hostPath(); the controller substitute
// opens devicePath(). Both are symbolic links in a private temporary folder
// (or in a folder given by the caller, so several pairs can sit side by side
// as the candidates of a port scan).
class PtyPair
{
public:
    // hostName and deviceName are the file names of the two links.
    explicit PtyPair(const QString &hostName = QStringLiteral("host"),
                     const QString &deviceName = QStringLiteral("device"));
    ~PtyPair();

    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    // Starts socat and waits until both ends exist. folder: where the links
    // are made; empty for a private temporary folder. False (with a warning)
    // when socat cannot be started or the ends do not appear in time.
    bool open(const QString &folder = QString());

    // Ends the pair: stops socat (the link's end then sees the line vanish,
    // like an unplugged cable) and waits for it. Called by the destructor.
    void close();

    bool isOpen() const;
    qint64 processId() const; // socat's, 0 when not running
    QString hostPath() const;   // the port the link opens
    QString devicePath() const; // the substitute's end
    QString folder() const;     // where both links live
    QString hostPtyName() const;   // the /dev/pts node behind hostPath()
    QString devicePtyName() const; // the /dev/pts node behind devicePath()

private:
    QString m_hostName;
    QString m_deviceName;
    QString m_folder;
    std::unique_ptr<QTemporaryDir> m_ownFolder;
    std::unique_ptr<QProcess> m_socat;
};

// Several pairs in one folder, for scans over several candidate ports of
// which only some answer. Host links are named <prefix><index>.
class PtyPairGroup
{
public:
    PtyPairGroup();
    PtyPairGroup(const PtyPairGroup &) = delete;
    PtyPairGroup &operator=(const PtyPairGroup &) = delete;

    bool open(int count, const QString &hostPrefix = QStringLiteral("ttyUSB"));
    int count() const { return int(m_pairs.size()); }
    PtyPair &at(int index) { return *m_pairs.at(std::size_t(index)); }
    QStringList hostPaths() const;
    QString folder() const;

private:
    QTemporaryDir m_folder;
    std::vector<std::unique_ptr<PtyPair>> m_pairs;
};
