#include "gcode/pathgeometry.h"

#include <QDebug>

#include <algorithm>
#include <cmath>

namespace {

// One curve is never cut into more pieces than this: no real design needs
// it (10 000 pieces of 15 units are 12 m of curve), and it bounds the output
// for absurd lengths.
constexpr double kMinimumCurveStep = 1e-4;

bool isFinitePoint(const QPointF &p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

QPointF pointOf(const QPainterPath::Element &element)
{
    return QPointF(element.x, element.y);
}

// Appends points to a path. A non-finite point is dropped and breaks the
// polyline: the next finite point starts a new subpath, so no segment is ever
// drawn from or to an unknown place.
class PolylineWriter
{
public:
    explicit PolylineWriter(QPainterPath &out)
        : m_out(out)
        , m_breakPending(out.elementCount() == 0)
    {
    }

    void moveTo(const QPointF &p)
    {
        if (!accept(p))
            return;
        m_out.moveTo(p);
    }

    void lineTo(const QPointF &p)
    {
        const bool broken = m_breakPending;
        if (!accept(p))
            return;
        if (broken)
            m_out.moveTo(p);
        else
            m_out.lineTo(p);
    }

    // Like lineTo, but the polyline ends exactly at p even when QPainterPath
    // refuses the line because p (almost) equals the point already reached.
    void lineToExactly(const QPointF &p)
    {
        lineTo(p);
        const int last = m_out.elementCount() - 1;
        if (last >= 0 && isFinitePoint(p) && QPointF(m_out.elementAt(last)) == p)
            m_out.setElementPositionAt(last, p.x(), p.y());
    }

    int droppedPoints() const { return m_dropped; }

private:
    bool accept(const QPointF &p)
    {
        if (!isFinitePoint(p)) {
            ++m_dropped;
            m_breakPending = true;
            return false;
        }
        m_breakPending = false;
        return true;
    }

    QPainterPath &m_out;
    bool m_breakPending;
    int m_dropped = 0;
};

QPointF cubicPoint(double t, const QPointF &p0, const QPointF &p1, const QPointF &p2,
                   const QPointF &p3)
{
    const double u = 1 - t;
    return u * u * u * p0 + 3 * t * u * u * p1 + 3 * t * t * u * p2 + t * t * t * p3;
}

double curveStep(const QPointF &p0, const QPointF &p1, const QPointF &p2, const QPointF &p3,
                 double segmentLength)
{
    constexpr double maximumStep = 0.1; // at least ten pieces per curve
    if (!(segmentLength > 0) || !std::isfinite(segmentLength))
        return maximumStep;
    if (!isFinitePoint(p0) || !isFinitePoint(p1) || !isFinitePoint(p2) || !isFinitePoint(p3))
        return maximumStep;
    QPainterPath cubic(p0);
    cubic.cubicTo(p1, p2, p3);
    const double length = cubic.length();
    // A zero length gives an infinite quotient, and so the ten-piece cap.
    const double step = std::min(maximumStep, 1.0 / (length / segmentLength));
    if (!(step >= kMinimumCurveStep))
        return kMinimumCurveStep;
    return step;
}

void appendFlattenedCubic(PolylineWriter &writer, const QPointF &p0, const QPointF &p1,
                          const QPointF &p2, const QPointF &p3, double segmentLength)
{
    const double step = curveStep(p0, p1, p2, p3, segmentLength);
    // QPainterPath keeps no line to the point already reached, so this line
    // only matters when the output was broken or is empty.
    writer.lineTo(p0);
    // t is accumulated by addition, so with a step of 0.1 the tenth sample
    // lands just below 1 and is still taken; the end point then replaces it.
    for (double t = step; t < 1; t += step)
        writer.lineTo(cubicPoint(t, p0, p1, p2, p3));
    writer.lineToExactly(p3);
}

void warnDropped(const char *function, int dropped)
{
    if (dropped > 0)
        qWarning("%s: dropped %d point(s) with non-finite coordinates", function, dropped);
}

} // namespace

void bezierToLine2(QPainterPath &out, const QPainterPath &cubic, double segmentLength)
{
    PolylineWriter writer(out);
    if (cubic.elementCount() < 4) {
        qWarning("bezierToLine2: a cubic needs four points, got %d; joining them with lines",
                 cubic.elementCount());
        for (int i = 0; i < cubic.elementCount(); ++i)
            writer.lineTo(pointOf(cubic.elementAt(i)));
    } else {
        appendFlattenedCubic(writer, pointOf(cubic.elementAt(0)), pointOf(cubic.elementAt(1)),
                             pointOf(cubic.elementAt(2)), pointOf(cubic.elementAt(3)),
                             segmentLength);
    }
    warnDropped("bezierToLine2", writer.droppedPoints());
}

QPainterPath pathSwitch(const QPainterPath &path, double segmentLength)
{
    QPainterPath out;
    PolylineWriter writer(out);
    QPointF current(0, 0);
    const int count = path.elementCount();
    int i = 0;
    while (i < count) {
        const QPainterPath::Element &element = path.elementAt(i);
        switch (element.type) {
        case QPainterPath::MoveToElement:
            current = pointOf(element);
            writer.moveTo(current);
            ++i;
            break;
        case QPainterPath::LineToElement:
            current = pointOf(element);
            writer.lineTo(current);
            ++i;
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 < count && path.elementAt(i + 1).type == QPainterPath::CurveToDataElement
                && path.elementAt(i + 2).type == QPainterPath::CurveToDataElement) {
                const QPointF end = pointOf(path.elementAt(i + 2));
                appendFlattenedCubic(writer, current, pointOf(element),
                                     pointOf(path.elementAt(i + 1)), end, segmentLength);
                current = end;
                i += 3;
            } else {
                ++i;
            }
            break;
        case QPainterPath::CurveToDataElement:
            ++i; // stray control point without its curve
            break;
        }
    }
    warnDropped("pathSwitch", writer.droppedPoints());
    return out;
}

QPainterPath reversePath(const QPainterPath &path)
{
    const int count = path.elementCount();
    QPainterPath out;
    if (count == 0)
        return out;
    PolylineWriter writer(out);
    writer.moveTo(pointOf(path.elementAt(count - 1)));
    // Walking backwards, element c is joined to the point after it when that
    // later point was reached by a line, i.e. when element c+1 is not a move.
    // (A trailing move therefore does not turn into a line.)
    bool joinWithLine = !path.elementAt(count - 1).isMoveTo();
    for (int c = count - 2; c >= 0; --c) {
        const QPainterPath::Element &element = path.elementAt(c);
        if (joinWithLine)
            writer.lineTo(pointOf(element));
        else
            writer.moveTo(pointOf(element));
        if (element.isLineTo())
            joinWithLine = true;
        else if (element.isMoveTo())
            joinWithLine = false;
    }
    warnDropped("reversePath", writer.droppedPoints());
    return out;
}

void segmentationPath(QList<QPainterPath> &out, const QPainterPath &path)
{
    QPainterPath piece;
    bool pieceStarted = false;
    int dropped = 0;
    const auto closePiece = [&]() {
        if (!piece.isEmpty())
            out.append(piece);
        piece = QPainterPath();
        pieceStarted = false;
    };
    // A point that cannot be used ends the piece; the next usable point
    // starts a new one.
    const auto startPieceAt = [&](const QPointF &p) {
        closePiece();
        if (isFinitePoint(p)) {
            piece.moveTo(p);
            pieceStarted = true;
        } else {
            ++dropped;
        }
    };

    const int count = path.elementCount();
    int i = 0;
    while (i < count) {
        const QPainterPath::Element &element = path.elementAt(i);
        const QPointF p = pointOf(element);
        switch (element.type) {
        case QPainterPath::MoveToElement:
            startPieceAt(p);
            ++i;
            break;
        case QPainterPath::LineToElement:
            if (pieceStarted && isFinitePoint(p))
                piece.lineTo(p);
            else
                startPieceAt(p);
            ++i;
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 < count && path.elementAt(i + 1).type == QPainterPath::CurveToDataElement
                && path.elementAt(i + 2).type == QPainterPath::CurveToDataElement) {
                const QPointF c2 = pointOf(path.elementAt(i + 1));
                const QPointF end = pointOf(path.elementAt(i + 2));
                if (pieceStarted && isFinitePoint(p) && isFinitePoint(c2) && isFinitePoint(end)) {
                    piece.cubicTo(p, c2, end);
                } else {
                    dropped += !isFinitePoint(p) + !isFinitePoint(c2);
                    startPieceAt(end);
                }
                i += 3;
            } else {
                ++i;
            }
            break;
        case QPainterPath::CurveToDataElement:
            ++i;
            break;
        }
    }
    out.append(piece);
    warnDropped("segmentationPath", dropped);
}

double vectorDotProduct2Angle(QPointF origin, QPointF first, QPointF second)
{
    // The divisor is the rounded constant the rotation handle has always used.
    return (std::atan2(second.y() - origin.y(), second.x() - origin.x())
            - std::atan2(first.y() - origin.y(), first.x() - origin.x()))
        / 3.14159 * 180;
}

QPointF pathStartPoint(const QPainterPath &path)
{
    if (path.elementCount() == 0)
        return QPointF(0, 0);
    return pointOf(path.elementAt(0));
}

QPointF pathEndPoint(const QPainterPath &path)
{
    if (path.elementCount() == 0)
        return QPointF(0, 0);
    return pointOf(path.elementAt(path.elementCount() - 1));
}
