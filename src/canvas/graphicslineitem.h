#pragma once

#include "canvas/itemtypes.h"

#include <QGraphicsLineItem>
#include <QObject>

class SVGView;

// Shows a "line" element. Painted by Qt with the item's pen.
class GraphicsLineItem : public QObject, public QGraphicsLineItem
{
    Q_OBJECT
public:
    enum { Type = ItemType::Line };

    GraphicsLineItem(SVGView *view, QGraphicsItem *parent, qreal x1, qreal y1, qreal x2, qreal y2);

    int type() const override { return Type; }
    // The whole bounding rectangle: a thin line must stay easy to hit.
    QPainterPath shape() const override;

    SVGView *view;
    qint32 noFill = 0; // kept for the element builders; a line is hit the same either way
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
