#include "canvas/graphicsellipseitem.h"
#include "canvas/graphicsgroupitem.h"
#include "canvas/graphicsimageitem.h"
#include "canvas/graphicslineitem.h"
#include "canvas/graphicspathitem.h"
#include "canvas/graphicsrectitem.h"
#include "canvas/graphicstextitem.h"
#include "canvas/itemmeasure.h"
#include "canvas/itemtypes.h"
#include "common/testenvironment.h"
#include "document/node.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSignalSpy>

#include <memory>

namespace {

enum class Kind { Rect, Ellipse, Line, Path, Image, Text, Group };

// Items are created filled black with a black pen, as a builder would.
QGraphicsItem *makeItem(Kind kind, qreal size = 400)
{
    switch (kind) {
    case Kind::Rect: {
        auto *item = new GraphicsRectItem(nullptr, nullptr, 0, 0, size, size);
        item->setBrush(Qt::black);
        return item;
    }
    case Kind::Ellipse: {
        auto *item = new GraphicsEllipseItem(nullptr, nullptr, 0, 0, size, size);
        item->setBrush(Qt::black);
        return item;
    }
    case Kind::Line:
        return new GraphicsLineItem(nullptr, nullptr, 0, 0, size, size);
    case Kind::Path: {
        QPainterPath path;
        path.addRect(0, 0, size, size);
        auto *item = new GraphicsPathItem(nullptr, path, nullptr);
        item->setBrush(Qt::black);
        return item;
    }
    case Kind::Image: {
        const int side = qMax(0, int(size));
        QPixmap pixmap(side, side);
        if (!pixmap.isNull())
            pixmap.fill(Qt::black);
        return new GraphicsImageItem(nullptr, pixmap, nullptr);
    }
    case Kind::Text:
        return new GraphicsTextItem(nullptr, QStringLiteral("Text"));
    case Kind::Group:
        return new GraphicsGroupItem(nullptr, {}, nullptr);
    }
    return nullptr;
}

void setNoFill(QGraphicsItem *item)
{
    switch (item->type()) {
    case ItemType::Rect:
        static_cast<GraphicsRectItem *>(item)->setBrush(Qt::NoBrush);
        static_cast<GraphicsRectItem *>(item)->noFill = 1;
        break;
    case ItemType::Ellipse:
        static_cast<GraphicsEllipseItem *>(item)->setBrush(Qt::NoBrush);
        static_cast<GraphicsEllipseItem *>(item)->noFill = 1;
        break;
    case ItemType::Path:
        static_cast<GraphicsPathItem *>(item)->setBrush(Qt::NoBrush);
        static_cast<GraphicsPathItem *>(item)->noFill = 1;
        break;
    default:
        break;
    }
}

// One press signal of any family member, by name.
std::unique_ptr<QSignalSpy> spyOn(QGraphicsItem *item, const char *signal)
{
    QObject *object = item->toGraphicsObject();
    if (!object)
        object = dynamic_cast<QObject *>(item);
    return std::make_unique<QSignalSpy>(object, signal);
}

// A real window showing a scene, with a filled floor under everything so that
// a click that misses the item under test is seen landing on the floor.
struct Canvas
{
    QGraphicsScene scene;
    QGraphicsView view{&scene};
    GraphicsRectItem *floor = nullptr;

    Canvas()
    {
        scene.setSceneRect(-5000, -5000, 10000, 10000);
        floor = new GraphicsRectItem(nullptr, nullptr, -5000, -5000, 10000, 10000);
        floor->setBrush(Qt::white);
        floor->setZValue(-100);
        scene.addItem(floor);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.resize(600, 600);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }

    void zoom(qreal factor, QPointF centre)
    {
        view.setTransform(QTransform::fromScale(factor, factor));
        view.centerOn(centre);
        repaint();
    }

    // Paints the viewport now, so that items learn the current pixel size.
    void repaint()
    {
        QImage image(view.viewport()->size(), QImage::Format_ARGB32);
        view.viewport()->render(&image);
    }

    void press(QPointF scenePoint, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPoint at = view.mapFromScene(scenePoint);
        QTest::mousePress(view.viewport(), button, modifiers, at);
        QTest::mouseRelease(view.viewport(), button, modifiers, at);
    }
};

// Count of dark pixels on one row of an image, within [from, to).
int darkPixelsInRow(const QImage &image, int row, int from, int to)
{
    int count = 0;
    for (int x = qMax(0, from); x < qMin(image.width(), to); ++x) {
        if (qGray(image.pixel(x, row)) < 128)
            ++count;
    }
    return count;
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestGraphicsItems : public QObject
{
    Q_OBJECT

private slots:
    void typeValues_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("type");
        QTest::newRow("group") << Kind::Group << 65537;
        QTest::newRow("rect") << Kind::Rect << 65538;
        QTest::newRow("ellipse") << Kind::Ellipse << 65539;
        QTest::newRow("line") << Kind::Line << 65540;
        QTest::newRow("path") << Kind::Path << 65541;
        QTest::newRow("image") << Kind::Image << 65542;
        QTest::newRow("text") << Kind::Text << 65543;
    }

    void typeValues()
    {
        QFETCH(Kind, kind);
        QFETCH(int, type);
        std::unique_ptr<QGraphicsItem> item(makeItem(kind));
        QCOMPARE(item->type(), type);
        QVERIFY(ItemType::isCanvasItemType(item->type()));
        // No node until a builder stores one; slot 0 then yields it back.
        QCOMPARE(itemNode(item.get()), static_cast<Node *>(nullptr));
        int anchor = 0;
        Node *marker = reinterpret_cast<Node *>(&anchor);
        setItemNode(item.get(), marker);
        QCOMPARE(itemNode(item.get()), marker);
        QCOMPARE(item->data(0).value<Node *>(), marker);
        // Every member starts outside any canvas group.
        QCOMPARE(getThisItemGroup(item.get()), static_cast<GraphicsGroupItem *>(nullptr));
    }

    void pressSignals_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QByteArray>("expected");

        const struct
        {
            const char *name;
            Kind kind;
        } kinds[] = {{"rect", Kind::Rect},   {"ellipse", Kind::Ellipse}, {"line", Kind::Line},
                     {"path", Kind::Path},   {"image", Kind::Image},     {"text", Kind::Text}};
        for (const auto &k : kinds) {
            const QByteArray n(k.name);
            QTest::newRow(n + " left") << k.kind << int(Qt::LeftButton) << int(Qt::NoModifier)
                                       << QByteArray("leftSelected");
            QTest::newRow(n + " control-left") << k.kind << int(Qt::LeftButton)
                                               << int(Qt::ControlModifier)
                                               << QByteArray("leftCtlSelected");
            QTest::newRow(n + " control-shift-left")
                << k.kind << int(Qt::LeftButton) << int(Qt::ControlModifier | Qt::ShiftModifier)
                << QByteArray("leftSelected");
            QTest::newRow(n + " right") << k.kind << int(Qt::RightButton) << int(Qt::NoModifier)
                                        << QByteArray("rightSelected");
            QTest::newRow(n + " control-right") << k.kind << int(Qt::RightButton)
                                                << int(Qt::ControlModifier)
                                                << QByteArray("rightSelected");
            QTest::newRow(n + " middle") << k.kind << int(Qt::MiddleButton) << int(Qt::NoModifier)
                                         << QByteArray("rightSelected");
        }
    }

    void pressSignals()
    {
        QFETCH(Kind, kind);
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QFETCH(QByteArray, expected);

        Canvas canvas;
        QGraphicsItem *item = makeItem(kind, 200);
        canvas.scene.addItem(item);
        canvas.zoom(1, QPointF(100, 100));

        auto left = spyOn(item, SIGNAL(leftSelected(QGraphicsItem *)));
        auto control = spyOn(item, SIGNAL(leftCtlSelected(QGraphicsItem *)));
        auto right = spyOn(item, SIGNAL(rightSelected(QGraphicsItem *)));
        // Text is hit on its own glyph box near its origin.
        const QPointF at = kind == Kind::Text ? item->boundingRect().center() : QPointF(100, 100);
        canvas.press(at, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers));

        QCOMPARE(left->count(), expected == "leftSelected" ? 1 : 0);
        QCOMPARE(control->count(), expected == "leftCtlSelected" ? 1 : 0);
        QCOMPARE(right->count(), expected == "rightSelected" ? 1 : 0);
        QSignalSpy *fired = expected == "leftSelected" ? left.get()
                            : expected == "leftCtlSelected" ? control.get()
                                                            : right.get();
        QCOMPARE(fired->at(0).at(0).value<QGraphicsItem *>(), item);
        // The press never selects or moves the item by itself.
        QVERIFY(!item->isSelected());
        QCOMPARE(item->pos(), QPointF(0, 0));
    }

    void layerPlaceholderEmitsNothing()
    {
        Canvas canvas;
        auto *placeholder = new GraphicsRectItem(nullptr, nullptr, 0, 0, 400, 400);
        placeholder->setPen(QPen(Qt::transparent));
        placeholder->setBrush(Qt::transparent);
        placeholder->setFlag(QGraphicsItem::ItemIsMovable, false);
        placeholder->setFlag(QGraphicsItem::ItemIsSelectable, false);
        placeholder->layerPlaceholder = true;
        canvas.scene.addItem(placeholder);
        canvas.zoom(1, QPointF(200, 200));

        QSignalSpy left(placeholder, SIGNAL(leftSelected(QGraphicsItem *)));
        QSignalSpy right(placeholder, SIGNAL(rightSelected(QGraphicsItem *)));
        QSignalSpy floorLeft(canvas.floor, SIGNAL(leftSelected(QGraphicsItem *)));
        canvas.press(QPointF(200, 200));
        canvas.press(QPointF(200, 200), Qt::RightButton);
        QCOMPARE(left.count(), 0);
        QCOMPARE(right.count(), 0);
        // The press goes on to what lies below.
        QCOMPARE(floorLeft.count(), 1);
    }

    // Clicks at a distance inside the left edge of a 400 x 400 item at the
    // origin; the band around an unfilled outline is about 20 screen pixels,
    // capped at 100 units.
    void hitShapes_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<qreal>("zoom");
        QTest::addColumn<qreal>("inset");
        QTest::addColumn<bool>("hit");

        const struct
        {
            const char *name;
            Kind kind;
        } kinds[] = {{"rect", Kind::Rect}, {"ellipse", Kind::Ellipse}, {"path", Kind::Path}};
        for (const auto &k : kinds) {
            const QByteArray n(k.name);
            QTest::newRow(n + " filled, middle") << k.kind << true << 1.0 << 200.0 << true;
            QTest::newRow(n + " unfilled, middle, zoom 1") << k.kind << false << 1.0 << 200.0 << false;
            QTest::newRow(n + " unfilled, 5 in, zoom 1") << k.kind << false << 1.0 << 5.0 << true;
            QTest::newRow(n + " unfilled, 30 in, zoom 1") << k.kind << false << 1.0 << 30.0 << false;
            QTest::newRow(n + " unfilled, 30 in, zoom 0.1") << k.kind << false << 0.1 << 30.0 << true;
            // 20 pixels would be 200 units here; the cap keeps the band at 100.
            QTest::newRow(n + " unfilled, 80 in, zoom 0.1") << k.kind << false << 0.1 << 80.0 << false;
            QTest::newRow(n + " filled, 80 in, zoom 0.1") << k.kind << true << 0.1 << 80.0 << true;
        }
        QTest::newRow("line, middle of its box") << Kind::Line << false << 1.0 << 100.0 << true;
    }

    void hitShapes()
    {
        QFETCH(Kind, kind);
        QFETCH(bool, filled);
        QFETCH(qreal, zoom);
        QFETCH(qreal, inset);
        QFETCH(bool, hit);

        Canvas canvas;
        QGraphicsItem *item = makeItem(kind, 400);
        if (!filled)
            setNoFill(item);
        canvas.scene.addItem(item);
        canvas.zoom(zoom, QPointF(0, 200));

        auto onItem = spyOn(item, SIGNAL(leftSelected(QGraphicsItem *)));
        QSignalSpy onFloor(canvas.floor, SIGNAL(leftSelected(QGraphicsItem *)));
        // Along the horizontal through the centre (for the line: its own box).
        const QPointF at = kind == Kind::Line ? QPointF(inset, 300) : QPointF(inset, 200);
        canvas.press(at);
        QCOMPARE(onItem->count(), hit ? 1 : 0);
        QCOMPARE(onFloor.count(), hit ? 0 : 1);
    }

    void groupOfUnfilledMembersIsHitNearOutlines_data()
    {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<bool>("hitsGroup");
        QTest::newRow("first member's edge") << QPointF(3, 100) << true;
        QTest::newRow("second member's edge") << QPointF(497, 100) << true;
        QTest::newRow("inside the first member") << QPointF(100, 100) << false;
        QTest::newRow("between the members") << QPointF(250, 100) << false;
    }

    void groupOfUnfilledMembersIsHitNearOutlines()
    {
        QFETCH(QPointF, at);
        QFETCH(bool, hitsGroup);

        Canvas canvas;
        auto *first = new GraphicsRectItem(nullptr, nullptr, 0, 0, 200, 200);
        auto *second = new GraphicsEllipseItem(nullptr, nullptr, 0, 0, 200, 200);
        second->setPos(300, 0);
        setNoFill(first);
        setNoFill(second);
        canvas.scene.addItem(first);
        canvas.scene.addItem(second);
        auto *group = new GraphicsGroupItem(nullptr, {first, second});
        group->setZValue(10);
        canvas.scene.addItem(group);
        group->addGroupMember();
        QCOMPARE(getThisItemGroup(first), group);
        QCOMPARE(getThisItemGroup(second), group);
        QCOMPARE(group->boundingRect(), QRectF(-0.5, -0.5, 500.5, 201));
        canvas.zoom(1, QPointF(250, 100));

        QSignalSpy onGroup(group, SIGNAL(leftSelected(QGraphicsItem *)));
        QSignalSpy onFloor(canvas.floor, SIGNAL(leftSelected(QGraphicsItem *)));
        canvas.press(at);
        QCOMPARE(onGroup.count(), hitsGroup ? 1 : 0);
        QCOMPARE(onFloor.count(), hitsGroup ? 0 : 1);

        group->clearGroupMember();
        QCOMPARE(getThisItemGroup(first), static_cast<GraphicsGroupItem *>(nullptr));
        QCOMPARE(group->members.size(), 2);
    }

    void groupAndMembersOutliveEachOther()
    {
        QGraphicsScene scene;
        auto *kept = new GraphicsRectItem(nullptr, nullptr, 0, 0, 10, 10);
        auto *removed = new GraphicsEllipseItem(nullptr, nullptr, 100, 100, 10, 10);
        scene.addItem(kept);
        scene.addItem(removed);
        auto *group = new GraphicsGroupItem(nullptr, {kept, removed});
        scene.addItem(group);
        group->addGroupMember();

        delete removed;
        QCOMPARE(group->members, QList<QGraphicsItem *>{kept});
        QCOMPARE(group->boundingRect(), kept->sceneBoundingRect());

        delete group;
        QCOMPARE(getThisItemGroup(kept), static_cast<GraphicsGroupItem *>(nullptr));

        // Clearing the scene takes group and members in whatever order.
        auto *again = new GraphicsGroupItem(nullptr, {kept});
        scene.addItem(again);
        again->addGroupMember();
        scene.clear();
        QVERIFY(scene.items().isEmpty());
    }

    void otherItemsHaveNoGroup()
    {
        QGraphicsRectItem handle(0, 0, 10, 10);
        QCOMPARE(getThisItemGroup(&handle), static_cast<GraphicsGroupItem *>(nullptr));
        QCOMPARE(getThisItemGroup(nullptr), static_cast<GraphicsGroupItem *>(nullptr));
        setThisItemGroup(&handle, nullptr); // no effect, no crash
    }

    void roundedCornersAreClamped_data()
    {
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<qreal>("rx");
        QTest::addColumn<qreal>("ry");
        QTest::addColumn<QPointF>("start");    // (x, y + ry')
        QTest::addColumn<QPointF>("outside");  // inside the box, cut off by the corner
        QTest::addColumn<QPointF>("inside");
        QTest::newRow("10x4 radii 8,8 -> 5,2")
            << QRectF(0, 0, 10, 4) << 8.0 << 8.0 << QPointF(0, 2) << QPointF(0.4, 0.3)
            << QPointF(5, 0.3);
        QTest::newRow("radii within sides kept") << QRectF(0, 0, 100, 100) << 10.0 << 20.0
                                                 << QPointF(0, 20) << QPointF(1, 2)
                                                 << QPointF(50, 1);
        QTest::newRow("no radii, square corners") << QRectF(0, 0, 10, 10) << 0.0 << 0.0
                                                  << QPointF(0, 0) << QPointF(-1, -1)
                                                  << QPointF(0.2, 0.2);
    }

    void roundedCornersAreClamped()
    {
        QFETCH(QRectF, rect);
        QFETCH(qreal, rx);
        QFETCH(qreal, ry);
        QFETCH(QPointF, start);
        QFETCH(QPointF, outside);
        QFETCH(QPointF, inside);

        GraphicsRectItem item(nullptr, nullptr, rect.x(), rect.y(), rect.width(), rect.height());
        item.setRadii(rx, ry);
        const QPainterPath outline = item.roundedOutline();
        QCOMPARE(QPointF(outline.elementAt(0)), start);
        QCOMPARE(outline.boundingRect(), rect);
        QVERIFY(!outline.contains(outside));
        QVERIFY(outline.contains(inside));
    }

    // A thick stroke is still painted one screen pixel wide at every zoom.
    void outlineIsOnePixelWide_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<qreal>("zoom");
        QTest::newRow("rect, zoom 1") << Kind::Rect << 1.0;
        QTest::newRow("rect, zoom 4") << Kind::Rect << 4.0;
        QTest::newRow("ellipse, zoom 4") << Kind::Ellipse << 4.0;
        QTest::newRow("path, zoom 4") << Kind::Path << 4.0;
    }

    void outlineIsOnePixelWide()
    {
        QFETCH(Kind, kind);
        QFETCH(qreal, zoom);

        QGraphicsScene scene;
        QGraphicsItem *item = makeItem(kind, 40);
        setNoFill(item);
        static_cast<QAbstractGraphicsShapeItem *>(item)->setPen(QPen(Qt::black, 5));
        scene.addItem(item);

        const int side = int(60 * zoom);
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        scene.render(&painter, QRectF(0, 0, side, side), QRectF(-10, -10, 60, 60));
        painter.end();

        const int row = int(30 * zoom); // through the centre of the item
        const int leftEdge = int(10 * zoom);
        QCOMPARE(darkPixelsInRow(image, row, leftEdge - int(4 * zoom), leftEdge + int(4 * zoom)), 1);
    }

    void rotatedItemsKeepAFinitePixelSize()
    {
        QGraphicsScene scene;
        auto *item = new GraphicsRectItem(nullptr, nullptr, 0, 0, 100, 100);
        item->setRotation(90);
        scene.addItem(item);
        QImage image(200, 200, QImage::Format_ARGB32);
        QPainter painter(&image);
        scene.render(&painter, QRectF(0, 0, 200, 200), QRectF(-100, 0, 100, 100));
        painter.end();
        QVERIFY(qFuzzyCompare(item->pixelSize, 0.5));
    }

    void lineIsHitOnItsBox_data()
    {
        QTest::addColumn<qreal>("penWidth");
        QTest::newRow("hairline") << 0.0;
        QTest::newRow("wide pen") << 6.0;
    }

    void lineIsHitOnItsBox()
    {
        QFETCH(qreal, penWidth);
        GraphicsLineItem item(nullptr, nullptr, 0, 0, 100, 50);
        item.setPen(QPen(Qt::black, penWidth));
        const QRectF box = item.shape().boundingRect();
        QCOMPARE(box, item.boundingRect());
        QVERIFY(item.contains(QPointF(90, 10))); // far from the line, inside its box
        QVERIFY(box.contains(QRectF(0, 0, 100, 50)));
    }

    void ellipseBoundsIgnoreThePen()
    {
        GraphicsEllipseItem item(nullptr, nullptr, 10, 20, 30, 40);
        item.setPen(QPen(Qt::black, 8));
        QCOMPARE(item.boundingRect(), QRectF(10, 20, 30, 40));
    }

    // Degenerate items of every kind paint without trouble.
    void paintingEveryKind_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<qreal>("size");
        QTest::newRow("rect") << Kind::Rect << 40.0;
        QTest::newRow("zero rect") << Kind::Rect << 0.0;
        QTest::newRow("negative rect") << Kind::Rect << -20.0;
        QTest::newRow("ellipse") << Kind::Ellipse << 40.0;
        QTest::newRow("zero ellipse") << Kind::Ellipse << 0.0;
        QTest::newRow("line") << Kind::Line << 40.0;
        QTest::newRow("zero line") << Kind::Line << 0.0;
        QTest::newRow("path") << Kind::Path << 40.0;
        QTest::newRow("zero path") << Kind::Path << 0.0;
        QTest::newRow("image") << Kind::Image << 40.0;
        QTest::newRow("empty image") << Kind::Image << 0.0;
        QTest::newRow("text") << Kind::Text << 40.0;
        QTest::newRow("empty group") << Kind::Group << 0.0;
    }

    void paintingEveryKind()
    {
        QFETCH(Kind, kind);
        QFETCH(qreal, size);

        QGraphicsScene scene;
        QGraphicsItem *item = makeItem(kind, size);
        scene.addItem(item);
        if (auto *rect = dynamic_cast<GraphicsRectItem *>(item))
            rect->setRadii(30, 30);
        auto *group = new GraphicsGroupItem(nullptr, {item});
        scene.addItem(group);
        group->addGroupMember();

        for (qreal zoom : {0.01, 1.0, 8.0}) {
            QImage image(100, 100, QImage::Format_ARGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.scale(zoom, zoom);
            scene.render(&painter, QRectF(0, 0, 100 / zoom, 100 / zoom), QRectF(-50, -50, 100, 100));
        }
        QVERIFY(!item->shape().boundingRect().isValid() || item->shape().boundingRect().width() >= 0);
        QVERIFY(group->shape().boundingRect().width() >= 0);
    }

    void imageOutlineIsTraced()
    {
        QPixmap pixmap(100, 60);
        pixmap.fill(Qt::white);
        {
            QPainter painter(&pixmap);
            painter.fillRect(QRect(20, 10, 30, 40), Qt::black);
        }
        GraphicsImageItem item(nullptr, pixmap, nullptr);
        const QRectF traced = item.traceOutline.boundingRect();
        QVERIFY2(qAbs(traced.left() - 20) < 1 && qAbs(traced.top() - 10) < 1
                     && qAbs(traced.width() - 30) < 1 && qAbs(traced.height() - 40) < 1,
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(traced.x()).arg(traced.y())
                                .arg(traced.width()).arg(traced.height())));

        QPixmap white(50, 50);
        white.fill(Qt::white);
        QVERIFY(GraphicsImageItem(nullptr, white, nullptr).traceOutline.isEmpty());
        QVERIFY(GraphicsImageItem(nullptr, QPixmap(), nullptr).traceOutline.isEmpty());
    }

    void measuringItems_data()
    {
        QTest::addColumn<QList<QRectF>>("rects");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("nothing") << QList<QRectF>{} << QRectF(0, 0, 0, 0);
        QTest::newRow("left of and above the origin")
            << QList<QRectF>{{-50, -40, 20, 10}, {-30, -30, 10, 10}} << QRectF(-50, -40, 30, 20);
        // A path counts without its pen; a flat one still spans its length.
        QTest::newRow("flat path") << QList<QRectF>{{10, 10, 100, 0}} << QRectF(10, 10, 100, 0);
    }

    void measuringItems()
    {
        QFETCH(QList<QRectF>, rects);
        QFETCH(QRectF, expected);
        QGraphicsScene scene;
        QList<QGraphicsItem *> items;
        for (const QRectF &r : rects) {
            QPainterPath path;
            path.moveTo(r.topLeft());
            path.lineTo(r.topRight());
            path.lineTo(r.bottomRight());
            path.lineTo(r.bottomLeft());
            auto *item = new GraphicsPathItem(nullptr, path, nullptr);
            item->setPen(QPen(Qt::black, 10));
            scene.addItem(item);
            items << item;
        }
        QCOMPARE(findSelectedItemBoundingRect(items), expected);
    }
};

SCRIBO_TEST_MAIN(TestGraphicsItems)
#include "test_graphicsitems.moc"
