#pragma once

#include "gcode/gcodebuffer.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class LowerGrbl;
class QThread;

// Sends one job to the controller on a given port without any window: starts
// the device link on its own thread, connects the port directly, identifies
// the controller, sends the job and finishes when the controller reports the
// end of the program. Used by the command line ("--send JOB --port PATH").
class DeviceJobRunner : public QObject
{
    Q_OBJECT
public:
    explicit DeviceJobRunner(QObject *parent = nullptr);
    ~DeviceJobRunner() override;

    // For tests: how long the controller gets to answer (default 2500 ms) and
    // the package time-out (default 50 000 ms). Set before start().
    void setScanInterval(int milliseconds);
    void setPackageTimeout(int milliseconds);

    // Starts sending `job` to the controller at `portPath`. Ends with finished().
    void start(const QString &portPath, const QList<GCodeBuffer> &job);

    bool isRunning() const { return running; }

    // Reads G-code text in the program's own dialect (words G, M, X, Y, S, F,
    // one record per line; an empty line is the end marker) into records
    // whose text sends the same words. False, with the line number in
    // `error`, for a line that records cannot carry.
    static bool parseJobText(const QString &text, QList<GCodeBuffer> *job, QString *error);

signals:
    void progress(double percent);
    // A warning that does not end the job (e.g. the controller rejected a line).
    void warning(const QString &message);
    void finished(bool success, const QString &message);

    // To the link (queued onto its thread).
    void linkMessage(QStringList message);
    void linkJob(QList<GCodeBuffer> job);

private slots:
    void onPanelMessage(const QStringList &message);

private:
    void finish(bool success, const QString &message);
    void stopLink();

    QThread *thread = nullptr;
    LowerGrbl *link = nullptr;
    QList<GCodeBuffer> pendingJob;
    QString port;
    int scanInterval = 2500;
    int packageTimeout = 50000;
    bool running = false;
    bool connected = false;
};

// The command line's "--send JOB --port PATH": reads the G-code file, sends it
// with a DeviceJobRunner and waits (in a local event loop) until it ends.
// `report` receives progress and the outcome as lines of text. Returns 0 when
// the controller reported the end of the program, 1 otherwise.
int sendJobFile(const QString &jobFile, const QString &portPath,
                const std::function<void(const QString &)> &report);
