#include "canvas/graphicsellipseitem.h"
#include "canvas/graphicsimageitem.h"
#include "canvas/graphicslineitem.h"
#include "canvas/graphicspathitem.h"
#include "canvas/graphicsrectitem.h"
#include "canvas/itemtypes.h"
#include "common/testenvironment.h"
#include "document/elementbuilders.h"
#include "document/svgdocument.h"
#include "document/svgelement.h"

#include <QBuffer>
#include <QFile>
#include <QGraphicsScene>
#include <QPainter>

#include <memory>

namespace {

// A design built as the tree walk builds it: every element under "svg" gets
// its builder node (plain nodes for the others), parents before children.
struct BuiltDesign
{
    QGraphicsScene scene;
    std::unique_ptr<SVGDocument> model;
    QHash<QString, Node *> byId;

    explicit BuiltDesign(const QString &body, bool whole = false)
    {
        const QString content = whole ? body : QStringLiteral(
            "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink'"
            " xmlns:lumacraft='x' width='2000' height='2000'>%1</svg>").arg(body);
        model = std::make_unique<SVGDocument>(content, nullptr, &scene);
        SVGElement *svg = model->svgElem();
        if (svg)
            buildChildren(svg);
    }

    void buildChildren(Node *parent)
    {
        const QDomNodeList children = parent->domElem().childNodes();
        for (int row = 0; row < children.count(); ++row) {
            if (!children.item(row).isElement())
                continue;
            const QDomElement element = children.item(row).toElement();
            Node *node = buildElementNode(element, row, nullptr, parent);
            if (!node)
                node = new Node(element, row, nullptr, nodeTypeForTag(element.tagName()), parent);
            parent->adoptChildNode(node);
            if (element.hasAttribute(QStringLiteral("id")))
                byId.insert(element.attribute(QStringLiteral("id")), node);
            buildChildren(node);
        }
    }

    Node *node(const QString &id) const { return byId.value(id, nullptr); }

    // Every node of the tree below `from`, parents first.
    QList<Node *> allNodes(Node *from) const
    {
        QList<Node *> nodes;
        for (Node *child : from->childNodes()) {
            nodes << child;
            nodes << allNodes(child);
        }
        return nodes;
    }

    QImage render(qreal zoom = 1) const
    {
        QImage image(200, 200, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(zoom, zoom);
        const_cast<QGraphicsScene &>(scene).render(&painter, QRectF(0, 0, 200 / zoom, 200 / zoom),
                                                   QRectF(-100, -100, 400, 400));
        return image;
    }
};

QString pngHref(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
}

// The item's own geometry in its local coordinates, whatever its class.
QRectF localGeometry(QGraphicsItem *item)
{
    switch (item->type()) {
    case ItemType::Rect: return static_cast<GraphicsRectItem *>(item)->rect();
    case ItemType::Ellipse: return static_cast<GraphicsEllipseItem *>(item)->rect();
    case ItemType::Line: {
        const QLineF line = static_cast<GraphicsLineItem *>(item)->line();
        return QRectF(line.p1(), line.p2());
    }
    case ItemType::Path: return static_cast<GraphicsPathItem *>(item)->path().boundingRect();
    case ItemType::Image: return QRectF(QPointF(0, 0), static_cast<GraphicsImageItem *>(item)->pixmap().size());
    default: return QRectF();
    }
}

QBrush itemBrush(QGraphicsItem *item)
{
    if (auto *shape = dynamic_cast<QAbstractGraphicsShapeItem *>(item))
        return shape->brush();
    return QBrush();
}

QPen itemPen(QGraphicsItem *item)
{
    if (auto *shape = dynamic_cast<QAbstractGraphicsShapeItem *>(item))
        return shape->pen();
    if (auto *line = dynamic_cast<QGraphicsLineItem *>(item))
        return line->pen();
    return QPen(Qt::NoPen);
}

bool penIsVisible(const QPen &pen)
{
    return pen.style() != Qt::NoPen && pen.brush().style() != Qt::NoBrush
           && pen.color().alpha() > 0;
}

int noFillOf(QGraphicsItem *item)
{
    switch (item->type()) {
    case ItemType::Rect: return static_cast<GraphicsRectItem *>(item)->noFill;
    case ItemType::Ellipse: return static_cast<GraphicsEllipseItem *>(item)->noFill;
    case ItemType::Line: return static_cast<GraphicsLineItem *>(item)->noFill;
    case ItemType::Path: return static_cast<GraphicsPathItem *>(item)->noFill;
    default: return -1;
    }
}

} // namespace

class TestElementBuilders : public QObject
{
    Q_OBJECT

private slots:
    void geometry_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("itemType");
        QTest::addColumn<int>("nodeType");
        QTest::addColumn<QPointF>("pos");
        QTest::addColumn<QRectF>("local");
        QTest::addColumn<QRectF>("scene"); // the local geometry mapped to the scene

        QTest::newRow("rect") << "<rect id='t' x='10' y='20' width='30' height='40'/>"
                              << 65538 << 3 << QPointF(10, 20) << QRectF(0, 0, 30, 40)
                              << QRectF(10, 20, 30, 40);
        QTest::newRow("rect rotated about the origin")
            << "<rect id='t' x='10' y='20' width='30' height='40' transform='rotate(90)'/>" << 65538
            << 3 << QPointF(10, 20) << QRectF(0, 0, 30, 40) << QRectF(-60, 10, 40, 30);
        QTest::newRow("rect in a translated group")
            << "<g transform='translate(100,50)'><rect id='t' x='1' y='2' width='3' height='4'/></g>"
            << 65538 << 3 << QPointF(1, 2) << QRectF(0, 0, 3, 4) << QRectF(101, 52, 3, 4);
        QTest::newRow("rect in millimetres")
            << "<rect id='t' x='0' y='0' width='10mm' height='1in'/>" << 65538 << 3 << QPointF(0, 0)
            << QRectF(0, 0, 37.795275590551185, 96) << QRectF(0, 0, 37.795275590551185, 96);
        QTest::newRow("rect in percent") << "<rect id='t' width='50%' height='25%'/>" << 65538 << 3
                                         << QPointF(0, 0) << QRectF(0, 0, 50, 25)
                                         << QRectF(0, 0, 50, 25);
        QTest::newRow("rect of negative size") << "<rect id='t' x='5' y='5' width='-30' height='-1'/>"
                                               << 65538 << 3 << QPointF(5, 5) << QRectF(0, 0, 0, 0)
                                               << QRectF(5, 5, 0, 0);
        QTest::newRow("rect of zero size") << "<rect id='t' x='5' y='6'/>" << 65538 << 3
                                           << QPointF(5, 6) << QRectF(0, 0, 0, 0)
                                           << QRectF(5, 6, 0, 0);
        QTest::newRow("circle") << "<circle id='t' cx='50' cy='60' r='10'/>" << 65539 << 4
                                << QPointF(40, 50) << QRectF(0, 0, 20, 20) << QRectF(40, 50, 20, 20);
        QTest::newRow("circle without r") << "<circle id='t' cx='50' cy='60'/>" << 65539 << 4
                                          << QPointF(50, 60) << QRectF(0, 0, 0, 0)
                                          << QRectF(50, 60, 0, 0);
        QTest::newRow("circle scaled about its anchor")
            << "<circle id='t' cx='50' cy='60' r='10' transform='scale(2)'/>" << 65539 << 4
            << QPointF(40, 50) << QRectF(0, 0, 20, 20) << QRectF(80, 100, 40, 40);
        QTest::newRow("ellipse") << "<ellipse id='t' cx='50' cy='60' rx='20' ry='5'/>" << 65539 << 5
                                 << QPointF(30, 55) << QRectF(0, 0, 40, 10) << QRectF(30, 55, 40, 10);
        QTest::newRow("ellipse with negative radius")
            << "<ellipse id='t' cx='50' cy='60' rx='-20' ry='5'/>" << 65539 << 5 << QPointF(50, 55)
            << QRectF(0, 0, 0, 10) << QRectF(50, 55, 0, 10);
        QTest::newRow("line") << "<line id='t' x1='1' y1='2' x2='30' y2='40'/>" << 65540 << 6
                              << QPointF(0, 0) << QRectF(1, 2, 29, 38) << QRectF(1, 2, 29, 38);
        QTest::newRow("polyline") << "<polyline id='t' points='0,0 10,0 10,10'/>" << 65541 << 7
                                  << QPointF(0, 0) << QRectF(0, 0, 10, 10) << QRectF(0, 0, 10, 10);
        QTest::newRow("polygon") << "<polygon id='t' points='5 5, 15 5 15 25'/>" << 65541 << 8
                                 << QPointF(0, 0) << QRectF(5, 5, 10, 20) << QRectF(5, 5, 10, 20);
        QTest::newRow("path") << "<path id='t' d='M 10,10 L 40,10 L 40,30 z'/>" << 65541 << 9
                              << QPointF(0, 0) << QRectF(10, 10, 30, 20) << QRectF(10, 10, 30, 20);
        QTest::newRow("translated path") << "<path id='t' d='M 0,0 L 10,10' transform='translate(5,6)'/>"
                                         << 65541 << 9 << QPointF(0, 0) << QRectF(0, 0, 10, 10)
                                         << QRectF(5, 6, 10, 10);
        QTest::newRow("image") << QStringLiteral("<image id='t' x='7' y='8' width='40' height='20' xlink:href='%1'/>")
                                      .arg(pngHref(4, 2))
                               << 65542 << 12 << QPointF(7, 8) << QRectF(0, 0, 40, 20)
                               << QRectF(7, 8, 40, 20);
    }

    void geometry()
    {
        QFETCH(QString, body);
        QFETCH(int, itemType);
        QFETCH(int, nodeType);
        QFETCH(QPointF, pos);
        QFETCH(QRectF, local);
        QFETCH(QRectF, scene);

        BuiltDesign design(body);
        Node *node = design.node(QStringLiteral("t"));
        QVERIFY(node);
        QCOMPARE(int(node->nodeType()), nodeType);
        QGraphicsItem *item = node->item();
        QVERIFY(item);
        QCOMPARE(item->type(), itemType);
        QCOMPARE(itemNode(item), node);
        QCOMPARE(item->toolTip(), QStringLiteral("t"));
        QVERIFY(item->flags() & QGraphicsItem::ItemIsSelectable);
        QVERIFY(item->flags() & QGraphicsItem::ItemIsMovable);
        QCOMPARE(item->scene(), &design.scene);
        QCOMPARE(item->pos(), pos);
        QCOMPARE(localGeometry(item), local);
        const QRectF mapped = item->sceneTransform().mapRect(local);
        QVERIFY2(qAbs(mapped.x() - scene.x()) < 1e-6 && qAbs(mapped.y() - scene.y()) < 1e-6
                     && qAbs(mapped.width() - scene.width()) < 1e-6
                     && qAbs(mapped.height() - scene.height()) < 1e-6,
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(mapped.x()).arg(mapped.y())
                                .arg(mapped.width()).arg(mapped.height())));
        design.render(); // painting the built design must not fail
    }

    void style_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QColor>("brush");  // invalid: no brush
        QTest::addColumn<QColor>("pen");    // invalid: no visible outline
        QTest::addColumn<int>("noFill");

        const QColor none;
        QTest::newRow("rect without fill anywhere is black") << "<rect id='t' width='5' height='5'/>"
                                                             << QColor(Qt::black) << none << 0;
        QTest::newRow("rect fill none") << "<rect id='t' width='5' height='5' fill='none' stroke='red'/>"
                                        << none << QColor(Qt::red) << 1;
        QTest::newRow("rect style beats attribute")
            << "<rect id='t' width='5' height='5' fill='red' style='fill:#00ff00'/>"
            << QColor(Qt::green) << none << 0;
        QTest::newRow("rect inherits from its group")
            << "<g fill='blue' stroke='red'><rect id='t' width='5' height='5'/></g>"
            << QColor(Qt::blue) << QColor(Qt::red) << 0;
        QTest::newRow("rect inherits none from its group")
            << "<g style='fill:none'><rect id='t' width='5' height='5' stroke='red'/></g>" << none
            << QColor(Qt::red) << 1;
        QTest::newRow("circle without fill anywhere is unfilled")
            << "<circle id='t' r='5'/>" << none << none << 0;
        QTest::newRow("circle ignores its group's fill and stroke")
            << "<g fill='blue' stroke='red'><circle id='t' r='5'/></g>" << none << none << 0;
        QTest::newRow("circle with its own fill") << "<circle id='t' r='5' fill='blue' stroke='red'/>"
                                                  << QColor(Qt::blue) << QColor(Qt::red) << 0;
        QTest::newRow("ellipse fill none is unfilled for hits")
            << "<ellipse id='t' rx='5' ry='3' fill='none'/>" << none << none << 1;
        QTest::newRow("line inherits its stroke") << "<g stroke='red'><line id='t' x2='9' y2='9'/></g>"
                                                  << none << QColor(Qt::red) << 0;
        QTest::newRow("path from a gradient with one stop")
            << "<defs><linearGradient id='g1'><stop offset='0' stop-color='#00ff00'/></linearGradient></defs>"
               "<path id='t' d='M0,0 L9,0 L9,9 z' fill='url(#g1)'/>"
            << QColor(Qt::green) << none << 0;
        QTest::newRow("polygon half transparent")
            << "<polygon id='t' points='0,0 9,0 9,9' fill='red' fill-opacity='0.5'/>"
            << QColor(255, 0, 0, 127) << none << 0;
    }

    void style()
    {
        QFETCH(QString, body);
        QFETCH(QColor, brush);
        QFETCH(QColor, pen);
        QFETCH(int, noFill);

        BuiltDesign design(body);
        Node *node = design.node(QStringLiteral("t"));
        QVERIFY(node && node->item());
        QGraphicsItem *item = node->item();
        const QBrush b = itemBrush(item);
        if (brush.isValid()) {
            QCOMPARE(b.style(), Qt::SolidPattern);
            QCOMPARE(b.color(), brush);
        } else {
            QCOMPARE(b.style(), Qt::NoBrush);
        }
        const QPen p = itemPen(item);
        if (pen.isValid()) {
            QVERIFY(penIsVisible(p));
            QCOMPARE(p.color(), pen);
        } else {
            QVERIFY(!penIsVisible(p));
        }
        QCOMPARE(noFillOf(item), noFill);
    }

    void strokeWidthAndCapsReachThePen()
    {
        BuiltDesign design("<path id='t' d='M0,0 L9,0' stroke='red' stroke-width='4'"
                           " stroke-linecap='round' stroke-linejoin='bevel'/>");
        const QPen pen = itemPen(design.node(QStringLiteral("t"))->item());
        QCOMPARE(pen.widthF(), 4.0);
        QCOMPARE(pen.capStyle(), Qt::RoundCap);
        QCOMPARE(pen.joinStyle(), Qt::BevelJoin);
    }

    void fillRule_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("rule");
        QTest::newRow("path evenodd") << "<path id='t' d='M0,0 L9,0 L9,9 z' fill-rule='evenodd'/>"
                                      << int(Qt::OddEvenFill);
        QTest::newRow("path default") << "<path id='t' d='M0,0 L9,0 L9,9 z'/>" << int(Qt::WindingFill);
        QTest::newRow("style is not consulted")
            << "<polygon id='t' points='0,0 9,0 9,9' style='fill-rule:evenodd'/>" << int(Qt::WindingFill);
        QTest::newRow("polyline evenodd") << "<polyline id='t' points='0,0 9,0 9,9' fill-rule='evenodd'/>"
                                          << int(Qt::OddEvenFill);
    }

    void fillRule()
    {
        QFETCH(QString, body);
        QFETCH(int, rule);
        BuiltDesign design(body);
        auto *item = static_cast<GraphicsPathItem *>(design.node(QStringLiteral("t"))->item());
        QCOMPARE(int(item->path().fillRule()), rule);
    }

    void points_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("points");
        QTest::addColumn<int>("elements");
        QTest::addColumn<bool>("closed");
        QTest::newRow("polyline open") << "polyline" << "0,0 10,0 10,10" << 3 << false;
        QTest::newRow("polygon closed") << "polygon" << "0,0 10,0 10,10" << 4 << true;
        QTest::newRow("odd count") << "polyline" << "0,0 10,0 10" << 0 << false;
        QTest::newRow("not a number") << "polygon" << "0,0 10,0 a,5" << 0 << false;
        QTest::newRow("units are not read") << "polyline" << "0,0 10mm,0" << 0 << false;
        QTest::newRow("empty") << "polygon" << "" << 0 << false;
        QTest::newRow("missing") << "polyline" << QString() << 0 << false;
    }

    void points()
    {
        QFETCH(QString, tag);
        QFETCH(QString, points);
        QFETCH(int, elements);
        QFETCH(bool, closed);
        const QString attribute = points.isNull() ? QString() : QStringLiteral(" points='%1'").arg(points);
        BuiltDesign design(QStringLiteral("<%1 id='t'%2/>").arg(tag, attribute));
        Node *node = design.node(QStringLiteral("t"));
        QVERIFY(node && node->item());
        const QPainterPath path = static_cast<GraphicsPathItem *>(node->item())->path();
        QCOMPARE(path.elementCount(), elements);
        if (elements > 0)
            QCOMPARE(QPointF(path.elementAt(elements - 1)) == QPointF(path.elementAt(0)), closed);
    }

    void malformedPathDataGivesAnEmptyPath()
    {
        BuiltDesign design("<path id='t' d='X 1 2'/><path id='u'/><path id='v' d='M 0,0 A 1 1 0 0 0 5 5'/>");
        for (const char *id : {"t", "u", "v"}) {
            Node *node = design.node(QLatin1String(id));
            QVERIFY(node && node->item());
            QCOMPARE(node->item()->type(), int(ItemType::Path));
        }
        QVERIFY(static_cast<GraphicsPathItem *>(design.node("t")->item())->path().isEmpty());
        QVERIFY(static_cast<GraphicsPathItem *>(design.node("u")->item())->path().isEmpty());
        design.render();
    }

    void pathKeepsItsFirstBounds()
    {
        BuiltDesign design("<path id='t' d='M 10,10 L 40,30' stroke='red' stroke-width='2'/>");
        auto *node = dynamic_cast<PathElement *>(design.node(QStringLiteral("t")));
        QVERIFY(node);
        QCOMPARE(node->initialBoundingRect, node->pathItem->boundingRect());
    }

    void rectCornerRadii_data()
    {
        QTest::addColumn<QString>("radii");
        QTest::addColumn<qreal>("rx");
        QTest::addColumn<qreal>("ry");
        QTest::newRow("none") << "" << 0.0 << 0.0;
        QTest::newRow("both") << "rx='3' ry='4'" << 3.0 << 4.0;
        QTest::newRow("rx alone") << "rx='3'" << 3.0 << 3.0;
        QTest::newRow("ry alone") << "ry='4'" << 4.0 << 4.0;
        QTest::newRow("negative") << "rx='-3'" << 0.0 << 0.0;
    }

    void rectCornerRadii()
    {
        QFETCH(QString, radii);
        QFETCH(qreal, rx);
        QFETCH(qreal, ry);
        BuiltDesign design(QStringLiteral("<rect id='t' width='20' height='20' %1/>").arg(radii));
        auto *node = dynamic_cast<RectElement *>(design.node(QStringLiteral("t")));
        QVERIFY(node);
        QCOMPARE(node->rectItem->rx, rx);
        QCOMPARE(node->rectItem->ry, ry);
        QCOMPARE(node->width, 20.0);
    }

    void printParameters_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::newRow("rect") << "rect";
        QTest::newRow("circle") << "circle";
        QTest::newRow("ellipse") << "ellipse";
        QTest::newRow("line") << "line";
        QTest::newRow("polyline") << "polyline";
        QTest::newRow("polygon") << "polygon";
        QTest::newRow("path") << "path";
        QTest::newRow("image") << "image";
    }

    // Missing parameters take the scene defaults (0 without a scene) and are
    // written into the element; power and speed read 100 and stay absent;
    // values present are kept as they are.
    void printParameters()
    {
        QFETCH(QString, tag);
        BuiltDesign design(QStringLiteral("<%1 id='t' lumacraft:scanTimes='3' lumacraft:scanSpeed='40'/>").arg(tag));
        Node *node = design.node(QStringLiteral("t"));
        QVERIFY(node);
        const QDomElement element = node->domElem();
        QCOMPARE(node->printParameters().scanTimes, 3.0);
        QCOMPARE(element.attribute("lumacraft:scanTimes"), QStringLiteral("3"));
        QCOMPARE(node->printParameters().scanSpeed, 40.0);
        QCOMPARE(node->printParameters().scanPower, 100.0);
        QVERIFY(!element.hasAttribute("lumacraft:scanPower"));
        for (const char *written : {"lumacraft:scanBuffer", "lumacraft:scanAccuracy", "lumacraft:scanAngle",
                                    "lumacraft:scanError", "lumacraft:XMotorMovementError",
                                    "lumacraft:YMotorMovementError"}) {
            QCOMPARE(element.attribute(QLatin1String(written)), QStringLiteral("0"));
        }
        // The saved design carries them.
        QVERIFY(design.model->toText().contains(QStringLiteral("lumacraft:scanAccuracy=\"0\"")));
    }

    void groupsAreNotGivenParameters()
    {
        BuiltDesign design("<g id='g'><a id='a'><rect id='t' width='5' height='5'/></a></g>");
        for (const char *id : {"g", "a"})
            QVERIFY(!design.node(QLatin1String(id))->domElem().hasAttribute("lumacraft:scanTimes"));
    }

    void groupPlaceholders()
    {
        BuiltDesign design("<g id='layer'><rect id='r' x='10' y='20' width='30' height='40'/>"
                           "<circle id='c' cx='100' cy='100' r='10'/></g>"
                           "<a id='link'><rect id='inLink' x='1' y='1' width='2' height='2'/></a>");
        Node *layer = design.node(QStringLiteral("layer"));
        QCOMPARE(int(layer->nodeType()), 2);
        auto *placeholder = static_cast<GraphicsRectItem *>(layer->item());
        QCOMPARE(placeholder->type(), int(ItemType::Rect));
        QVERIFY(placeholder->layerPlaceholder);
        QVERIFY(!(placeholder->flags() & QGraphicsItem::ItemIsSelectable));
        QVERIFY(!(placeholder->flags() & QGraphicsItem::ItemIsMovable));
        QCOMPARE(placeholder->pen().color().alpha(), 0);
        QCOMPARE(placeholder->brush().color().alpha(), 0);
        QCOMPARE(itemNode(placeholder), layer);
        // Members hang under the placeholder, whose rectangle encloses them.
        QCOMPARE(design.node("r")->item()->parentItem(), placeholder);
        QCOMPARE(design.node("c")->item()->parentItem(), placeholder);
        QVERIFY(placeholder->rect().contains(QRectF(10, 20, 100, 90)));
        // Stacking follows the document order.
        QCOMPARE(design.node("r")->item()->zValue(), 0.0);
        QCOMPARE(design.node("c")->item()->zValue(), 1.0);

        Node *link = design.node(QStringLiteral("link"));
        QCOMPARE(int(link->nodeType()), 11);
        auto *frame = static_cast<GraphicsRectItem *>(link->item());
        QVERIFY(!frame->layerPlaceholder);
        QVERIFY(frame->flags() & QGraphicsItem::ItemIsSelectable);
        QCOMPARE(frame->brush().color().alpha(), 0);
        QCOMPARE(design.node("inLink")->item()->parentItem(), frame);
    }

    void images_data()
    {
        QTest::addColumn<QString>("attributes");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<QSize>("decoded");
        const QString png = pngHref(4, 2);
        QTest::newRow("scaled") << QStringLiteral("width='40' height='20' xlink:href='%1'").arg(png)
                                << QSize(40, 20) << QSize(4, 2);
        QTest::newRow("fractional size truncated")
            << QStringLiteral("width='40.9' height='20.9' xlink:href='%1'").arg(png) << QSize(40, 20)
            << QSize(4, 2);
        QTest::newRow("no size: unscaled") << QStringLiteral("xlink:href='%1'").arg(png) << QSize(4, 2)
                                           << QSize(4, 2);
        QTest::newRow("one size only: unscaled")
            << QStringLiteral("width='40' xlink:href='%1'").arg(png) << QSize(4, 2) << QSize(4, 2);
        QTest::newRow("negative width: unscaled")
            << QStringLiteral("width='-5' height='20' xlink:href='%1'").arg(png) << QSize(4, 2)
            << QSize(4, 2);
        QTest::newRow("negative height: unscaled")
            << QStringLiteral("width='5' height='-20' xlink:href='%1'").arg(png) << QSize(4, 2)
            << QSize(4, 2);
        QTest::newRow("percentages") << QStringLiteral("width='50%' height='10%' xlink:href='%1'").arg(png)
                                     << QSize(50, 10) << QSize(4, 2);
        QTest::newRow("units") << QStringLiteral("width='1in' height='2px' xlink:href='%1'").arg(png)
                               << QSize(96, 2) << QSize(4, 2);
        QTest::newRow("below one unit") << QStringLiteral("width='0.5' height='0.5' xlink:href='%1'").arg(png)
                                        << QSize(0, 0) << QSize(4, 2);
        QTest::newRow("without a comma") << QStringLiteral("width='8' height='4' xlink:href='%1'")
                                                .arg(png.mid(png.indexOf(',') + 1))
                                         << QSize(8, 4) << QSize(4, 2);
        QTest::newRow("data that does not decode")
            << QStringLiteral("width='40' height='20' xlink:href='data:image/png;base64,AAAAAAAA'")
            << QSize(0, 0) << QSize(0, 0);
        QTest::newRow("not Base64 at all") << QStringLiteral("xlink:href='picture.png'") << QSize(0, 0)
                                           << QSize(0, 0);
        QTest::newRow("no data") << QStringLiteral("width='40' height='20'") << QSize(0, 0) << QSize(0, 0);
        QTest::newRow("zero size") << QStringLiteral("width='0' height='0' xlink:href='%1'").arg(png)
                                   << QSize(4, 2) << QSize(4, 2);
        QTest::newRow("huge size is not scaled")
            << QStringLiteral("width='100000' height='100000' xlink:href='%1'").arg(png) << QSize(4, 2)
            << QSize(4, 2);
    }

    void images()
    {
        QFETCH(QString, attributes);
        QFETCH(QSize, shown);
        QFETCH(QSize, decoded);
        BuiltDesign design(QStringLiteral("<image id='t' x='3' y='4' %1/>").arg(attributes));
        auto *node = dynamic_cast<ImageElement *>(design.node(QStringLiteral("t")));
        QVERIFY(node);
        QCOMPARE(node->imageItem->type(), int(ItemType::Image));
        QCOMPARE(node->imageItem->pos(), QPointF(3, 4));
        QCOMPARE(node->pixmap.size(), decoded);
        QCOMPARE(node->imageItem->pixmap().size(), shown);
        QCOMPARE(node->shownImage.size(), shown);
        QVERIFY(node->width >= 0 && node->height >= 0);
        // No style: images have neither pen nor brush, nor a no-fill test.
        design.render();
        design.render(0.05);
    }

    // Real drawings: every drawable element gets exactly one item of its class,
    // hung under its parent's item and pointing back at its node.
    void realDesigns_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("shapes tutorial") << "inkscape-tutorials__tutorial-shapes.svg";
        QTest::newRow("path data test") << "w3c-svg11__paths-data-18-f.svg";
        QTest::newRow("style inheritance") << "style-inheritance.svg";
    }

    void realDesigns()
    {
        QFETCH(QString, file);
        QFile input(ScriboTest::dataPath(file));
        QVERIFY(input.open(QIODevice::ReadOnly));
        BuiltDesign design(QString::fromUtf8(input.readAll()), true);
        SVGElement *svg = design.model->svgElem();
        QVERIFY(svg);

        const QHash<QString, int> expectedType = {
            {"rect", ItemType::Rect},     {"circle", ItemType::Ellipse}, {"ellipse", ItemType::Ellipse},
            {"line", ItemType::Line},     {"polyline", ItemType::Path},  {"polygon", ItemType::Path},
            {"path", ItemType::Path},     {"image", ItemType::Image},    {"g", ItemType::Rect},
            {"a", ItemType::Rect}};
        int built = 0;
        for (Node *node : design.allNodes(svg)) {
            const QString tag = node->domElem().tagName();
            if (!expectedType.contains(tag))
                continue;
            QGraphicsItem *item = node->item();
            QVERIFY2(item, qPrintable(tag));
            QCOMPARE(item->type(), expectedType.value(tag));
            QCOMPARE(itemNode(item), node);
            QCOMPARE(item->zValue(), double(node->row()));
            if (node->parent() && node->parent()->item())
                QCOMPARE(item->parentItem(), node->parent()->item());
            if (tag != "g" && tag != "a")
                QVERIFY(node->domElem().hasAttribute("lumacraft:scanTimes"));
            ++built;
        }
        QVERIFY(built > 0);
        design.render();
        design.render(0.05);
    }

    // A well-formed picture of 72 million pixels: small as a file, hundreds of
    // megabytes once decoded. It is refused before decoding.
    void imageRefusesAPictureTooLargeToHold()
    {
        QImage image(9000, 8000, QImage::Format_Mono);
        image.fill(0);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, "PNG"));
        image = QImage();
        QVERIFY(decodeImageHref(QStringLiteral("data:image/png;base64,") + bytes.toBase64()).isNull());
        // A picture within the limit still decodes.
        QCOMPARE(decodeImageHref(pngHref(300, 200)).size(), QSize(300, 200));
    }
};

SCRIBO_TEST_MAIN(TestElementBuilders)
#include "test_elementbuilders.moc"
