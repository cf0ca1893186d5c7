#include "gcode/gcodebuffer.h"

namespace {

// Integer part, truncated toward zero, in plain decimal.
QString integerWord(double value)
{
    return QString::number(static_cast<qlonglong>(value));
}

QString fixedWord(double value)
{
    return QString::number(value, 'f', 4);
}

} // namespace

QString gcodeBuffer2Str(const GCodeBuffer &buffer)
{
    if (buffer.g == -3)
        return QStringLiteral("\n");

    QString line;
    line.reserve(48);
    if (buffer.g == -2)
        line += QLatin1String("G00");
    else if (buffer.g != -1)
        line += QLatin1Char('G') + integerWord(buffer.g);

    if (buffer.m != -1)
        line += QLatin1Char('M') + integerWord(buffer.m);

    const double absent = buffer.absolute ? -1.0 : 0.0;
    if (buffer.x != absent)
        line += QLatin1Char('X') + fixedWord(buffer.x);
    if (buffer.y != absent)
        line += QLatin1Char('Y') + fixedWord(buffer.y);

    if (buffer.s != -1)
        line += QLatin1Char('S') + fixedWord(buffer.s);
    if (buffer.f != -1)
        line += QLatin1Char('F') + fixedWord(buffer.f);

    line += QLatin1Char('\n');
    return line;
}

QList<GCodeBuffer> gcodeBufferIncrementPath(double g, double x, double y, double s, double f)
{
    GCodeBuffer record;
    record.g = g;
    record.x = x;
    record.y = y;
    record.s = s;
    record.f = f;
    record.m = -1;
    record.absolute = true;
    return {record};
}

void registerGCodeBufferMetaTypes()
{
    qRegisterMetaType<GCodeBuffer>("GCodeBuffer");
    qRegisterMetaType<QList<GCodeBuffer>>("QList<GCodeBuffer>");
}
