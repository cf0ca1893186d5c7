#include "gcode/rasterimage.h"
#include "gcode/rastermatrix.h"

#include <QByteArray>
#include <QDebug>
#include <QImage>
#include <QVector>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Dot cells by grey level, rows top to bottom. Every level adds dots to the one
// below, so a lighter grey never gets fewer white dots. Level 7 is level 6 plus
// the middle-left dot; level 8 adds the bottom-centre dot.
const unsigned char kHalftoneCells[10][9] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 1, 0, 0, 0, 0, 0, 0, 0},
    {0, 1, 0, 0, 0, 0, 0, 0, 1},
    {1, 1, 0, 0, 0, 0, 0, 0, 1},
    {1, 1, 0, 0, 0, 0, 1, 0, 1},
    {1, 1, 1, 0, 0, 0, 1, 0, 1},
    {1, 1, 1, 0, 0, 1, 1, 0, 1},
    {1, 1, 1, 1, 0, 1, 1, 0, 1},
    {1, 1, 1, 1, 0, 1, 1, 1, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1},
};

bool hasGreyRampTable(const QImage &image)
{
    const QVector<QRgb> table = image.colorTable();
    if (table.size() > 256)
        return false;
    for (int i = 0; i < table.size(); ++i) {
        if (table.at(i) != qRgb(i, i, i))
            return false;
    }
    return true;
}

// The image's own pixels seen as a matrix: valid only while the image lives
// unchanged, and never to be written through.
cv::Mat wrap(const QImage &image, int type)
{
    return cv::Mat(image.height(), image.width(), type, const_cast<uchar *>(image.constBits()),
                   static_cast<size_t>(image.bytesPerLine()));
}

cv::Mat wrapAndCopy(const QImage &image, int type)
{
    return wrap(image, type).clone();
}

bool isEightBitGrey(const QImage &image)
{
    return image.format() == QImage::Format_Grayscale8
        || (image.format() == QImage::Format_Indexed8 && hasGreyRampTable(image));
}

// Reduces 8-bit colour or grey matrices to one grey channel (luma weights for
// B, G, R memory order). Other types give an empty matrix.
cv::Mat greyOfMatrix(const cv::Mat &mat)
{
    cv::Mat grey;
    switch (mat.type()) {
    case CV_8UC1:
        grey = mat;
        break;
    case CV_8UC3:
        cv::cvtColor(mat, grey, cv::COLOR_BGR2GRAY);
        break;
    case CV_8UC4:
        cv::cvtColor(mat, grey, cv::COLOR_BGRA2GRAY);
        break;
    default:
        break;
    }
    return grey;
}

enum class Preparation { Grey, BlackWhite, Halftone };

QString prepareBase64(QString &dataUri, double width, double height, Preparation preparation)
{
    const int comma = dataUri.indexOf(QLatin1Char(','));
    if (comma > 0)
        dataUri.remove(0, comma);

    if (!std::isfinite(width) || !std::isfinite(height)) {
        qWarning("picture size is not a number; nothing prepared");
        return {};
    }
    const double columns = std::trunc(width);
    const double rows = std::trunc(height);
    if (columns < 1 || rows < 1)
        return {};
    if (columns * rows > double(kMaxRasterPixels)) {
        qWarning() << "picture of" << columns << "x" << rows << "pixels is too large; nothing prepared";
        return {};
    }

    const QImage picture = QImage::fromData(QByteArray::fromBase64(dataUri.toLatin1()));
    if (picture.isNull()) {
        qWarning("picture cannot be decoded; nothing prepared");
        return {};
    }
    const QImage scaled = picture.scaled(int(columns), int(rows), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const cv::Mat grey = imageToGreyMatrix(scaled);
    if (grey.empty())
        return {};

    cv::Mat prepared;
    try {
        switch (preparation) {
        case Preparation::Grey:
            prepared = grey;
            break;
        case Preparation::BlackWhite:
            cv::threshold(grey, prepared, 128, 255, cv::THRESH_BINARY);
            break;
        case Preparation::Halftone:
            halftone(grey, prepared, 3);
            break;
        }
    } catch (const cv::Exception &error) {
        qWarning() << "picture preparation failed:" << error.what();
        return {};
    }
    return QString::fromLatin1(imageEncodeBase64(prepared, QStringLiteral("png")));
}

} // namespace

cv::Mat QImage2Mat(const QImage &image)
{
    if (image.isNull())
        return {};
    try {
        switch (image.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            return wrapAndCopy(image, CV_8UC4);
        case QImage::Format_Grayscale8:
            return wrapAndCopy(image, CV_8UC1);
        case QImage::Format_Indexed8:
            if (hasGreyRampTable(image))
                return wrapAndCopy(image, CV_8UC1);
            return QImage2Mat(image.convertToFormat(QImage::Format_ARGB32));
        case QImage::Format_RGB888: {
            const cv::Mat view(image.height(), image.width(), CV_8UC3, const_cast<uchar *>(image.constBits()),
                               static_cast<size_t>(image.bytesPerLine()));
            cv::Mat bgr;
            cv::cvtColor(view, bgr, cv::COLOR_RGB2BGR);
            return bgr;
        }
        case QImage::Format_Grayscale16:
            return QImage2Mat(image.convertToFormat(QImage::Format_Grayscale8));
        default:
            return QImage2Mat(image.convertToFormat(QImage::Format_ARGB32));
        }
    } catch (const cv::Exception &error) {
        qWarning() << "image conversion failed:" << error.what();
        return {};
    }
}

QImage Mat2QImage(const cv::Mat &mat)
{
    if (mat.empty())
        return {};
    switch (mat.type()) {
    case CV_8UC4:
        return QImage(mat.data, mat.cols, mat.rows, static_cast<int>(mat.step), QImage::Format_ARGB32).copy();
    case CV_8UC3:
        return QImage(mat.data, mat.cols, mat.rows, static_cast<int>(mat.step), QImage::Format_RGB888)
            .rgbSwapped();
    case CV_8UC1: {
        QImage image(mat.cols, mat.rows, QImage::Format_Indexed8);
        if (image.isNull())
            return {};
        QVector<QRgb> table(256);
        for (int i = 0; i < 256; ++i)
            table[i] = qRgb(i, i, i);
        image.setColorTable(table);
        for (int row = 0; row < mat.rows; ++row)
            std::copy_n(mat.ptr<uchar>(row), mat.cols, image.scanLine(row));
        return image;
    }
    default:
        return {};
    }
}

cv::Mat imageToGreyMatrix(const QImage &image)
{
    if (image.isNull())
        return {};
    const QImage::Format format = image.format();
    if (format == QImage::Format_Grayscale16 || isEightBitGrey(image))
        return QImage2Mat(image);

    try {
        // The colour reduction writes a new matrix, so the colour pixels are
        // only looked at, never copied first.
        if (!image.hasAlphaChannel()) {
            const QImage opaque = format == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
            if (opaque.isNull())
                return {};
            return greyOfMatrix(wrap(opaque, CV_8UC4));
        }
        // Over white: with premultiplied colour c and alpha a, c + (255 - a).
        // bits() detaches, so the caller's picture is never written to.
        QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (premultiplied.isNull())
            return {};
        cv::Mat bgra(premultiplied.height(), premultiplied.width(), CV_8UC4, premultiplied.bits(),
                     static_cast<size_t>(premultiplied.bytesPerLine()));
        for (int row = 0; row < bgra.rows; ++row) {
            uchar *pixel = bgra.ptr<uchar>(row);
            for (int column = 0; column < bgra.cols; ++column, pixel += 4) {
                const int transparency = 255 - pixel[3];
                pixel[0] = static_cast<uchar>(std::min(255, pixel[0] + transparency));
                pixel[1] = static_cast<uchar>(std::min(255, pixel[1] + transparency));
                pixel[2] = static_cast<uchar>(std::min(255, pixel[2] + transparency));
                pixel[3] = 255;
            }
        }
        return greyOfMatrix(bgra);
    } catch (const cv::Exception &error) {
        qWarning() << "grey conversion failed:" << error.what();
        return {};
    }
}

cv::Mat greyMatrixView(const QImage &image)
{
    if (!image.isNull() && isEightBitGrey(image))
        return wrap(image, CV_8UC1);
    return imageToGreyMatrix(image);
}

const unsigned char *halftoneCell(int level)
{
    return kHalftoneCells[std::clamp(level, 0, 9)];
}

void halftone(const cv::Mat &source, cv::Mat &destination, double scale)
{
    destination.release();
    if (source.empty())
        return;
    if (!std::isfinite(scale) || scale <= 0) {
        qWarning() << "halftone scale" << scale << "is not a positive number";
        return;
    }
    const double factor = 1.0 / scale;
    const double columns = std::max(1.0, std::round(source.cols * factor));
    const double rows = std::max(1.0, std::round(source.rows * factor));
    if (!std::isfinite(columns * rows) || columns * rows * 9 > double(kMaxRasterPixels)) {
        qWarning() << "halftone of" << columns << "x" << rows << "cells is too large";
        return;
    }

    try {
        const cv::Mat grey = greyOfMatrix(source);
        if (grey.empty()) {
            qWarning("halftone needs an 8-bit picture");
            return;
        }
        cv::Mat shrunk;
        if (std::round(source.cols * factor) >= 1 && std::round(source.rows * factor) >= 1)
            cv::resize(grey, shrunk, cv::Size(), factor, factor, cv::INTER_LINEAR);
        else
            cv::resize(grey, shrunk, cv::Size(int(columns), int(rows)), 0, 0, cv::INTER_LINEAR);

        destination.create(shrunk.rows * 3, shrunk.cols * 3, CV_8UC1);
        for (int row = 0; row < shrunk.rows; ++row) {
            const uchar *levels = shrunk.ptr<uchar>(row);
            uchar *cellRows[3] = {destination.ptr<uchar>(3 * row), destination.ptr<uchar>(3 * row + 1),
                                  destination.ptr<uchar>(3 * row + 2)};
            for (int column = 0; column < shrunk.cols; ++column) {
                const unsigned char *cell = halftoneCell(static_cast<int>(levels[column] / 25.6));
                for (int cellRow = 0; cellRow < 3; ++cellRow) {
                    for (int cellColumn = 0; cellColumn < 3; ++cellColumn)
                        cellRows[cellRow][3 * column + cellColumn] = cell[3 * cellRow + cellColumn] ? 255 : 0;
                }
            }
        }
    } catch (const cv::Exception &error) {
        qWarning() << "halftone failed:" << error.what();
        destination.release();
    }
}

float normalizedAngle(double degrees)
{
    const float angle = static_cast<float>(degrees);
    if (!std::isfinite(angle))
        return 0.0f;
    float turned = std::fmod(angle, 360.0f);
    if (turned < 0)
        turned += 360.0f;
    return turned >= 360.0f ? 0.0f : turned;
}

void CalcRotateMatrix(const cv::Mat &mat, float angle, cv::Mat &rotation, cv::Size &size, double &dx, double &dy)
{
    const float turned = normalizedAngle(angle);
    // Turn about the centre of the pixel grid, so that quarter turns map pixels
    // onto pixels and no edge row or column falls off the canvas.
    const cv::Point2f centre((mat.cols - 1) * 0.5f, (mat.rows - 1) * 0.5f);
    rotation = cv::getRotationMatrix2D(centre, turned, 1.0);

    const double radians = turned * 3.141592653589793 / 180;
    const double sine = std::fabs(std::sin(radians));
    const double cosine = std::fabs(std::cos(radians));
    const int width = std::max(mat.cols > 0 ? 1 : 0, static_cast<int>(sine * mat.rows + cosine * mat.cols));
    const int height = std::max(mat.rows > 0 ? 1 : 0, static_cast<int>(sine * mat.cols + cosine * mat.rows));

    const float shiftX = (width - mat.cols) * 0.5f;
    const float shiftY = (height - mat.rows) * 0.5f;
    rotation.at<double>(0, 2) += shiftX;
    rotation.at<double>(1, 2) += shiftY;
    dx = shiftX;
    dy = shiftY;
    size = cv::Size(width, height);
}

cv::Mat imageRotate(const cv::Mat &mat, double angle, double &dx, double &dy)
{
    dx = 0;
    dy = 0;
    if (mat.empty())
        return {};
    const float turned = normalizedAngle(angle);
    if (turned == 0.0f)
        return mat.clone();

    cv::Mat rotation;
    cv::Size size;
    double shiftX = 0;
    double shiftY = 0;
    CalcRotateMatrix(mat, turned, rotation, size, shiftX, shiftY);
    if (qint64(size.width) * size.height > kMaxRasterPixels) {
        qWarning() << "turned picture of" << size.width << "x" << size.height << "pixels is too large";
        return {};
    }
    cv::Mat turnedMat;
    try {
        // About the centre of the pixel grid, quarter turns land every pixel
        // exactly on a pixel of the grown canvas (the half-pixel centre and
        // growth cancel): the interpolating warp would give the same picture,
        // only slower.
        if (turned == 90.0f || turned == 180.0f || turned == 270.0f) {
            const int code = turned == 180.0f ? cv::ROTATE_180
                : turned == 90.0f            ? cv::ROTATE_90_COUNTERCLOCKWISE
                                             : cv::ROTATE_90_CLOCKWISE;
            cv::rotate(mat, turnedMat, code);
            dx = shiftX;
            dy = shiftY;
            return turnedMat;
        }
        cv::warpAffine(mat, turnedMat, rotation, size, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar::all(255));
    } catch (const cv::Exception &error) {
        qWarning() << "turning the picture failed:" << error.what();
        return {};
    }
    dx = shiftX;
    dy = shiftY;
    return turnedMat;
}

QByteArray base64WithLineBreaks(const QByteArray &bytes)
{
    constexpr int kLineLength = 76;
    const QByteArray encoded = bytes.toBase64();
    const int fullGroups = bytes.size() / 3 * 4;
    QByteArray text;
    text.reserve(encoded.size() + (encoded.size() / kLineLength + 1) * 2);
    for (int start = 0; start < fullGroups; start += kLineLength) {
        const int length = std::min(kLineLength, fullGroups - start);
        text.append(encoded.constData() + start, length);
        if (length == kLineLength)
            text.append("\r\n", 2);
    }
    text.append(encoded.constData() + fullGroups, encoded.size() - fullGroups);
    return text;
}

QByteArray imageEncodeBase64(const cv::Mat &mat, const QString &extension)
{
    if (mat.empty())
        return {};
    std::vector<uchar> encoded;
    // The quality pair only matters to lossy formats.
    const std::vector<int> parameters{cv::IMWRITE_JPEG_QUALITY, 90};
    try {
        if (!cv::imencode("." + extension.toStdString(), mat, encoded, parameters))
            return {};
    } catch (const cv::Exception &error) {
        qWarning() << "encoding the picture as" << extension << "failed:" << error.what();
        return {};
    }
    return base64WithLineBreaks(
        QByteArray::fromRawData(reinterpret_cast<const char *>(encoded.data()), static_cast<int>(encoded.size())));
}

QString garyBase64(QString &dataUri, double width, double height)
{
    return prepareBase64(dataUri, width, height, Preparation::Grey);
}

QString bwBase64(QString &dataUri, double width, double height)
{
    return prepareBase64(dataUri, width, height, Preparation::BlackWhite);
}

QString halftoneBase64(QString &dataUri, double width, double height)
{
    return prepareBase64(dataUri, width, height, Preparation::Halftone);
}
