#pragma once

#include "canvas/itemtypes.h"

#include <QGraphicsPixmapItem>
#include <QObject>
#include <QPainterPath>

class SVGView;

// Shows an "image" element. Painted by Qt; hit on Qt's pixmap shape.
class GraphicsImageItem : public QObject, public QGraphicsPixmapItem
{
    Q_OBJECT
public:
    enum { Type = ItemType::Image };

    GraphicsImageItem(SVGView *view, const QPixmap &pixmap, QGraphicsItem *parent);

    int type() const override { return Type; }

    SVGView *view;
    // The dark parts of the picture as outlines, in item coordinates, traced
    // once at construction: a black-and-white image engraves only these, so
    // they measure it.
    QPainterPath traceOutline;
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
