#pragma once

#include "canvas/doodletool.h"
#include "document/nativeattributes.h"

#include <QGraphicsScene>
#include <QList>
#include <QMap>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

class AttributeOperating;
class AttributeUndo;
class GridTool;
class MainWindow;
class Node;
class SelectItem;
class SelectingTool;
class SVGView;

// The canvas of the design. With the select tool it selects (click,
// Control-click, rubber band), moves the selection and writes the moves back
// into the document; with a drawing tool it creates an element on press,
// reshapes it while the mouse moves and finalises it on release. It tells the
// main window what is selected.
class Scene : public QGraphicsScene
{
    Q_OBJECT
public:
    // What the mouse is doing.
    enum MouseState : int {
        HandleDrag = 0,   // a handle of the selection frame is dragged
        PressedEmpty = 1, // a select press no item took (also after placing text)
        RubberBand = 2,   // rubber-band selection in progress
        ItemPressed = 3,  // an item was pressed; the selection may be moved
        DoubleClick = 4,
    };

    Scene(MainWindow *window, SVGView *view);
    ~Scene() override;

    // Deselects everything, commits typed text and forgets the click order.
    void clearUpSelected();
    // Finishes a line of the line tool that is still open.
    void endLine();
    // Takes the selection frame off the scene (the pointer is kept).
    void removeSelectItem();
    // Commits the text typed into selected text items (one undo step).
    void removeTextInputFlag();
    // Appends the leaf members of a canvas group, depth first.
    void selectGroupMember(QGraphicsItem *group, QList<QGraphicsItem *> &out);
    // Moves the members of a canvas group by the mouse step.
    void moveGroupMember(QGraphicsItem *group, QPointF scenePos, QPointF lastScenePos);
    // The two control points of the smoothed segment p1 -> p2.
    QList<QPointF *> controlPoint(QPointF p0, QPointF p1, QPointF p2, QPointF p3);
    // The shape under construction as path data.
    QString painterPathToD() const;

    // Writing positions back into the document; the operation is owned by the caller.
    AttributeOperating *setItemPos(Node *node);
    void setGroupMemberPos(QGraphicsItem *group, AttributeUndo *command);
    // Changes one attribute of one element and puts its item where the element
    // now says. Returns the change (owned by the caller), or null when nothing changed.
    AttributeOperating *setNodeAttribute(Node *node, const QString &name, const QString &value);

    // Forgets everything that refers to the document's items (before the
    // document is replaced): selection, frame, a drawing in progress.
    void forgetDocument();

    // Runs `clearUpSelected` with the selection reports switched off.
    void clearSelectionQuietly();
    // Gives the selection frame, if there is one, the currently selected items.
    void refreshSelectionFrame();

    // State, for the design view and the façade.
    int getMouseState() const { return mouseState; }
    void setPanning(bool on) { panning = on; }
    bool isPanning() const { return panning; }
    SelectItem *selectionFrame() const { return selectItem; }
    const QList<QGraphicsItem *> &selectedItemList() const { return mSelectedItemList; }
    Node *drawingNode() const { return currentNode; }
    bool isLineInProgress() const { return lineInProgress; }
    QPointF lastMousePosition() const { return lastMousePos; }
    GridTool *gridTool() const { return grid; }

    DefaultParameters defaultParameters;

signals:
    void selectOneNode(QMap<QString, QString> atts, QRectF bound);
    void selectPluralNode(QMap<QString, QString> atts, QRectF bound);
    void selectNoneNode();
    void RequestToChangeToSelect();

public slots:
    void selectNode();
    void rightSelected(QGraphicsItem *item);
    void leftSelected(QGraphicsItem *item);
    void leftCtlSelected(QGraphicsItem *item);
    void resize();

protected:
    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;
    void wheelEvent(QGraphicsSceneWheelEvent *event) override;

private:
    DoodleTool currentTool() const;
    // The scene point in the coordinates of the drawing layer.
    QPointF layerPoint(const QPointF &scenePos) const;
    // Takes a just-drawn element out again (too small to keep).
    void discardCurrentNode();
    void reportSelection(const QList<QGraphicsItem *> &selected);

    void selectPress(QGraphicsSceneMouseEvent *event);
    void selectMove(QGraphicsSceneMouseEvent *event);
    void selectRelease(QGraphicsSceneMouseEvent *event);
    void textPress(const QPointF &p);
    void textRelease();
    void pathPress(const QPointF &p);
    void pathMove(const QPointF &p);
    void pathRelease();
    void linePress(QGraphicsSceneMouseEvent *event, const QPointF &p);
    void lineMove(const QPointF &p);
    void shapePress(const QPointF &p, bool ellipse);
    void shapeMove(const QPointF &p, Qt::KeyboardModifiers modifiers);
    void shapeRelease();

    QList<QGraphicsItem *> mSelectedItemList;
    MainWindow *window;
    SVGView *view;
    Node *currentNode = nullptr;
    bool suppressSelectionReport = false;
    GridTool *grid = nullptr;
    int mouseState = ItemPressed;
    bool panning = false;
    bool moved = false;
    QPainterPath drawPath;
    QPainterPath linePath;
    QPointF lineStart;
    QList<QPointF *> penSamples;
    bool lineInProgress = false;
    bool penDown = false;
    SelectItem *selectItem = nullptr;
    SelectingTool *selectingTool = nullptr;
    QPointF lastMousePos;
    bool selectionGuard = false;
    // Press point of the rectangle and ellipse tools: the fixed corner of the drag.
    QPointF shapeAnchor;
    bool shapeIsEllipse = false;
};
