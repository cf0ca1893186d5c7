#include "svgvalues.h"

#include <QColor>
#include <QDebug>
#include <QDomNodeList>
#include <QLineF>
#include <QRegularExpression>
#include <QtMath>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace {

// Patterns shared by the readers; QRegularExpression is safe to match from any thread.
const QRegularExpression &commaOrWS()
{
    static const QRegularExpression re(QStringLiteral("(\\s*\\,\\s*)|\\s+"));
    return re;
}
const QRegularExpression &percentagePattern()
{
    static const QRegularExpression re(QStringLiteral("^(\\d+\\.?\\d*)\\%$"));
    return re;
}
const QRegularExpression &transformPattern()
{
    static const QRegularExpression re(
        QStringLiteral("\\b(translate|scale|rotate|skewX|skewY|matrix)\\b\\s*\\(([\\-\\+\\.\\d\\s\\,eE]+)\\)"));
    return re;
}
const QRegularExpression &translatePattern()
{
    static const QRegularExpression re(QStringLiteral("\\b(translate)\\b\\s*\\(([\\-\\+\\.\\d\\s\\,eE]+)\\)"));
    return re;
}
const QRegularExpression &matrixPattern()
{
    static const QRegularExpression re(QStringLiteral("\\b(matrix)\\b\\s*\\(([\\-\\+\\.\\d\\s\\,eE]+)\\)"));
    return re;
}
// Same-document reference; ids may hold '-' and '.' as XML names do.
const QRegularExpression &uriFragment()
{
    static const QRegularExpression re(QStringLiteral("^\\#([\\w\\.\\-]+)"),
                                       QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

// Longest gradient xlink:href chain followed; guards the recursion.
constexpr int MaxGradientChain = 64;

inline bool isSvgSpace(ushort c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
inline bool isDigit(ushort c)
{
    return c >= '0' && c <= '9';
}
inline bool isCommandLetter(ushort c)
{
    switch (c) {
    case 'M': case 'm': case 'Z': case 'z': case 'L': case 'l': case 'H': case 'h':
    case 'V': case 'v': case 'C': case 'c': case 'S': case 's': case 'Q': case 'q':
    case 'T': case 't': case 'A': case 'a':
        return true;
    default:
        return false;
    }
}
int commandCode(ushort upper)
{
    switch (upper) {
    case 'M': return PathMoveTo;
    case 'Z': return PathClose;
    case 'L': return PathLineTo;
    case 'H': return PathHorizontal;
    case 'V': return PathVertical;
    case 'C': return PathCubic;
    case 'S': return PathSmoothCubic;
    case 'Q': return PathQuadratic;
    case 'T': return PathSmoothQuadratic;
    case 'A': return PathArc;
    default: return PathEnd;
    }
}

// Reads one number of the SVG grammar from a UTF-16 buffer.
bool scanNumber(const QChar *s, int n, int &pos, double &value)
{
    int i = pos;
    const int start = i;
    if (i < n && (s[i].unicode() == '+' || s[i].unicode() == '-'))
        ++i;
    const int mantissaStart = i;
    while (i < n && isDigit(s[i].unicode()))
        ++i;
    bool digits = i > mantissaStart;
    if (i < n && s[i].unicode() == '.') {
        const int fractionStart = i + 1;
        int j = fractionStart;
        while (j < n && isDigit(s[j].unicode()))
            ++j;
        if (j > fractionStart || digits) {
            digits = digits || j > fractionStart;
            i = j;
        }
    }
    if (!digits)
        return false;
    if (i < n && (s[i].unicode() == 'e' || s[i].unicode() == 'E')) {
        int j = i + 1;
        if (j < n && (s[j].unicode() == '+' || s[j].unicode() == '-'))
            ++j;
        const int exponentStart = j;
        while (j < n && isDigit(s[j].unicode()))
            ++j;
        if (j > exponentStart)
            i = j;
    }
    // std::from_chars is locale-independent and rounds correctly; it takes no '+'.
    char small[64] = {};
    std::string large;
    const int first = s[start].unicode() == '+' ? start + 1 : start;
    const int length = i - first;
    char *buffer = small;
    if (length >= int(sizeof small)) {
        large.resize(size_t(length));
        buffer = &large[0];
    }
    for (int k = 0; k < length; ++k)
        buffer[k] = char(s[first + k].unicode());
    double parsed = 0;
    const auto result = std::from_chars(buffer, buffer + length, parsed);
    if (result.ec == std::errc::result_out_of_range) {
        // Underflow reads as 0; overflow is not a usable coordinate.
        bool negativeExponent = false;
        for (int k = 0; k < length; ++k) {
            if ((buffer[k] == 'e' || buffer[k] == 'E') && k + 1 < length && buffer[k + 1] == '-')
                negativeExponent = true;
        }
        if (!negativeExponent)
            return false;
        parsed = 0;
    } else if (result.ec != std::errc() || result.ptr != buffer + length) {
        return false;
    }
    value = parsed;
    pos = i;
    return true;
}

void skipSpaces(const QChar *s, int n, int &pos)
{
    while (pos < n && isSvgSpace(s[pos].unicode()))
        ++pos;
}

// Skips whitespace with at most one comma in it; false when a second comma follows.
void skipCommaSpaces(const QChar *s, int n, int &pos)
{
    skipSpaces(s, n, pos);
    if (pos < n && s[pos].unicode() == ',') {
        ++pos;
        skipSpaces(s, n, pos);
    }
}

// Appends an elliptical arc from `from` to `to` as cubic curves (at most 90 degrees each).
void arcToCubics(QPainterPath &path, const QPointF &from, double rx, double ry, double xAxisRotation,
                 bool largeArc, bool sweep, const QPointF &to)
{
    if (from == to)
        return;
    rx = std::fabs(rx);
    ry = std::fabs(ry);
    if (rx == 0 || ry == 0) {
        path.lineTo(to);
        return;
    }
    const double phi = qDegreesToRadians(std::fmod(xAxisRotation, 360.0));
    const double cosPhi = std::cos(phi);
    const double sinPhi = std::sin(phi);
    const double dx2 = (from.x() - to.x()) / 2.0;
    const double dy2 = (from.y() - to.y()) / 2.0;
    const double x1p = cosPhi * dx2 + sinPhi * dy2;
    const double y1p = -sinPhi * dx2 + cosPhi * dy2;

    // Radii too small to reach the end point are scaled up just enough.
    const double lambda = (x1p * x1p) / (rx * rx) + (y1p * y1p) / (ry * ry);
    if (lambda > 1) {
        const double scale = std::sqrt(lambda);
        rx *= scale;
        ry *= scale;
    }
    const double rx2 = rx * rx;
    const double ry2 = ry * ry;
    double numerator = rx2 * ry2 - rx2 * y1p * y1p - ry2 * x1p * x1p;
    if (numerator < 0)
        numerator = 0;
    const double denominator = rx2 * y1p * y1p + ry2 * x1p * x1p;
    double coefficient = denominator > 0 ? std::sqrt(numerator / denominator) : 0;
    if (largeArc == sweep)
        coefficient = -coefficient;
    const double cxp = coefficient * (rx * y1p / ry);
    const double cyp = coefficient * -(ry * x1p / rx);
    const double cx = cosPhi * cxp - sinPhi * cyp + (from.x() + to.x()) / 2.0;
    const double cy = sinPhi * cxp + cosPhi * cyp + (from.y() + to.y()) / 2.0;

    auto angle = [](double ux, double uy, double vx, double vy) {
        return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    };
    const double ux = (x1p - cxp) / rx;
    const double uy = (y1p - cyp) / ry;
    const double vx = (-x1p - cxp) / rx;
    const double vy = (-y1p - cyp) / ry;
    const double theta1 = angle(1, 0, ux, uy);
    double delta = angle(ux, uy, vx, vy);
    if (!sweep && delta > 0)
        delta -= 2 * M_PI;
    else if (sweep && delta < 0)
        delta += 2 * M_PI;

    const int segments = std::max(1, int(std::ceil(std::fabs(delta) / (M_PI / 2) - 1e-9)));
    const double step = delta / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4.0);
    auto pointAt = [&](double t) {
        const double x = rx * std::cos(t);
        const double y = ry * std::sin(t);
        return QPointF(cosPhi * x - sinPhi * y + cx, sinPhi * x + cosPhi * y + cy);
    };
    auto derivativeAt = [&](double t) {
        const double x = -rx * std::sin(t);
        const double y = ry * std::cos(t);
        return QPointF(cosPhi * x - sinPhi * y, sinPhi * x + cosPhi * y);
    };
    double t = theta1;
    QPointF start = from;
    for (int i = 0; i < segments; ++i) {
        const double tNext = t + step;
        const QPointF end = (i == segments - 1) ? to : pointAt(tNext);
        const QPointF c1 = start + k * derivativeAt(t);
        const QPointF c2 = end - k * derivativeAt(tNext);
        path.cubicTo(c1, c2, end);
        start = end;
        t = tNext;
    }
}

// Path-data interpreter: one instance per parse, so parsing is reentrant.
class PathParser
{
public:
    explicit PathParser(const QString &text)
        : m_s(text.constData()), m_n(text.size())
    {
    }

    QPainterPath parse(bool *ok)
    {
        int pos = 0;
        skipSpaces(m_s, m_n, pos);
        if (pos >= m_n || (m_s[pos].unicode() != 'M' && m_s[pos].unicode() != 'm')) {
            qDebug() << "ERROR in path parsing";
            if (ok)
                *ok = false;
            return QPainterPath();
        }
        bool syntaxError = false;
        while (pos < m_n) {
            const ushort letter = m_s[pos].unicode();
            ++pos;
            const bool relative = letter >= 'a';
            const int code = commandCode(relative ? ushort(letter - 32) : letter);
            const bool complete = collectValues(code, pos);
            if (!complete)
                syntaxError = true;
            execute(code, relative, complete);
            if (!complete)
                break;
            skipSpaces(m_s, m_n, pos);
        }
        if (syntaxError) {
            qDebug() << "ERROR in path parsing: unexpected character at" << m_errorPos;
            if (ok)
                *ok = false;
        }
        return m_path;
    }

private:
    // Collects the values after a command letter up to the next letter. False on
    // a character that belongs to no value (the values read so far are kept).
    bool collectValues(int code, int &pos)
    {
        m_values.clear();
        skipSpaces(m_s, m_n, pos);
        while (pos < m_n) {
            const ushort c = m_s[pos].unicode();
            if (isCommandLetter(c))
                return true;
            double value = 0;
            const int indexInGroup = m_values.size() % 7;
            if (code == PathArc && (indexInGroup == 3 || indexInGroup == 4)) {
                if (c != '0' && c != '1') {
                    m_errorPos = pos;
                    return false;
                }
                value = c == '1' ? 1 : 0;
                ++pos;
            } else if (!scanNumber(m_s, m_n, pos, value)) {
                m_errorPos = pos;
                return false;
            }
            m_values.push_back(value);
            skipCommaSpaces(m_s, m_n, pos);
        }
        return true;
    }

    static int groupSize(int code)
    {
        switch (code) {
        case PathMoveTo: case PathLineTo: case PathSmoothQuadratic: return 2;
        case PathHorizontal: case PathVertical: return 1;
        case PathCubic: return 6;
        case PathSmoothCubic: case PathQuadratic: return 4;
        case PathArc: return 7;
        default: return 0;
        }
    }

    void startSubpathIfClosed()
    {
        if (m_closed) {
            m_path.moveTo(m_subpathStart);
            m_closed = false;
        }
    }

    QPointF point(size_t index, bool relative) const
    {
        const QPointF p(m_values[index], m_values[index + 1]);
        return relative ? m_current + p : p;
    }

    // Runs the command on its values. A value count that does not fit the
    // command drops the whole command; after a syntax error the complete
    // groups read before it are still drawn.
    void execute(int code, bool relative, bool complete)
    {
        const int size = groupSize(code);
        size_t count = m_values.size();
        if (size > 0) {
            if (complete) {
                if (code == PathHorizontal || code == PathVertical) {
                    // any count
                } else if (count == 0 || count % size != 0) {
                    return;
                }
            } else {
                count -= count % size;
            }
        }
        int previousKind = m_lastKind;
        m_lastKind = OtherSegment;
        switch (code) {
        case PathMoveTo:
            for (size_t i = 0; i < count; i += 2) {
                const QPointF p = point(i, relative);
                if (i == 0) {
                    m_path.moveTo(p);
                    m_subpathStart = p;
                    m_closed = false;
                } else {
                    // Further pairs after a move are lines, as in SVG.
                    m_path.lineTo(p);
                }
                m_current = p;
            }
            break;
        case PathClose:
            m_path.closeSubpath();
            m_current = m_subpathStart;
            m_closed = true;
            break;
        case PathLineTo:
            startSubpathIfClosed();
            for (size_t i = 0; i < count; i += 2) {
                m_current = point(i, relative);
                m_path.lineTo(m_current);
            }
            break;
        case PathHorizontal:
            startSubpathIfClosed();
            for (size_t i = 0; i < count; ++i) {
                m_current.setX(relative ? m_current.x() + m_values[i] : m_values[i]);
                m_path.lineTo(m_current);
            }
            break;
        case PathVertical:
            startSubpathIfClosed();
            for (size_t i = 0; i < count; ++i) {
                m_current.setY(relative ? m_current.y() + m_values[i] : m_values[i]);
                m_path.lineTo(m_current);
            }
            break;
        case PathCubic:
        case PathSmoothCubic: {
            startSubpathIfClosed();
            const bool smooth = code == PathSmoothCubic;
            for (size_t i = 0; i < count; i += size) {
                QPointF c1;
                size_t next = i;
                if (smooth) {
                    c1 = previousKind == CubicSegment ? 2 * m_current - m_reflection : m_current;
                } else {
                    c1 = point(next, relative);
                    next += 2;
                }
                const QPointF c2 = point(next, relative);
                const QPointF end = point(next + 2, relative);
                m_path.cubicTo(c1, c2, end);
                m_reflection = c2;
                m_current = end;
                previousKind = CubicSegment;
            }
            m_lastKind = count > 0 ? CubicSegment : OtherSegment;
            break;
        }
        case PathQuadratic:
        case PathSmoothQuadratic: {
            startSubpathIfClosed();
            const bool smooth = code == PathSmoothQuadratic;
            for (size_t i = 0; i < count; i += size) {
                QPointF control;
                size_t next = i;
                if (smooth) {
                    control = previousKind == QuadraticSegment ? 2 * m_current - m_reflection : m_current;
                } else {
                    control = point(next, relative);
                    next += 2;
                }
                const QPointF end = point(next, relative);
                m_path.quadTo(control, end);
                m_reflection = control;
                m_current = end;
                previousKind = QuadraticSegment;
            }
            m_lastKind = count > 0 ? QuadraticSegment : OtherSegment;
            break;
        }
        case PathArc:
            startSubpathIfClosed();
            for (size_t i = 0; i < count; i += 7) {
                const QPointF end = point(i + 5, relative);
                arcToCubics(m_path, m_current, m_values[i], m_values[i + 1], m_values[i + 2],
                            m_values[i + 3] != 0, m_values[i + 4] != 0, end);
                m_current = end;
            }
            break;
        default:
            break;
        }
    }

    enum SegmentKind { OtherSegment, CubicSegment, QuadraticSegment };

    const QChar *m_s;
    int m_n;
    QPainterPath m_path;
    std::vector<double> m_values;
    QPointF m_current;
    QPointF m_subpathStart;
    QPointF m_reflection;
    int m_lastKind = OtherSegment;
    bool m_closed = false;
    int m_errorPos = -1;
};

} // namespace

// ---- Attribute access ----

QString getTrait(const QDomElement &element, const QString &name, bool *ok)
{
    // One lookup: readers run for every element of a design. (attributeNode()
    // is not const; the copy shares the element.)
    const QDomAttr attribute = QDomElement(element).attributeNode(name);
    if (ok)
        *ok = !attribute.isNull();
    return attribute.value();
}

bool setTrait(QDomElement &element, const QString &name, const QString &value)
{
    if (element.isNull())
        return false;
    QDomAttr attribute = element.attributeNode(name);
    if (!attribute.isNull())
        attribute.setValue(value);
    else
        element.setAttribute(name, value);
    return true;
}

QDomElement getElementById(const QDomElement &root, const QString &id)
{
    if (id.isEmpty() || root.isNull())
        return QDomElement();
    // Iterative walk: documents may nest deeply.
    QDomElement current = root;
    while (!current.isNull()) {
        if (current.attribute(QStringLiteral("id")) == id && current.hasAttribute(QStringLiteral("id")))
            return current;
        QDomElement next = current.firstChildElement();
        if (next.isNull()) {
            QDomElement climb = current;
            while (!climb.isNull() && climb != root) {
                next = climb.nextSiblingElement();
                if (!next.isNull())
                    break;
                climb = climb.parentNode().toElement();
            }
            if (climb.isNull() || climb == root)
                return QDomElement();
        }
        current = next;
    }
    return QDomElement();
}

// ---- Numbers and lists ----

QString findNum(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (isDigit(c.unicode()) || c == QLatin1Char('.') || c == QLatin1Char('-'))
            result.append(c);
    }
    return result;
}

bool readSvgNumber(const QString &text, int &pos, double &value)
{
    if (pos < 0 || pos >= text.size())
        return false;
    return scanNumber(text.constData(), text.size(), pos, value);
}

namespace {
// The factor of the first unit named anywhere in the text, else 1.
double unitFactor(const QString &text)
{
    struct Unit
    {
        const char *names[3];
        double factor;
    };
    static const Unit units[] = {
        {{"px", "px", "px"}, 1.0},
        {{"in", "In", "IN"}, 96.0},
        {{"mm", "Mm", "MM"}, 96.0 / 25.4},
        {{"cm", "Cm", "CM"}, 96.0 / 2.54},
        {{"pt", "Pt", "PT"}, 96.0 / 72.0},
        {{"pc", "Pc", "PC"}, 16.0},
        {{"em", "Em", "EM"}, 150.0},
    };
    // Unit names are letters; most lengths carry none, and the search below
    // looks for every name in turn.
    const bool hasLetter = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    });
    if (!hasLetter)
        return 1.0;
    for (const Unit &unit : units) {
        for (const char *name : unit.names) {
            if (text.contains(QLatin1String(name)))
                return unit.factor;
        }
    }
    return 1.0;
}
} // namespace

double unitConversion(const QString &text, bool *ok)
{
    const double factor = unitFactor(text);
    int pos = 0;
    skipSpaces(text.constData(), text.size(), pos);
    double value = 0;
    const bool converted = readSvgNumber(text, pos, value);
    if (ok)
        *ok = converted;
    return converted ? value * factor : 0.0;
}

double getFloatTrait(const QDomElement &element, const QString &name, bool *ok)
{
    bool exists = false;
    const QString value = getTrait(element, name, &exists);
    if (!exists) {
        if (ok)
            *ok = false;
        return 0;
    }
    return unitConversion(value, ok);
}

double getPercentageTrait(const QDomElement &element, const QString &name, bool *ok)
{
    const QString value = getTrait(element, name);
    const QRegularExpressionMatch match = percentagePattern().match(value);
    if (!match.hasMatch()) {
        if (ok)
            *ok = false;
        return 0;
    }
    return match.captured(1).toDouble(ok);
}

QStringList getListTrait(const QDomElement &element, const QString &name, bool *ok)
{
    bool exists = false;
    const QString value = getTrait(element, name, &exists);
    if (ok)
        *ok = exists;
    if (!exists)
        return QStringList();
    return value.trimmed().split(commaOrWS());
}

// ---- Colours ----

QBrush getRGBColorTrait(const QString &text, bool *ok)
{
    QColor color;
    color.setNamedColor(text);
    if (color.isValid()) {
        if (ok)
            *ok = true;
        return QBrush(color);
    }
    static const QRegularExpression integerRgb(QStringLiteral(
        "^rgb\\(\\s*(\\d{1,3})\\s*\\,\\s*(\\d{1,3})\\s*\\,\\s*(\\d{1,3})\\s*\\)$"));
    static const QRegularExpression percentRgb(QStringLiteral(
        "^rgb\\(\\s*(\\d+\\.?\\d*)\\%\\s*\\,\\s*(\\d+\\.?\\d*)\\%\\s*\\,\\s*(\\d+\\.?\\d*)\\%\\s*\\)$"));
    QRegularExpressionMatch match = integerRgb.match(text);
    if (match.hasMatch()) {
        int channels[3];
        bool all = true;
        for (int i = 0; i < 3; ++i) {
            bool converted = false;
            channels[i] = match.captured(i + 1).toInt(&converted);
            all = all && converted && channels[i] >= 0 && channels[i] <= 255;
        }
        if (all) {
            if (ok)
                *ok = true;
            return QBrush(QColor(channels[0], channels[1], channels[2]));
        }
        return QBrush();
    }
    match = percentRgb.match(text);
    if (match.hasMatch()) {
        int channels[3];
        bool all = true;
        for (int i = 0; i < 3; ++i) {
            bool converted = false;
            const double percent = match.captured(i + 1).toDouble(&converted);
            all = all && converted && percent >= 0 && percent <= 100;
            channels[i] = int(percent / 100.0 * 255.0);
        }
        if (all) {
            if (ok)
                *ok = true;
            return QBrush(QColor(channels[0], channels[1], channels[2]));
        }
    }
    return QBrush();
}

QBrush getRGBColorTrait(const QDomElement &element, const QString &name, bool *ok)
{
    bool exists = false;
    const QString value = getTrait(element, name, &exists);
    if (!exists)
        return QBrush();
    return getRGBColorTrait(value, ok);
}

// ---- Path data ----

int findCmd(const QString &text, int &pos, bool *relative)
{
    const QChar *s = text.constData();
    const int n = text.size();
    for (int i = qMax(0, pos); i < n; ++i) {
        const ushort c = s[i].unicode();
        if (isCommandLetter(c)) {
            pos = i + 1;
            const bool lower = c >= 'a';
            if (relative)
                *relative = lower;
            return commandCode(lower ? ushort(c - 32) : c);
        }
    }
    return PathEnd;
}

int findCoords(const QString &text, int pos, QVector<double> *coords)
{
    if (coords)
        coords->clear();
    const QChar *s = text.constData();
    const int n = text.size();
    pos = qMax(0, pos);
    int afterLast = pos;
    int i = pos;
    skipSpaces(s, n, i);
    while (i < n && !isCommandLetter(s[i].unicode())) {
        double value = 0;
        if (!scanNumber(s, n, i, value))
            break;
        if (coords)
            coords->append(value);
        afterLast = i;
        skipCommaSpaces(s, n, i);
    }
    return afterLast;
}

QPainterPath getPathTrait(const QDomElement &element, const QString &name, bool *ok)
{
    bool exists = false;
    const QString value = getTrait(element, name, &exists);
    if (ok)
        *ok = exists;
    if (!exists)
        return QPainterPath();
    return getPathTraitFromString(value, ok);
}

QPainterPath getPathTraitFromString(const QString &text, bool *ok)
{
    if (text.size() > MaxPathDataLength) {
        qWarning() << "ERROR in path parsing: path data of" << text.size()
                   << "characters exceeds the limit of" << MaxPathDataLength;
        if (ok)
            *ok = false;
        return QPainterPath();
    }
    if (ok)
        *ok = true;
    PathParser parser(text);
    return parser.parse(ok);
}

namespace {

QString pointText(const QPointF &p, const QPointF &last)
{
    QString x, y;
    x.setNum(p.x() - last.x(), 'f', 6);
    y.setNum(p.y() - last.y(), 'f', 6);
    return x + QLatin1Char(',') + y + QLatin1Char(' ');
}

QString writePath(const QPainterPath &path, bool absoluteFirstMove, bool closeWhenBackAtStart)
{
    enum Token { NoToken, MoveToken, LineToken, CurveToken };
    QString d;
    QPointF last(0, 0);
    Token previous = NoToken;
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            if (previous != MoveToken)
                d += (absoluteFirstMove && i == 0) ? QStringLiteral("M ") : QStringLiteral("m ");
            d += pointText(e, last);
            last = e;
            previous = MoveToken;
            break;
        case QPainterPath::LineToElement:
            if (previous != LineToken)
                d += QStringLiteral("l ");
            d += pointText(e, last);
            last = e;
            previous = LineToken;
            break;
        case QPainterPath::CurveToElement: {
            if (i + 2 >= count)
                return d; // a malformed curve without its data elements
            if (previous != CurveToken)
                d += QStringLiteral("c ");
            const QPointF c1 = e;
            const QPointF c2 = path.elementAt(i + 1);
            const QPointF end = path.elementAt(i + 2);
            d += pointText(c1, last);
            d += pointText(c2, last);
            d += pointText(end, last);
            last = end;
            previous = CurveToken;
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    if (closeWhenBackAtStart && count > 0 && path.currentPosition() == QPointF(path.elementAt(0)))
        d += QStringLiteral("z ");
    return d;
}

} // namespace

QString pathToD(const QPainterPath &path)
{
    return writePath(path, true, true);
}

QString painterPathToD(const QPainterPath &path)
{
    return writePath(path, false, false);
}

// ---- Transforms ----

QList<double> getTransformValues(const QString &text, bool *ok)
{
    QList<double> values;
    const QString trimmed = text.trimmed();
    const QChar *s = trimmed.constData();
    const int n = trimmed.size();
    int pos = 0;
    skipSpaces(s, n, pos);
    while (pos < n) {
        double value = 0;
        if (!scanNumber(s, n, pos, value)) {
            if (ok)
                *ok = false;
            return QList<double>();
        }
        values.append(value);
        skipCommaSpaces(s, n, pos);
    }
    return values;
}

namespace {

// The transforms of a transform list, in the order they are written.
QList<QTransform> collectTransforms(const QString &text, bool *ok)
{
    static const double pi = 3.14159265358979;
    QList<QTransform> transforms;
    // Most elements have no transform; starting a match costs more than the element.
    if (text.isEmpty())
        return transforms;
    QRegularExpressionMatchIterator it = transformPattern().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured(1);
        bool valuesOk = true;
        const QList<double> v = getTransformValues(match.captured(2).trimmed(), &valuesOk);
        if (!valuesOk) {
            if (ok)
                *ok = false;
            continue;
        }
        QTransform t;
        bool built = false;
        if (name == QLatin1String("translate") && (v.size() == 1 || v.size() == 2)) {
            t = QTransform::fromTranslate(v[0], v.size() == 2 ? v[1] : 0.0);
            built = true;
        } else if (name == QLatin1String("scale") && (v.size() == 1 || v.size() == 2)) {
            t = QTransform::fromScale(v[0], v.size() == 2 ? v[1] : v[0]);
            built = true;
        } else if (name == QLatin1String("rotate") && (v.size() == 1 || v.size() == 3)) {
            QTransform rotation;
            rotation.rotate(v[0]);
            if (v.size() == 3)
                t = QTransform::fromTranslate(-v[1], -v[2]) * rotation * QTransform::fromTranslate(v[1], v[2]);
            else
                t = rotation;
            built = true;
        } else if (name == QLatin1String("skewX") && v.size() == 1) {
            t = QTransform(1, 0, std::tan(v[0] * pi / 180.0), 1, 0, 0);
            built = true;
        } else if (name == QLatin1String("skewY") && v.size() == 1) {
            t = QTransform(1, std::tan(v[0] * pi / 180.0), 0, 1, 0, 0);
            built = true;
        } else if (name == QLatin1String("matrix") && v.size() == 6) {
            t = QTransform(v[0], v[1], v[2], v[3], v[4], v[5]);
            built = true;
        }
        if (built) {
            transforms.append(t);
            if (ok)
                *ok = true;
        }
    }
    return transforms;
}

// SVG applies the last function first: with Qt's row vectors that is last * ... * first.
QTransform combine(const QList<QTransform> &transforms)
{
    QTransform combined;
    for (const QTransform &t : transforms)
        combined = t * combined;
    return combined;
}

} // namespace

QTransform getTransformValueHelp(const QString &text, bool *ok)
{
    return combine(collectTransforms(text, ok));
}

QTransform getTransform(const QDomElement &element, bool *ok)
{
    if (element.isNull()) {
        if (ok)
            *ok = false;
        return QTransform();
    }
    const QList<QTransform> transforms = collectTransforms(getTrait(element, QStringLiteral("transform")), ok);
    if (transforms.isEmpty())
        return QTransform();
    auto anchor = [&](const char *direct, const char *centre, const char *radius) {
        if (element.hasAttribute(QLatin1String(direct)))
            return getFloatTrait(element, QLatin1String(direct));
        if (element.hasAttribute(QLatin1String(centre))) {
            const double c = getFloatTrait(element, QLatin1String(centre));
            if (element.hasAttribute(QLatin1String(radius)))
                return c - getFloatTrait(element, QLatin1String(radius));
            return c - getFloatTrait(element, QStringLiteral("r"));
        }
        return 0.0;
    };
    const double dx = anchor("x", "cx", "rx");
    const double dy = anchor("y", "cy", "ry");
    return QTransform::fromTranslate(dx, dy) * combine(transforms) * QTransform::fromTranslate(-dx, -dy);
}

bool hasTranslate(const QString &text)
{
    const QRegularExpressionMatch match = translatePattern().match(text);
    return match.hasMatch() && match.capturedStart() == 0;
}

bool hasMatrix(const QString &text)
{
    const QRegularExpressionMatch match = matrixPattern().match(text);
    return match.hasMatch() && match.capturedStart() == 0;
}

void replaceTranslate(QString &text, const QString &addition)
{
    const QRegularExpressionMatch leading = translatePattern().match(text);
    if (!leading.hasMatch() || leading.capturedStart() != 0) {
        text.insert(0, addition);
        return;
    }
    auto translateValues = [](const QRegularExpressionMatch &match) {
        QPointF t(0, 0);
        if (!match.hasMatch())
            return t;
        const QList<double> v = getTransformValues(match.captured(2).trimmed());
        if (!v.isEmpty())
            t.setX(v[0]);
        if (v.size() > 1)
            t.setY(v[1]);
        return t;
    };
    const QPointF sum = translateValues(leading) + translateValues(translatePattern().match(addition));
    const QString replacement = QStringLiteral("translate(%1,%2)")
                                    .arg(QString::number(sum.x(), 'f', 6), QString::number(sum.y(), 'f', 6));
    text.replace(leading.capturedStart(), leading.capturedLength(), replacement);
}

void replaceMatrix(QString &text, const QString &addition)
{
    text.insert(0, addition);
    const QTransform t = getTransformValueHelp(text);
    text = QStringLiteral("matrix(%1,%2,%3,%4,%5,%6)")
               .arg(QString::number(t.m11(), 'f', 6), QString::number(t.m12(), 'f', 6),
                    QString::number(t.m21(), 'f', 6), QString::number(t.m22(), 'f', 6),
                    QString::number(t.dx(), 'f', 6), QString::number(t.dy(), 'f', 6));
}

// ---- Gradients ----

namespace {

// A property of an element's "style" attribute, else the attribute itself.
QString styleOrAttribute(const QDomElement &element, const QString &name, bool *found)
{
    const QStringList declarations = element.attribute(QStringLiteral("style")).split(QLatin1Char(';'));
    for (const QString &declaration : declarations) {
        const int colon = declaration.indexOf(QLatin1Char(':'));
        if (colon > 0 && declaration.left(colon).trimmed() == name) {
            *found = true;
            return declaration.mid(colon + 1).trimmed();
        }
    }
    return getTrait(element, name, found);
}

QString referencedId(const QDomElement &element)
{
    const QString href = element.attribute(QStringLiteral("xlink:href"));
    if (href.isEmpty())
        return QString();
    const QRegularExpressionMatch match = uriFragment().match(href);
    return match.hasMatch() ? match.captured(1) : QString();
}

// Looks up the gradient an element refers to; null when there is none or on a reported error.
QDomElement referencedGradient(const QDomElement &element, const QStringList &visitedIds, QString *id)
{
    *id = referencedId(element);
    if (id->isEmpty())
        return QDomElement();
    if (visitedIds.contains(*id)) {
        qDebug().noquote() << "Error!  Circular reference detected with gradient '" + *id + "'";
        return QDomElement();
    }
    if (visitedIds.size() >= MaxGradientChain) {
        qDebug().noquote() << "Error!  Gradient reference chain too long at '" + *id + "'";
        return QDomElement();
    }
    const QDomElement referenced = getElementById(element.ownerDocument().documentElement(), *id);
    if (referenced.isNull()) {
        qDebug().noquote() << "Error!  Gradient reference '" + *id + "' not found";
        return QDomElement();
    }
    const QString tag = referenced.tagName();
    if (tag != QLatin1String("linearGradient") && tag != QLatin1String("radialGradient")) {
        qDebug().noquote() << "Error! Reference '" + *id + "' is not a linear/radial gradient";
        return QDomElement();
    }
    return referenced;
}

void readUnitsAndSpread(const QDomElement &element, QGradient &gradient)
{
    if (element.attribute(QStringLiteral("gradientUnits")) == QLatin1String("userSpaceOnUse"))
        gradient.setCoordinateMode(QGradient::LogicalMode);
    const QString spread = element.attribute(QStringLiteral("spreadMethod"));
    if (spread == QLatin1String("reflect"))
        gradient.setSpread(QGradient::ReflectSpread);
    else if (spread == QLatin1String("repeat"))
        gradient.setSpread(QGradient::RepeatSpread);
}

} // namespace

QGradientStops fetchGradientStops(const QDomElement &gradient, double opacity)
{
    QGradientStops stops;
    double previousOffset = 0;
    for (QDomElement stop = gradient.firstChildElement(QStringLiteral("stop")); !stop.isNull();
         stop = stop.nextSiblingElement(QStringLiteral("stop"))) {
        QString offsetText = stop.attribute(QStringLiteral("offset"), QStringLiteral("0")).trimmed();
        double divisor = 1;
        if (offsetText.endsWith(QLatin1Char('%'))) {
            offsetText.chop(1);
            divisor = 100;
        }
        bool converted = false;
        double offset = offsetText.toDouble(&converted) / divisor;
        if (!converted || offset < 0 || offset > 1)
            offset = 0;
        if (offset < previousOffset)
            offset = previousOffset;
        previousOffset = offset;

        bool colorFound = false;
        const QString colorText = styleOrAttribute(stop, QStringLiteral("stop-color"), &colorFound);
        bool colorOk = false;
        const QBrush brush = colorFound ? getRGBColorTrait(colorText, &colorOk) : QBrush();
        QColor color = (colorOk && brush.style() != Qt::NoBrush) ? brush.color() : QColor(Qt::black);

        bool opacityFound = false;
        const QString opacityText = styleOrAttribute(stop, QStringLiteral("stop-opacity"), &opacityFound);
        double stopOpacity = 1;
        if (opacityFound) {
            bool opacityOk = false;
            stopOpacity = unitConversion(opacityText, &opacityOk);
            if (!opacityOk || stopOpacity > 1 || stopOpacity < 0)
                stopOpacity = 1;
        }
        color.setAlpha(int(stopOpacity * opacity * 255));
        stops.append(QGradientStop(offset, color));
    }
    return stops;
}

QLinearGradient resolveLinearGradient(const QDomElement &element, double opacity, QStringList visitedIds)
{
    QLinearGradient gradient(0, 0, 1, 0);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setSpread(QGradient::PadSpread);
    QString id;
    const QDomElement referenced = referencedGradient(element, visitedIds, &id);
    if (!referenced.isNull()) {
        visitedIds.append(id);
        if (referenced.tagName() == QLatin1String("linearGradient")) {
            const QLinearGradient inherited = resolveLinearGradient(referenced, opacity, visitedIds);
            gradient.setStart(inherited.start());
            gradient.setFinalStop(inherited.finalStop());
            gradient.setCoordinateMode(inherited.coordinateMode());
            gradient.setSpread(inherited.spread());
            gradient.setStops(inherited.stops());
            qDebug() << "refGrad.end = " << inherited.finalStop().x() << "," << inherited.finalStop().y();
        } else {
            const QRadialGradient inherited = resolveRadialGradient(referenced, opacity, visitedIds);
            gradient.setCoordinateMode(inherited.coordinateMode());
            gradient.setSpread(inherited.spread());
        }
    }
    QPointF start = gradient.start();
    QPointF finalStop = gradient.finalStop();
    bool converted = false;
    double v = element.attribute(QStringLiteral("x1")).toDouble(&converted);
    if (converted)
        start.setX(v);
    v = element.attribute(QStringLiteral("y1")).toDouble(&converted);
    if (converted)
        start.setY(v);
    bool x2Ok = false, y2Ok = false;
    const double x2 = element.attribute(QStringLiteral("x2")).toDouble(&x2Ok);
    const double y2 = element.attribute(QStringLiteral("y2")).toDouble(&y2Ok);
    if (x2Ok)
        finalStop.setX(x2);
    if (y2Ok)
        finalStop.setY(y2);
    qDebug() << "Parsed x2,y2 = " << x2 << "," << y2;
    qDebug() << "Flags bx2, by2 = " << x2Ok << "," << y2Ok;
    gradient.setStart(start);
    gradient.setFinalStop(finalStop);
    readUnitsAndSpread(element, gradient);
    const QGradientStops stops = fetchGradientStops(element, opacity);
    if (!stops.isEmpty())
        gradient.setStops(stops);
    return gradient;
}

QRadialGradient resolveRadialGradient(const QDomElement &element, double opacity, QStringList visitedIds)
{
    QRadialGradient gradient(QPointF(0.5, 0.5), 0.5, QPointF(0.5, 0.5));
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setSpread(QGradient::PadSpread);
    QString id;
    const QDomElement referenced = referencedGradient(element, visitedIds, &id);
    if (!referenced.isNull()) {
        visitedIds.append(id);
        if (referenced.tagName() == QLatin1String("radialGradient")) {
            const QRadialGradient inherited = resolveRadialGradient(referenced, opacity, visitedIds);
            gradient.setCenter(inherited.center());
            gradient.setRadius(inherited.radius());
            gradient.setFocalPoint(inherited.focalPoint());
            gradient.setCoordinateMode(inherited.coordinateMode());
            gradient.setSpread(inherited.spread());
            gradient.setStops(inherited.stops());
        } else {
            const QLinearGradient inherited = resolveLinearGradient(referenced, opacity, visitedIds);
            gradient.setCoordinateMode(inherited.coordinateMode());
            gradient.setSpread(inherited.spread());
            gradient.setStops(inherited.stops());
        }
    }
    QPointF center = gradient.center();
    QPointF focal = gradient.focalPoint();
    double radius = gradient.radius();
    bool converted = false;
    double v = element.attribute(QStringLiteral("cx")).toDouble(&converted);
    if (converted)
        center.setX(v);
    v = element.attribute(QStringLiteral("cy")).toDouble(&converted);
    if (converted)
        center.setY(v);
    v = element.attribute(QStringLiteral("r")).toDouble(&converted);
    if (converted)
        radius = v;
    v = element.attribute(QStringLiteral("fx")).toDouble(&converted);
    if (converted)
        focal.setX(v);
    v = element.attribute(QStringLiteral("fy")).toDouble(&converted);
    if (converted)
        focal.setY(v);
    gradient.setCenter(center);
    gradient.setRadius(radius);
    gradient.setFocalPoint(focal);
    readUnitsAndSpread(element, gradient);
    const QGradientStops stops = fetchGradientStops(element, opacity);
    if (!stops.isEmpty())
        gradient.setStops(stops);
    return gradient;
}

int gradientStopCount(const QDomElement &gradient)
{
    QDomElement current = gradient;
    QStringList visited;
    while (!current.isNull() && visited.size() <= MaxGradientChain) {
        int count = 0;
        for (QDomElement stop = current.firstChildElement(QStringLiteral("stop")); !stop.isNull();
             stop = stop.nextSiblingElement(QStringLiteral("stop")))
            ++count;
        if (count > 0)
            return count;
        const QString id = referencedId(current);
        if (id.isEmpty() || visited.contains(id))
            return 0;
        visited.append(id);
        const QDomElement next = getElementById(current.ownerDocument().documentElement(), id);
        // A linear gradient takes no stops from a radial one.
        if (current.tagName() == QLatin1String("linearGradient") && next.tagName() != QLatin1String("linearGradient"))
            return 0;
        if (next.tagName() != QLatin1String("linearGradient") && next.tagName() != QLatin1String("radialGradient"))
            return 0;
        current = next;
    }
    return 0;
}

// ---- Layout ----

int getAspectRatio(const QDomElement &element)
{
    const QString value = element.attribute(QStringLiteral("preserveAspectRatio"));
    if (value.isEmpty())
        return Qt::KeepAspectRatio;
    static const QRegularExpression word(QStringLiteral("[xYMindaxoe]{4,}"));
    static const QRegularExpression slice(QStringLiteral("\\s+slice\\s*"));
    const QRegularExpressionMatch match = word.match(value);
    if (!match.hasMatch())
        return Qt::KeepAspectRatio;
    if (match.captured(0) == QLatin1String("none"))
        return Qt::IgnoreAspectRatio;
    if (slice.match(value, match.capturedEnd()).hasMatch())
        return Qt::KeepAspectRatioByExpanding;
    return Qt::KeepAspectRatio;
}

bool isAllSpace(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() != ' ')
            return false;
    }
    return true;
}
