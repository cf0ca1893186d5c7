#pragma once

#include <QByteArray>
#include <QSerialPort>
#include <QStringList>

#include <functional>

class QTimer;

// The serial port of the device link, with timed scanning: every
// autoSendInterval ms the next candidate port is opened and sent autoSendData
// (the soft reset), until the link recognises a controller and stops the scan.
class Serial : public QSerialPort
{
    Q_OBJECT
public:
    explicit Serial(QObject *parent = nullptr);

    // USB serial device names of this platform: "cu.usb" on macOS, "ttyUSB"
    // and "ttyACM" elsewhere. Keeps the order given.
    static QStringList filterPortNames(const QStringList &names);

    // Replaces the system's port list (for tests and for a port chosen by
    // path): the provider's names are scanned as they are, unfiltered.
    void setPortListProvider(std::function<QStringList()> provider);

    // The candidates of the next scan.
    QStringList candidatePortNames();

    bool isAutoSending() const;

public slots:
    void setAutoSend(QByteArray send, int timInterval);
    void startAutoSend();
    // Scans exactly `names`, unfiltered (a port chosen by the user).
    void startAutoSendOn(const QStringList &names);
    void stopAutoSend();
    // Gives up on the current candidate and tries the next one at once.
    void resumeAutoSend();
    QStringList getSerialPortList();
    bool openByName(QString portName);
    void sendInfo(const char *send);

signals:
    // Every candidate was tried and none was accepted.
    void autoSendExhausted();

private:
    void scanStep();

    QStringList portNames;
    int portIndex = 0;
    QByteArray autoSendData;
    int autoSendInterval = 2500;
    QTimer *autoSendTimer = nullptr;
    QStringList chosenPortNames;
    std::function<QStringList()> portListProvider;
};
