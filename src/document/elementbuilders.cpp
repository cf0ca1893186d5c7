#include "elementbuilders.h"

#include "canvas/graphicsellipseitem.h"
#include "canvas/graphicsimageitem.h"
#include "canvas/graphicslineitem.h"
#include "canvas/graphicspathitem.h"
#include "canvas/graphicsrectitem.h"
#include "canvas/itemhost.h"
#include "canvas/itemtypes.h"
#include "svgvalues.h"
#include "textelement.h"

#include <QBuffer>
#include <QDebug>
#include <QImageReader>
#include <QPen>

namespace {

// Pictures larger than this are refused when decoded or scaled: a design
// file must not be able to make the program allocate without bound.
constexpr qint64 MaxImagePixels = 64LL * 1024 * 1024;

double readLength(const QDomElement &element, const char *name, bool *ok = nullptr)
{
    return getFloatTrait(element, QLatin1String(name), ok);
}

// Sizes and radii below 0 are errors in SVG; such an element shows nothing
// rather than a mirrored shape.
double nonNegative(double value, const QDomElement &element, const char *name)
{
    if (value >= 0)
        return value;
    qDebug().noquote() << QStringLiteral("Error!  %1 of %2 is negative")
                              .arg(QLatin1String(name), element.tagName());
    return 0;
}

Qt::FillRule fillRuleOf(const QDomElement &element)
{
    return element.attribute(QStringLiteral("fill-rule")) == QLatin1String("evenodd")
               ? Qt::OddEvenFill
               : Qt::WindingFill;
}

// The element's own values first, so that the brush and pen use them.
void fillStyleCaches(Node &node, bool withFillOpacity)
{
    if (withFillOpacity)
        node.getFillOpacity();
    node.getStrokeLineCap();
    node.getStrokeLineJoin();
    node.getStrokeOpacity();
    node.getStrokeWidth();
}

// Whether the element, with inheritance, has no fill at all.
qint32 hasNoFill(Node &node)
{
    bool ok = false;
    return node.getFill(&ok) == QBrush(Qt::NoBrush) ? 1 : 0;
}

void decorate(Node *node, QGraphicsItem *item)
{
    node->finishDecorating(item);
    setItemNode(item, node);
}

// Inherited fill and stroke, and the no-fill flag that decides the hit shape.
template<typename ShapeItem>
void applyInheritedStyle(Node &node, ShapeItem *item)
{
    fillStyleCaches(node, true);
    bool ok = false;
    item->setBrush(node.getFill(&ok, -1));
    ok = false;
    item->setPen(node.getStroke(&ok, -1, -1));
    item->noFill = hasNoFill(node);
}

// Circles and ellipses take their own fill and stroke only.
void applyOwnStyle(Node &node, GraphicsEllipseItem *item)
{
    fillStyleCaches(node, true);
    item->setBrush(node.getFill());
    item->setPen(node.getStroke());
    item->noFill = hasNoFill(node);
}

void makeInvisible(QAbstractGraphicsShapeItem *item)
{
    item->setPen(QPen(Qt::transparent));
    item->setBrush(QBrush(Qt::transparent));
}

} // namespace

// ---- Factory ----

Node *buildElementNode(const QDomElement &element, int row, SVGView *view, Node *parent)
{
    switch (nodeTypeForTag(element.tagName())) {
    case NodeType::G: return new GElement(element, row, view, parent);
    case NodeType::Rect: return new RectElement(element, row, view, parent);
    case NodeType::Circle: return new CircleElement(element, row, view, parent);
    case NodeType::Ellipse: return new EllipseElement(element, row, view, parent);
    case NodeType::Line: return new LineElement(element, row, view, parent);
    case NodeType::Polyline: return new PolylineElement(element, row, view, parent);
    case NodeType::Polygon: return new PolygonElement(element, row, view, parent);
    case NodeType::Path: return new PathElement(element, row, view, parent);
    case NodeType::A: return new AElement(element, row, view, parent);
    case NodeType::Image: return new ImageElement(element, row, view, parent);
    case NodeType::Text: return new TextElement(element, row, view, parent);
    default: return nullptr;
    }
}

// ---- Shared readers ----

QPainterPath pointsToPath(const QStringList &values, bool closed)
{
    QPainterPath path;
    if (values.isEmpty() || values.size() % 2 != 0)
        return path;
    for (int i = 0; i < values.size(); i += 2) {
        bool okX = false, okY = false;
        const double x = values.at(i).toDouble(&okX);
        const double y = values.at(i + 1).toDouble(&okY);
        if (!okX || !okY)
            return QPainterPath();
        if (i == 0)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    if (closed)
        path.closeSubpath();
    return path;
}

QPixmap decodeImageHref(const QString &href)
{
    if (href.isEmpty())
        return QPixmap();
    // "data:image/png;base64,..." : the decoder skips the comma and anything
    // else outside the Base64 alphabet.
    const int comma = href.indexOf(QLatin1Char(','));
    QByteArray bytes = QByteArray::fromBase64(href.mid(qMax(0, comma)).toLatin1());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > MaxImagePixels) {
        qWarning() << "image of" << size << "pixels refused: too large";
        return QPixmap();
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        qDebug() << "image data does not decode:" << reader.errorString();
        return QPixmap();
    }
    return QPixmap::fromImage(image);
}

// ---- Shapes ----

RectElement::RectElement(const QDomElement &element, int row, SVGView *view, Node *parent)
    : Node(element, row, view, NodeType::Rect, parent)
{
    x = readLength(element, "x");
    y = readLength(element, "y");
    width = nonNegative(readLength(element, "width"), element, "width");
    height = nonNegative(readLength(element, "height"), element, "height");
    readPrintParameters(ItemHost::defaultParameters(view));

    rectItem = new GraphicsRectItem(view, nullptr, 0, 0, width, height);
    rectItem->setPos(x, y);
    // Rounded corners as the element asks, so the canvas shows what is engraved;
    // one radius alone applies to both axes.
    bool hasRx = false, hasRy = false;
    const double rx = readLength(element, "rx", &hasRx);
    const double ry = readLength(element, "ry", &hasRy);
    rectItem->setRadii(hasRx ? rx : (hasRy ? ry : 0), hasRy ? ry : (hasRx ? rx : 0));
    decorate(this, rectItem);
    applyInheritedStyle(*this, rectItem);
}

RectElement::~RectElement() = default;

CircleElement::CircleElement(const QDomElement &element, int row, SVGView *view, Node *parent)
    : Node(element, row, view, NodeType::Circle, parent)
{
    const double cx = readLength(element, "cx");
    const double cy = readLength(element, "cy");
    const double r = nonNegative(readLength(element, "r"), element, "r");
    readPrintParameters(ItemHost::defaultParameters(view));

    ellipseItem = new GraphicsEllipseItem(view, nullptr, 0, 0, 2 * r, 2 * r);
    ellipseItem->setPos(cx - r, cy - r);
    decorate(this, ellipseItem);
    applyOwnStyle(*this, ellipseItem);
}

CircleElement::~CircleElement() = default;

EllipseElement::EllipseElement(const QDomElement &element, int row, SVGView *view, Node *parent)
    : Node(element, row, view, NodeType::Ellipse, parent)
{
    cx = readLength(element, "cx");
    cy = readLength(element, "cy");
    const double rx = nonNegative(readLength(element, "rx"), element, "rx");
    const double ry = nonNegative(readLength(element, "ry"), element, "ry");
    readPrintParameters(ItemHost::defaultParameters(view));

    ellipseItem = new GraphicsEllipseItem(view, nullptr, 0, 0, 2 * rx, 2 * ry);
    ellipseItem->setPos(cx - rx, cy - ry);
    decorate(this, ellipseItem);
    applyOwnStyle(*this, ellipseItem);
}

EllipseElement::~EllipseElement() = default;

LineElement::LineElement(const QDomElement &element, int row, SVGView *view, Node *parent)
    : Node(element, row, view, NodeType::Line, parent)
{
    const double x1 = readLength(element, "x1");
    const double y1 = readLength(element, "y1");
    const double x2 = readLength(element, "x2");
    const double y2 = readLength(element, "y2");
    readPrintParameters(ItemHost::defaultParameters(view));

    lineItem = new GraphicsLineItem(view, nullptr, x1, y1, x2, y2);
    decorate(this, lineItem);
    fillStyleCaches(*this, false);
    bool ok = false;
    lineItem->setPen(getStroke(&ok, -1, -1));
    lineItem->noFill = hasNoFill(*this);
}

LineElement::~LineElement() = default;

namespace {
GraphicsPathItem *buildPathItem(Node &node, SVGView *view, QPainterPath path)
{
    path.setFillRule(fillRuleOf(node.domElem()));
    auto *item = new GraphicsPathItem(view, path, nullptr);
    decorate(&node, item);
    applyInheritedStyle(node, item);
    return item;
}
} // namespace

PolylineElement::PolylineElement(const QDomElement &element, int row, SVGView *view, Node *parent)
    : Node(element, row, view, NodeType::Polyline, parent)
{
    const QPainterPath path = pointsToPath(getListTrait(element, QStringLiteral("points")), false);
    readPrintParameters(ItemHost::defaultParameters(view));
    pathItem = buildPathItem(*this, view, path);
}

PolylineElement::~PolylineElement() = default;

PolygonElement::PolygonElement(const QDomElement &element, int row, SVGView *view, Node *parent)
    : Node(element, row, view, NodeType::Polygon, parent)
{
    const QPainterPath path = pointsToPath(getListTrait(element, QStringLiteral("points")), true);
    readPrintParameters(ItemHost::defaultParameters(view));
    pathItem = buildPathItem(*this, view, path);
}

PolygonElement::~PolygonElement() = default;

PathElement::PathElement(const QDomElement &element, int row, SVGView *view, Node *parent)
    : Node(element, row, view, NodeType::Path, parent)
{
    const QPainterPath path = getPathTrait(element, QStringLiteral("d"));
    readPrintParameters(ItemHost::defaultParameters(view));
    pathItem = buildPathItem(*this, view, path);
    initialBoundingRect = pathItem->boundingRect();
}

PathElement::~PathElement() = default;

// ---- Image ----

ImageElement::ImageElement(const QDomElement &element, int row, SVGView *view, Node *parent)
    : Node(element, row, view, NodeType::Image, parent)
{
    const double x = readLength(element, "x");
    const double y = readLength(element, "y");
    width = readLength(element, "width");
    if (width < 0) {
        qDebug() << "Error!  Width of image is negative";
        width = 0;
    }
    height = readLength(element, "height");
    if (height < 0) {
        qDebug() << "Error!  Height of image is negative";
        height = 0;
    }
    readPrintParameters(ItemHost::defaultParameters(view));

    pixmap = decodeImageHref(getTrait(element, QStringLiteral("xlink:href")));
    QPixmap shown = pixmap;
    if (width != 0 && height != 0 && !pixmap.isNull()) {
        const int w = int(width), h = int(height);
        if (qint64(w) * h > MaxImagePixels)
            qWarning() << "image not scaled to" << w << "x" << h << ": too large";
        else
            shown = pixmap.scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    shownImage = shown.toImage();

    imageItem = new GraphicsImageItem(view, shown, nullptr);
    imageItem->setPos(x, y);
    decorate(this, imageItem);
}

ImageElement::~ImageElement() = default;

// ---- Groups ----

GElement::GElement(const QDomElement &element, int row, SVGView *view, Node *parent)
    : Node(element, row, view, NodeType::G, parent)
{
    auto *placeholder = new GraphicsRectItem(view, nullptr, -1, -1, -1, -1);
    decorate(this, placeholder);
    makeInvisible(placeholder);
    placeholder->setFlag(QGraphicsItem::ItemIsMovable, false);
    placeholder->setFlag(QGraphicsItem::ItemIsSelectable, false);
    placeholder->layerPlaceholder = true;
    // The first group built (normally the template's layer) receives new items.
    if (ItemHost::claimDrawingLayer(view, this))
        qDebug() << "add g item";
}

GElement::~GElement() = default;

AElement::AElement(const QDomElement &element, int row, SVGView *view, Node *parent)
    : Node(element, row, view, NodeType::A, parent)
{
    auto *frame = new GraphicsRectItem(view, nullptr, 0, 0, 0, 0);
    decorate(this, frame);
    makeInvisible(frame);
}

AElement::~AElement() = default;
