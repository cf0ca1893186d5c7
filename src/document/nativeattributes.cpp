#include "nativeattributes.h"

#include "svgvalues.h"

PrintParameters readPrintParameters(QDomElement &element, const DefaultParameters &defaults)
{
    PrintParameters p;
    auto withDefault = [&element](const char *name, double fallback) {
        bool ok = false;
        const double value = getFloatTrait(element, QLatin1String(name), &ok);
        if (ok)
            return value;
        setTrait(element, QLatin1String(name), QString::number(fallback, 'g', 6));
        return fallback;
    };
    auto withoutWriting = [&element](const char *name, double fallback) {
        bool ok = false;
        const double value = getFloatTrait(element, QLatin1String(name), &ok);
        return ok ? value : fallback;
    };
    p.scanTimes = withDefault(NativeAttribute::ScanTimes, defaults.scanTimes);
    p.scanBuffer = withDefault(NativeAttribute::ScanBuffer, defaults.scanBuffer);
    p.scanAccuracy = withDefault(NativeAttribute::ScanAccuracy, defaults.scanAccuracy);
    p.scanAngle = withDefault(NativeAttribute::ScanAngle, defaults.scanAngle);
    p.scanError = withDefault(NativeAttribute::ScanError, defaults.scanError);
    p.scanPower = withoutWriting(NativeAttribute::ScanPower, 100);
    p.scanSpeed = withoutWriting(NativeAttribute::ScanSpeed, 100);
    p.XMotorMovementError = withDefault(NativeAttribute::XMotorMovementError, defaults.XMotorMovementError);
    p.YMotorMovementError = withDefault(NativeAttribute::YMotorMovementError, defaults.YMotorMovementError);
    return p;
}

TextElementAlignment textAlignmentFromAttribute(const QString &value)
{
    if (value == QLatin1String("AlignRight"))
        return AlignRight;
    if (value == QLatin1String("AlignCenter"))
        return AlignCenter;
    return AlignLeft;
}

QString textAlignmentToAttribute(TextElementAlignment alignment)
{
    switch (alignment) {
    case AlignRight: return QStringLiteral("AlignRight");
    case AlignCenter: return QStringLiteral("AlignCenter");
    case AlignLeft: break;
    }
    return QStringLiteral("AlignLeft");
}

TextDirection textDirectionFromAttribute(const QString &value)
{
    return value == QLatin1String("V") ? TextVertical : TextHorizontal;
}

QString textDirectionToAttribute(TextDirection direction)
{
    return direction == TextVertical ? QStringLiteral("V") : QStringLiteral("H");
}

bool PrintParameters::operator==(const PrintParameters &other) const
{
    return scanTimes == other.scanTimes && scanBuffer == other.scanBuffer && scanAccuracy == other.scanAccuracy
        && scanAngle == other.scanAngle && scanError == other.scanError && scanPower == other.scanPower
        && scanSpeed == other.scanSpeed && XMotorMovementError == other.XMotorMovementError
        && YMotorMovementError == other.YMotorMovementError;
}

PrintParameters printParametersOf(const QDomElement &element, const DefaultParameters &defaults)
{
    auto numberOr = [&element](const char *name, double fallback) {
        bool ok = false;
        const double value = getFloatTrait(element, QLatin1String(name), &ok);
        return ok ? value : fallback;
    };
    PrintParameters p;
    p.scanTimes = numberOr(NativeAttribute::ScanTimes, defaults.scanTimes);
    p.scanBuffer = numberOr(NativeAttribute::ScanBuffer, defaults.scanBuffer);
    p.scanAccuracy = numberOr(NativeAttribute::ScanAccuracy, defaults.scanAccuracy);
    p.scanAngle = numberOr(NativeAttribute::ScanAngle, defaults.scanAngle);
    p.scanError = numberOr(NativeAttribute::ScanError, defaults.scanError);
    p.scanPower = numberOr(NativeAttribute::ScanPower, 100);
    p.scanSpeed = numberOr(NativeAttribute::ScanSpeed, 100);
    p.XMotorMovementError = numberOr(NativeAttribute::XMotorMovementError, defaults.XMotorMovementError);
    p.YMotorMovementError = numberOr(NativeAttribute::YMotorMovementError, defaults.YMotorMovementError);
    return p;
}
