#pragma once

#include "canvas/itemtypes.h"

#include <QGraphicsTextItem>

class SVGView;

// Shows a "text" element. QGraphicsTextItem is already a QObject, so it is the
// only base.
class GraphicsTextItem : public QGraphicsTextItem
{
    Q_OBJECT
public:
    enum { Type = ItemType::Text };

    GraphicsTextItem(SVGView *view, const QString &text, QGraphicsItem *parent = nullptr);

    int type() const override { return Type; }

    SVGView *view;
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
