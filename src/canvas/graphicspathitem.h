#pragma once

#include "canvas/itemtypes.h"

#include <QGraphicsPathItem>
#include <QObject>

class SVGView;

// Shows a "path", "polygon" or "polyline" element.
class GraphicsPathItem : public QObject, public QGraphicsPathItem
{
    Q_OBJECT
public:
    enum { Type = ItemType::Path };

    GraphicsPathItem(SVGView *view, const QPainterPath &path, QGraphicsItem *parent);

    int type() const override { return Type; }
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    SVGView *view;
    qint32 noFill = 0;
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
