#pragma once

#include "canvas/itemtypes.h"

#include <QGraphicsRectItem>
#include <QObject>

class SVGView;

// Shows a "rect" element, and stands invisibly for every "g" element (the
// layer placeholder) so that the items of the group hang under it.
class GraphicsRectItem : public QObject, public QGraphicsRectItem
{
    Q_OBJECT
public:
    enum { Type = ItemType::Rect };

    GraphicsRectItem(SVGView *view, QGraphicsItem *parent, qreal x, qreal y, qreal width,
                     qreal height);

    int type() const override { return Type; }
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    // Corner radii; negative values count as 0.
    void setRadii(qreal radiusX, qreal radiusY);

    // The outline drawn for the rectangle: rounded corners with each radius
    // clamped to half the side it lies on.
    QPainterPath roundedOutline() const;

    SVGView *view;
    qint32 noFill = 0;
    bool layerPlaceholder = false;
    qreal rx = 0.0;
    qreal ry = 0.0;
    qreal pixelSize = 1.0;
    GraphicsGroupItem *ownerGroup = nullptr;

signals:
    void rightSelected(QGraphicsItem *item);
    void leftSelected(QGraphicsItem *item);
    void leftCtlSelected(QGraphicsItem *item);

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
};
