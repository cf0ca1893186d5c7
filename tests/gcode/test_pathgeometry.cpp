#include "common/testenvironment.h"
#include "gcode/pathgeometry.h"
#include "pathfixtures.h"

#include <cmath>
#include <limits>

using PathFixtures::describe;
using PathFixtures::pathFrom;

namespace {

// A cubic quarter circle whose length is 100 units.
QPainterPath quarterCircleOfLength100()
{
    const double r = 200 / M_PI;
    const double k = 0.5522847498 * r;
    QPainterPath path(QPointF(r, 0));
    path.cubicTo(QPointF(r, k), QPointF(k, r), QPointF(0, r));
    return path;
}

double longestSegment(const QPainterPath &path)
{
    double longest = 0;
    for (int i = 1; i < path.elementCount(); ++i) {
        if (!path.elementAt(i).isLineTo())
            continue;
        const QPointF a = path.elementAt(i - 1);
        const QPointF b = path.elementAt(i);
        longest = std::max(longest, std::hypot(b.x() - a.x(), b.y() - a.y()));
    }
    return longest;
}

} // namespace

class TestPathGeometry : public QObject
{
    Q_OBJECT

private slots:
    void quarterCircleIsCutIntoTenPieces()
    {
        const QPainterPath curve = quarterCircleOfLength100();
        QVERIFY(std::abs(curve.length() - 100) < 0.1);
        const QPainterPath flat = pathSwitch(curve, 15.0);

        // The start, nine interior samples, and the tenth sample (t just below
        // 1) which lands on the end point and takes its exact coordinates.
        // QPainterPath stores no line to the point already reached.
        QCOMPARE(flat.elementCount(), 11);
        QVERIFY(flat.elementAt(0).isMoveTo());
        for (int i = 1; i < 11; ++i)
            QVERIFY(flat.elementAt(i).isLineTo());
        const QPointF start = curve.elementAt(0);
        const QPointF end = curve.elementAt(3);
        QCOMPARE(QPointF(flat.elementAt(0)), start);
        QCOMPARE(flat.elementAt(10).x, end.x());
        QCOMPARE(flat.elementAt(10).y, end.y());
        // Samples lie on the circle, a tenth of the curve apart.
        const double r = 200 / M_PI;
        for (int i = 1; i < 10; ++i)
            QVERIFY(std::abs(std::hypot(flat.elementAt(i).x, flat.elementAt(i).y) - r) < 0.05);
        QVERIFY(longestSegment(flat) < 10.5);
    }

    void longCurveIsCutBySegmentLength()
    {
        // A straight cubic of length 300 with evenly spaced control points:
        // the curve parameter is proportional to the length.
        const QPainterPath curve = pathFrom(QStringLiteral("M0 0 C100 0 200 0 300 0"));
        const QPainterPath flat = pathSwitch(curve, 15.0);
        QVERIFY(longestSegment(flat) <= 15.0 + 1e-9);
        QVERIFY2(flat.elementCount() >= 21 && flat.elementCount() <= 22,
                 qPrintable(QString::number(flat.elementCount())));
        QCOMPARE(QPointF(flat.elementAt(flat.elementCount() - 1)), QPointF(300, 0));
    }

    void unusableSegmentLengthGivesTenPieces_data()
    {
        QTest::addColumn<double>("segmentLength");
        QTest::newRow("zero") << 0.0;
        QTest::newRow("negative") << -15.0;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
    }

    void unusableSegmentLengthGivesTenPieces()
    {
        QFETCH(double, segmentLength);
        const QPainterPath flat = pathSwitch(
            pathFrom(QStringLiteral("M0 0 C1000 0 2000 0 3000 0")), segmentLength);
        QCOMPARE(flat.elementCount(), 11);
    }

    void hugeCurveIsBounded()
    {
        const QPainterPath flat =
            pathSwitch(pathFrom(QStringLiteral("M0 0 C1e9 0 2e9 0 3e9 0")), 15.0);
        QVERIFY(flat.elementCount() > 1000);
        QVERIFY(flat.elementCount() <= 10002);
        QCOMPARE(QPointF(flat.elementAt(flat.elementCount() - 1)), QPointF(3e9, 0));
    }

    void zeroLengthCurve()
    {
        // Every sample repeats the point already reached: only the move remains.
        const QPainterPath flat = pathSwitch(pathFrom(QStringLiteral("M5 5 C5 5 5 5 5 5")), 15.0);
        QCOMPARE(describe(flat), QStringLiteral("M5 5"));
    }

    void flattening_data()
    {
        QTest::addColumn<QString>("outline");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty") << "" << "";
        QTest::newRow("only a move") << "M3 4" << "M3 4";
        QTest::newRow("lines are copied") << "M0 0 L10 0 L10 10 M20 20 L30 20"
                                          << "M0 0 L10 0 L10 10 M20 20 L30 20";
        QTest::newRow("bad point breaks the line")
            << "M0 0 L10 0 Lnan 5 L20 0 L30 0" << "M0 0 L10 0 M20 0 L30 0";
        QTest::newRow("bad move: next line becomes the move")
            << "M0 0 L1 0 Minf 0 L20 0 L30 0" << "M0 0 L1 0 M20 0 L30 0";
        QTest::newRow("bad first point") << "Mnan nan L20 0 L30 0" << "M20 0 L30 0";
        QTest::newRow("all points bad") << "Mnan 0 Linf 0" << "";
        QTest::newRow("bad control point leaves a gap over the curve")
            << "M0 0 L5 0 C5 nan 10 10 10 0 L20 0" << "M0 0 L5 0 M10 0 L20 0";
    }

    void flattening()
    {
        QFETCH(QString, outline);
        QFETCH(QString, expected);
        QCOMPARE(describe(pathSwitch(pathFrom(outline), 15.0)), expected);
    }

    void curveStartsAtCurrentPoint()
    {
        // The curve after a line continues from the line's end point.
        const QPainterPath flat =
            pathSwitch(pathFrom(QStringLiteral("M0 0 L10 0 C10 30 40 30 40 0 L50 0")), 15.0);
        QCOMPARE(QPointF(flat.elementAt(1)), QPointF(10, 0));
        QVERIFY(flat.elementAt(2).y > 0);
        QVERIFY(flat.elementAt(2).x < 15);
        QCOMPARE(QPointF(flat.elementAt(flat.elementCount() - 2)), QPointF(40, 0));
        QCOMPARE(QPointF(flat.elementAt(flat.elementCount() - 1)), QPointF(50, 0));
        for (int i = 1; i < flat.elementCount(); ++i)
            QVERIFY(flat.elementAt(i).isLineTo());
    }

    void bezierIntoEmptyPathStartsWithMove()
    {
        QPainterPath out;
        bezierToLine2(out, pathFrom(QStringLiteral("M0 0 C0 10 10 10 10 0")), 15.0);
        QVERIFY(out.elementAt(0).isMoveTo());
        QCOMPARE(QPointF(out.elementAt(0)), QPointF(0, 0));
        QCOMPARE(out.elementCount(), 11);
        QCOMPARE(QPointF(out.elementAt(10)), QPointF(10, 0));

        QPainterPath notACubic;
        bezierToLine2(notACubic, pathFrom(QStringLiteral("M1 1 L2 2")), 15.0);
        QCOMPARE(describe(notACubic), QStringLiteral("M1 1 L2 2"));
    }

    void reversal_data()
    {
        QTest::addColumn<QString>("outline");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty") << "" << "";
        QTest::newRow("only a move") << "M3 4" << "M3 4";
        QTest::newRow("polyline") << "M0 0 L10 0 L10 10" << "M10 10 L10 0 L0 0";
        QTest::newRow("subpaths reversed and swapped")
            << "M0 0 L1 0 L2 0 M5 5 L6 5" << "M6 5 L5 5 M2 0 L1 0 L0 0";
        // A lone move has nothing to cut; it must not become a line.
        QTest::newRow("trailing move") << "M0 0 L1 0 M7 7" << "M1 0 L0 0";
        QTest::newRow("bad point breaks the line") << "M0 0 L1 0 Lnan 0 L3 0 L4 0"
                                                    << "M4 0 L3 0 M1 0 L0 0";
    }

    void reversal()
    {
        QFETCH(QString, outline);
        QFETCH(QString, expected);
        const QPainterPath reversed = reversePath(pathFrom(outline));
        QCOMPARE(describe(reversed), expected);
    }

    void reversingTwiceRestoresPolyline()
    {
        const QPainterPath outline = pathFrom(QStringLiteral("M0 0 L1 0 L2 3 M5 5 L6 5 L6 6 M9 9 L8 8"));
        QCOMPARE(describe(reversePath(reversePath(outline))), describe(outline));
    }

    void splitting_data()
    {
        QTest::addColumn<QString>("outline");
        QTest::addColumn<QString>("expected");

        QTest::newRow("two pieces") << "M0 0 L1 0 L1 1 M5 5 L6 5"
                                    << "M0 0 L1 0 L1 1 | M5 5 L6 5";
        QTest::newRow("no elements gives one empty path") << "" << "";
        QTest::newRow("a last lone move is kept") << "M0 0 L1 1 M9 9" << "M0 0 L1 1 | M9 9";
        QTest::newRow("curve kept as a cubic") << "M0 0 C1 1 2 2 3 0 L4 0 M7 7 L8 8"
                                               << "M0 0 C1 1 c2 2 c3 0 L4 0 | M7 7 L8 8";
        QTest::newRow("bad point ends the piece") << "M0 0 L1 0 Lnan 0 L3 0 L4 0"
                                                  << "M0 0 L1 0 | M3 0 L4 0";
        QTest::newRow("bad curve point: next piece starts at the curve's end")
            << "M0 0 L1 0 C1 nan 2 2 3 0 L4 0" << "M0 0 L1 0 | M3 0 L4 0";
    }

    void splitting()
    {
        QFETCH(QString, outline);
        QFETCH(QString, expected);
        QList<QPainterPath> pieces{pathFrom(QStringLiteral("M100 100 L101 101"))};
        segmentationPath(pieces, pathFrom(outline));
        QVERIFY(pieces.size() >= 2);
        QCOMPARE(describe(pieces.first()), QStringLiteral("M100 100 L101 101")); // appends only
        pieces.removeFirst();
        QCOMPARE(describe(pieces), expected);
    }

    void splitEmptyOutlineGivesOneEmptyPath()
    {
        QList<QPainterPath> pieces;
        segmentationPath(pieces, QPainterPath());
        QCOMPARE(pieces.size(), 1);
        QCOMPARE(pieces.first().elementCount(), 0);
    }

    void angle_data()
    {
        QTest::addColumn<QPointF>("origin");
        QTest::addColumn<QPointF>("first");
        QTest::addColumn<QPointF>("second");
        QTest::addColumn<double>("degrees");

        // The constant 3.14159 (not pi) makes a right angle slightly more than 90.
        QTest::newRow("quarter turn") << QPointF(0, 0) << QPointF(1, 0) << QPointF(0, 1)
                                      << 90.00007601981207;
        QTest::newRow("quarter turn back") << QPointF(0, 0) << QPointF(0, 1) << QPointF(1, 0)
                                           << -90.00007601981207;
        QTest::newRow("shifted origin") << QPointF(10, 10) << QPointF(11, 10) << QPointF(11, 11)
                                        << 45.000038009906035;
        QTest::newRow("not normalised across the negative x axis")
            << QPointF(0, 0) << QPointF(-1, 1e-9) << QPointF(-1, -1e-9) << -360.00030396465655;
        QTest::newRow("same ray") << QPointF(0, 0) << QPointF(2, 3) << QPointF(4, 6) << 0.0;
    }

    void angle()
    {
        QFETCH(QPointF, origin);
        QFETCH(QPointF, first);
        QFETCH(QPointF, second);
        QFETCH(double, degrees);
        QVERIFY(std::abs(vectorDotProduct2Angle(origin, first, second) - degrees) < 1e-9);
    }

    void angleOfUndefinedPointIsNan()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QVERIFY(std::isnan(vectorDotProduct2Angle(QPointF(0, 0), QPointF(nan, 1), QPointF(1, 1))));
    }
};

SCRIBO_TEST_CORE_MAIN(TestPathGeometry)
#include "test_pathgeometry.moc"
