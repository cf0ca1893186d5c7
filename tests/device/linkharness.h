#pragma once

#include "device/lowergrbl.h"
#include "device/panelmessage.h"
#include "gcode/gcodebuffer.h"

#include <QObject>
#include <QRectF>
#include <QStringList>
#include <QThread>

// Runs a LowerGrbl on its own thread as the application does, and records the
// panel messages it sends back.
class LinkHarness : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QStringList candidates;     // the scan's port list
        int scanIntervalMs = 2000;  // each candidate's time to answer (generous on a loaded machine)
        int packageTimeoutMs = 50000;
        int silenceQuietMs = 10000;  // a line-mode job's silence before the status query
        int silenceAnswerMs = 10000; // and the wait for an answer after it
    };

    explicit LinkHarness(const Options &options)
    {
        registerGCodeBufferMetaTypes();
        link = new LowerGrbl(nullptr);
        const QStringList candidates = options.candidates;
        link->setPortListProvider([candidates]() { return candidates; });
        link->setScanIntervalForTest(options.scanIntervalMs);
        link->setPackageTimeoutForTest(options.packageTimeoutMs);
        link->setSilenceTimeoutsForTest(options.silenceQuietMs, options.silenceAnswerMs);
        link->moveToThread(&thread);
        connect(&thread, &QThread::finished, link, &QObject::deleteLater);
        connect(this, &LinkHarness::lowerSetMessage, link, &LowerGrbl::getPanelMessage);
        connect(this, &LinkHarness::lowerSetGcode, link, &LowerGrbl::grblGcodePrint);
        connect(this, &LinkHarness::lowerSetFrame, link, &LowerGrbl::grblFrameLoc);
        connect(link, &LowerGrbl::sendPanelMessage, this, [this](const QStringList &message) {
            messages += message;
        });
        thread.start();
    }

    ~LinkHarness() override
    {
        thread.quit();
        thread.wait();
    }

    void send(SetLower code, const QString &value = QStringLiteral("0"))
    {
        emit lowerSetMessage(QStringList{panelMessageText(code, value)});
    }
    void sendNumber(SetLower code, double value) { emit lowerSetMessage(QStringList{panelMessageNumber(code, value)}); }

    // Hands a message to the link and returns once the link has handled it.
    void sendAndWait(SetLower code, const QString &value = QStringLiteral("0"))
    {
        QMetaObject::invokeMethod(link, "getPanelMessage", Qt::BlockingQueuedConnection,
                                  Q_ARG(QStringList, QStringList{panelMessageText(code, value)}));
    }

    // Values of every message with `code`, in arrival order.
    QStringList values(SetPanel code) const
    {
        QStringList found;
        const QString prefix = QStringLiteral("set:%1 value:").arg(int(code));
        for (const QString &message : messages) {
            if (message.startsWith(prefix))
                found.append(message.mid(prefix.size()));
        }
        return found;
    }
    int count(SetPanel code) const { return values(code).size(); }
    QString last(SetPanel code) const
    {
        const QStringList found = values(code);
        return found.isEmpty() ? QString() : found.last();
    }

    QThread thread;
    LowerGrbl *link = nullptr;
    QStringList messages;

signals:
    void lowerSetMessage(QStringList message);
    void lowerSetGcode(QList<GCodeBuffer> job);
    void lowerSetFrame(QRectF bound);
};
