#include "canvasfixture.h"

#include "canvas/graphicspathitem.h"
#include "canvas/selectitem.h"
#include "canvas/undo.h"
#include "common/testenvironment.h"
#include "document/svgvalues.h"

#include <QSignalSpy>

namespace {

// Three filled shapes in a row, a filled path and a line below them.
const char ThreeShapes[] =
    "<rect id='a' x='100' y='100' width='100' height='100' fill='#ff0000'/>"
    "<rect id='b' x='400' y='100' width='100' height='100' fill='#00ff00'/>"
    "<ellipse id='c' cx='750' cy='150' rx='50' ry='50' fill='#0000ff'/>"
    "<path id='d' d='M 100 400 L 300 400 L 300 600 Z' fill='#000000'/>"
    "<line id='e' x1='500' y1='400' x2='700' y2='600' stroke='#000000' stroke-width='20'/>";

QStringList selectedIds(Scene *scene)
{
    QStringList ids;
    const QList<QGraphicsItem *> items = scene->selectedItems();
    for (QGraphicsItem *item : items) {
        if (Node *node = itemNode(item))
            ids.append(node->domElem().attribute(QStringLiteral("id")));
    }
    ids.sort();
    return ids;
}

QPointF pathEnd(const QString &d)
{
    const QPainterPath path = getPathTraitFromString(d);
    return path.elementCount() ? path.currentPosition() : QPointF(-1, -1);
}

} // namespace

class TestScene : public QObject
{
    Q_OBJECT

private slots:
    void clickSelectsOneAndReportsIt()
    {
        CanvasFixture canvas(QString::fromLatin1(ThreeShapes));
        QSignalSpy one(canvas.scene(), &Scene::selectOneNode);
        canvas.click(QPointF(150, 150));
        QCOMPARE(selectedIds(canvas.scene()), QStringList{"a"});
        QVERIFY(one.count() >= 1);
        QCOMPARE(one.last().at(1).toRectF(), canvas.item("a")->sceneBoundingRect());
        QVERIFY(canvas.scene()->selectionFrame());
        QCOMPARE(canvas.scene()->selectionFrame()->scene(), canvas.scene());

        // A click on another item replaces the selection.
        canvas.click(QPointF(450, 150));
        QCOMPARE(selectedIds(canvas.scene()), QStringList{"b"});

        // A click on empty canvas clears it, takes the frame away and says so.
        QSignalSpy none(canvas.scene(), &Scene::selectNoneNode);
        canvas.click(QPointF(300, 300));
        QVERIFY(canvas.scene()->selectedItems().isEmpty());
        QCOMPARE(none.count(), 1);
        QVERIFY(!canvas.scene()->selectionFrame() || !canvas.scene()->selectionFrame()->scene());
    }

    void controlClickAddsToTheSelection()
    {
        CanvasFixture canvas(QString::fromLatin1(ThreeShapes));
        QSignalSpy plural(canvas.scene(), &Scene::selectPluralNode);
        canvas.click(QPointF(150, 150));
        canvas.click(QPointF(450, 150), Qt::ControlModifier);
        canvas.click(QPointF(750, 150), Qt::ControlModifier);
        QCOMPARE(selectedIds(canvas.scene()), (QStringList{"a", "b", "c"}));
        QCOMPARE(canvas.scene()->selectedItemList().size(), 3);
        QVERIFY(plural.count() >= 2);
        const QRectF all = canvas.item("a")->sceneBoundingRect() | canvas.item("b")->sceneBoundingRect()
            | canvas.item("c")->sceneBoundingRect();
        QCOMPARE(plural.last().at(1).toRectF(), all);
        // Control-clicking a selected item again keeps it selected.
        canvas.click(QPointF(450, 150), Qt::ControlModifier);
        QCOMPARE(selectedIds(canvas.scene()), (QStringList{"a", "b", "c"}));
        // Control with Shift is a plain click.
        canvas.click(QPointF(150, 150), Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(selectedIds(canvas.scene()), (QStringList{"a", "b", "c"}));
    }

    void rubberBand_data()
    {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QStringList>("expected");
        // Downwards: only what lies wholly inside.
        QTest::newRow("down, around a and b") << QPointF(50, 50) << QPointF(550, 250) << QStringList{"a", "b"};
        QTest::newRow("down, through a and b") << QPointF(150, 80) << QPointF(450, 250) << QStringList{};
        QTest::newRow("down, right to left") << QPointF(550, 50) << QPointF(350, 250) << QStringList{"b"};
        // Upwards: everything touched.
        QTest::newRow("up, through a and b") << QPointF(450, 250) << QPointF(150, 150) << QStringList{"a", "b"};
        QTest::newRow("up, through the line") << QPointF(560, 520) << QPointF(640, 480) << QStringList{"e"};
        QTest::newRow("up, nothing") << QPointF(300, 350) << QPointF(250, 250) << QStringList{};
    }

    void rubberBand()
    {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(QStringList, expected);
        CanvasFixture canvas(QString::fromLatin1(ThreeShapes));
        canvas.drag(from, to);
        QCOMPARE(selectedIds(canvas.scene()), expected);
        QCOMPARE(canvas.scene()->selectedItemList().size(), expected.size());
        // The band itself is gone.
        const QList<QGraphicsItem *> items = canvas.scene()->items();
        for (QGraphicsItem *item : items)
            QVERIFY(item->zValue() < 1e9);
    }

    void dragWritesEveryMovedItemBack()
    {
        CanvasFixture canvas(QString::fromLatin1(ThreeShapes));
        canvas.click(QPointF(150, 150));
        canvas.click(QPointF(750, 150), Qt::ControlModifier);
        canvas.click(QPointF(280, 450), Qt::ControlModifier);
        canvas.click(QPointF(600, 500), Qt::ControlModifier);
        QCOMPARE(selectedIds(canvas.scene()), (QStringList{"a", "c", "d", "e"}));
        const int before = canvas.view()->commands()->count();

        QSignalSpy one(canvas.scene(), &Scene::selectOneNode);
        canvas.drag(QPointF(150, 150), QPointF(180, 190));

        QCOMPARE(canvas.attribute("a", "x"), QString("130.000000"));
        QCOMPARE(canvas.attribute("a", "y"), QString("140.000000"));
        QCOMPARE(canvas.attribute("a", "transform"),
                 QString("matrix(1.000000,0.000000,0.000000,1.000000,0.000000,0.000000)"));
        QCOMPARE(canvas.attribute("c", "cx"), QString("780.000000"));
        QCOMPARE(canvas.attribute("c", "cy"), QString("190.000000"));
        QCOMPARE(canvas.attribute("d", "transform"), QString("translate(30.000000,40.000000)"));
        QCOMPARE(canvas.attribute("e", "transform"), QString("translate(30.000000,40.000000)"));
        // The items still show where the elements now say.
        QCOMPARE(canvas.item("a")->sceneBoundingRect().topLeft(), QPointF(130, 140) - QPointF(0.5, 0.5));
        QCOMPARE(canvas.item("d")->pos(), QPointF(0, 0));
        QCOMPARE(canvas.item("d")->sceneTransform().map(QPointF(100, 400)), QPointF(130, 440));
        QCOMPARE(canvas.view()->commands()->count(), before + 1);
        QCOMPARE(one.count(), 1);
        // The frame went along.
        QCOMPARE(one.last().at(1).toRectF(), canvas.scene()->selectionFrame()->sceneBoundingRect());

        // One undo step puts all four back.
        canvas.view()->undo();
        QCOMPARE(canvas.attribute("a", "x"), QString("100"));
        QVERIFY(!canvas.node("a")->domElem().hasAttribute("transform"));
        QCOMPARE(canvas.attribute("c", "cx"), QString("750"));
        QCOMPARE(canvas.attribute("d", "transform"), QString("translate(0,0)"));
        QCOMPARE(canvas.item("a")->pos(), QPointF(100, 100));
        QCOMPARE(canvas.item("c")->sceneBoundingRect(), QRectF(700, 100, 100, 100));
        QCOMPARE(canvas.item("e")->sceneTransform().map(QPointF(500, 400)), QPointF(500, 400));
        canvas.view()->redo();
        QCOMPARE(canvas.attribute("a", "x"), QString("130.000000"));
        QCOMPARE(canvas.item("c")->sceneBoundingRect(), QRectF(730, 140, 100, 100));
    }

    void pressWithoutMovingRecordsNothing()
    {
        CanvasFixture canvas(QString::fromLatin1(ThreeShapes));
        canvas.click(QPointF(150, 150));
        canvas.click(QPointF(150, 150));
        QCOMPARE(canvas.view()->commands()->count(), 0);
        QVERIFY(!canvas.view()->isModified());
    }

    void shapeTools_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<bool>("control");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QStringList>("values"); // x y width height, or cx cy rx ry
        const QStringList rectValues{"100.000000", "100.000000", "200.000000", "150.000000"};
        QTest::newRow("rect down right") << int(DoodleTool::Rectangle) << QPointF(100, 100) << QPointF(300, 250)
                                         << false << "rect" << rectValues;
        QTest::newRow("rect up left") << int(DoodleTool::Rectangle) << QPointF(300, 250) << QPointF(100, 100)
                                      << false << "rect" << rectValues;
        QTest::newRow("rect of no width") << int(DoodleTool::Rectangle) << QPointF(100, 100) << QPointF(100, 300)
                                          << false << "" << QStringList{};
        QTest::newRow("ellipse") << int(DoodleTool::Ellipse) << QPointF(100, 100) << QPointF(300, 200) << false
                                 << "ellipse"
                                 << QStringList{"200.000000", "150.000000", "100.000000", "50.000000"};
        QTest::newRow("circle down right") << int(DoodleTool::Ellipse) << QPointF(100, 100) << QPointF(300, 200)
                                           << true << "ellipse"
                                           << QStringList{"150.000000", "150.000000", "50.000000", "50.000000"};
        QTest::newRow("circle up left") << int(DoodleTool::Ellipse) << QPointF(100, 100) << QPointF(0, -100)
                                        << true << "ellipse"
                                        << QStringList{"50.000000", "50.000000", "50.000000", "50.000000"};
        QTest::newRow("ellipse of no height") << int(DoodleTool::Ellipse) << QPointF(100, 100)
                                              << QPointF(300, 100) << false << "" << QStringList{};
    }

    void shapeTools()
    {
        QFETCH(int, tool);
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(bool, control);
        QFETCH(QString, tag);
        QFETCH(QStringList, values);
        CanvasFixture canvas{QString()};
        canvas.view()->setDoodleTool(DoodleTool(tool));
        const Qt::KeyboardModifiers modifiers = control ? Qt::ControlModifier : Qt::NoModifier;
        canvas.drag(from, to, modifiers);

        const QList<QDomElement> elements = canvas.layerElements();
        if (tag.isEmpty()) {
            QVERIFY(elements.isEmpty());
            // Nothing left behind: no element, no item, no undo step.
            QCOMPARE(canvas.view()->commands()->count(), 0);
            QVERIFY(!canvas.view()->isModified());
            return;
        }
        QCOMPARE(elements.size(), 1);
        const QDomElement e = elements.first();
        QCOMPARE(e.tagName(), tag);
        const QStringList names = tag == "rect" ? QStringList{"x", "y", "width", "height"}
                                                : QStringList{"cx", "cy", "rx", "ry"};
        QStringList actual;
        for (const QString &name : names)
            actual.append(e.attribute(name));
        QCOMPARE(actual, values);
        QCOMPARE(e.attribute("style"), QString("fill:none;stroke:#000000;stroke-width:0.264583"));
        QVERIFY(canvas.view()->isModified());
        // The item shows what the element says.
        QGraphicsItem *item = canvas.scene()->drawingNode() ? nullptr : canvas.layerItemFor(e);
        QVERIFY(item);
        const double x = tag == "rect" ? values[0].toDouble() : values[0].toDouble() - values[2].toDouble();
        const double y = tag == "rect" ? values[1].toDouble() : values[1].toDouble() - values[3].toDouble();
        QCOMPARE(item->pos(), QPointF(x, y));

        // Undo takes the element away, redo brings the same one back.
        canvas.view()->undo();
        QVERIFY(canvas.layerElements().isEmpty());
        QVERIFY(!item->scene());
        canvas.view()->redo();
        QCOMPARE(canvas.layerElements().size(), 1);
        QCOMPARE(item->scene(), canvas.scene());
    }

    void freeHand_data()
    {
        QTest::addColumn<int>("samples"); // buffered samples: the press point twice, then one per move
        QTest::addColumn<bool>("kept");
        QTest::newRow("15 samples: no segment") << 15 << false;
        QTest::newRow("16 samples: one segment") << 16 << true;
        QTest::newRow("press only") << 2 << false;
    }

    void freeHand()
    {
        QFETCH(int, samples);
        QFETCH(bool, kept);
        CanvasFixture canvas{QString()};
        canvas.view()->setDoodleTool(DoodleTool::Path);
        QList<QPointF> points{QPointF(100, 100), QPointF(100, 100)};
        canvas.press(points.first());
        for (int i = 1; points.size() < samples; ++i) {
            const QPointF p(100 + 20 * i, 100 + (i % 2) * 10);
            points.append(p);
            canvas.move(p);
        }
        // A move onto the same point adds no sample.
        canvas.move(points.last());
        canvas.release(points.last());

        const QList<QDomElement> elements = canvas.layerElements();
        if (!kept) {
            QVERIFY(elements.isEmpty());
            QCOMPARE(canvas.view()->commands()->count(), 0);
            return;
        }
        QCOMPARE(elements.size(), 1);
        const QString d = elements.first().attribute("d");
        const QPainterPath path = getPathTraitFromString(d);
        QCOMPARE(path.elementCount(), 4); // move-to and one cubic (end point and two controls)
        QCOMPARE(path.elementAt(0).type, QPainterPath::MoveToElement);
        QCOMPARE(QPointF(path.elementAt(0)), points.at(0));
        QCOMPARE(pathEnd(d), points.at(8));
        QCOMPARE(elements.first().attribute("style"),
                 QString("fill:none;stroke:#000000;stroke-width:0.264583px;stroke-linecap:butt;"
                         "stroke-linejoin:miter;stroke-opacity:1"));
    }

    void controlPointsFollowTheSamples()
    {
        CanvasFixture canvas{QString()};
        // Evenly spaced samples on a line: the control points lie on it too.
        const QList<QPointF *> c = canvas.scene()->controlPoint(QPointF(0, 0), QPointF(10, 0), QPointF(20, 0),
                                                                QPointF(30, 0));
        QCOMPARE(c.size(), 2);
        QCOMPARE(*c.at(0), QPointF(11.5, 0));
        QCOMPARE(*c.at(1), QPointF(18.5, 0));
        qDeleteAll(c);
        // Coinciding samples give finite points.
        const QList<QPointF *> same = canvas.scene()->controlPoint(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5),
                                                                   QPointF(5, 5));
        QCOMPARE(*same.at(0), QPointF(5, 5));
        qDeleteAll(same);
    }

    void lineTool_data()
    {
        QTest::addColumn<QList<QPointF>>("vertices");
        QTest::addColumn<QString>("expected"); // path end points, empty: nothing kept
        QTest::newRow("three vertices")
            << QList<QPointF>{QPointF(100, 100), QPointF(300, 100), QPointF(300, 300)} << "100,100 300,100 300,300";
        QTest::newRow("one vertex") << QList<QPointF>{QPointF(100, 100)} << "";
    }

    void lineTool()
    {
        QFETCH(QList<QPointF>, vertices);
        QFETCH(QString, expected);
        CanvasFixture canvas{QString()};
        canvas.view()->setDoodleTool(DoodleTool::Line);
        for (const QPointF &v : qAsConst(vertices)) {
            canvas.move(v, Qt::NoButton);
            canvas.click(v);
        }
        QVERIFY(canvas.scene()->isLineInProgress());
        canvas.move(QPointF(500, 500), Qt::NoButton); // the rubber segment is not kept
        canvas.press(QPointF(500, 500), Qt::RightButton);
        canvas.release(QPointF(500, 500), Qt::RightButton);
        QVERIFY(!canvas.scene()->isLineInProgress());

        const QList<QDomElement> elements = canvas.layerElements();
        if (expected.isEmpty()) {
            QVERIFY(elements.isEmpty());
            return;
        }
        QCOMPARE(elements.size(), 1);
        const QPainterPath path = getPathTraitFromString(elements.first().attribute("d"));
        QStringList points;
        for (int i = 0; i < path.elementCount(); ++i)
            points.append(QStringLiteral("%1,%2").arg(path.elementAt(i).x).arg(path.elementAt(i).y));
        QCOMPARE(points.join(' '), expected);
    }

    void choosingAnotherToolFinishesTheLine()
    {
        CanvasFixture canvas{QString()};
        canvas.view()->setDoodleTool(DoodleTool::Line);
        canvas.click(QPointF(100, 100));
        canvas.click(QPointF(200, 100));
        canvas.scene()->endLine(); // what every tool button but the line button does
        canvas.view()->setDoodleTool(DoodleTool::Select);
        QVERIFY(!canvas.scene()->isLineInProgress());
        QCOMPARE(canvas.layerElements().size(), 1);
    }

    void drawingToolClearsTheSelectionQuietly()
    {
        CanvasFixture canvas(QString::fromLatin1(ThreeShapes));
        canvas.click(QPointF(150, 150));
        QSignalSpy none(canvas.scene(), &Scene::selectNoneNode);
        canvas.view()->setDoodleTool(DoodleTool::Rectangle);
        QVERIFY(canvas.scene()->selectedItems().isEmpty());
        QCOMPARE(none.count(), 0);
        // A double click with a drawing tool does nothing.
        canvas.send(QEvent::MouseButtonDblClick, QPointF(450, 150), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(canvas.scene()->getMouseState(), int(Scene::ItemPressed));
    }

    void rightDragPansOnlyWithTheSelectTool()
    {
        CanvasFixture canvas(QString::fromLatin1(ThreeShapes));
        DesignView *designView = canvas.window->designView();
        const QPoint before = designView->mapFromScene(QPointF(0, 0));
        canvas.press(QPointF(300, 300), Qt::RightButton);
        canvas.send(QEvent::MouseMove, QPointF(250, 250), Qt::NoButton, Qt::RightButton);
        canvas.send(QEvent::MouseButtonRelease, QPointF(250, 250), Qt::RightButton, Qt::NoButton);
        QVERIFY(designView->mapFromScene(QPointF(0, 0)) != before);
        QVERIFY(!canvas.scene()->isPanning());
    }
};

SCRIBO_TEST_MAIN(TestScene)
#include "test_scene.moc"
