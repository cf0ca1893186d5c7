#include "canvas/selectitem.h"

#include "canvas/itemmeasure.h"
#include "canvas/scene.h"

#include <QPainter>

SelectItem::SelectItem(const QRectF &bound, QGraphicsItem *parent, Scene *scene,
                       const QList<QGraphicsItem *> &items)
    : QGraphicsRectItem(bound, parent), itemList(items)
{
    // Drawn above the design; clicks pass through to the items below.
    setZValue(1e8);
    setAcceptedMouseButtons(Qt::NoButton);
    if (scene && !parent)
        scene->addItem(this);
}

void SelectItem::setSelectedItem(const QList<QGraphicsItem *> &items)
{
    itemList = items;
    setPos(0, 0);
    setRect(findSelectedItemBoundingRect(items));
}

void SelectItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    QPen pen(QColor(0, 120, 215));
    pen.setWidth(0);
    pen.setStyle(Qt::DashLine);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect());
}
