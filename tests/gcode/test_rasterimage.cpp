#include "common/testenvironment.h"
#include "gcode/rasterimage.h"
#include "gcode/rastermatrix.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <limits>

namespace {

QImage greyImage(int width, int height, int grey)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(qRgb(grey, grey, grey));
    return image;
}

QString pngDataUri(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
}

QString fileDataUri(const QString &name)
{
    QFile file(ScriboTest::dataPath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(file.readAll().toBase64());
}

QImage decodePng(const QString &base64)
{
    return QImage::fromData(QByteArray::fromBase64(base64.toLatin1()), "png");
}

int greyAt(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y));
}

// Cells written row by row, "1" for a white dot.
QString cellText(const cv::Mat &mat, int cellRow = 0, int cellColumn = 0)
{
    QString text;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            text += mat.at<uchar>(3 * cellRow + r, 3 * cellColumn + c) == 255 ? QLatin1Char('1') : QLatin1Char('0');
    }
    return text;
}

int whiteDots(const QString &cell)
{
    return cell.count(QLatin1Char('1'));
}

} // namespace

class TestRasterImage : public QObject
{
    Q_OBJECT

private slots:
    void imageToMatrixFormats_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("channels");

        QTest::newRow("RGB32") << int(QImage::Format_RGB32) << 4;
        QTest::newRow("ARGB32") << int(QImage::Format_ARGB32) << 4;
        QTest::newRow("ARGB32 premultiplied") << int(QImage::Format_ARGB32_Premultiplied) << 4;
        QTest::newRow("RGB888") << int(QImage::Format_RGB888) << 3;
        QTest::newRow("Grayscale8") << int(QImage::Format_Grayscale8) << 1;
        QTest::newRow("Grayscale16") << int(QImage::Format_Grayscale16) << 1;
        QTest::newRow("RGBA64") << int(QImage::Format_RGBA64) << 4;
        QTest::newRow("RGB16") << int(QImage::Format_RGB16) << 4;
    }

    // Every format gives a matrix of defined layout that owns its pixels and
    // keeps the colour (B, G, R order).
    void imageToMatrixFormats()
    {
        QFETCH(int, format);
        QFETCH(int, channels);

        cv::Mat mat;
        {
            QImage source(3, 2, QImage::Format_ARGB32);
            source.fill(qRgb(200, 100, 0));
            source.setPixel(2, 1, qRgb(0, 0, 0));
            mat = QImage2Mat(source.convertToFormat(QImage::Format(format)));
        } // the image is gone: the matrix must not point into it
        QCOMPARE(mat.cols, 3);
        QCOMPARE(mat.rows, 2);
        QCOMPARE(mat.channels(), channels);
        QCOMPARE(mat.depth(), CV_8U);
        if (channels >= 3) {
            const uchar *pixel = mat.ptr<uchar>(0);
            QVERIFY(qAbs(pixel[0] - 0) <= 8);
            QVERIFY(qAbs(pixel[1] - 100) <= 8);
            QVERIFY(qAbs(pixel[2] - 200) <= 8);
        }
        QCOMPARE(int(mat.at<uchar>(1, 2 * channels)), 0);
    }

    void indexedImages()
    {
        QImage ramp(2, 1, QImage::Format_Indexed8);
        QVector<QRgb> table;
        for (int i = 0; i < 256; ++i)
            table.append(qRgb(i, i, i));
        ramp.setColorTable(table);
        ramp.setPixel(0, 0, 17);
        ramp.setPixel(1, 0, 240);
        cv::Mat mat = QImage2Mat(ramp);
        QCOMPARE(mat.type(), CV_8UC1);
        QCOMPARE(int(mat.at<uchar>(0, 0)), 17);
        QCOMPARE(int(mat.at<uchar>(0, 1)), 240);

        // A real palette is looked up, not read as grey.
        QImage palette(2, 1, QImage::Format_Indexed8);
        palette.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        palette.setPixel(0, 0, 1);
        palette.setPixel(1, 0, 0);
        mat = imageToGreyMatrix(palette);
        QCOMPARE(mat.type(), CV_8UC1);
        QCOMPARE(int(mat.at<uchar>(0, 0)), 0);
        QCOMPARE(int(mat.at<uchar>(0, 1)), 255);
    }

    void matrixToImage()
    {
        cv::Mat grey(2, 3, CV_8UC1, cv::Scalar(0));
        grey.at<uchar>(1, 2) = 77;
        QImage image = Mat2QImage(grey);
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QCOMPARE(image.colorTable().size(), 256);
        QCOMPARE(image.pixelIndex(2, 1), 77);
        QCOMPARE(image.pixel(2, 1), qRgb(77, 77, 77));

        cv::Mat bgr(1, 1, CV_8UC3, cv::Scalar(10, 20, 30));
        image = Mat2QImage(bgr);
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(image.pixel(0, 0), qRgb(30, 20, 10));

        cv::Mat bgra(1, 1, CV_8UC4, cv::Scalar(10, 20, 30, 255));
        image = Mat2QImage(bgra);
        QCOMPARE(image.format(), QImage::Format_ARGB32);
        QCOMPARE(image.pixel(0, 0), qRgb(30, 20, 10));

        QVERIFY(Mat2QImage(cv::Mat()).isNull());
        QVERIFY(Mat2QImage(cv::Mat(2, 2, CV_16UC1, cv::Scalar(1))).isNull());
        QVERIFY(Mat2QImage(cv::Mat(2, 2, CV_8UC2, cv::Scalar(1))).isNull());
        QVERIFY(QImage2Mat(QImage()).empty());
    }

    void greyOfColours_data()
    {
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<int>("grey");

        QTest::newRow("red") << qRgb(255, 0, 0) << 76;
        QTest::newRow("green") << qRgb(0, 255, 0) << 150;
        QTest::newRow("blue") << qRgb(0, 0, 255) << 29;
        QTest::newRow("white") << qRgb(255, 255, 255) << 255;
        QTest::newRow("transparent black is white") << qRgba(0, 0, 0, 0) << 255;
        QTest::newRow("half-transparent black") << qRgba(0, 0, 0, 128) << 127;
    }

    void greyOfColours()
    {
        QFETCH(QRgb, colour);
        QFETCH(int, grey);

        QImage image(1, 1, QImage::Format_ARGB32);
        image.setPixel(0, 0, colour);
        const cv::Mat mat = imageToGreyMatrix(image);
        QCOMPARE(mat.type(), CV_8UC1);
        QVERIFY2(qAbs(int(mat.at<uchar>(0, 0)) - grey) <= 1, qPrintable(QString::number(mat.at<uchar>(0, 0))));
    }

    void halftoneCells_data()
    {
        QTest::addColumn<int>("grey");
        QTest::addColumn<QString>("cell");

        QTest::newRow("0") << 0 << "000000000";
        QTest::newRow("25") << 25 << "000000000";
        QTest::newRow("26") << 26 << "010000000";
        QTest::newRow("51") << 51 << "010000000";
        QTest::newRow("52") << 52 << "010000001";
        QTest::newRow("77") << 77 << "110000001";
        QTest::newRow("103") << 103 << "110000101";
        QTest::newRow("128") << 128 << "111000101";
        QTest::newRow("154") << 154 << "111001101";
        QTest::newRow("179") << 179 << "111001101";
        QTest::newRow("180") << 180 << "111101101";
        QTest::newRow("204") << 204 << "111101101";
        QTest::newRow("205") << 205 << "111101111";
        QTest::newRow("210: all but the centre") << 210 << "111101111";
        QTest::newRow("230") << 230 << "111101111";
        QTest::newRow("231") << 231 << "111111111";
        QTest::newRow("255") << 255 << "111111111";
    }

    // A uniform 3 x 3 picture halftoned with scale 3 is exactly one cell.
    void halftoneCells()
    {
        QFETCH(int, grey);
        QFETCH(QString, cell);

        cv::Mat destination;
        halftone(cv::Mat(3, 3, CV_8UC1, cv::Scalar(grey)), destination, 3);
        QCOMPARE(destination.rows, 3);
        QCOMPARE(destination.cols, 3);
        QCOMPARE(cellText(destination), cell);
    }

    void halftoneNeverLosesDotsAsGreyRises()
    {
        QString previous = QStringLiteral("000000000");
        for (int grey = 0; grey <= 255; ++grey) {
            cv::Mat destination;
            halftone(cv::Mat(3, 3, CV_8UC1, cv::Scalar(grey)), destination, 3);
            const QString cell = cellText(destination);
            QVERIFY2(whiteDots(cell) >= whiteDots(previous), qPrintable(QString::number(grey)));
            for (int i = 0; i < 9; ++i)
                QVERIFY2(!(previous[i] == QLatin1Char('1') && cell[i] == QLatin1Char('0')),
                         qPrintable(QStringLiteral("dot %1 lost at grey %2").arg(i).arg(grey)));
            previous = cell;
        }
        for (int level = 1; level <= 9; ++level) {
            int below = 0;
            int here = 0;
            for (int i = 0; i < 9; ++i) {
                below += halftoneCell(level - 1)[i];
                here += halftoneCell(level)[i];
            }
            QVERIFY(here >= below);
        }
    }

    void halftoneSizes_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("resultColumns");
        QTest::addColumn<int>("resultRows");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("9 x 6") << 9 << 6 << 1 << 3.0 << 9 << 6;
        QTest::newRow("7 x 7 rounds to two cells") << 7 << 7 << 1 << 3.0 << 6 << 6;
        QTest::newRow("one pixel keeps one cell") << 1 << 1 << 1 << 3.0 << 3 << 3;
        QTest::newRow("1 x 20000") << 1 << 20000 << 1 << 3.0 << 3 << 20001;
        QTest::newRow("colour source") << 6 << 3 << 4 << 3.0 << 6 << 3;
        QTest::newRow("empty") << 0 << 0 << 1 << 3.0 << 0 << 0;
        QTest::newRow("scale 0") << 9 << 9 << 1 << 0.0 << 0 << 0;
        QTest::newRow("negative scale") << 9 << 9 << 1 << -3.0 << 0 << 0;
        QTest::newRow("NaN scale") << 9 << 9 << 1 << nan << 0 << 0;
        QTest::newRow("infinite scale") << 9 << 9 << 1 << inf << 0 << 0;
        QTest::newRow("runaway size") << 9 << 9 << 1 << 1e-9 << 0 << 0;
    }

    void halftoneSizes()
    {
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(int, channels);
        QFETCH(double, scale);
        QFETCH(int, resultColumns);
        QFETCH(int, resultRows);

        const cv::Mat source = columns > 0 ? cv::Mat(rows, columns, CV_8UC(channels), cv::Scalar::all(90)) : cv::Mat();
        cv::Mat destination(5, 5, CV_8UC1, cv::Scalar(7));
        halftone(source, destination, scale);
        QCOMPARE(destination.cols, resultColumns);
        QCOMPARE(destination.rows, resultRows);
        if (!destination.empty())
            QCOMPARE(destination.type(), CV_8UC1);
    }

    void base64LineBreaks_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QList<int>>("lineLengths");

        QTest::newRow("empty") << 0 << QList<int>{0};
        QTest::newRow("one byte") << 1 << QList<int>{4};
        QTest::newRow("56 bytes: one short line") << 56 << QList<int>{76};
        QTest::newRow("57 bytes: a full line and a break") << 57 << QList<int>{76, 0};
        QTest::newRow("58 bytes") << 58 << QList<int>{76, 4};
        QTest::newRow("114 bytes") << 114 << QList<int>{76, 76, 0};
        QTest::newRow("115 bytes") << 115 << QList<int>{76, 76, 4};
        QTest::newRow("200 bytes") << 200 << QList<int>{76, 76, 76, 40};
    }

    void base64LineBreaks()
    {
        QFETCH(int, bytes);
        QFETCH(QList<int>, lineLengths);

        QByteArray data;
        for (int i = 0; i < bytes; ++i)
            data.append(char(i * 37 + 11));
        const QByteArray text = base64WithLineBreaks(data);
        const QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines.size(), lineLengths.size());
        for (int i = 0; i < lines.size(); ++i) {
            const bool last = i == lines.size() - 1;
            QCOMPARE(lines[i].endsWith('\r'), !last);
            QCOMPARE(lines[i].size() - (last ? 0 : 1), lineLengths[i]);
        }
        QByteArray joined = text;
        joined.replace("\r\n", "");
        QCOMPARE(joined, data.toBase64());
    }

    void encodePng()
    {
        cv::Mat grey(40, 50, CV_8UC1);
        for (int r = 0; r < grey.rows; ++r) {
            for (int c = 0; c < grey.cols; ++c)
                grey.at<uchar>(r, c) = uchar((r * 7 + c * 13) % 256);
        }
        const QByteArray text = imageEncodeBase64(grey, QStringLiteral("png"));
        QVERIFY(!text.isEmpty());
        for (const QByteArray &line : text.split('\n'))
            QVERIFY(line.size() <= 77);
        const QImage decoded = decodePng(QString::fromLatin1(text));
        QCOMPARE(decoded.size(), QSize(50, 40));
        QCOMPARE(greyAt(decoded, 3, 2), (2 * 7 + 3 * 13) % 256);

        QVERIFY(imageEncodeBase64(cv::Mat(), QStringLiteral("png")).isEmpty());
        QVERIFY(imageEncodeBase64(grey, QStringLiteral("no-such-format")).isEmpty());
    }

    void rotationSizes_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<double>("angle");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("dy");

        QTest::newRow("0") << 100 << 50 << 0.0 << 100 << 50 << 0.0 << 0.0;
        QTest::newRow("90") << 100 << 50 << 90.0 << 50 << 100 << -25.0 << 25.0;
        QTest::newRow("45") << 100 << 50 << 45.0 << 106 << 106 << 3.0 << 28.0;
        QTest::newRow("-30 is 330") << 100 << 50 << -30.0 << 111 << 93 << 5.5 << 21.5;
        QTest::newRow("330") << 100 << 50 << 330.0 << 111 << 93 << 5.5 << 21.5;
        QTest::newRow("360 is 0") << 100 << 50 << 360.0 << 100 << 50 << 0.0 << 0.0;
        QTest::newRow("720 is 0") << 100 << 50 << 720.0 << 100 << 50 << 0.0 << 0.0;
        QTest::newRow("-1e9 is 80") << 100 << 50 << -1e9 << 66 << 107 << -17.0 << 28.5;
        QTest::newRow("80") << 100 << 50 << 80.0 << 66 << 107 << -17.0 << 28.5;
        QTest::newRow("NaN is 0") << 100 << 50 << std::numeric_limits<double>::quiet_NaN() << 100 << 50 << 0.0 << 0.0;
        QTest::newRow("one pixel at 45") << 1 << 1 << 45.0 << 1 << 1 << 0.0 << 0.0;
        QTest::newRow("1 x 20000 at 90") << 1 << 20000 << 90.0 << 20000 << 1 << 9999.5 << -9999.5;
    }

    void rotationSizes()
    {
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(double, angle);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, dx);
        QFETCH(double, dy);

        const cv::Mat mat(rows, columns, CV_8UC1, cv::Scalar(0));
        cv::Mat rotation;
        cv::Size size;
        double shiftX = -7;
        double shiftY = -7;
        CalcRotateMatrix(mat, float(angle), rotation, size, shiftX, shiftY);
        QCOMPARE(size.width, width);
        QCOMPARE(size.height, height);
        QCOMPARE(shiftX, dx);
        QCOMPARE(shiftY, dy);
        QCOMPARE(rotation.rows, 2);
        QCOMPARE(rotation.cols, 3);
        QCOMPARE(rotation.type(), CV_64F);

        const cv::Mat turned = imageRotate(mat, angle, shiftX, shiftY);
        QCOMPARE(turned.cols, width);
        QCOMPARE(turned.rows, height);
        QCOMPARE(shiftX, dx);
        QCOMPARE(shiftY, dy);
    }

    void quarterTurnsKeepEveryPixel_data()
    {
        QTest::addColumn<double>("angle");
        QTest::addColumn<int>("rotateCode");

        QTest::newRow("90 turns counter-clockwise") << 90.0 << int(cv::ROTATE_90_COUNTERCLOCKWISE);
        QTest::newRow("180") << 180.0 << int(cv::ROTATE_180);
        QTest::newRow("270") << 270.0 << int(cv::ROTATE_90_CLOCKWISE);
        QTest::newRow("-90") << -90.0 << int(cv::ROTATE_90_CLOCKWISE);
    }

    void quarterTurnsKeepEveryPixel()
    {
        QFETCH(double, angle);
        QFETCH(int, rotateCode);

        cv::Mat mat(3, 5, CV_8UC1);
        for (int i = 0; i < 15; ++i)
            mat.at<uchar>(i / 5, i % 5) = uchar(10 * i + 5);
        double dx = 0;
        double dy = 0;
        const cv::Mat turned = imageRotate(mat, angle, dx, dy);
        cv::Mat expected;
        cv::rotate(mat, expected, rotateCode);
        QCOMPARE(turned.size(), expected.size());
        QCOMPARE(cv::norm(turned, expected, cv::NORM_INF), 0.0);
    }

    // Whatever shortcut a turn takes, it gives the picture (and the canvas
    // growth) of the general interpolating turn.
    void turnsMatchTheInterpolatingWarp_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<double>("angle");

        for (const double angle : {90.0, 180.0, 270.0, -90.0, 45.0}) {
            QTest::addRow("3 x 5 by %g", angle) << 3 << 5 << angle;
            QTest::addRow("4 x 7 by %g", angle) << 4 << 7 << angle;
            QTest::addRow("6 x 6 by %g", angle) << 6 << 6 << angle;
            QTest::addRow("1 x 9 by %g", angle) << 1 << 9 << angle;
            QTest::addRow("301 x 200 by %g", angle) << 301 << 200 << angle;
        }
    }

    void turnsMatchTheInterpolatingWarp()
    {
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(double, angle);

        cv::Mat mat(rows, columns, CV_8UC1);
        for (int i = 0; i < rows * columns; ++i)
            mat.at<uchar>(i / columns, i % columns) = uchar((i * 37 + 11) % 256);
        cv::Mat rotation;
        cv::Size size;
        double expectedDx = 0;
        double expectedDy = 0;
        CalcRotateMatrix(mat, float(angle), rotation, size, expectedDx, expectedDy);
        cv::Mat expected;
        cv::warpAffine(mat, expected, rotation, size, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar::all(255));

        double dx = -1;
        double dy = -1;
        const cv::Mat turned = imageRotate(mat, angle, dx, dy);
        QCOMPARE(turned.size(), expected.size());
        QCOMPARE(cv::norm(turned, expected, cv::NORM_INF), 0.0);
        QCOMPARE(dx, expectedDx);
        QCOMPARE(dy, expectedDy);
    }

    void rotationCornersAreWhite()
    {
        double dx = 0;
        double dy = 0;
        const cv::Mat turned = imageRotate(cv::Mat(40, 40, CV_8UC1, cv::Scalar(0)), 45, dx, dy);
        QCOMPARE(turned.cols, 56);
        QCOMPARE(int(turned.at<uchar>(0, 0)), 255);
        QCOMPARE(int(turned.at<uchar>(28, 28)), 0);
    }

    void rotationRefusesEmptyAndRunaway()
    {
        double dx = 5;
        double dy = 5;
        QVERIFY(imageRotate(cv::Mat(), 30, dx, dy).empty());
        QCOMPARE(dx, 0.0);
        // A 24000-pixel line turned by 45 degrees would need a canvas of
        // 288 million pixels.
        const cv::Mat line(1, 24000, CV_8UC1, cv::Scalar(0));
        QVERIFY(imageRotate(line, 45, dx, dy).empty());
        QCOMPARE(dy, 0.0);
    }

    void thresholdBoundary()
    {
        QImage picture(2, 1, QImage::Format_Grayscale8);
        picture.setPixel(0, 0, qRgb(128, 128, 128));
        picture.setPixel(1, 0, qRgb(129, 129, 129));
        QString uri = pngDataUri(picture);
        const QImage result = decodePng(bwBase64(uri, 2, 1));
        QCOMPARE(result.size(), QSize(2, 1));
        QCOMPARE(greyAt(result, 0, 0), 0);
        QCOMPARE(greyAt(result, 1, 0), 255);
    }

    void preparationStripsThePrefixInPlace()
    {
        QString uri = pngDataUri(greyImage(4, 2, 99));
        const QString body = uri.mid(uri.indexOf(QLatin1Char(',')));
        const QString result = garyBase64(uri, 4, 2);
        QCOMPARE(uri, body);
        QVERIFY(!result.startsWith(QLatin1String("data:")));

        // Without a prefix the whole text is the picture.
        QString bare = pngDataUri(greyImage(4, 2, 99)).section(QLatin1Char(','), 1);
        QCOMPARE(garyBase64(bare, 4, 2), result);
    }

    void greyPreparationScales()
    {
        QImage picture = greyImage(4, 2, 200);
        picture.setPixel(0, 0, qRgb(10, 10, 10));
        QString uri = pngDataUri(picture);
        const QImage result = decodePng(garyBase64(uri, 8.9, 4.2));
        QCOMPARE(result.size(), QSize(8, 4));
        QCOMPARE(greyAt(result, 0, 0), 10);
        QCOMPARE(greyAt(result, 1, 1), 10);
        QCOMPARE(greyAt(result, 2, 0), 200);
        QCOMPARE(greyAt(result, 7, 3), 200);
    }

    void halftonePreparation()
    {
        QString uri = pngDataUri(greyImage(3, 3, 210));
        const QImage result = decodePng(halftoneBase64(uri, 3, 3));
        QCOMPARE(result.size(), QSize(3, 3));
        for (int i = 0; i < 9; ++i)
            QCOMPARE(greyAt(result, i % 3, i / 3), i == 4 ? 0 : 255);
    }

    void realPictures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");

        QTest::newRow("RGBA line art") << "x-image__tux.png" << 386 << 395;
        QTest::newRow("palette with transparency") << "pngsuite__basn3p08-trns.png" << 32 << 32;
        QTest::newRow("one-pixel 1-bit palette") << "pngsuite__s01n3p01.png" << 1 << 1;
        QTest::newRow("GIF photo frame") << "go-image__video-001.gif" << 150 << 103;
    }

    void realPictures()
    {
        QFETCH(QString, file);
        QFETCH(int, width);
        QFETCH(int, height);

        const QString uri = fileDataUri(file);
        QVERIFY(!uri.isEmpty());
        for (int kind = 0; kind < 3; ++kind) {
            QString text = uri;
            const QString result = kind == 0 ? garyBase64(text, width, height)
                                 : kind == 1 ? bwBase64(text, width, height)
                                             : halftoneBase64(text, width, height);
            const QImage decoded = decodePng(result);
            QVERIFY2(!decoded.isNull(), qPrintable(QString::number(kind)));
            QCOMPARE(decoded.width(), kind == 2 ? qMax(3, int(std::round(width / 3.0)) * 3) : width);
        }
    }

    // Tux stands on a transparent background, which must stay unburned.
    void transparentBackgroundIsWhite()
    {
        QString uri = fileDataUri(QStringLiteral("x-image__tux.png"));
        const QImage result = decodePng(bwBase64(uri, 386, 395));
        QCOMPARE(greyAt(result, 0, 0), 255);
        QCOMPARE(greyAt(result, 385, 394), 255);
        int dark = 0;
        for (int y = 0; y < result.height(); ++y) {
            for (int x = 0; x < result.width(); ++x)
                dark += greyAt(result, x, y) == 0;
        }
        QVERIFY(dark > 1000);
        QVERIFY(dark < 386 * 395 / 2);
    }

    void unusablePictures_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");

        const QString good = pngDataUri(greyImage(4, 4, 0));
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("empty text") << QString() << 10.0 << 10.0;
        QTest::newRow("prefix only") << "data:image/png;base64," << 10.0 << 10.0;
        QTest::newRow("not a picture") << "data:image/png;base64,SGVsbG8gd29ybGQ=" << 10.0 << 10.0;
        QTest::newRow("zero width") << good << 0.0 << 10.0;
        QTest::newRow("below one pixel") << good << 0.9 << 10.0;
        QTest::newRow("negative height") << good << 10.0 << -4.0;
        QTest::newRow("NaN width") << good << nan << 10.0;
        QTest::newRow("infinite height") << good << 10.0 << inf;
        QTest::newRow("runaway size") << good << 1e6 << 1e6;
    }

    void unusablePictures()
    {
        QFETCH(QString, uri);
        QFETCH(double, width);
        QFETCH(double, height);

        QString a = uri;
        QString b = uri;
        QString c = uri;
        QCOMPARE(garyBase64(a, width, height), QString());
        QCOMPARE(bwBase64(b, width, height), QString());
        QCOMPARE(halftoneBase64(c, width, height), QString());
    }
};

SCRIBO_TEST_CORE_MAIN(TestRasterImage)
#include "test_rasterimage.moc"
