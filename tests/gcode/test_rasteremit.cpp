#include "common/testenvironment.h"
#include "gcode/gcodebuffer.h"
#include "gcode/rasteremit.h"

#include <QImage>
#include <QTransform>

#include <limits>

namespace {

// "255 0 255;255 0 255": rows separated by ';', grey values by spaces.
QImage greyFixture(const QString &text)
{
    const QStringList rows = text.split(QLatin1Char(';'));
    const int width = rows.first().split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
    QImage image(width, rows.size(), QImage::Format_Indexed8);
    QVector<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(qRgb(i, i, i));
    image.setColorTable(table);
    for (int y = 0; y < rows.size(); ++y) {
        const QStringList values = rows[y].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, values.value(x, QStringLiteral("255")).toUInt());
    }
    return image;
}

QStringList lines(const QList<GCodeBuffer> &records)
{
    QStringList text;
    for (const GCodeBuffer &record : records)
        text.append(gcodeBuffer2Str(record).chopped(1));
    return text;
}

QString joined(const QStringList &list)
{
    return list.join(QLatin1Char('|'));
}

const QStringList kPreamble{QStringLiteral("M9"), QStringLiteral("G90")};
const QString kG91 = QStringLiteral("G91X0.0000Y0.0000");

} // namespace

class TestRasterEmit : public QObject
{
    Q_OBJECT

private slots:
    // The text of every record kind a raster call makes.
    void recordKinds()
    {
        bool first = true;
        double feed = 2400;
        double lastX = 0;
        double lastY = 0;
        const QTransform identity;

        QCOMPARE(lines(gcodeBufferIncrementImage(first, 1, 2, 500, feed, lastX, lastY, 0.3, identity)),
                 (QStringList{"G90", "G0X1.0000Y2.0000", kG91}));
        QVERIFY(!first);
        QCOMPARE(feed, 2400.0);
        QCOMPARE(lastX, 1.0);

        QCOMPARE(lines(gcodeBufferIncrementImage(first, 1.5, 2, 100, feed, lastX, lastY, 0, identity)),
                 QStringList{"G1X0.5000S100.0000F2400.0000"});
        QCOMPARE(feed, -1.0);
        QCOMPARE(lines(gcodeBufferIncrementImage(first, 1, 1.75, 0, feed, lastX, lastY, 0.25, identity)),
                 QStringList{"G1X-0.2500Y-0.2500S0.0000"});
        QCOMPARE(lines(gcodeBufferIncrementImage(first, 1, 1.75, 0, feed, lastX, lastY, 0.25, identity)),
                 QStringList{"G1S0.0000"});
        QCOMPARE(lastX, 1.25);

        // The back-transform applies to the point including its extension.
        first = false;
        lastX = 0;
        lastY = 0;
        QCOMPARE(lines(gcodeBufferIncrementImage(first, 1, 0, 10, feed, lastX, lastY, 1, QTransform().rotate(90))),
                 QStringList{"G1Y2.0000S10.0000"});

        const QList<GCodeBuffer> whole = image2GcodeBufferIncrement(greyFixture("255 0"), 0.1f, 0, "gray", 2400,
                                                                    1000, 0, 0, 1);
        QCOMPARE(lines(whole).first(), QStringLiteral("M9"));
        QCOMPARE(whole.first().absolute, false);
    }

    void emission_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<double>("overscan");
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("scanError");
        QTest::addColumn<double>("angle");
        QTest::addColumn<double>("passes");
        QTest::addColumn<QStringList>("expected");

        const QStringList onePixel = kPreamble + QStringList{"G0X0.0000Y0.0000", kG91, "G1X0.1000S1000.0000F2400.0000"};
        QTest::newRow("one black pixel between white") << "255 0 255" << 0.0 << "gray" << 0.0 << 0.0 << 1.0
                                                        << onePixel;
        QTest::newRow("second row runs backward with scan error")
            << "255 0 255;255 0 255" << 0.0 << "gray" << 0.05 << 0.0 << 1.0
            << onePixel + QStringList{"G1X0.0500Y0.1000S0.0000", "G1S0.0000", "G1X-0.1000S1000.0000"};
        QTest::newRow("white row keeps the direction")
            << "255 0 255;255 255 255;255 0 255" << 0.0 << "gray" << 0.0 << 0.0 << 1.0
            << onePixel + QStringList{"G1Y0.2000S0.0000", "G1S0.0000", "G1X-0.1000S1000.0000"};
        QTest::newRow("gray burns grey 127 at 128/255")
            << "255 127 255" << 0.0 << "gray" << 0.0 << 0.0 << 1.0
            << kPreamble + QStringList{"G0X0.0000Y0.0000", kG91, "G1X0.1000S501.9608F2400.0000"};
        QTest::newRow("bw burns grey 127 at full power") << "255 127 255" << 0.0 << "bw" << 0.0 << 0.0 << 1.0
                                                         << onePixel;
        QTest::newRow("bw burns 128 and leaves 129 white") << "255 128 129" << 0.0 << "bw" << 0.0 << 0.0 << 1.0
                                                           << onePixel;
        QTest::newRow("halftone is thresholded too") << "255 127 255" << 0.0 << "halftone" << 0.0 << 0.0 << 1.0
                                                     << onePixel;
        QTest::newRow("grey runs of a photo")
            << "255 200 200 100 0" << 0.0 << "gray" << 0.0 << 0.0 << 1.0
            << kPreamble
                   + QStringList{"G0X0.0000Y0.0000", kG91, "G1X0.2000S215.6863F2400.0000", "G1X0.1000S607.8431",
                                 "G1X0.1000S1000.0000"};
        QTest::newRow("two passes repeat everything") << "255 0 255" << 0.0 << "gray" << 0.0 << 0.0 << 2.0
                                                      << onePixel + onePixel;
        QTest::newRow("fractional passes round up") << "255 0 255" << 0.0 << "gray" << 0.0 << 0.0 << 1.2
                                                    << onePixel + onePixel;
        QTest::newRow("dark start of the first row is burned")
            << "0 0 255" << 0.0 << "gray" << 0.0 << 0.0 << 1.0
            << kPreamble + QStringList{"G0X-0.1000Y0.0000", kG91, "G1X0.2000S1000.0000F2400.0000"};
        QTest::newRow("one black pixel alone")
            << "0" << 0.0 << "gray" << 0.0 << 0.0 << 1.0
            << kPreamble + QStringList{"G0X-0.1000Y0.0000", kG91, "G1X0.1000S1000.0000F2400.0000"};
        QTest::newRow("backward row with a dark start")
            << "255 0 255;255 0 0" << 0.0 << "gray" << 0.0 << 0.0 << 1.0
            << onePixel + QStringList{"G1X0.1000Y0.1000S0.0000", "G1S0.0000", "G1X-0.2000S1000.0000"};
        QTest::newRow("backward row burned down to column 0")
            << "255 0 255;0 0 255" << 0.0 << "gray" << 0.0 << 0.0 << 1.0
            << onePixel + QStringList{"G1Y0.1000S0.0000", "G1S0.0000", "G1X-0.2000S1000.0000"};
        QTest::newRow("forward row with a dark start after a backward row")
            << "255 0 255;255 255 0;0 255 255" << 0.0 << "gray" << 0.0 << 0.0 << 1.0
            << onePixel
                   + QStringList{"G1X0.1000Y0.1000S0.0000", "G1S0.0000", "G1X-0.1000S1000.0000",
                                 "G1X-0.2000Y0.1000S0.0000", "G1S0.0000", "G1X0.1000S1000.0000"};
        QTest::newRow("overscan runs every row in")
            << "255 0 255;255 0 255" << 0.3 << "gray" << 0.0 << 0.0 << 1.0
            << kPreamble
                   + QStringList{"G0X-0.3000Y0.0000", kG91, "G1X0.3000S0.0000F2400.0000", "G1X0.1000S1000.0000",
                                 "G1X0.3000Y0.1000S0.0000", "G1X-0.3000S0.0000", "G1X-0.1000S1000.0000"};
        QTest::newRow("negative overscan counts as none") << "255 0 255" << -0.3 << "gray" << 0.0 << 0.0 << 1.0
                                                          << onePixel;
        QTest::newRow("white picture") << "255 255;255 255" << 0.0 << "gray" << 0.0 << 0.0 << 1.0
                                       << QStringList{"M9"};
        QTest::newRow("angle 90 scans along Y")
            << "255 0 255" << 0.0 << "gray" << 0.0 << 90.0 << 1.0
            << kPreamble + QStringList{"G0X0.1000Y-0.1000", kG91, "G1Y0.1000S1000.0000F2400.0000"};
        QTest::newRow("angle 720 is angle 0") << "255 0 255" << 0.0 << "gray" << 0.0 << 720.0 << 1.0 << onePixel;
        QTest::newRow("angle -270 is angle 90")
            << "255 0 255" << 0.0 << "gray" << 0.0 << -270.0 << 1.0
            << kPreamble + QStringList{"G0X0.1000Y-0.1000", kG91, "G1Y0.1000S1000.0000F2400.0000"};
    }

    // Angle 0 (unless given), line spacing 0.1 mm, feed 2400, full power 1000.
    void emission()
    {
        QFETCH(QString, fixture);
        QFETCH(double, overscan);
        QFETCH(QString, type);
        QFETCH(double, scanError);
        QFETCH(double, angle);
        QFETCH(double, passes);
        QFETCH(QStringList, expected);

        const QList<GCodeBuffer> records = image2GcodeBufferIncrement(greyFixture(fixture), 0.1f, overscan, type,
                                                                      2400, 1000, scanError, angle, passes);
        QCOMPARE(joined(lines(records)), joined(expected));
    }

    // Whatever the angle, the relative moves of a pass add up to where the head
    // ends, and every dark pixel lies on a burning move.
    void turnedScansBurnThePicture_data()
    {
        QTest::addColumn<double>("angle");
        QTest::newRow("0") << 0.0;
        QTest::newRow("30") << 30.0;
        QTest::newRow("90") << 90.0;
        QTest::newRow("135") << 135.0;
        QTest::newRow("-1e9 (80)") << -1e9;
    }

    void turnedScansBurnThePicture()
    {
        QFETCH(double, angle);

        QImage picture = greyFixture("255 255 255 255 255 255;255 0 0 0 0 255;255 0 0 0 0 255;255 255 255 255 255 255");
        const QList<GCodeBuffer> records = image2GcodeBufferIncrement(picture, 1.0f, 0.5, "bw", 100, 1000, 0, angle, 1);
        QVERIFY(records.size() > 5);
        QCOMPARE(records[1].g, 90.0);
        QCOMPARE(records[2].g, 0.0);
        QCOMPARE(records[3].g, 91.0);
        double x = records[2].x;
        double y = records[2].y;
        double burned = 0;
        double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
        for (int i = 4; i < records.size(); ++i) {
            const GCodeBuffer &move = records[i];
            QCOMPARE(move.g, 1.0);
            QVERIFY(!move.absolute);
            const double nextX = x + move.x;
            const double nextY = y + move.y;
            if (move.s > 0) {
                burned += std::hypot(move.x, move.y);
                minX = qMin(minX, qMin(x, nextX));
                maxX = qMax(maxX, qMax(x, nextX));
                minY = qMin(minY, qMin(y, nextY));
                maxY = qMax(maxY, qMax(y, nextY));
            }
            x = nextX;
            y = nextY;
        }
        // Eight dark pixels of 1 mm: about 8 mm of burning for any angle.
        QVERIFY2(burned > 5 && burned < 12, qPrintable(QString::number(burned)));
        // The burning stays on the dark block (pixels 1..4 x 1..2, each burned
        // over one pixel before its position), with a pixel of tolerance.
        QVERIFY2(minX > -1.6 && maxX < 5.6 && minY > -1.6 && maxY < 3.6,
                 qPrintable(QStringLiteral("%1 %2 %3 %4").arg(minX).arg(maxX).arg(minY).arg(maxY)));
    }

    void sameResultForEveryImageFormat_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("Grayscale8") << int(QImage::Format_Grayscale8);
        QTest::newRow("RGB888") << int(QImage::Format_RGB888);
        QTest::newRow("RGB32") << int(QImage::Format_RGB32);
        QTest::newRow("ARGB32") << int(QImage::Format_ARGB32);
        QTest::newRow("ARGB32 premultiplied") << int(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("Grayscale16") << int(QImage::Format_Grayscale16);
        QTest::newRow("RGBA64") << int(QImage::Format_RGBA64);
    }

    void sameResultForEveryImageFormat()
    {
        QFETCH(int, format);
        const QImage indexed = greyFixture("255 127 0 40;0 255 200 255");
        const auto emitted = [](const QImage &image) {
            return lines(image2GcodeBufferIncrement(image, 0.1f, 0.2, "gray", 2400, 1000, 0.05, 0, 1));
        };
        const QStringList expected = emitted(indexed);
        QVERIFY(expected.size() > 6);
        QCOMPARE(emitted(indexed.convertToFormat(QImage::Format(format))), expected);
    }

    // Grey pictures are scanned where they lie; the scan must never write
    // through to the caller's pixels (thresholding, compositing over white).
    void callersPictureIsLeftAlone_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("imageType");
        QTest::addColumn<double>("angle");

        const QList<QPair<const char *, QImage::Format>> formats{
            {"Grayscale8", QImage::Format_Grayscale8},
            {"Indexed8", QImage::Format_Indexed8},
            {"ARGB32 premultiplied", QImage::Format_ARGB32_Premultiplied}};
        for (const auto &format : formats) {
            for (const char *type : {"bw", "gray"}) {
                for (const double angle : {0.0, 90.0, 30.0})
                    QTest::addRow("%s %s %g", format.first, type, angle)
                        << int(format.second) << QString::fromLatin1(type) << angle;
            }
        }
    }

    void callersPictureIsLeftAlone()
    {
        QFETCH(int, format);
        QFETCH(QString, imageType);
        QFETCH(double, angle);

        QImage picture = greyFixture("255 127 0 40 129;0 255 200 128 255;90 10 255 255 7");
        if (format == QImage::Format_ARGB32_Premultiplied) {
            picture = picture.convertToFormat(QImage::Format_ARGB32);
            picture.setPixel(1, 1, qRgba(0, 0, 0, 100));
        }
        picture = picture.convertToFormat(QImage::Format(format));
        const QImage before = picture.copy();
        QVERIFY(!image2GcodeBufferIncrement(picture, 0.1f, 0.2, imageType, 2400, 1000, 0.05, angle, 1).isEmpty());
        QCOMPARE(picture, before);
    }

    void transparentPixelsAreNotBurned()
    {
        QImage picture(3, 1, QImage::Format_ARGB32);
        picture.fill(qRgba(0, 0, 0, 0));
        picture.setPixel(1, 0, qRgba(0, 0, 0, 255));
        QCOMPARE(joined(lines(image2GcodeBufferIncrement(picture, 0.1f, 0, "gray", 2400, 1000, 0, 0, 1))),
                 joined(kPreamble + QStringList{"G0X0.0000Y0.0000", kG91, "G1X0.1000S1000.0000F2400.0000"}));
    }

    void paletteColoursAreBurnedByTheirGrey()
    {
        QImage picture(2, 1, QImage::Format_Indexed8);
        picture.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        picture.setPixel(0, 0, 1);
        picture.setPixel(1, 0, 0);
        QCOMPARE(joined(lines(image2GcodeBufferIncrement(picture, 0.1f, 0, "gray", 2400, 1000, 0, 0, 1))),
                 joined(kPreamble + QStringList{"G0X0.0000Y0.0000", kG91, "G1X0.1000S1000.0000F2400.0000"}));
    }

    void longThinPictures_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("angle");
        QTest::addColumn<int>("records");

        // A dark row: M9, G90, G0, G91 and one burning move.
        QTest::newRow("20000 x 1") << 20000 << 1 << 0.0 << 5;
        // 20000 one-pixel rows: the first like above, every later one with a
        // lead-in, an entry and a burning move.
        QTest::newRow("1 x 20000") << 1 << 20000 << 0.0 << 5 + 19999 * 3;
        QTest::newRow("20000 x 1 turned 90") << 20000 << 1 << 90.0 << 5 + 19999 * 3;
        QTest::newRow("1 x 20000 turned 90") << 1 << 20000 << 90.0 << 5;
    }

    void longThinPictures()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, angle);
        QFETCH(int, records);

        QImage picture(width, height, QImage::Format_Grayscale8);
        picture.fill(0);
        const QList<GCodeBuffer> result = image2GcodeBufferIncrement(picture, 0.1f, 0, "bw", 2400, 1000, 0, angle, 1);
        QCOMPARE(result.size(), records);
    }

    void unusableInput_data()
    {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<float>("scale");
        QTest::addColumn<double>("overscan");
        QTest::addColumn<double>("feed");
        QTest::addColumn<double>("power");
        QTest::addColumn<double>("scanError");
        QTest::addColumn<double>("angle");
        QTest::addColumn<double>("passes");

        const QImage good = greyFixture("255 0 255");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        const float fnan = std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("null picture") << QImage() << 0.1f << 0.0 << 2400.0 << 1000.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("zero-size picture") << QImage(0, 5, QImage::Format_Grayscale8) << 0.1f << 0.0 << 2400.0
                                           << 1000.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("line spacing 0") << good << 0.0f << 0.0 << 2400.0 << 1000.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("negative line spacing") << good << -0.1f << 0.0 << 2400.0 << 1000.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("NaN line spacing") << good << fnan << 0.0 << 2400.0 << 1000.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("no passes") << good << 0.1f << 0.0 << 2400.0 << 1000.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("negative passes") << good << 0.1f << 0.0 << 2400.0 << 1000.0 << 0.0 << 0.0 << -2.0;
        QTest::newRow("NaN passes") << good << 0.1f << 0.0 << 2400.0 << 1000.0 << 0.0 << 0.0 << nan;
        QTest::newRow("infinite passes") << good << 0.1f << 0.0 << 2400.0 << 1000.0 << 0.0 << 0.0 << inf;
        QTest::newRow("runaway passes") << good << 0.1f << 0.0 << 2400.0 << 1000.0 << 0.0 << 0.0 << 1e9;
        QTest::newRow("infinite overscan") << good << 0.1f << inf << 2400.0 << 1000.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("NaN feed") << good << 0.1f << 0.0 << nan << 1000.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("negative feed") << good << 0.1f << 0.0 << -5.0 << 1000.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("infinite power") << good << 0.1f << 0.0 << 2400.0 << inf << 0.0 << 0.0 << 1.0;
        QTest::newRow("negative power") << good << 0.1f << 0.0 << 2400.0 << -1.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("NaN scan error") << good << 0.1f << 0.0 << 2400.0 << 1000.0 << nan << 0.0 << 1.0;
        QTest::newRow("NaN angle") << good << 0.1f << 0.0 << 2400.0 << 1000.0 << 0.0 << nan << 1.0;
        QTest::newRow("infinite angle") << good << 0.1f << 0.0 << 2400.0 << 1000.0 << 0.0 << -inf << 1.0;
        // A 24000-pixel line turned by 45 degrees needs a canvas beyond the limit.
        QTest::newRow("runaway canvas") << QImage(24000, 1, QImage::Format_Grayscale8) << 0.1f << 0.0 << 2400.0
                                        << 1000.0 << 0.0 << 45.0 << 1.0;
    }

    void unusableInput()
    {
        QFETCH(QImage, picture);
        QFETCH(float, scale);
        QFETCH(double, overscan);
        QFETCH(double, feed);
        QFETCH(double, power);
        QFETCH(double, scanError);
        QFETCH(double, angle);
        QFETCH(double, passes);

        QVERIFY(image2GcodeBufferIncrement(picture, scale, overscan, "gray", feed, power, scanError, angle, passes)
                    .isEmpty());
    }

    void onePixelPictures()
    {
        QCOMPARE(lines(image2GcodeBufferIncrement(greyFixture("255"), 0.1f, 0, "gray", 2400, 1000, 0, 0, 1)),
                 QStringList{"M9"});
        QCOMPARE(image2GcodeBufferIncrement(greyFixture("0"), 0.1f, 0, "gray", 2400, 1000, 0, 33, 1).size(), 5);
    }
};

Q_DECLARE_METATYPE(QImage)

SCRIBO_TEST_CORE_MAIN(TestRasterEmit)
#include "test_rasteremit.moc"
