#pragma once

#include <QGraphicsView>

class QAction;
class QMenu;
class QMouseEvent;
class QResizeEvent;
class QWheelEvent;
class QtCornerBox;
class QtRuleBar;
class SVGView;

// The view of the design in the middle of the main window: millimetre rulers
// along the top and left edges, wheel zoom, and panning with the right mouse
// button while the select tool is active.
class DesignView : public QGraphicsView
{
    Q_OBJECT

public:
    static constexpr double zoomStep = 1.3;
    // Scene units (0.08 mm) of margin kept around the work area by fitWorkArea.
    static constexpr double fitMargin = 100;

    explicit DesignView(QWidget *parent = nullptr);

    // One-time set-up once the scene has been set.
    void initDesignView(SVGView *view);
    // Recomputes both ruler ranges from the scroll position and zoom.
    void updateRuler();

    // Scales the view so that a work area of the given size (scene units) plus
    // a margin fits into the view's widget.
    void fitWorkArea(double sceneWidth, double sceneHeight);

    // Scrolling is honoured only while allowed: wheel zooms allow it for good,
    // pans and the fit allow it while they run.
    bool isScrollAllowed() const { return scrollAllowed; }
    void setScrollAllowed(bool allowed) { scrollAllowed = allowed; }

    // The menu the canvas items open; its only action is "Delete".
    QMenu *itemContextMenu() const { return contextMenu; }
    QAction *itemDeleteAction() const { return deleteAction; }

    QtRuleBar *horizontalRuleBar() const { return horizontalRuler; }
    QtRuleBar *verticalRuleBar() const { return verticalRuler; }
    QtCornerBox *cornerRuleBox() const { return cornerBox; }

signals:
    // The context menu's "Delete" was chosen.
    void deleteRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

    void middleMouseButtonPress(QMouseEvent *event);
    void middleMouseButtonRelease(QMouseEvent *event);

    // Where the view consults the document and its canvas.
    // True while the select tool is the current drawing tool.
    virtual bool isSelectToolActive() const;
    // True when the press just delivered to the scene was taken by an item.
    virtual bool pressLandedOnItem(QMouseEvent *event) const;
    // Tells the scene that a pan starts (it clears the flag on release).
    virtual void markScenePanning();

private:
    // Offset of the rulers' first pixel from the viewport's origin.
    QPoint rulerOrigin() const;

    SVGView *view = nullptr;
    QAction *deleteAction = nullptr;
    QMenu *contextMenu = nullptr;
    QtRuleBar *horizontalRuler = nullptr;
    QtRuleBar *verticalRuler = nullptr;
    QtCornerBox *cornerBox = nullptr;
    bool scrollAllowed = false;
    bool revertingScroll = false;
};
