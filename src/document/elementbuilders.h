#pragma once

#include "node.h"

#include <QImage>
#include <QPixmap>
#include <QRectF>

class GraphicsEllipseItem;
class GraphicsImageItem;
class GraphicsLineItem;
class GraphicsPathItem;
class GraphicsRectItem;

// Element builders: the node classes of the drawable elements. Each
// constructor reads the element's geometry, print parameters and style,
// creates the canvas item that shows it, hangs it under the parent node's item
// and stores the node in the item's data slot 0. Missing print parameters are
// filled in from the scene's defaults and written into the element.

// The builder node for `element`, or null when its tag has none ("svg" and
// plain nodes are made elsewhere).
Node *buildElementNode(const QDomElement &element, int row, SVGView *view, Node *parent);

class RectElement : public Node
{
public:
    RectElement(const QDomElement &element, int row, SVGView *view, Node *parent);
    ~RectElement() override;

    GraphicsRectItem *rectItem = nullptr;
    double x = 0, y = 0, width = 0, height = 0;
};

class CircleElement : public Node
{
public:
    CircleElement(const QDomElement &element, int row, SVGView *view, Node *parent);
    ~CircleElement() override;

    GraphicsEllipseItem *ellipseItem = nullptr;
};

class EllipseElement : public Node
{
public:
    EllipseElement(const QDomElement &element, int row, SVGView *view, Node *parent);
    ~EllipseElement() override;

    GraphicsEllipseItem *ellipseItem = nullptr;
    double cx = 0, cy = 0;
};

class LineElement : public Node
{
public:
    LineElement(const QDomElement &element, int row, SVGView *view, Node *parent);
    ~LineElement() override;

    GraphicsLineItem *lineItem = nullptr;
};

class PolylineElement : public Node
{
public:
    PolylineElement(const QDomElement &element, int row, SVGView *view, Node *parent);
    ~PolylineElement() override;

    GraphicsPathItem *pathItem = nullptr;
};

class PolygonElement : public Node
{
public:
    PolygonElement(const QDomElement &element, int row, SVGView *view, Node *parent);
    ~PolygonElement() override;

    GraphicsPathItem *pathItem = nullptr;
};

class PathElement : public Node
{
public:
    PathElement(const QDomElement &element, int row, SVGView *view, Node *parent);
    ~PathElement() override;

    GraphicsPathItem *pathItem = nullptr;
    // The item's bounding rectangle right after it was built.
    QRectF initialBoundingRect;
};

class ImageElement : public Node
{
public:
    ImageElement(const QDomElement &element, int row, SVGView *view, Node *parent);
    ~ImageElement() override;

    GraphicsImageItem *imageItem = nullptr;
    QPixmap pixmap;      // as decoded from "xlink:href"
    QImage shownImage;   // what the item shows (scaled to width x height when both are set)
    double width = 0, height = 0;
};

// "g": an invisible, unselectable placeholder rectangle under which the items
// of the group hang. The first one built becomes the drawing layer.
class GElement : public Node
{
public:
    GElement(const QDomElement &element, int row, SVGView *view, Node *parent);
    ~GElement() override;
};

// "a": a transparent rectangle around its children that can be selected.
class AElement : public Node
{
public:
    AElement(const QDomElement &element, int row, SVGView *view, Node *parent);
    ~AElement() override;
};

// The outline of a "points" list: a move to the first pair and lines to the
// others, closed for polygons. An odd or empty count, or a value that does not
// convert, gives an empty path.
QPainterPath pointsToPath(const QStringList &values, bool closed);

// Decodes the pixels of an "xlink:href" value: the Base64 text after the
// first comma (or the whole value without one). Null when it does not decode.
QPixmap decodeImageHref(const QString &href);
