#pragma once

#include "canvas/itemtypes.h"

#include <QGraphicsEllipseItem>
#include <QObject>

class SVGView;

// Shows a "circle" or "ellipse" element.
class GraphicsEllipseItem : public QObject, public QGraphicsEllipseItem
{
    Q_OBJECT
public:
    enum { Type = ItemType::Ellipse };

    GraphicsEllipseItem(SVGView *view, QGraphicsItem *parent, qreal x, qreal y, qreal width,
                        qreal height);

    int type() const override { return Type; }
    // Exactly the ellipse's rectangle, without a margin for the pen.
    QRectF boundingRect() const override;
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
