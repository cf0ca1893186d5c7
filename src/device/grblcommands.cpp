#include "device/grblcommands.h"

#include "device/panelmessage.h"

namespace GrblCommand {

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 6);
}

QList<QByteArray> openLaser(double percent, double maxLaserPowerValue)
{
    QList<QByteArray> lines;
    lines.append(percent > 6 ? QByteArrayLiteral("M106 G1F100 S0\n") : QByteArrayLiteral("M107\n"));
    lines.append("M3 G1F100 S" + number(percent * 0.01 * maxLaserPowerValue) + '\n');
    return lines;
}

QList<QByteArray> closeLaser()
{
    return {QByteArrayLiteral("S0 G0 M5\n"), QByteArrayLiteral("M107\n")};
}

QByteArray move(double speed, double distance, int direction, double stepsPerMmX)
{
    const QByteArray feed = number(speed * stepsPerMmX);
    switch (direction) {
    case 1:
        return "$J=G21G91X0Y" + number(-distance) + 'F' + feed + '\n';
    case 2:
        return "$J=G21G91X0Y" + number(distance) + 'F' + feed + '\n';
    case 3:
        return "$J=G21G91X" + number(-distance) + "Y0F" + feed + '\n';
    case 4:
        return "$J=G21G91X" + number(distance) + "Y0F" + feed + '\n';
    default:
        return QByteArray();
    }
}

QByteArray setPosition(double speed, double x, double y, double stepsPerMmX)
{
    return "$J=G21G90X" + number(x) + 'Y' + number(y) + 'F' + number(speed * stepsPerMmX) + '\n';
}

QByteArray runParameter(const QString &text, double stepsPerMmX, double stepsPerMmY)
{
    const QStringList numbers = getNumbersFormStr(text);
    if (numbers.isEmpty())
        return QByteArray();
    bool isNumber = false;
    const double value = numbers.first().toDouble(&isNumber);
    if (!isNumber)
        return QByteArray();
    const QByteArray n = numbers.first().toLatin1();

    if (text.contains(QLatin1String("workWidth")))
        return "$130=" + n + '\n';
    if (text.contains(QLatin1String("workHeight")))
        return "$131=" + n + '\n';
    if (text.contains(QLatin1String("speedX")))
        return "$110=" + number(value * stepsPerMmX) + '\n';
    if (text.contains(QLatin1String("speedY")))
        return "$111=" + number(value * stepsPerMmY) + '\n';
    if (text.contains(QLatin1String("accX")))
        return "$120=" + n + '\n';
    if (text.contains(QLatin1String("accY")))
        return "$121=" + n + '\n';
    if (text.contains(QLatin1String("direction")))
        return "$3=" + n + '\n';
    return QByteArray();
}

QByteArray locTool(int n)
{
    return "$@LOC=" + QByteArray::number(n) + '\n';
}

QByteArray stepEx(int n)
{
    return "$@STEX=" + QByteArray::number(n) + '\n';
}

QList<QByteArray> frameProgram(const QRectF &bound, double moveSpeed, double stepsPerMmX)
{
    const double mmPerUnit = 0.08;
    const QByteArray feed = number(moveSpeed * stepsPerMmX);
    const QByteArray x0 = number(bound.left() * mmPerUnit);
    const QByteArray y0 = number(bound.top() * mmPerUnit);
    const QByteArray x1 = number((bound.left() + bound.width()) * mmPerUnit);
    const QByteArray y1 = number((bound.top() + bound.height()) * mmPerUnit);
    return {
        QByteArrayLiteral("G00 G17 G40 G21 G54\n"),
        QByteArrayLiteral("G90\n"),
        "G0X" + x0 + 'Y' + y0 + '\n',
        "G1X" + x1 + 'F' + feed + '\n',
        "G1Y" + y1 + '\n',
        "G1X" + x0 + '\n',
        "G1Y" + y0 + '\n',
        QByteArrayLiteral("G0\n"),
        QByteArrayLiteral("G90\n"),
    };
}

} // namespace GrblCommand
