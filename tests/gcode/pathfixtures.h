#pragma once

// Small helpers to write outlines as text in test tables and to compare them.
// "M0 0 L10 0 C1 2 3 4 5 6" builds a path; "nan" and "inf" are accepted as
// coordinates (QPainterPath refuses them when adding points, so they are
// written into the finished path).

#include <QList>
#include <QPainterPath>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cmath>
#include <limits>

namespace PathFixtures {

inline double parseCoordinate(const QString &token)
{
    if (token == QLatin1String("nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (token == QLatin1String("inf"))
        return std::numeric_limits<double>::infinity();
    if (token == QLatin1String("-inf"))
        return -std::numeric_limits<double>::infinity();
    bool ok = false;
    const double value = token.toDouble(&ok);
    if (!ok)
        qFatal("pathFrom: bad number \"%s\"", qPrintable(token));
    return value;
}

inline QPainterPath pathFrom(const QString &text)
{
    QPainterPath path;
    QVector<QPointF> points;
    const QStringList tokens = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i < tokens.size();) {
        const QChar command = tokens.at(i).at(0);
        const QString first = tokens.at(i).mid(1);
        QVector<double> numbers{parseCoordinate(first)};
        const int needed = command == QLatin1Char('C') ? 6 : 2;
        for (int k = 1; k < needed; ++k)
            numbers.append(parseCoordinate(tokens.at(i + k)));
        i += needed;
        for (int k = 0; k < needed; k += 2)
            points.append(QPointF(numbers[k], numbers[k + 1]));
        // Placeholders keep Qt from dropping non-finite points.
        const QPointF placeholder(points.size(), 0);
        if (command == QLatin1Char('M'))
            path.moveTo(placeholder);
        else if (command == QLatin1Char('L'))
            path.lineTo(placeholder);
        else
            path.cubicTo(placeholder, placeholder, placeholder);
    }
    // QPainterPath merges consecutive moves; such fixtures cannot be written.
    if (path.elementCount() != points.size())
        qFatal("pathFrom: \"%s\" is not representable", qPrintable(text));
    for (int i = 0; i < points.size(); ++i)
        path.setElementPositionAt(i, points[i].x(), points[i].y());
    return path;
}

inline QString number(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    return QString::number(value, 'g', 10);
}

// The inverse of pathFrom: one letter per element (M, L, C and c for the
// two curve data elements).
inline QString describe(const QPainterPath &path)
{
    QStringList parts;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const char *letter = e.isMoveTo() ? "M" : e.isLineTo() ? "L" : e.isCurveTo() ? "C" : "c";
        parts << QLatin1String(letter) + number(e.x) + QLatin1Char(' ') + number(e.y);
    }
    return parts.join(QLatin1Char(' '));
}

inline QString describe(const QList<QPainterPath> &paths)
{
    QStringList parts;
    for (const QPainterPath &path : paths)
        parts << describe(path);
    return parts.join(QLatin1String(" | "));
}

} // namespace PathFixtures
