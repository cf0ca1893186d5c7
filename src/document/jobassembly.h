#pragma once

// Pieces of turning a design into one machine job: the print parameters of a
// raster group, the units of the job before emission and their ordering, and
// the outline of a single element. SVGView::svg2Gcode puts them together.

#include "document/nativeattributes.h"
#include "gcode/gcodebuffer.h"

#include <QDomElement>
#include <QList>
#include <QMap>
#include <QPainterPath>
#include <QString>

#include <functional>

// Called with the share of the job done so far (0..100, never decreasing);
// returning false abandons the generation.
using JobProgress = std::function<bool(int percent)>;

// The nine print parameters of one raster group; groups are told apart by
// exact equality of every field.
using PaintParameter = PrintParameters;

// One unit of the job before emission: either a vector outline with its cut
// parameters (no records) or the finished records of a raster group (no outline).
struct SortItem
{
    QPainterPath path;
    QList<GCodeBuffer> gcode;
    double startX = 0;
    double startY = 0;
    double endX = 0;
    double endY = 0;
    double scanPower = 100;
    double scanSpeed = 100;
    double xMotorMovementError = 0.1;
    double yMotorMovementError = 0.1;

    bool isVector() const { return gcode.isEmpty() && !path.isEmpty(); }
    bool isRaster() const { return !gcode.isEmpty() && path.isEmpty(); }
};

// Owns its items.
class SortItemList
{
public:
    SortItemList() = default;
    ~SortItemList();
    SortItemList(const SortItemList &) = delete;
    SortItemList &operator=(const SortItemList &) = delete;

    void append(SortItem *item) { items.append(item); }
    // Moves every item of `other` to the end of this list.
    void takeAll(SortItemList &other);
    int size() const { return items.size(); }
    bool isEmpty() const { return items.isEmpty(); }
    const QList<SortItem *> &list() const { return items; }

    // Nearest-start ordering to keep the head's travel short: begins with the
    // first item starting inside the plane's usable range, then always takes
    // the item whose start is nearest the last item's end (distances compared
    // in whole units, the earlier item winning a tie).
    void sortItem();

private:
    QList<SortItem *> items;
};

// The outline a "fill:none" element is cut along, in the element's own user
// units with its own "transform" applied, repeated lumacraft:scanTimes times
// (at least once). Shapes without an outline give an empty path.
QPainterPath item2Path(const QDomElement &element);

// The style's "name:value" entries, names and values trimmed. When the style
// has no "fill" entry, a "fill" presentation attribute stands in for it.
QMap<QString, QString> jobStyleMap(const QDomElement &element);

// Writes the text (UTF-8) to "log.svg" in the documents folder "lumacraft"
// for inspection of the last job; returns its path whether or not the write
// succeeded (a failure is a diagnostic line only).
QString addNewFile(const QString &text);

// Most pixels of one raster group's picture; a larger group ends the job with
// a message instead of exhausting memory.
constexpr qint64 MaxJobRasterPixels = qint64(1) << 28;
