#include "common/testenvironment.h"
#include "gcode/bitmaptrace.h"

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QRegularExpression>

namespace {

QImage whitePicture(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    image.fill(Qt::white);
    return image;
}

void fillBlock(QImage &image, const QRect &block, QRgb colour)
{
    for (int y = block.top(); y <= block.bottom(); ++y) {
        for (int x = block.left(); x <= block.right(); ++x)
            image.setPixel(x, y, colour);
    }
}

// A disc of the given radius around the centre, with a hole of the inner radius.
QImage ringPicture(int size, double outer, double inner)
{
    QImage image = whitePicture(size, size);
    const double centre = size / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double distance = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
            if (distance <= outer && distance >= inner)
                image.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    return image;
}

QList<QPointF> pointsOf(const QString &outline)
{
    QList<QPointF> points;
    static const QRegularExpression pair(QStringLiteral("(-?[0-9.e+-]+),(-?[0-9.e+-]+)"));
    auto match = pair.globalMatch(outline);
    while (match.hasNext()) {
        const auto m = match.next();
        points.append(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()));
    }
    return points;
}

QRectF boundsOf(const QString &outline)
{
    const QList<QPointF> points = pointsOf(outline);
    if (points.isEmpty())
        return {};
    double left = points.first().x(), right = left, top = points.first().y(), bottom = top;
    for (const QPointF &p : points) {
        left = qMin(left, p.x());
        right = qMax(right, p.x());
        top = qMin(top, p.y());
        bottom = qMax(bottom, p.y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QList<QString> traceList(const QImage &image)
{
    QList<QString> outlines;
    garyMapToPathList(image, outlines);
    return outlines;
}

} // namespace

class TestBitmapTrace : public QObject
{
    Q_OBJECT

private slots:
    void squareIsOneOutlineOfCorners()
    {
        QImage picture = whitePicture(40, 40);
        fillBlock(picture, QRect(10, 5, 20, 20), qRgb(0, 0, 0));

        const QList<QString> outlines = traceList(picture);
        QCOMPARE(outlines.size(), 1);
        const QString outline = outlines.first();
        QVERIFY(outline.startsWith(QLatin1String("M ")));
        QVERIFY(outline.endsWith(QLatin1String(" z ")));
        QVERIFY(!outline.contains(QLatin1Char('C')));
        QVERIFY(outline.contains(QLatin1String(" L ")));
        // Row 0 of the picture is y = 0: the square covers pixels 10..29, 5..24.
        QCOMPARE(boundsOf(outline), QRectF(10, 5, 20, 20));
        // Shortest numbers, e.g. "10,5".
        QVERIFY(!outline.contains(QLatin1String(".000000")));
        QVERIFY(outline.contains(QRegularExpression(QStringLiteral(" (10|30),(5|25) "))));

        // The one-text form has the same outline with six decimals.
        const QString text = garyMapToPath(picture);
        QCOMPARE(text.count(QLatin1String("M ")), 1);
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("^M \\d+\\.\\d{6},\\d+\\.\\d{6} "))));
        QCOMPARE(boundsOf(text), QRectF(10, 5, 20, 20));
        QCOMPARE(pointsOf(text), pointsOf(outline));
    }

    void ringIsOuterThenInnerOutline()
    {
        const QImage picture = ringPicture(60, 25, 12);
        const QList<QString> outlines = traceList(picture);
        QCOMPARE(outlines.size(), 2);
        const QRectF outer = boundsOf(outlines[0]);
        const QRectF inner = boundsOf(outlines[1]);
        QVERIFY(outer.contains(inner));
        // Curve control points may stand a little outside the shape.
        QVERIFY2(outer.width() > 45 && outer.width() < 60, qPrintable(QString::number(outer.width())));
        QVERIFY2(inner.width() > 20 && inner.width() < 30, qPrintable(QString::number(inner.width())));
        // Round shapes are traced with curve segments.
        QVERIFY(outlines[0].contains(QLatin1String("C ")));

        const QString text = garyMapToPath(picture);
        QCOMPARE(text.count(QLatin1String("M ")), 2);
        QVERIFY(text.indexOf(QLatin1String("z M ")) > 0);
    }

    // Island inside a hole inside a shape: each follows its container.
    void nestingOrder()
    {
        QImage picture = whitePicture(60, 60);
        fillBlock(picture, QRect(5, 5, 50, 50), qRgb(0, 0, 0));
        fillBlock(picture, QRect(15, 15, 30, 30), qRgb(255, 255, 255));
        fillBlock(picture, QRect(25, 25, 10, 10), qRgb(0, 0, 0));
        const QList<QString> outlines = traceList(picture);
        QCOMPARE(outlines.size(), 3);
        QCOMPARE(boundsOf(outlines[0]), QRectF(5, 5, 50, 50));
        QCOMPARE(boundsOf(outlines[1]), QRectF(15, 15, 30, 30));
        QCOMPARE(boundsOf(outlines[2]), QRectF(25, 25, 10, 10));
    }

    void separateShapesAreAllWritten()
    {
        QImage picture = whitePicture(50, 20);
        fillBlock(picture, QRect(2, 2, 10, 10), qRgb(0, 0, 0));
        fillBlock(picture, QRect(20, 2, 10, 10), qRgb(0, 0, 0));
        fillBlock(picture, QRect(35, 2, 10, 10), qRgb(0, 0, 0));
        QCOMPARE(traceList(picture).size(), 3);
        QCOMPARE(garyMapToPath(picture).count(QLatin1String("M ")), 3);
    }

    void threshold_data()
    {
        QTest::addColumn<int>("grey");
        QTest::addColumn<int>("outlines");

        QTest::newRow("0") << 0 << 1;
        QTest::newRow("128 is dark") << 128 << 1;
        QTest::newRow("129 is light") << 129 << 0;
        QTest::newRow("255") << 255 << 0;
    }

    void threshold()
    {
        QFETCH(int, grey);
        QFETCH(int, outlines);

        QImage picture = whitePicture(20, 20, QImage::Format_Grayscale8);
        fillBlock(picture, QRect(5, 5, 10, 10), qRgb(grey, grey, grey));
        QCOMPARE(traceList(picture).size(), outlines);
    }

    void formats_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("Indexed8") << int(QImage::Format_Indexed8);
        QTest::newRow("RGB888") << int(QImage::Format_RGB888);
        QTest::newRow("ARGB32") << int(QImage::Format_ARGB32);
        QTest::newRow("Grayscale16") << int(QImage::Format_Grayscale16);
        QTest::newRow("RGBA64") << int(QImage::Format_RGBA64);
        QTest::newRow("Mono") << int(QImage::Format_Mono);
    }

    void formats()
    {
        QFETCH(int, format);
        QImage picture = whitePicture(30, 30);
        fillBlock(picture, QRect(4, 6, 12, 9), qRgb(0, 0, 0));
        const QList<QString> expected = traceList(picture);
        QCOMPARE(expected.size(), 1);
        QCOMPARE(traceList(picture.convertToFormat(QImage::Format(format))), expected);
    }

    void transparentAreasAreNotTraced()
    {
        QImage picture(30, 30, QImage::Format_ARGB32);
        picture.fill(qRgba(0, 0, 0, 0));
        QVERIFY(traceList(picture).isEmpty());
        fillBlock(picture, QRect(4, 6, 12, 9), qRgba(0, 0, 0, 255));
        const QList<QString> outlines = traceList(picture);
        QCOMPARE(outlines.size(), 1);
        QCOMPARE(boundsOf(outlines.first()), QRectF(4, 6, 12, 9));
    }

    void realPicture()
    {
        const QImage tux(ScriboTest::dataPath(QStringLiteral("x-image__tux.png")));
        QVERIFY(!tux.isNull());
        const QList<QString> outlines = traceList(tux);
        QVERIFY(outlines.size() > 3);
        const QString text = garyMapToPath(tux);
        QCOMPARE(text.count(QLatin1String("M ")), outlines.size());
        // Curve control points may stand outside the picture near its edges.
        const QRectF picture = QRectF(0, 0, tux.width(), tux.height()).adjusted(-10, -10, 10, 10);
        for (const QString &outline : outlines) {
            const QRectF bounds = boundsOf(outline);
            QVERIFY(picture.contains(bounds));
        }
    }

    void emptyResults_data()
    {
        QTest::addColumn<QImage>("picture");
        QTest::newRow("white") << whitePicture(40, 30);
        QTest::newRow("null") << QImage();
        QTest::newRow("zero width") << QImage(0, 10, QImage::Format_RGB32);
        QTest::newRow("one white pixel") << whitePicture(1, 1);
        // Potrace ignores specks of up to two pixels.
        QImage speck = whitePicture(1, 1);
        speck.fill(Qt::black);
        QTest::newRow("one black pixel") << speck;
    }

    void emptyResults()
    {
        QFETCH(QImage, picture);
        QCOMPARE(garyMapToPath(picture), QString());
        QList<QString> outlines{QStringLiteral("kept")};
        garyMapToPathList(picture, outlines);
        QCOMPARE(outlines, QList<QString>{QStringLiteral("kept")});
    }

    void longThinPictures_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("20000 x 1") << 20000 << 1;
        QTest::newRow("1 x 20000") << 1 << 20000;
    }

    void longThinPictures()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QImage picture(width, height, QImage::Format_Grayscale8);
        picture.fill(0);
        const QList<QString> outlines = traceList(picture);
        QCOMPARE(outlines.size(), 1);
        // Potrace rounds the thin line into a long curve within the picture.
        const QRectF bounds = boundsOf(outlines.first());
        QVERIFY(QRectF(-1, -1, width + 2, height + 2).contains(bounds));
        QVERIFY(qMax(bounds.width(), bounds.height()) > 10000);
    }
};

Q_DECLARE_METATYPE(QImage)

SCRIBO_TEST_CORE_MAIN(TestBitmapTrace)
#include "test_bitmaptrace.moc"
