#include "common/testenvironment.h"
#include "gcode/gcodebuffer.h"
#include "preview/gcodeview.h"

#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QPointer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

GCodeBuffer record(double g, double x = -1, double y = -1, double s = -1, double m = -1,
                   bool absolute = true)
{
    GCodeBuffer r;
    r.g = g;
    r.x = x;
    r.y = y;
    r.s = s;
    r.m = m;
    r.absolute = absolute;
    return r;
}

GCodeBuffer relative(double g, double x, double y, double s = -1)
{
    return record(g, x, y, s, -1, false);
}

QList<GCodeBuffer *> pointersTo(QList<GCodeBuffer> &job)
{
    QList<GCodeBuffer *> pointers;
    for (GCodeBuffer &r : job)
        pointers << &r;
    return pointers;
}

QString number(double v)
{
    return QString::number(v, 'g', 6);
}

// The scene's path items from bottom to top as
// "<grey level or red>:x1,y1>x2,y2;..." joined by " | ".
QString describe(QGraphicsScene *scene)
{
    QList<QGraphicsItem *> items = scene->items(Qt::AscendingOrder);
    QStringList parts;
    for (QGraphicsItem *item : items) {
        auto *pathItem = qgraphicsitem_cast<QGraphicsPathItem *>(item);
        if (!pathItem) {
            parts << "unexpected item";
            continue;
        }
        const QColor colour = pathItem->pen().color();
        QString name;
        if (colour == QColor(Qt::red))
            name = "red";
        else if (colour.red() == colour.green() && colour.green() == colour.blue())
            name = QString::number(colour.red());
        else
            name = colour.name();
        const QPainterPath path = pathItem->path();
        QStringList segments;
        for (int i = 0; i + 1 < path.elementCount(); i += 2) {
            const QPainterPath::Element from = path.elementAt(i);
            const QPainterPath::Element to = path.elementAt(i + 1);
            if (!from.isMoveTo() || !to.isLineTo()) {
                segments << "not a move and line";
                continue;
            }
            segments << number(from.x) + "," + number(from.y) + ">" + number(to.x) + ","
                            + number(to.y);
        }
        if (path.elementCount() % 2)
            segments << "odd element count";
        parts << name + ":" + segments.join(';');
    }
    return parts.join(" | ");
}

void sendWheel(QGraphicsView &view, int deltaY)
{
    const QPointF at = view.viewport()->rect().center();
    QWheelEvent event(at, view.viewport()->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, deltaY),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &event);
}

} // namespace

class TestGcodeView : public QObject
{
    Q_OBJECT

private slots:
    void drawing_data()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::addColumn<QList<GCodeBuffer>>("job");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty job") << QList<GCodeBuffer>() << "";
        QTest::newRow("rapid red, full-power cut and cut without S black")
            << QList<GCodeBuffer>{record(0, 10, 0), record(1, 10, 10, 1000), record(1, 0, 10)}
            << "0:125,0>125,125;125,125>0,125 | red:0,0>125,0";
        QTest::newRow("half power first segment grey 127, later ones black")
            << QList<GCodeBuffer>{record(1, 10, 0, 500), record(1, 10, 10)}
            << "0:125,0>125,125 | 127:0,0>125,0";
        QTest::newRow("low power is light grey")
            << QList<GCodeBuffer>{record(1, 1, 0, 4)} << "253:0,0>12.5,0";
        QTest::newRow("zero power cut is red")
            << QList<GCodeBuffer>{record(1, 5, 0, 0)} << "red:0,0>62.5,0";
        QTest::newRow("negative power cut is red")
            << QList<GCodeBuffer>{record(1, 5, 0, -20)} << "red:0,0>62.5,0";
        QTest::newRow("rapid with power uses the power")
            << QList<GCodeBuffer>{record(0, 5, 0, 1000)} << "0:0,0>62.5,0";
        QTest::newRow("power above full scale stays black")
            << QList<GCodeBuffer>{record(1, 1, 0, 1500), record(1, 2, 0, 2000),
                                  record(1, 3, 0, 5000)}
            << "0:0,0>12.5,0;12.5,0>25,0;25,0>37.5,0";
        QTest::newRow("end marker stops the drawing")
            << QList<GCodeBuffer>{record(1, 1, 0, 1000), record(-3), record(1, 2, 2, 1000),
                                  record(0, 0, 0)}
            << "0:0,0>12.5,0";
        QTest::newRow("M, wordless, G00 and other G records draw nothing and keep the point")
            << QList<GCodeBuffer>{record(-2), record(17), record(-1, 0, 0, -1, 3),
                                  record(1, 9, 9, 1000, 3), record(-1, 7, 7),
                                  record(2, 8, 8, 1000), record(1, 1, 0, 1000)}
            << "0:0,0>12.5,0";
        QTest::newRow("absolute -1 keeps that axis")
            << QList<GCodeBuffer>{record(1, 5, -1, 1000), record(1, -1, 4)}
            << "0:0,0>62.5,0;62.5,0>62.5,50";
        QTest::newRow("the record's own absolute flag is not consulted")
            << QList<GCodeBuffer>{relative(1, 2, 2, 1000), relative(1, 2, 3)}
            << "0:0,0>25,25;25,25>25,37.5";
        QTest::newRow("raster pass between G91 and G90")
            << QList<GCodeBuffer>{record(0, 1, 1),         record(91),
                                  relative(1, 0.8, 0, 500), relative(1, 0.8, 0, 0),
                                  relative(1, 0, 0.08),    relative(1, -1.6, 0, 1000),
                                  record(90),              record(0, 0, 0)}
            << "0:32.5,12.5>32.5,13.5;32.5,13.5>12.5,13.5 | 127:12.5,12.5>22.5,12.5"
               " | red:0,0>12.5,12.5;22.5,12.5>32.5,12.5;12.5,13.5>0,0";
        QTest::newRow("relative -1 mm is a real move")
            << QList<GCodeBuffer>{record(91), relative(1, -1, -1, 1000)}
            << "0:0,0>-12.5,-12.5";
        QTest::newRow("header and footer: only the return to the origin is drawn")
            << QList<GCodeBuffer>{record(-2), record(17), record(-1, -1, -1, -1, 3),
                                  record(0, 4, 4), record(1, 8, 4, 1000), record(-1, -1, -1, -1, 5),
                                  record(0, 0, 0)}
            << "0:50,50>100,50 | red:0,0>50,50;100,50>0,0";
        QTest::newRow("records with unusable numbers are skipped")
            << QList<GCodeBuffer>{record(1, nan, 1, 1000), record(nan, 1, 1),
                                  record(1, 1, 0, nan), record(1, 2, 0, 1000)}
            << "0:0,0>25,0";
    }

    void drawing()
    {
        QFETCH(QList<GCodeBuffer>, job);
        QFETCH(QString, expected);

        GcodeView view(nullptr, 1000);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.gcodeBuffer2Path(pointersTo(job));
        QCOMPARE(describe(view.scene()), expected);
    }

    void pathItemStyle()
    {
        QList<GCodeBuffer> job{record(0, 10, 0), record(1, 10, 10, 500), record(1, 0, 10, 1000)};
        GcodeView view;
        view.gcodeBuffer2Path(pointersTo(job));
        const QList<QGraphicsItem *> items = view.scene()->items(Qt::AscendingOrder);
        QCOMPARE(items.size(), 3);
        for (QGraphicsItem *item : items) {
            auto *pathItem = qgraphicsitem_cast<QGraphicsPathItem *>(item);
            QVERIFY(pathItem);
            QVERIFY(pathItem->pen().isCosmetic());
            QCOMPARE(pathItem->pen().widthF(), 0.0);
            QCOMPARE(pathItem->pen().color().alpha(), 255);
            QCOMPARE(pathItem->brush().color().alpha(), 0);
        }
        // Red travel lies on top of the cuts.
        QCOMPARE(qgraphicsitem_cast<QGraphicsPathItem *>(items.last())->pen().color(),
                 QColor(Qt::red));
    }

    void nullEntriesAreSkipped()
    {
        GCodeBuffer cut = record(1, 1, 0, 1000);
        GcodeView view;
        view.gcodeBuffer2Path({nullptr, &cut, nullptr});
        QCOMPARE(describe(view.scene()), QString("0:0,0>12.5,0"));
    }

    void fullScalePower_data()
    {
        QTest::addColumn<double>("fullScale");
        QTest::addColumn<double>("s");
        QTest::addColumn<int>("defaultBucket");
        QTest::addColumn<int>("bucket");

        QTest::newRow("absent S keeps the G word's choice, cut")
            << 1000.0 << -1.0 << 0 << 0;
        QTest::newRow("absent S keeps the G word's choice, rapid")
            << 1000.0 << -1.0 << int(GcodeView::redBucket) << int(GcodeView::redBucket);
        QTest::newRow("zero power is red") << 1000.0 << 0.0 << 0 << int(GcodeView::redBucket);
        QTest::newRow("full power is black") << 1000.0 << 1000.0 << 0 << 0;
        QTest::newRow("quarter power") << 1000.0 << 250.0 << 0 << 191;
        QTest::newRow("full scale 255") << 255.0 << 100.0 << 0 << 155;
        QTest::newRow("tiny power is nearly white") << 1000.0 << 0.5 << 0 << 254;
        QTest::newRow("twice full scale stays black") << 1000.0 << 2000.0 << 0 << 0;
        QTest::newRow("no usable full scale: any power black") << 0.0 << 10.0 << 0 << 0;
        QTest::newRow("negative full scale: any power black") << -5.0 << 10.0 << 0 << 0;
    }

    void fullScalePower()
    {
        QFETCH(double, fullScale);
        QFETCH(double, s);
        QFETCH(int, defaultBucket);
        QFETCH(int, bucket);
        QCOMPARE(GcodeView::bucketForPower(s, fullScale, defaultBucket), bucket);
    }

    void fullScaleGivenToTheView()
    {
        QList<GCodeBuffer> job{record(1, 1, 0, 100)};
        GcodeView view(nullptr, 255);
        QCOMPARE(view.fullScalePower(), 255.0);
        view.gcodeBuffer2Path(pointersTo(job));
        QCOMPARE(describe(view.scene()), QString("155:0,0>12.5,0"));
    }

    void fitsTheDrawingIntoTheView()
    {
        // 100 mm x 50 mm = 1250 x 625 units into 400 x 300 pixels: width decides.
        QList<GCodeBuffer> job{record(0, 100, 50), record(1, 0, 0, 1000)};
        GcodeView view;
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.gcodeBuffer2Path(pointersTo(job));
        QCOMPARE(view.transform().m11(), 0.32);
        QCOMPARE(view.transform().m22(), 0.32);
        const QRectF drawing(0, 0, 1250, 625);
        QVERIFY(view.viewport()->rect().contains(view.mapFromScene(drawing.center())));

        // A second job replaces the first, and the fit does not build on the zoom.
        sendWheel(view, 120);
        QList<GCodeBuffer> second{record(0, 10, 30), record(1, 0, 0, 1000)};
        view.gcodeBuffer2Path(pointersTo(second));
        QCOMPARE(view.scene()->items().size(), 2);
        // 125 x 375 units: height decides, 300 / 375.
        QCOMPARE(view.transform().m11(), 0.8);
    }

    void fitWithoutDrawingKeepsTheScale()
    {
        QList<GCodeBuffer> job{record(90), record(1, 0, 0, 1000)};
        GcodeView view;
        view.resize(400, 300);
        view.gcodeBuffer2Path({});
        QCOMPARE(view.transform(), QTransform());
        // A single point has no extent to fit.
        view.gcodeBuffer2Path(pointersTo(job));
        QCOMPARE(view.transform(), QTransform());
    }

    void wheelZoom_data()
    {
        QTest::addColumn<int>("delta");
        QTest::addColumn<double>("factor");
        QTest::newRow("wheel forward zooms in") << 120 << 1.3;
        QTest::newRow("wheel back zooms out") << -120 << 0.7692307692307692;
        QTest::newRow("zero delta zooms out") << 0 << 0.7692307692307692;
        QTest::newRow("small forward step is a whole step") << 15 << 1.3;
    }

    void wheelZoom()
    {
        QFETCH(int, delta);
        QFETCH(double, factor);
        GcodeView view;
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.scale(2, 2);
        sendWheel(view, delta);
        QCOMPARE(view.transform().m11(), 2 * factor);
        QCOMPARE(view.transform().m22(), 2 * factor);
    }

    void sceneBelongsToTheView()
    {
        auto *view = new GcodeView;
        QPointer<QGraphicsScene> scene = view->scene();
        QVERIFY(scene);
        QCOMPARE(scene->sceneRect(), QRectF(-10000, -10000, 20000, 20000));
        QCOMPARE(view->dragMode(), QGraphicsView::ScrollHandDrag);
        delete view;
        QVERIFY(scene.isNull());
    }
};

SCRIBO_TEST_MAIN(TestGcodeView)
#include "test_gcodeview.moc"
