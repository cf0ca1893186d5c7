#include "canvas/gridtool.h"
#include "canvas/qtcornerbox.h"
#include "canvas/qtrulebar.h"
#include "common/testenvironment.h"

#include <QImage>
#include <QPainter>

namespace {

constexpr double unitsPerMm = 12.5;

QList<double> spacings(const RulerGraduation &graduation)
{
    QList<double> result;
    for (const RulerLevel &level : graduation.levels)
        result << level.spacing;
    return result;
}

QList<int> lengths(const RulerGraduation &graduation)
{
    QList<int> result;
    for (const RulerLevel &level : graduation.levels)
        result << level.length;
    return result;
}

// Labelled ticks of the coarsest level as "label@position".
QString labels(const RulerGraduation &graduation)
{
    if (graduation.levels.isEmpty())
        return QString();
    QStringList result;
    for (const RulerLevel::Tick &tick : graduation.levels.last().ticks)
        if (!tick.label.isEmpty())
            result << tick.label + "@" + QString::number(tick.position);
    return result.join(' ');
}

bool isDark(QRgb pixel)
{
    return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

} // namespace

class TestRulers : public QObject
{
    Q_OBJECT

private slots:
    // Which major scale and which finer levels a ruler shows at a zoom.
    void scaleChoice_data()
    {
        QTest::addColumn<double>("pixelsPerMm");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<double>("maxSize");
        QTest::addColumn<int>("fontHeight");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QList<double>>("levelSpacings");
        QTest::addColumn<QList<int>>("levelLengths");

        QTest::newRow("10 px per mm, four digits: labels every 10 mm, ticks at 2 and 1 mm")
            << 10.0 << int(Qt::Horizontal) << 1234.0 << 12 << 10.0 << QList<double>{1, 2, 10}
            << QList<int>{4, 7, 15};
        QTest::newRow("zoomed out to 0.5 px per mm")
            << 0.5 << int(Qt::Horizontal) << 1234.0 << 12 << 250.0 << QList<double>{25, 50, 250}
            << QList<int>{4, 7, 15};
        QTest::newRow("zoomed in to 100 px per mm")
            << 100.0 << int(Qt::Horizontal) << 1234.0 << 12 << 1.0 << QList<double>{0.1, 0.2, 1}
            << QList<int>{4, 7, 15};
        QTest::newRow("all five levels at 1000 px per mm")
            << 1000.0 << int(Qt::Horizontal) << 1234.0 << 12 << 1.0
            << QList<double>{0.01, 0.02, 0.1, 0.2, 1} << QList<int>{2, 3, 4, 7, 15};
        QTest::newRow("scale 2 subdivides into whole millimetres")
            << 20.0 << int(Qt::Horizontal) << 5.0 << 12 << 2.0 << QList<double>{1, 2}
            << QList<int>{7, 15};
        QTest::newRow("no scale wide enough: the largest")
            << 0.0001 << int(Qt::Horizontal) << 1234.0 << 12 << 100000.0
            << QList<double>{100000} << QList<int>{15};
        QTest::newRow("longer spans need more room per label")
            << 10.0 << int(Qt::Horizontal) << 123456.0 << 12 << 25.0 << QList<double>{2.5, 5, 25}
            << QList<int>{4, 7, 15};
        QTest::newRow("vertical ruler: its negative span counts the sign")
            << -10.0 << int(Qt::Vertical) << -1234.0 << 12 << 25.0 << QList<double>{2.5, 5, 25}
            << QList<int>{4, 7, 15};
    }

    void scaleChoice()
    {
        QFETCH(double, pixelsPerMm);
        QFETCH(int, orientation);
        QFETCH(double, maxSize);
        QFETCH(int, fontHeight);
        QFETCH(double, scale);
        QFETCH(QList<double>, levelSpacings);
        QFETCH(QList<int>, levelLengths);

        const int length = 500;
        const double lower = 0;
        const double upper = length / pixelsPerMm * unitsPerMm;
        const RulerGraduation graduation = QtRuleBar::computeGraduation(
            lower, upper, maxSize, length, 16, fontHeight, Qt::Orientation(orientation));
        QCOMPARE(graduation.pixelsPerMm, pixelsPerMm);
        QCOMPARE(graduation.scale, scale);
        QCOMPARE(spacings(graduation), levelSpacings);
        QCOMPARE(lengths(graduation), levelLengths);
    }

    void textWidth()
    {
        // Four digits of font height 12: 2 * (4 * 12 + 1).
        const RulerGraduation graduation =
            QtRuleBar::computeGraduation(0, 625, 1234, 500, 16, 12, Qt::Horizontal);
        QCOMPARE(graduation.textWidth, 98);
    }

    // Where the labelled ticks fall and what they read, in millimetres.
    void labelsInMillimetres_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<double>("lowerMm");
        QTest::addColumn<double>("upperMm");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");

        QTest::newRow("horizontal, origin 50 px in")
            << int(Qt::Horizontal) << -5.0 << 45.0 << 500
            << "-10@-50 0@50 10@150 20@250 30@350 40@450 50@550";
        QTest::newRow("vertical reads millimetres downwards")
            << int(Qt::Vertical) << 5.0 << -45.0 << 500
            << "50@550 40@450 30@350 20@250 10@150 0@50 -10@-50";
        QTest::newRow("vertical 5000 mm below the origin reads 5k")
            << int(Qt::Vertical) << -4990.0 << -5040.0 << 500
            << "5040@500 5030@400 5020@300 5010@200 5k@100 4990@0";
        QTest::newRow("crowded labels: every fourth tick and zero")
            << int(Qt::Horizontal) << -7.0 << 43.0 << 300 << "-10@-18 0@42 10@102 30@222";
        QTest::newRow("crowded labels: zero on an odd count")
            << int(Qt::Horizontal) << -3.0 << 47.0 << 300 << "-5@-12 0@18 15@108 35@228";
        QTest::newRow("half-crowded labels: every second tick")
            << int(Qt::Horizontal) << -7.0 << 43.0 << 600
            << "-10@-36 0@84 10@204 20@324 30@444 40@564";
    }

    void labelsInMillimetres()
    {
        QFETCH(int, orientation);
        QFETCH(double, lowerMm);
        QFETCH(double, upperMm);
        QFETCH(int, length);
        QFETCH(QString, expected);

        const double lower = lowerMm * unitsPerMm;
        const double upper = upperMm * unitsPerMm;
        // One-digit span for the crowded rows, so that small scales qualify.
        const double maxSize = length == 500 ? upper - lower : 5;
        const RulerGraduation graduation = QtRuleBar::computeGraduation(
            lower, upper, maxSize, length, 16, 12, Qt::Orientation(orientation));
        QCOMPARE(labels(graduation), expected);
    }

    void emptyRangeDrawsNothing_data()
    {
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<int>("length");
        QTest::newRow("no range") << 100.0 << 100.0 << 500;
        QTest::newRow("no length") << 0.0 << 100.0 << 0;
        QTest::newRow("infinite range") << 0.0 << qInf() << 500;
        QTest::newRow("undefined range") << qQNaN() << 10.0 << 500;
    }

    void emptyRangeDrawsNothing()
    {
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(int, length);
        const RulerGraduation graduation =
            QtRuleBar::computeGraduation(lower, upper, upper - lower, length, 16, 12, Qt::Horizontal);
        QVERIFY(graduation.levels.isEmpty());
    }

    void tickCountStaysBounded()
    {
        // A far-away range at extreme zoom still gives a screenful of ticks.
        const RulerGraduation graduation =
            QtRuleBar::computeGraduation(1e15, 1e15 + 1e13, 1e13, 800, 16, 12, Qt::Horizontal);
        for (const RulerLevel &level : graduation.levels)
            QVERIFY(level.ticks.size() <= 800 / 5 + 3);
    }

    void labelText_data()
    {
        QTest::addColumn<double>("millimetres");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("plain") << 1999.0 << "1999";
        QTest::newRow("round thousand below 2000") << 1000.0 << "1000";
        QTest::newRow("2000 is 2k") << 2000.0 << "2k";
        QTest::newRow("negative thousands") << -5000.0 << "-5k";
        QTest::newRow("not a round thousand") << 2500.0 << "2500";
        QTest::newRow("fraction truncated") << 12.7 << "12";
        QTest::newRow("negative fraction truncated") << -3.9 << "-3";
    }

    void labelText()
    {
        QFETCH(double, millimetres);
        QFETCH(QString, text);
        QCOMPARE(QtRuleBar::labelText(millimetres), text);
    }

    void rulerWidgetPaints()
    {
        QWidget parent;
        parent.resize(600, 100);
        QtRuleBar ruler(Qt::Horizontal, nullptr, &parent);
        ruler.setGeometry(0, 0, 500, 16);
        QCOMPARE(ruler.font().pixelSize(), 10);
        // 10 px per mm, origin at pixel 50.
        ruler.setRange(-5 * unitsPerMm, 45 * unitsPerMm, 50 * unitsPerMm);
        ruler.updatePosition(QPoint(123, 7));
        QCOMPARE(ruler.cursorPosition(), QPoint(123, 7));
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        const QImage image = ruler.grab().toImage();
        QCOMPARE(image.size(), QSize(500, 16));
        // Edge line along the canvas.
        QVERIFY(isDark(image.pixel(300, 15)));
        // A labelled tick at 0 mm rises the whole thickness, a 1 mm tick only 4 px.
        QVERIFY(isDark(image.pixel(50, 1)));
        QVERIFY(isDark(image.pixel(60, 12)));
        QVERIFY(!isDark(image.pixel(60, 10)));
        // Between ticks, below the labels: background.
        QCOMPARE(image.pixelColor(55, 13), QColor(Qt::white));
        // The label "10" right of its tick.
        bool labelInk = false;
        for (int x = 152; x < 165; ++x)
            for (int y = 0; y < 11; ++y)
                labelInk = labelInk || isDark(image.pixel(x, y));
        QVERIFY(labelInk);
        // The cursor line.
        QCOMPARE(image.pixelColor(123, 5), QColor(Qt::red));
    }

    void cornerBox()
    {
        QWidget parent;
        QtCornerBox box(&parent);
        box.setGeometry(0, 0, 16, 16);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        const QImage image = box.grab().toImage();
        QCOMPARE(image.pixelColor(3, 3), QColor(Qt::white));
        QVERIFY(isDark(image.pixel(7, 1)));
        QVERIFY(isDark(image.pixel(1, 7)));
        QVERIFY(isDark(image.pixel(15, 1)));
        QVERIFY(isDark(image.pixel(1, 15)));
    }

    void gridLines_data()
    {
        QTest::addColumn<QSizeF>("step");
        QTest::addColumn<QSizeF>("expectedStep");
        QTest::newRow("10 mm") << QSizeF(125, 125) << QSizeF(125, 125);
        QTest::newRow("unusable step falls back to 10 mm") << QSizeF(0, -3) << QSizeF(125, 125);
    }

    void gridLines()
    {
        QFETCH(QSizeF, step);
        QFETCH(QSizeF, expectedStep);

        GridTool grid(QSizeF(3200, 2400), step);
        QCOMPARE(grid.gridStep(), expectedStep);
        QCOMPARE(grid.gridSize(), QSizeF(3200, 2400));

        QImage image(400, 400, QImage::Format_ARGB32);
        image.fill(Qt::blue);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::green);
        grid.paintGrid(&painter, QRectF(10, 20, 300, 260));
        // The painter's own state is restored.
        QCOMPARE(painter.pen().color(), QColor(Qt::green));
        QVERIFY(painter.testRenderHint(QPainter::Antialiasing));
        painter.end();

        const QColor sheet(Qt::white);
        const QColor gridColour(Qt::lightGray);
        const QColor outline(Qt::black);
        QCOMPARE(image.pixelColor(70, 80), sheet);
        // Vertical lines every 125 units from the left edge, horizontal from the top.
        QCOMPARE(image.pixelColor(135, 80), gridColour);
        QCOMPARE(image.pixelColor(260, 80), gridColour);
        QCOMPARE(image.pixelColor(70, 145), gridColour);
        QCOMPARE(image.pixelColor(70, 270), gridColour);
        QCOMPARE(image.pixelColor(136, 80), sheet);
        // Outline on top of the grid.
        QCOMPARE(image.pixelColor(10, 80), outline);
        QCOMPARE(image.pixelColor(310, 80), outline);
        QCOMPARE(image.pixelColor(70, 20), outline);
        QCOMPARE(image.pixelColor(70, 280), outline);
        // Nothing outside.
        QCOMPARE(image.pixelColor(350, 80), QColor(Qt::blue));
    }

    void gridOfAHugeAreaHasOnlyTheSheet()
    {
        GridTool grid(QSizeF(3200, 2400), QSizeF(125, 125));
        QImage image(100, 100, QImage::Format_ARGB32);
        image.fill(Qt::blue);
        QPainter painter(&image);
        painter.scale(1e-7, 1e-7);
        grid.paintGrid(&painter, QRectF(0, 0, 1e10, 1e10));
        grid.paintGrid(&painter, QRectF(0, 0, qInf(), 100));
        painter.end();
        QCOMPARE(image.pixelColor(50, 50), QColor(Qt::white));
    }
};

SCRIBO_TEST_MAIN(TestRulers)
#include "test_rulers.moc"
