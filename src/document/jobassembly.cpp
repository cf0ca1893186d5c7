#include "document/jobassembly.h"

#include "canvas/scene.h"
#include "document/nativeattributes.h"
#include "document/svgdocument.h"
#include "document/svgdomparse.h"
#include "document/svgvalues.h"
#include "document/svgview.h"
#include "gcode/pathgeometry.h"
#include "gcode/pathorder.h"
#include "gcode/rasteremit.h"
#include "gcode/rasterimage.h"
#include "gcode/vectoremit.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <QSvgRenderer>

#include <cmath>
#include <cstdint>
#include <memory>

namespace {

// Millimetres per design unit.
constexpr double MillimetresPerUnit = 0.08;
// SVG's fill of a shape that states none.
const QString InitialFill = QStringLiteral("black");
// Curves of cut outlines are sampled every this many design units.
constexpr double CurveSegmentLength = 15.0;

GCodeBuffer record(double g, double m)
{
    GCodeBuffer buffer;
    buffer.g = g;
    buffer.m = m;
    return buffer;
}

GCodeBuffer relativeAbsoluteSwitch()
{
    // Restores absolute coordinates after raster moves; relative X0 Y0 print nothing.
    GCodeBuffer buffer;
    buffer.g = 90;
    buffer.x = 0;
    buffer.y = 0;
    buffer.absolute = false;
    return buffer;
}

void appendHeader(QList<GCodeBuffer> &job)
{
    for (double g : {-2.0, 17.0, 40.0, 21.0, 54.0})
        job.append(record(g, -1));
    job.append(record(-1, 106));
}

void appendFooter(QList<GCodeBuffer> &job)
{
    job.append(record(-1, 107));
    job.append(relativeAbsoluteSwitch());
    job.append(record(-1, 9));
    GCodeBuffer powerOff = record(1, -1);
    powerOff.s = 0;
    job.append(powerOff);
    job.append(record(-1, 5));
    job.append(record(90, -1));
    GCodeBuffer home = record(0, -1);
    home.x = 0;
    home.y = 0;
    job.append(home);
    job.append(record(-1, 2));
}

double numberOr(const QDomElement &element, const char *name, double fallback)
{
    bool present = false;
    const double value = getFloatTrait(element, QString::fromLatin1(name), &present);
    return present ? value : fallback;
}

// Elements that only hold others: a fill on them is inherited, never cut.
bool isContainer(const QDomElement &element)
{
    const QString tag = element.tagName();
    return tag == QLatin1String("g") || tag == QLatin1String("svg") || tag == QLatin1String("a")
        || tag == QLatin1String("switch");
}

// Shapes that are drawn; only they take a fill they do not state themselves.
bool isDrawable(const QDomElement &element)
{
    static const QStringList tags = {QStringLiteral("rect"),     QStringLiteral("circle"),
                                     QStringLiteral("ellipse"),  QStringLiteral("line"),
                                     QStringLiteral("polyline"), QStringLiteral("polygon"),
                                     QStringLiteral("path"),     QStringLiteral("image")};
    return tags.contains(element.tagName());
}

// Content that is never drawn where it stands (definitions, clip paths...).
bool isNeverRendered(const QDomElement &element)
{
    static const QStringList tags = {QStringLiteral("defs"),    QStringLiteral("clipPath"),
                                     QStringLiteral("mask"),    QStringLiteral("pattern"),
                                     QStringLiteral("symbol"),  QStringLiteral("marker")};
    return tags.contains(element.tagName());
}

// The fill that decides how an element is made: its own, else for a shape the
// one it inherits (SVG's initial fill is black). `present` false when none applies.
QString effectiveFill(const QDomElement &element, const QString &inheritedFill, bool *present)
{
    const QMap<QString, QString> style = jobStyleMap(element);
    const auto found = style.constFind(QStringLiteral("fill"));
    if (found != style.constEnd()) {
        *present = true;
        return found.value();
    }
    if (isDrawable(element) && !inheritedFill.isEmpty()) {
        *present = true;
        return inheritedFill;
    }
    *present = false;
    return QString();
}

// The fill children inherit.
QString fillPassedOn(const QDomElement &element, const QString &inheritedFill)
{
    if (isNeverRendered(element))
        return QString();
    const QMap<QString, QString> style = jobStyleMap(element);
    return style.value(QStringLiteral("fill"), inheritedFill);
}

void addParameterOnce(QList<PaintParameter> &list, const PaintParameter &parameter)
{
    if (list.contains(parameter))
        return;
    list.append(parameter);
    qDebug() << "PaintParameterList" << parameter.scanAccuracy << parameter.scanPower << parameter.scanSpeed;
}

// Removes `element` from `parent`; the root, which has none, stays.
bool removeFrom(QDomElement &element, QDomElement *parent)
{
    if (!parent || parent->isNull())
        return false;
    parent->removeChild(element);
    return true;
}

// Visits the element children of `element` by index over the live list; a
// visit that removed its child does not advance.
template <typename Visit>
void visitChildren(QDomElement &element, Visit visit)
{
    QDomNodeList children = element.childNodes();
    int index = 0;
    while (index < children.count()) {
        QDomElement child = children.at(index).toElement();
        if (child.isNull() || !visit(child))
            ++index;
        children = element.childNodes();
    }
}

QPainterPath repeated(const QPainterPath &once, int times)
{
    QPainterPath result;
    for (int i = 0; i < times; ++i)
        result.addPath(once);
    return result;
}

QPainterPath pointList(const QDomElement &element, bool closed)
{
    const QStringList parts = getListTrait(element, QStringLiteral("points"));
    QVector<double> values;
    for (const QString &part : parts) {
        if (part.isEmpty())
            continue;
        bool ok = false;
        const double value = part.toDouble(&ok);
        if (!ok)
            break;
        values.append(value);
    }
    QPainterPath path;
    for (int i = 0; i + 1 < values.size(); i += 2) {
        if (i == 0)
            path.moveTo(values[i], values[i + 1]);
        else
            path.lineTo(values[i], values[i + 1]);
    }
    if (closed && path.elementCount() > 1)
        path.lineTo(values[0], values[1]);
    return path;
}

bool hasDarkPixel(const QImage &image)
{
    for (int row = 0; row < image.height(); ++row) {
        const uchar *pixels = image.constScanLine(row);
        for (int column = 0; column < image.width(); ++column) {
            if (pixels[column] != 255)
                return true;
        }
    }
    return false;
}

// Reports progress; false when the caller asked to stop.
class ProgressReporter
{
public:
    explicit ProgressReporter(const JobProgress &progress) : callback(progress) {}
    bool report(int percent)
    {
        percent = qBound(last, percent, 100);
        last = percent;
        return !callback || callback(percent);
    }

private:
    const JobProgress &callback;
    int last = 0;
};

} // namespace

SortItemList::~SortItemList()
{
    qDeleteAll(items);
}

void SortItemList::takeAll(SortItemList &other)
{
    items.append(other.items);
    other.items.clear();
}

void SortItemList::sortItem()
{
    constexpr double Far = 1000000;
    QList<SortItem *> remaining = items;
    QList<SortItem *> ordered;
    ordered.reserve(items.size());
    double currentX = Far;
    double currentY = Far;
    for (int i = 0; i < remaining.size(); ++i) {
        SortItem *item = remaining.at(i);
        if (item->startX < Far || item->startY < Far) {
            ordered.append(item);
            remaining.removeAt(i);
            currentX = item->startX;
            currentY = item->startY;
            break;
        }
    }
    while (!remaining.isEmpty()) {
        std::int64_t best = 10000000;
        int chosen = 0;
        for (int i = 0; i < remaining.size(); ++i) {
            const double distance =
                std::hypot(remaining.at(i)->startX - currentX, remaining.at(i)->startY - currentY);
            if (distance < double(best)) {
                best = std::int64_t(distance);
                chosen = i;
            }
        }
        SortItem *item = remaining.takeAt(chosen);
        ordered.append(item);
        currentX = item->endX;
        currentY = item->endY;
    }
    items = ordered;
}

QMap<QString, QString> jobStyleMap(const QDomElement &element)
{
    QMap<QString, QString> map;
    const QStringList parts = element.attribute(QStringLiteral("style")).split(QLatin1Char(';'));
    for (const QString &part : parts) {
        const QStringList pair = part.split(QLatin1Char(':'));
        if (pair.size() == 2)
            map.insert(pair.at(0).trimmed(), pair.at(1).trimmed());
    }
    if (!map.contains(QStringLiteral("fill")) && element.hasAttribute(QStringLiteral("fill")))
        map.insert(QStringLiteral("fill"), element.attribute(QStringLiteral("fill")).trimmed());
    return map;
}

QPainterPath item2Path(const QDomElement &element)
{
    const int times = int(std::max(1.0, std::trunc(numberOr(element, NativeAttribute::ScanTimes, 1))));
    const QString tag = element.tagName();
    QPainterPath once;
    if (tag == QLatin1String("rect")) {
        const double x = getFloatTrait(element, QStringLiteral("x"));
        const double y = getFloatTrait(element, QStringLiteral("y"));
        const double w = getFloatTrait(element, QStringLiteral("width"));
        const double h = getFloatTrait(element, QStringLiteral("height"));
        double rx = getFloatTrait(element, QStringLiteral("rx"));
        double ry = getFloatTrait(element, QStringLiteral("ry"));
        rx = 2 * rx <= w ? rx : w / 2;
        ry = 2 * ry <= h ? ry : h / 2;
        // Square corners need no arcs: a zero-sized arc would only add
        // zero-length cuts.
        const bool rounded = rx > 0 && ry > 0;
        once.moveTo(x, y + ry);
        once.lineTo(x, y + h - ry);
        if (rounded)
            once.arcTo(x, y + h - 2 * ry, 2 * rx, 2 * ry, 180, 90);
        once.lineTo(x + w - rx, y + h);
        if (rounded)
            once.arcTo(x + w - 2 * rx, y + h - 2 * ry, 2 * rx, 2 * ry, 270, 90);
        once.lineTo(x + w, y + ry);
        if (rounded)
            once.arcTo(x + w - 2 * rx, y, 2 * rx, 2 * ry, 0, 90);
        once.lineTo(x + rx, y);
        if (rounded)
            once.arcTo(x, y, 2 * rx, 2 * ry, 90, 90);
    } else if (tag == QLatin1String("ellipse") || tag == QLatin1String("circle")) {
        const double cx = getFloatTrait(element, QStringLiteral("cx"));
        const double cy = getFloatTrait(element, QStringLiteral("cy"));
        const bool circle = tag == QLatin1String("circle");
        const double rx = getFloatTrait(element, circle ? QStringLiteral("r") : QStringLiteral("rx"));
        const double ry = getFloatTrait(element, circle ? QStringLiteral("r") : QStringLiteral("ry"));
        once.addEllipse(QRectF(cx - rx, cy - ry, 2 * rx, 2 * ry));
    } else if (tag == QLatin1String("path")) {
        once = getPathTrait(element, QStringLiteral("d"));
    } else if (tag == QLatin1String("line")) {
        once.moveTo(getFloatTrait(element, QStringLiteral("x1")), getFloatTrait(element, QStringLiteral("y1")));
        once.lineTo(getFloatTrait(element, QStringLiteral("x2")), getFloatTrait(element, QStringLiteral("y2")));
    } else if (tag == QLatin1String("polyline") || tag == QLatin1String("polygon")) {
        once = pointList(element, tag == QLatin1String("polygon"));
    } else {
        qDebug() << "can't switch this shap" << tag;
        return {};
    }
    if (once.isEmpty())
        return {};
    const QTransform transform =
        getTransformValueHelp(element.attribute(QStringLiteral("transform")));
    return transform.map(repeated(once, times));
}

QString addNewFile(const QString &text)
{
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/lumacraft");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/log.svg");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qWarning() << "cannot write the job's intermediate file" << path << file.errorString();
        return path;
    }
    if (file.write(text.toUtf8()) < 0)
        qWarning() << "cannot write the job's intermediate file" << path << file.errorString();
    file.close();
    return path;
}

// ---------------------------------------------------------------------------
// SVGView: job generation

PaintParameter SVGView::paintParameterOf(const QDomElement &element) const
{
    return printParametersOf(element, scene ? scene->defaultParameters : DefaultParameters());
}

bool SVGView::recursionSvgDocRemoveStroke(QDomElement element, QDomElement *parent, QList<QPainterPath> &paths,
                                          QList<double> &power, QList<double> &speed, QList<double> &xError,
                                          QList<double> &yError, const QString &inheritedFill)
{
    if (element.isNull())
        return false;
    if (element.tagName() == QLatin1String("image"))
        addParameterOnce(paintParameterList, paintParameterOf(element));

    bool hasFill = false;
    const QString fill = effectiveFill(element, inheritedFill, &hasFill);
    if (hasFill && fill == QLatin1String("none") && !isContainer(element)) {
        power.append(numberOr(element, NativeAttribute::ScanPower, 100));
        speed.append(numberOr(element, NativeAttribute::ScanSpeed, 100));
        xError.append(numberOr(element, NativeAttribute::XMotorMovementError, 0.1));
        yError.append(numberOr(element, NativeAttribute::YMotorMovementError, 0.1));
        paths.append(pathSwitch(item2Path(element), CurveSegmentLength));
        if (removeFrom(element, parent))
            return true;
        // The root is kept: its children are still looked at.
    } else if (hasFill && fill != QLatin1String("none") && !isContainer(element)) {
        addParameterOnce(paintParameterList, paintParameterOf(element));
    }
    const QString passedOn = fillPassedOn(element, inheritedFill);
    visitChildren(element, [&](QDomElement &child) {
        return recursionSvgDocRemoveStroke(child, &element, paths, power, speed, xError, yError, passedOn);
    });
    return false;
}

bool SVGView::recursionSvgDocRemovemParameter(QDomElement element, QDomElement *parent,
                                              const PaintParameter *parameter, const QString &inheritedFill)
{
    if (element.isNull() || !parameter)
        return false;
    bool hasFill = false;
    const QString fill = effectiveFill(element, inheritedFill, &hasFill);
    const bool engraved = element.tagName() == QLatin1String("image")
        || (hasFill && fill != QLatin1String("none") && !isContainer(element));
    if (engraved && paintParameterOf(element) != *parameter && removeFrom(element, parent))
        return true;
    const QString passedOn = fillPassedOn(element, inheritedFill);
    visitChildren(element, [&](QDomElement &child) {
        return recursionSvgDocRemovemParameter(child, &element, parameter, passedOn);
    });
    return false;
}

void SVGView::sortItemListtoGcode(SortItemList *list)
{
    if (!list || list->isEmpty())
        return;
    const QList<SortItem *> &items = list->list();
    const SortItem *first = items.first();
    if (!first->isVector() && !first->isRaster()) {
        qDebug() << "SortItemList::toGcode() err!!!";
        return;
    }
    mGcode.append(record(-1, 4));
    mGcode.append(record(-1, 8));

    bool rasterMode = first->isRaster();
    QList<QPainterPath> batch;
    QList<double> power, speed, xError, yError;
    auto emitBatch = [&]() {
        if (batch.isEmpty())
            return;
        mGcode.append(path2GcodeBufferIncrement(batch, float(MillimetresPerUnit), paintSpeed, paintPower, power,
                                                speed, xError, yError));
        batch.clear();
        power.clear();
        speed.clear();
        xError.clear();
        yError.clear();
    };
    for (const SortItem *item : items) {
        if (item->isVector()) {
            if (rasterMode) {
                mGcode.append(relativeAbsoluteSwitch());
                rasterMode = false;
            }
            batch.append(item->path);
            power.append(item->scanPower);
            speed.append(item->scanSpeed);
            xError.append(item->xMotorMovementError);
            yError.append(item->yMotorMovementError);
        } else if (item->isRaster()) {
            emitBatch();
            mGcode.append(item->gcode);
            rasterMode = true;
        }
    }
    emitBatch();
}

QString SVGView::generateJob(const JobProgress &progress)
{
    mGcode.clear();
    const QString text = svgModel ? svgModel->domDocument().toString(2) : QString();
    return svg2Gcode(text, progress);
}

QString SVGView::svg2Gcode(const QString &svgText, const JobProgress &progress)
{
    ProgressReporter reporter(progress);
    paintParameterList.clear();
    mGcode.clear();
    auto abandon = [this](const QString &why) {
        mGcode.clear();
        qWarning().noquote() << "no job:" << why;
        return why;
    };
    const QString cancelled = tr("Job generation cancelled");
    if (!reporter.report(0))
        return abandon(cancelled);

    QList<GCodeBuffer> job;
    appendHeader(job);

    QDomDocument parsed;
    QString parseError;
    if (!parseSvgDocument(svgText, &parsed, &parseError))
        return abandon(tr("The design cannot be read: %1").arg(parseError));
    QDomDocument document = parsed.cloneNode(true).toDocument();

    // Text becomes outlines before anything else looks at the elements.
    {
        const QDomNodeList texts = document.elementsByTagName(QStringLiteral("text"));
        QList<QDomElement> textElements;
        for (int i = 0; i < texts.count(); ++i)
            textElements.append(texts.at(i).toElement());
        for (QDomElement &text : textElements)
            text2Path(text);
        for (QDomElement &text : textElements) {
            QDomNode parent = text.parentNode();
            if (!parent.isNull())
                parent.removeChild(text);
        }
    }
    if (!reporter.report(5))
        return abandon(cancelled);

    // Pictures are re-encoded as they will be burned.
    QString lastImageType;
    {
        const QDomNodeList images = document.elementsByTagName(QStringLiteral("image"));
        for (int i = 0; i < images.count(); ++i) {
            QDomElement image = images.at(i).toElement();
            const double width = getFloatTrait(image, QStringLiteral("width"));
            const double height = getFloatTrait(image, QStringLiteral("height"));
            const QString type = image.attribute(QString::fromLatin1(NativeAttribute::Image));
            const QRectF mapped = getTransform(image).mapRect(QRectF(0, 0, width, height));
            QString href = image.attribute(QStringLiteral("xlink:href"));
            QString prepared;
            bool known = true;
            if (type == QLatin1String(ImageModeBlackWhite))
                prepared = bwBase64(href, mapped.width(), mapped.height());
            else if (type == QLatin1String(ImageModeHalftone))
                prepared = halftoneBase64(href, mapped.width(), mapped.height());
            else if (type == QLatin1String(ImageModeGray))
                prepared = garyBase64(href, mapped.width(), mapped.height());
            else
                known = false;
            if (known) {
                if (prepared.isEmpty())
                    qWarning() << "picture" << i << "cannot be prepared for engraving; it is left out";
                image.setAttribute(QStringLiteral("xlink:href"), QStringLiteral("data:image/png;base64,") + prepared);
            }
            lastImageType = type;
            qDebug() << "image halftoneBase64";
            if (!reporter.report(5 + 10 * (i + 1) / images.count()))
                return abandon(cancelled);
        }
    }

    job.append(record(-1, 4));
    job.append(record(-1, 8));

    QDomElement root = document.elementsByTagName(QStringLiteral("svg")).at(0).toElement();
    QList<QPainterPath> outlines;
    QList<double> power, speed, xError, yError;
    if (!root.isNull())
        recursionSvgDocRemoveStroke(root, nullptr, outlines, power, speed, xError, yError, InitialFill);
    if (!reporter.report(20))
        return abandon(cancelled);

    SortItemList pathItems;
    {
        std::vector<std::unique_ptr<PathTreeNode>> nodes;
        QList<PathTreeNode *> pointers;
        for (int i = 0; i < outlines.size(); ++i) {
            nodes.push_back(std::make_unique<PathTreeNode>());
            PathTreeNode *node = nodes.back().get();
            node->path = outlines.at(i);
            node->scanPower = power.at(i);
            node->scanSpeed = speed.at(i);
            node->xMotorMovementError = xError.at(i);
            node->yMotorMovementError = yError.at(i);
            pointers.append(node);
        }
        qDebug() << "path.size()" << pointers.size();
        const QList<PathTreeNode *> ordered = readPathTree(sortThePathContainmentRelationshipList(pointers));
        for (const PathTreeNode *node : ordered) {
            if (node->path.isEmpty())
                continue;
            auto *item = new SortItem;
            item->path = node->path;
            const QPointF start = pathStartPoint(node->path);
            const QPointF end = pathEndPoint(node->path);
            item->startX = start.x();
            item->startY = start.y();
            item->endX = end.x();
            item->endY = end.y();
            item->scanPower = node->scanPower;
            item->scanSpeed = node->scanSpeed;
            item->xMotorMovementError = node->xMotorMovementError;
            item->yMotorMovementError = node->yMotorMovementError;
            pathItems.append(item);
        }
    }
    if (!reporter.report(30))
        return abandon(cancelled);

    SortItemList rasterItems;
    const int groups = paintParameterList.size();
    for (int g = 0; g < groups; ++g) {
        const PaintParameter parameter = paintParameterList.at(g);
        QDomDocument copy = document.cloneNode(true).toDocument();
        QDomElement copyRoot = copy.elementsByTagName(QStringLiteral("svg")).at(0).toElement();
        recursionSvgDocRemovemParameter(copyRoot, nullptr, &parameter, InitialFill);
        const QString groupText = copy.toString(2);
        // Kept for inspection only: the picture is drawn from the text in
        // memory, so a stale file can never slip into the job.
        addNewFile(groupText);

        const double width = findNum(copyRoot.attribute(QStringLiteral("width"), QStringLiteral("0"))).toDouble();
        const double height = findNum(copyRoot.attribute(QStringLiteral("height"), QStringLiteral("0"))).toDouble();
        if (!(std::isfinite(parameter.scanAccuracy) && parameter.scanAccuracy > 0))
            return abandon(tr("Raster line spacing %1 mm is not positive").arg(parameter.scanAccuracy));
        const double spacing = 1 / parameter.scanAccuracy * MillimetresPerUnit;
        printSpacing = spacing;
        const double columns = std::trunc(width * spacing);
        const double rows = std::trunc(height * spacing);
        if (!(columns >= 1 && rows >= 1)) {
            qWarning() << "work area" << width << "x" << height << "holds no raster row; group" << g << "skipped";
            continue;
        }
        if (columns * rows > double(MaxJobRasterPixels))
            return abandon(tr("The raster picture of %1 x %2 pixels is too large; use a larger line spacing "
                              "or a smaller work area")
                               .arg(columns, 0, 'f', 0)
                               .arg(rows, 0, 'f', 0));

        QImage picture(int(columns), int(rows), QImage::Format_Grayscale8);
        if (picture.isNull())
            return abandon(tr("Not enough memory for the raster picture"));
        picture.fill(255);
        {
            QSvgRenderer renderer(groupText.toUtf8());
            // User units are design units, as for the cut outlines.
            renderer.setViewBox(QRectF(0, 0, width, height));
            QPainter painter(&picture);
            renderer.render(&painter);
        }
        if (!reporter.report(30 + 60 * (2 * g + 1) / (2 * groups)))
            return abandon(cancelled);

        // Grayscale8 carries the grey values exactly as an indexed grey ramp would.
        const QList<GCodeBuffer> records = image2GcodeBufferIncrement(
            picture, float(MillimetresPerUnit / spacing), parameter.scanBuffer, lastImageType,
            parameter.scanSpeed / 100 * paintSpeed, parameter.scanPower / 100 * paintPower, parameter.scanError,
            parameter.scanAngle, std::max(1.0, parameter.scanTimes));
        if (records.isEmpty() && hasDarkPixel(picture))
            return abandon(tr("A raster group cannot be engraved with its parameters (power, speed or size)"));
        if (!records.isEmpty()) {
            auto *item = new SortItem;
            item->gcode = records;
            rasterItems.append(item);
        }
        if (!reporter.report(30 + 60 * (g + 1) / groups))
            return abandon(cancelled);
    }

    rasterItems.sortItem();
    rasterItems.takeAll(pathItems);
    mGcode = job;
    sortItemListtoGcode(&rasterItems);
    appendFooter(mGcode);
    qDebug() << "mGcode.size" << mGcode.size();
    if (!reporter.report(100)) {
        mGcode.clear();
        return cancelled;
    }
    return QString();
}
