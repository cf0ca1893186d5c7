#include "device/grblreply.h"

#include "device/panelmessage.h"

namespace GrblReply {

QString decode(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
}

Kind classify(const QString &line)
{
    if (line.startsWith(QLatin1String("ok")))
        return Kind::Ok;
    if (line.startsWith(QLatin1String("error:")))
        return Kind::Error;
    if (line.contains(QLatin1String("msg@printing")))
        return Kind::Transfer;
    if (line.startsWith(QLatin1String("[MSG:")))
        return Kind::Message;
    if (line.startsWith(QLatin1String("ALARM:")))
        return Kind::Alarm;
    if (line.startsWith(QLatin1Char('$')))
        return Kind::Setting;
    if (line.contains(QLatin1String("MPos")))
        return Kind::Status;
    if (line.contains(QLatin1String("['$' for help]")))
        return Kind::HelpBanner;
    return Kind::Other;
}

QVersionNumber versionAfter(const QString &line, const QString &tag)
{
    const int at = line.indexOf(tag);
    if (at < 0)
        return QVersionNumber();
    const int from = at + tag.size();
    const int comma = line.indexOf(QLatin1Char(','));
    const int length = comma - from;
    QString text = length < 0 ? line.mid(from) : line.mid(from, length);
    return QVersionNumber::fromString(text.trimmed());
}

bool optBufferSize(const QString &line, int *size)
{
    const int at = line.indexOf(QLatin1String("OPT:"));
    if (at < 0)
        return false;
    const QStringList numbers = getNumbersFormStr(line.mid(at));
    if (numbers.size() < 2)
        return false;
    bool ok = false;
    const int value = numbers.at(1).toInt(&ok);
    if (!ok)
        return false;
    *size = value;
    return true;
}

bool settingLine(const QString &line, int *number, double *value)
{
    const QStringList numbers = getNumbersFormStr(line);
    if (numbers.size() != 2)
        return false;
    bool numberOk = false;
    bool valueOk = false;
    const int n = numbers.at(0).toInt(&numberOk);
    const double v = numbers.at(1).toDouble(&valueOk);
    if (!numberOk || !valueOk)
        return false;
    *number = n;
    *value = v;
    return true;
}

bool statusPosition(const QString &line, QString *x, QString *y)
{
    const QStringList numbers = getNumbersFormStr(line);
    if (numbers.size() < 2)
        return false;
    *x = numbers.at(0);
    *y = numbers.at(1);
    return true;
}

} // namespace GrblReply

namespace {

const HardwareLine HardwareLines[] = {
    {"1.0.0", false, "0.1.5", "kx2020", ":/ota/kx2020_v0.1.5encode.bin", 856064, "kx2020 upgrade",
     "kx2020 don`t upgrade"},
    {"2.0.0", false, "0.1.6", "vela", ":/ota/vela_grbl_v0.1.6encode.bin", 739936, "vela upgrade",
     "vela don`t upgrade"},
    {"3.0.0", true, "0.2.2", "vela", ":/ota/kx2020_ble_v0.2.2encode.bin", 659456, "kx2020 upgrade",
     "kx2020 don`t upgrade"},
    {"4.0.0", true, "0.2.2", "vela", ":/ota/kr5050_v0.2.2encode.bin", 659456, nullptr,
     "kr5050 don`t upgrade"},
};

} // namespace

const HardwareLine *hardwareLineOf(const QVersionNumber &hardware)
{
    for (const HardwareLine &line : HardwareLines) {
        if (QVersionNumber::fromString(QLatin1String(line.hardware)) == hardware)
            return &line;
    }
    return nullptr;
}
