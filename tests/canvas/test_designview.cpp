#include "canvas/designview.h"
#include "canvas/qtcornerbox.h"
#include "canvas/qtrulebar.h"
#include "common/testenvironment.h"

#include <QAction>
#include <QCursor>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>

#include <cmath>
#include <memory>

namespace {

constexpr double mmPerUnit = 0.08;

// The view with the document's answers under the test's control.
class ControlledDesignView : public DesignView
{
public:
    bool selectTool = true;
    int panningMarks = 0;

protected:
    bool isSelectToolActive() const override { return selectTool; }
    void markScenePanning() override { ++panningMarks; }
};

// A 100 mm x 100 mm work area with one item in it, shown in an 800 x 600 view.
struct Fixture
{
    QGraphicsScene scene;
    ControlledDesignView view;
    QGraphicsRectItem *item = nullptr;

    Fixture()
    {
        scene.setSceneRect(0, 0, 1250, 1250);
        item = scene.addRect(250, 250, 250, 125, QPen(Qt::blue), QBrush(Qt::cyan));
        view.setScene(&scene);
        view.initDesignView(nullptr);
        view.resize(800, 600);
        view.show();
    }

    bool exposed() { return QTest::qWaitForWindowExposed(&view); }

    QPointF sceneAt(const QPoint &viewportPos) const { return view.mapToScene(viewportPos); }
    QPoint viewportAt(const QPointF &scenePos) const { return view.mapFromScene(scenePos); }
};

void sendMouse(QWidget *viewport, QEvent::Type type, const QPoint &pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    const QPointF global = viewport->mapToGlobal(pos);
    QMouseEvent event(type, pos, viewport->window()->mapFromGlobal(global.toPoint()), global,
                      button, buttons, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

void sendWheel(QWidget *viewport, const QPoint &pos, int deltaY)
{
    QWheelEvent event(pos, viewport->mapToGlobal(pos), QPoint(), QPoint(0, deltaY), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &event);
}

// The ruler's millimetre value at one of its pixels.
double rulerValueAt(const QtRuleBar *ruler, double pixel)
{
    const double length = ruler->rulerOrientation() == Qt::Horizontal ? ruler->width()
                                                                       : ruler->height();
    return (ruler->lowerBound() + pixel * (ruler->upperBound() - ruler->lowerBound()) / length)
           * mmPerUnit;
}

} // namespace

class TestDesignView : public QObject
{
    Q_OBJECT

private slots:
    void layout()
    {
        Fixture f;
        QVERIFY(f.exposed());
        QCOMPARE(f.view.horizontalRuleBar()->geometry(), QRect(16, 0, 783, 16));
        QCOMPARE(f.view.verticalRuleBar()->geometry(), QRect(0, 16, 16, 583));
        QCOMPARE(f.view.cornerRuleBox()->geometry(), QRect(0, 0, 16, 16));
        QCOMPARE(f.view.viewport()->geometry(), QRect(15, 15, 785, 585));

        f.view.resize(500, 400);
        QTRY_COMPARE(f.view.horizontalRuleBar()->geometry(), QRect(16, 0, 483, 16));
        QCOMPARE(f.view.verticalRuleBar()->geometry(), QRect(0, 16, 16, 383));
    }

    void contextMenu()
    {
        Fixture f;
        QMenu *menu = f.view.itemContextMenu();
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions().first(), f.view.itemDeleteAction());
        QCOMPARE(f.view.itemDeleteAction()->text(), QString("Delete"));
        QSignalSpy spy(&f.view, &DesignView::deleteRequested);
        f.view.itemDeleteAction()->trigger();
        QCOMPARE(spy.count(), 1);
    }

    void wheelZoom_data()
    {
        QTest::addColumn<int>("delta");
        QTest::addColumn<double>("factor");
        QTest::newRow("forward zooms in") << 120 << 1.3;
        QTest::newRow("back zooms out") << -120 << 0.7692307692307692;
        QTest::newRow("zero delta zooms out") << 0 << 0.7692307692307692;
    }

    void wheelZoom()
    {
        QFETCH(int, delta);
        QFETCH(double, factor);
        Fixture f;
        QVERIFY(f.exposed());
        QVERIFY(!f.view.isScrollAllowed());
        sendWheel(f.view.viewport(), QPoint(200, 200), delta);
        QCOMPARE(f.view.transform().m11(), factor);
        QCOMPARE(f.view.transform().m22(), factor);
        // A zoom allows scrolling from then on.
        QVERIFY(f.view.isScrollAllowed());
        sendWheel(f.view.viewport(), QPoint(200, 200), delta);
        QCOMPARE(f.view.transform().m11(), factor * factor);
        QVERIFY(f.view.isScrollAllowed());
    }

    void wheelZoomKeepsThePointUnderTheMouse_data()
    {
        QTest::addColumn<QPoint>("mouse");
        QTest::addColumn<int>("delta");
        QTest::newRow("zoom in near the top left") << QPoint(120, 90) << 120;
        QTest::newRow("zoom out near the bottom right") << QPoint(700, 500) << -120;
    }

    void wheelZoomKeepsThePointUnderTheMouse()
    {
        QFETCH(QPoint, mouse);
        QFETCH(int, delta);
        Fixture f;
        QVERIFY(f.exposed());
        QWidget *viewport = f.view.viewport();
        QCursor::setPos(viewport->mapToGlobal(mouse));
        QTRY_VERIFY(f.view.underMouse());
        sendMouse(viewport, QEvent::MouseMove, mouse, Qt::NoButton, Qt::NoButton);

        const QPointF before = f.sceneAt(mouse);
        sendWheel(viewport, mouse, delta);
        sendWheel(viewport, mouse, delta);
        const QPointF after = f.sceneAt(mouse);
        // Qt keeps scroll positions in whole pixels: each step may drift by about one.
        const double pixel = 3.0 / f.view.transform().m11();
        QVERIFY2(std::abs(after.x() - before.x()) <= pixel && std::abs(after.y() - before.y()) <= pixel,
                 qPrintable(QString("before %1,%2 after %3,%4")
                                .arg(before.x()).arg(before.y()).arg(after.x()).arg(after.y())));
    }

    void fitWorkArea_data()
    {
        QTest::addColumn<QSize>("viewSize");
        QTest::addColumn<QSizeF>("workArea");
        QTest::addColumn<double>("scale");
        QTest::newRow("height decides") << QSize(800, 600) << QSizeF(1250, 1000) << 600.0 / 1100;
        QTest::newRow("width decides") << QSize(800, 600) << QSizeF(3900, 1000) << 800.0 / 4000;
        QTest::newRow("small area is enlarged") << QSize(800, 600) << QSizeF(100, 100) << 3.0;
    }

    void fitWorkArea()
    {
        QFETCH(QSize, viewSize);
        QFETCH(QSizeF, workArea);
        QFETCH(double, scale);
        Fixture f;
        f.view.resize(viewSize);
        QVERIFY(f.exposed());
        f.view.fitWorkArea(workArea.width(), workArea.height());
        QCOMPARE(f.view.transform().m11(), scale);
        QCOMPARE(f.view.transform().m22(), scale);
        QVERIFY(!f.view.isScrollAllowed());
    }

    void fitWithoutSizeKeepsTheScale()
    {
        QGraphicsScene scene;
        DesignView view;
        view.setScene(&scene);
        view.initDesignView(nullptr);
        view.resize(0, 0);
        view.fitWorkArea(1250, 1250);
        QCOMPARE(view.transform(), QTransform());
        view.resize(400, 400);
        view.fitWorkArea(-100, -100);
        QCOMPARE(view.transform(), QTransform());
    }

    void scrollingIsIgnoredUntilAllowed()
    {
        Fixture f;
        QVERIFY(f.exposed());
        const QPoint probe(300, 300);
        const QPointF before = f.sceneAt(probe);
        QScrollBar *bar = f.view.horizontalScrollBar();
        bar->setValue(bar->value() + 200);
        QCOMPARE(f.sceneAt(probe), before);

        f.view.setScrollAllowed(true);
        bar->setValue(bar->value() + 100);
        QVERIFY(f.sceneAt(probe).x() > before.x() + 50);
    }

    // Each ruler pixel reads the millimetres of the canvas pixel beside it.
    void rulersFollowTheCanvas_data()
    {
        QTest::addColumn<int>("wheelSteps");
        QTest::addColumn<int>("scrollX");
        QTest::addColumn<int>("scrollY");
        QTest::newRow("unzoomed") << 0 << 0 << 0;
        QTest::newRow("zoomed in and scrolled") << 3 << 150 << -80;
        QTest::newRow("zoomed out and scrolled") << -4 << -300 << 200;
    }

    void rulersFollowTheCanvas()
    {
        QFETCH(int, wheelSteps);
        QFETCH(int, scrollX);
        QFETCH(int, scrollY);
        Fixture f;
        QVERIFY(f.exposed());
        for (int i = 0; i < std::abs(wheelSteps); ++i)
            sendWheel(f.view.viewport(), QPoint(300, 200), wheelSteps > 0 ? 120 : -120);
        f.view.setScrollAllowed(true);
        f.view.horizontalScrollBar()->setValue(f.view.horizontalScrollBar()->value() + scrollX);
        f.view.verticalScrollBar()->setValue(f.view.verticalScrollBar()->value() + scrollY);

        const QtRuleBar *top = f.view.horizontalRuleBar();
        const QtRuleBar *left = f.view.verticalRuleBar();
        // Ruler pixel p lies beside viewport pixel p + 1 (the rulers start one pixel in).
        for (int p : {0, 100, 400, 700}) {
            const double sceneX = f.sceneAt(QPoint(p + 1, 100)).x();
            QVERIFY2(std::abs(rulerValueAt(top, p) - sceneX * mmPerUnit) < 1e-6,
                     qPrintable(QString("pixel %1").arg(p)));
        }
        for (int p : {0, 100, 500}) {
            const double sceneY = f.sceneAt(QPoint(100, p + 1)).y();
            QVERIFY2(std::abs(-rulerValueAt(left, p) - sceneY * mmPerUnit) < 1e-6,
                     qPrintable(QString("pixel %1").arg(p)));
        }
    }

    void rulerLabelsSitOnTheirMillimetres()
    {
        Fixture f;
        QVERIFY(f.exposed());
        sendWheel(f.view.viewport(), QPoint(100, 100), 120);
        // Labelled ticks of both rulers against the canvas positions they name.
        int checked = 0;
        for (const QtRuleBar *ruler : {f.view.horizontalRuleBar(), f.view.verticalRuleBar()}) {
            const bool horizontal = ruler->rulerOrientation() == Qt::Horizontal;
            const RulerGraduation graduation = ruler->graduation();
            QVERIFY(!graduation.levels.isEmpty());
            for (const RulerLevel::Tick &tick : graduation.levels.last().ticks) {
                if (tick.label.isEmpty() || tick.position < 0 || tick.position > 500)
                    continue;
                const double mm = tick.label.toDouble();
                const QPoint canvas = f.viewportAt(horizontal ? QPointF(mm / mmPerUnit, 0)
                                                              : QPointF(0, mm / mmPerUnit));
                const int canvasOnRuler = (horizontal ? canvas.x() : canvas.y()) - 1;
                QVERIFY2(std::abs(canvasOnRuler - tick.position) <= 1,
                         qPrintable(tick.label + " at " + QString::number(tick.position)
                                    + " canvas " + QString::number(canvasOnRuler)));
                ++checked;
            }
        }
        QVERIFY(checked >= 4);
    }

    void cursorTracking()
    {
        Fixture f;
        QVERIFY(f.exposed());
        sendMouse(f.view.viewport(), QEvent::MouseMove, QPoint(100, 50), Qt::NoButton,
                  Qt::NoButton);
        QCOMPARE(f.view.horizontalRuleBar()->cursorPosition(), QPoint(99, 49));
        QCOMPARE(f.view.verticalRuleBar()->cursorPosition(), QPoint(99, 49));
    }

    void rightDragPans_data()
    {
        QTest::addColumn<bool>("selectTool");
        QTest::addColumn<bool>("onItem");
        QTest::addColumn<int>("buttonValue");
        QTest::addColumn<bool>("pans");
        QTest::newRow("select tool, empty canvas, right button") << true << false << int(Qt::RightButton) << true;
        QTest::newRow("drawing tool does not pan") << false << false << int(Qt::RightButton) << false;
        QTest::newRow("press on an item does not pan") << true << true << int(Qt::RightButton) << false;
        QTest::newRow("left button does not pan") << true << false << int(Qt::LeftButton) << false;
    }

    void rightDragPans()
    {
        QFETCH(bool, selectTool);
        QFETCH(bool, onItem);
        QFETCH(int, buttonValue);
        const auto button = Qt::MouseButton(buttonValue);
        QFETCH(bool, pans);
        Fixture f;
        QVERIFY(f.exposed());
        f.view.selectTool = selectTool;
        QWidget *viewport = f.view.viewport();

        const QPoint start = onItem ? f.viewportAt(f.item->rect().center())
                                    : f.viewportAt(QPointF(1000, 1000));
        QCOMPARE(f.view.itemAt(start) != nullptr, onItem);
        const QPoint end = start + QPoint(-60, -35);
        const QPointF grabbed = f.sceneAt(start);
        const QPointF itemPos = f.item->pos();

        sendMouse(viewport, QEvent::MouseButtonPress, start, button, button);
        QCOMPARE(f.view.panningMarks, pans ? 1 : 0);
        QCOMPARE(f.view.dragMode(), pans ? QGraphicsView::ScrollHandDrag : QGraphicsView::NoDrag);
        sendMouse(viewport, QEvent::MouseMove, start + QPoint(-30, -15), Qt::NoButton, button);
        sendMouse(viewport, QEvent::MouseMove, end, Qt::NoButton, button);
        sendMouse(viewport, QEvent::MouseButtonRelease, end, button, Qt::NoButton);

        if (pans)
            QCOMPARE(f.sceneAt(end), grabbed);
        else
            QCOMPARE(f.sceneAt(start), grabbed);
        QCOMPARE(f.item->pos(), itemPos);
        QCOMPARE(f.view.dragMode(), QGraphicsView::NoDrag);
        QVERIFY(!f.view.isScrollAllowed());
    }

    void noSceneNoRulerRange()
    {
        DesignView view;
        view.initDesignView(nullptr);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.updateRuler();
        QCOMPARE(view.horizontalRuleBar()->lowerBound(), 0.0);
        QCOMPARE(view.horizontalRuleBar()->upperBound(), 0.0);
        sendWheel(view.viewport(), QPoint(50, 50), 120);
        QCOMPARE(view.transform().m11(), 1.3);
    }
};

SCRIBO_TEST_MAIN(TestDesignView)
#include "test_designview.moc"
