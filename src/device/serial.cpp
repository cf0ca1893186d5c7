#include "device/devicelog.h"
#include "device/serial.h"

#include <QSerialPortInfo>
#include <QTimer>
#include <QtDebug>

Serial::Serial(QObject *parent)
    : QSerialPort(parent)
    , autoSendTimer(new QTimer(this))
{
    connect(autoSendTimer, &QTimer::timeout, this, &Serial::startAutoSend);
}

QStringList Serial::filterPortNames(const QStringList &names)
{
    QStringList kept;
    for (const QString &name : names) {
#ifdef Q_OS_MACOS
        const bool usb = name.contains(QLatin1String("cu.usb"));
#else
        const bool usb = name.contains(QLatin1String("ttyUSB")) || name.contains(QLatin1String("ttyACM"));
#endif
        if (usb)
            kept.append(name);
    }
    return kept;
}

void Serial::setPortListProvider(std::function<QStringList()> provider)
{
    portListProvider = std::move(provider);
}

QStringList Serial::candidatePortNames()
{
    if (portListProvider)
        return portListProvider();
    return filterPortNames(getSerialPortList());
}

bool Serial::isAutoSending() const
{
    return autoSendTimer->isActive();
}

void Serial::setAutoSend(QByteArray send, int timInterval)
{
    autoSendData = send;
    autoSendInterval = timInterval;
    portIndex = 0;
    portNames.clear();
    chosenPortNames.clear();
    autoSendTimer->stop();
}

void Serial::startAutoSendOn(const QStringList &names)
{
    autoSendTimer->stop();
    chosenPortNames = names;
    startAutoSend();
}

void Serial::startAutoSend()
{
    if (!autoSendTimer->isActive()) {
        portIndex = 0;
        portNames = chosenPortNames.isEmpty() ? candidatePortNames() : chosenPortNames;
        chosenPortNames.clear();
        if (!portNames.isEmpty())
            autoSendTimer->start(autoSendInterval);
        qCDebug(lcDevice) << "get ports" << portNames;
    }
    scanStep();
}

void Serial::scanStep()
{
    qCDebug(lcDevice) << "times" << portIndex << portNames.size();
    while (portIndex < portNames.size()) {
        close();
        clearError();
        const QString name = portNames.at(portIndex++);
        qCDebug(lcDevice) << "port name" << name;
        setPortName(name);
        if (open(QIODevice::ReadWrite)) {
            qCDebug(lcDevice) << "opened" << name << autoSendData.toHex();
            write(autoSendData);
            return;
        }
        qCDebug(lcDevice) << "serial err" << error() << errorString();
        close();
        // A candidate that cannot be opened does not cost the user a whole
        // interval: try the next one right away.
    }
    autoSendTimer->stop();
    close();
    qCDebug(lcDevice) << "find none";
    emit autoSendExhausted();
}

void Serial::stopAutoSend()
{
    autoSendTimer->stop();
}

void Serial::resumeAutoSend()
{
    if (portIndex < portNames.size())
        autoSendTimer->start(autoSendInterval);
    scanStep();
}

QStringList Serial::getSerialPortList()
{
    QStringList names;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names.append(info.portName());
    return names;
}

bool Serial::openByName(QString portName)
{
    if (isOpen())
        close();
    setPortName(portName);
    return open(QIODevice::ReadWrite);
}

void Serial::sendInfo(const char *send)
{
    write(send);
}
