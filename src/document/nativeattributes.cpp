#include "nativeattributes.h"

#include "svgvalues.h"

#include <QtNumeric>

#include <cmath>

namespace {
// Attribute names as strings made once: they are looked up for every element
// of a design, and the attributes written share the name instead of copying it.
struct ParameterNames
{
    QString scanTimes = QLatin1String(NativeAttribute::ScanTimes);
    QString scanBuffer = QLatin1String(NativeAttribute::ScanBuffer);
    QString scanAccuracy = QLatin1String(NativeAttribute::ScanAccuracy);
    QString scanAngle = QLatin1String(NativeAttribute::ScanAngle);
    QString scanError = QLatin1String(NativeAttribute::ScanError);
    QString scanPower = QLatin1String(NativeAttribute::ScanPower);
    QString scanSpeed = QLatin1String(NativeAttribute::ScanSpeed);
    QString xMotorMovementError = QLatin1String(NativeAttribute::XMotorMovementError);
    QString yMotorMovementError = QLatin1String(NativeAttribute::YMotorMovementError);
};

const ParameterNames &parameterNames()
{
    static const ParameterNames names;
    return names;
}
} // namespace

const QStringList &defaultedParameterNames()
{
    const ParameterNames &n = parameterNames();
    static const QStringList names = {n.scanTimes, n.scanBuffer, n.scanAccuracy, n.scanAngle,
                                      n.scanError, n.xMotorMovementError, n.yMotorMovementError};
    return names;
}

PrintParameters readPrintParameters(QDomElement &element, const DefaultParameters &defaults)
{
    PrintParameters p;
    // The defaults are mostly one value: each is formatted once per element
    // and the attributes written share the text.
    double formattedValue = qQNaN();
    QString formattedText;
    auto withDefault = [&](const QString &name, double fallback) {
        bool ok = false;
        const double value = getFloatTrait(element, name, &ok);
        if (ok)
            return value;
        // (-0 and 0 are written differently.)
        if (!(fallback == formattedValue && std::signbit(fallback) == std::signbit(formattedValue))) {
            formattedValue = fallback;
            formattedText = QString::number(fallback, 'g', 6);
        }
        // Replaces an unreadable value as well.
        element.setAttribute(name, formattedText);
        return fallback;
    };
    auto withoutWriting = [&element](const QString &name, double fallback) {
        bool ok = false;
        const double value = getFloatTrait(element, name, &ok);
        return ok ? value : fallback;
    };
    const ParameterNames &names = parameterNames();
    p.scanTimes = withDefault(names.scanTimes, defaults.scanTimes);
    p.scanBuffer = withDefault(names.scanBuffer, defaults.scanBuffer);
    p.scanAccuracy = withDefault(names.scanAccuracy, defaults.scanAccuracy);
    p.scanAngle = withDefault(names.scanAngle, defaults.scanAngle);
    p.scanError = withDefault(names.scanError, defaults.scanError);
    p.scanPower = withoutWriting(names.scanPower, 100);
    p.scanSpeed = withoutWriting(names.scanSpeed, 100);
    p.XMotorMovementError = withDefault(names.xMotorMovementError, defaults.XMotorMovementError);
    p.YMotorMovementError = withDefault(names.yMotorMovementError, defaults.YMotorMovementError);
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
