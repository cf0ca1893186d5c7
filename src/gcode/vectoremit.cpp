#include "gcode/vectoremit.h"

#include <QDebug>

#include <cmath>

namespace {

// Backlash tracking of one axis over a whole call.
class AxisBacklash
{
public:
    // Returns `value` shifted by the backlash taken up so far, including a
    // reversal detected at this very move.
    double follow(double value, double backlash)
    {
        const double delta = value - m_previous;
        switch (m_direction) {
        case Direction::Undetermined:
            // A direction is established only by a clear move, so that jitter
            // at the start does not count as a reversal.
            if (delta > 0.01)
                m_direction = Direction::Increasing;
            else if (delta < -0.01)
                m_direction = Direction::Decreasing;
            break;
        case Direction::Increasing:
            if (delta < -0.0001) {
                m_offset += backlash;
                m_compensation = m_previous + backlash;
                m_compensationPending = true;
                value += backlash;
                m_direction = Direction::Decreasing;
            }
            break;
        case Direction::Decreasing:
            if (delta > 0.0001) {
                m_offset -= backlash;
                m_compensation = m_previous - backlash;
                m_compensationPending = true;
                value -= backlash;
                m_direction = Direction::Increasing;
            }
            break;
        }
        return value;
    }

    double offset() const { return m_offset; }
    double previous() const { return m_previous; }
    void setPrevious(double value) { m_previous = value; }

    bool compensationPending() const { return m_compensationPending; }
    // Where the take-up move goes on this axis: the compensation point, or
    // the previous coordinate when only the other axis reversed.
    double takeCompensationTarget()
    {
        const double target = m_compensationPending ? m_compensation : m_previous;
        m_compensationPending = false;
        return target;
    }

private:
    enum class Direction { Undetermined, Decreasing, Increasing };
    Direction m_direction = Direction::Undetermined;
    double m_previous = 0;
    double m_offset = 0;
    double m_compensation = 0;
    bool m_compensationPending = false;
};

// -1 marks an absent word in an absolute record. A real coordinate of exactly
// -1 mm is moved by the smallest step toward zero: it prints the same and is
// no longer mistaken for "absent".
double coordinateWord(double value)
{
    return value == -1.0 ? std::nextafter(-1.0, 0.0) : value;
}

bool parametersUsable(int outlineCount, float scale, double paintSpeed, double paintPower,
                      const QList<double> &scanPower, const QList<double> &scanSpeed,
                      const QList<double> &xError, const QList<double> &yError)
{
    if (scanPower.size() < outlineCount || scanSpeed.size() < outlineCount
        || xError.size() < outlineCount || yError.size() < outlineCount) {
        qWarning("path2GcodeBufferIncrement: %d outlines but only %d/%d/%d/%d parameter values;"
                 " no records made",
                 outlineCount, scanPower.size(), scanSpeed.size(), xError.size(), yError.size());
        return false;
    }
    if (!std::isfinite(scale) || !std::isfinite(paintSpeed) || !std::isfinite(paintPower)) {
        qWarning("path2GcodeBufferIncrement: scale, full speed or full power is not finite;"
                 " no records made");
        return false;
    }
    for (int i = 0; i < outlineCount; ++i) {
        if (!std::isfinite(scanPower.at(i)) || !std::isfinite(scanSpeed.at(i))
            || !std::isfinite(xError.at(i)) || !std::isfinite(yError.at(i))) {
            qWarning("path2GcodeBufferIncrement: outline %d has a non-finite power, speed or"
                     " backlash; no records made",
                     i);
            return false;
        }
    }
    return true;
}

} // namespace

QList<GCodeBuffer> path2GcodeBufferIncrement(const QList<QPainterPath> &paths, float scale,
                                             double paintSpeed, double paintPower,
                                             const QList<double> &scanPower,
                                             const QList<double> &scanSpeed,
                                             const QList<double> &xMotorMovementError,
                                             const QList<double> &yMotorMovementError)
{
    QList<GCodeBuffer> records;
    if (!parametersUsable(paths.size(), scale, paintSpeed, paintPower, scanPower, scanSpeed,
                          xMotorMovementError, yMotorMovementError))
        return records;

    const double mmPerUnit = double(scale);
    AxisBacklash xAxis;
    AxisBacklash yAxis;
    int skippedPoints = 0;

    for (int i = 0; i < paths.size(); ++i) {
        const QPainterPath &path = paths.at(i);
        // Every outline states its own power and feed on its first cut, so the
        // machine never keeps a value left behind by an earlier outline or by
        // raster moves before this call.
        double pendingS = scanPower.at(i) / 100 * paintPower;
        double pendingF = scanSpeed.at(i) / 100 * paintSpeed;
        // After a skipped point the next one is reached by a rapid move.
        bool cutBroken = false;

        for (int e = 0; e < path.elementCount(); ++e) {
            const QPainterPath::Element &element = path.elementAt(e);
            if (!element.isMoveTo() && !element.isLineTo())
                continue; // curves are flattened before they get here
            double x = element.x * mmPerUnit + xAxis.offset();
            double y = element.y * mmPerUnit + yAxis.offset();
            if (!std::isfinite(x) || !std::isfinite(y)) {
                ++skippedPoints;
                cutBroken = true;
                continue;
            }
            const bool cut = element.isLineTo() && !cutBroken;
            cutBroken = false;

            x = xAxis.follow(x, xMotorMovementError.at(i));
            y = yAxis.follow(y, yMotorMovementError.at(i));

            if (xAxis.compensationPending() || yAxis.compensationPending()) {
                const double takeUpX = xAxis.takeCompensationTarget();
                const double takeUpY = yAxis.takeCompensationTarget();
                records += gcodeBufferIncrementPath(0, coordinateWord(takeUpX),
                                                    coordinateWord(takeUpY), -1, -1);
            }

            if (cut) {
                const double wordX = x == xAxis.previous() ? -1 : coordinateWord(x);
                const double wordY = y == yAxis.previous() ? -1 : coordinateWord(y);
                records += gcodeBufferIncrementPath(1, wordX, wordY, pendingS, pendingF);
                pendingS = -1;
                pendingF = -1;
            } else {
                records += gcodeBufferIncrementPath(0, coordinateWord(x), coordinateWord(y), -1,
                                                    -1);
            }
            xAxis.setPrevious(x);
            yAxis.setPrevious(y);
        }
    }
    if (skippedPoints > 0)
        qWarning("path2GcodeBufferIncrement: skipped %d point(s) with non-finite coordinates",
                 skippedPoints);
    return records;
}
