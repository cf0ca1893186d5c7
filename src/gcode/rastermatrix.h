#pragma once

// Conversions between Qt images and OpenCV matrices, and the matrix-level steps
// of raster preparation. This header exposes OpenCV types: only code that links
// OpenCV itself (this library and its tests) includes it. The rest of the
// program uses rasterimage.h.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <opencv2/core.hpp>

// Largest picture, in pixels, that any preparation or emission step builds.
// Anything larger is refused with a diagnostic line instead of exhausting memory.
constexpr qint64 kMaxRasterPixels = qint64(1) << 28;

// Qt image to matrix. The matrix always owns a copy of the pixels, so it stays
// valid when the image goes away (callers often pass temporaries).
//  - RGB32, ARGB32, ARGB32_Premultiplied: 4 channels, memory order B, G, R, A.
//  - Indexed8 with a grey ramp (or no) colour table, Grayscale8: 1 channel; the
//    indices are the grey values.
//  - RGB888: 3 channels in B, G, R order.
//  - Grayscale16: 1 channel, reduced to 8 bits.
//  - any other format (palettes, 16-bit colour, RGBA64, ...) is converted to
//    ARGB32 first and gives 4 channels.
//  - a null image gives an empty matrix.
cv::Mat QImage2Mat(const QImage &image);

// Matrix to Qt image (deep copy). 8-bit matrices only: 4 channels give ARGB32,
// 3 channels (B, G, R) give RGB888, 1 channel gives an Indexed8 image with the
// grey ramp colour table. Anything else gives a null image.
QImage Mat2QImage(const cv::Mat &mat);

// One 8-bit grey channel of the picture as it will be burned: alpha is
// composited over white (transparent means "not burned"), colour is reduced
// with the usual luma weights 0.299 R + 0.587 G + 0.114 B. Null image: empty.
cv::Mat imageToGreyMatrix(const QImage &image);

// The same grey channel for a caller that only reads it while the image is
// alive and unchanged: an 8-bit grey picture (Grayscale8, or Indexed8 with a
// grey ramp or no colour table) is viewed in place instead of copied, so the
// matrix must never be written to. Other formats give an owning matrix.
cv::Mat greyMatrixView(const QImage &image);

// The 3 x 3 dot cell of a grey level 0..9 (level = trunc(grey / 25.6)),
// row-major, 1 for a white dot. Each level's cell contains the cells of all
// lower levels.
const unsigned char *halftoneCell(int level);

// Halftone: the source is shrunk by 1 / scale (bilinear) and every shrunk pixel
// becomes the 3 x 3 dot cell of its grey level (white 255, black 0). The
// destination is always one 8-bit channel; colour sources are reduced to grey
// first. An empty source, a scale that is not a positive finite number or a
// result beyond kMaxRasterPixels gives an empty destination.
void halftone(const cv::Mat &source, cv::Mat &destination, double scale);

// The angle in degrees, narrowed to single precision and brought into
// [0, 360); a non-finite angle gives 0.
float normalizedAngle(double degrees);

// The affine matrix and canvas size that turn the picture by the angle
// (degrees, counter-clockwise on screen) without cropping. The angle is taken
// modulo 360 (a non-finite angle counts as 0). dx, dy receive the growth of the
// canvas on each side, in pixels, which the caller needs to map positions back.
void CalcRotateMatrix(const cv::Mat &mat, float angle, cv::Mat &rotation, cv::Size &size, double &dx,
                      double &dy);

// The picture turned by the angle onto a canvas that holds all of it; uncovered
// corners are white. Empty input or a canvas beyond kMaxRasterPixels gives an
// empty matrix (dx = dy = 0).
cv::Mat imageRotate(const cv::Mat &mat, double angle, double &dx, double &dy);

// Standard Base64 with "\r\n" after every 76 characters of full four-character
// groups; the break follows the group that completes a line, before any final
// padded group.
QByteArray base64WithLineBreaks(const QByteArray &bytes);

// The matrix encoded in the image format of the extension (e.g. "png"), as
// Base64 text with line breaks. An empty matrix or a failing encoder gives an
// empty result.
QByteArray imageEncodeBase64(const cv::Mat &mat, const QString &extension);
