#pragma once

// Readers of SVG attribute values (lengths, colours, lists, path data,
// transforms, gradients) and the writers of path data. Every reader is total:
// a missing attribute or an unreadable value gives 0, an empty string or list,
// an empty brush, an identity transform or an empty path, with `ok` false where
// the caller asked for it. No function keeps state between calls.

#include <QBrush>
#include <QDomElement>
#include <QGradient>
#include <QList>
#include <QPainterPath>
#include <QString>
#include <QStringList>
#include <QTransform>
#include <QVector>

// ---- Attribute access ----
QString getTrait(const QDomElement &element, const QString &name, bool *ok = nullptr);
// Sets or adds the attribute; false only for a null element.
bool setTrait(QDomElement &element, const QString &name, const QString &value);
// Depth-first, the root first, then the children in document order.
QDomElement getElementById(const QDomElement &root, const QString &id);

// ---- Numbers and lists ----
// Keeps the digits, "." and "-" of the text, in order.
QString findNum(const QString &text);
// Reads one SVG number at `pos` (signs, leading dot and exponent accepted).
// On success `pos` is moved past it; otherwise `pos` is unchanged and false returned.
bool readSvgNumber(const QString &text, int &pos, double &value);
// A length in user units: one number, scaled by the unit found in the text
// (px 1, in 96, mm 96/25.4, cm 96/2.54, pt 96/72, pc 16, em 150).
double unitConversion(const QString &text, bool *ok = nullptr);
double getFloatTrait(const QDomElement &element, const QString &name, bool *ok = nullptr);
// The number before "%" when the whole value is a percentage (not divided by 100).
double getPercentageTrait(const QDomElement &element, const QString &name, bool *ok = nullptr);
// The trimmed value split at commas and whitespace (empty parts kept).
QStringList getListTrait(const QDomElement &element, const QString &name, bool *ok = nullptr);

// ---- Colours ----
// Named colours, #hex, "transparent", rgb(r,g,b) with integers 0..255 or percentages.
// An unreadable value gives an empty brush and leaves `ok` untouched.
QBrush getRGBColorTrait(const QString &text, bool *ok = nullptr);
QBrush getRGBColorTrait(const QDomElement &element, const QString &name, bool *ok = nullptr);

// ---- Path data ----
enum PathCommand : int {
    PathMoveTo = 1,
    PathClose = 2,
    PathLineTo = 3,
    PathHorizontal = 4,
    PathVertical = 5,
    PathCubic = 6,
    PathSmoothCubic = 7,
    PathQuadratic = 8,
    PathSmoothQuadratic = 9,
    PathArc = 10,
    PathEnd = 11,
};
// Longest path data (characters) that is parsed; longer data is refused with a diagnostic.
inline constexpr int MaxPathDataLength = 16 * 1024 * 1024;

// Finds the next command letter from `pos`; moves `pos` past it and tells
// whether it was relative (lower case). PathEnd when there is none.
int findCmd(const QString &text, int &pos, bool *relative = nullptr);
// Reads the numbers from `pos` up to the next command letter into `coords`
// (emptied first); returns the position after the last number taken.
int findCoords(const QString &text, int pos, QVector<double> *coords);

QPainterPath getPathTrait(const QDomElement &element, const QString &name, bool *ok = nullptr);
QPainterPath getPathTraitFromString(const QString &text, bool *ok = nullptr);

// Relative path data with six decimals. pathToD starts with "M " and closes with
// "z " when the path ends where it began; painterPathToD uses "m " throughout.
QString pathToD(const QPainterPath &path);
QString painterPathToD(const QPainterPath &path);

// ---- Transforms ----
QList<double> getTransformValues(const QString &text, bool *ok = nullptr);
// The element's item-local transform: its "transform" about its anchor (x/y, cx/cy...).
QTransform getTransform(const QDomElement &element, bool *ok = nullptr);
// The plain transform of a transform list (identity when none is found).
QTransform getTransformValueHelp(const QString &text, bool *ok = nullptr);
bool hasTranslate(const QString &text);
bool hasMatrix(const QString &text);
// Adds `addition` (a translate) to the leading translate, or prepends it.
void replaceTranslate(QString &text, const QString &addition);
// Prepends `addition` and folds the whole list into one matrix().
void replaceMatrix(QString &text, const QString &addition);

// ---- Gradients and layout ----
QGradientStops fetchGradientStops(const QDomElement &gradient, double opacity);
QLinearGradient resolveLinearGradient(const QDomElement &element, double opacity,
                                      QStringList visitedIds = QStringList());
QRadialGradient resolveRadialGradient(const QDomElement &element, double opacity,
                                      QStringList visitedIds = QStringList());
// Number of stops a gradient ends up with, following its xlink:href chain.
int gradientStopCount(const QDomElement &gradient);
// 0 ignore, 1 keep, 2 keep by expanding (Qt::AspectRatioMode values).
int getAspectRatio(const QDomElement &element);
// True for an empty text or one made only of U+0020.
bool isAllSpace(const QString &text);
