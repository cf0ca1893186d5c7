#pragma once

#include <QGraphicsRectItem>
#include <QList>

class Scene;

// The frame drawn around the selection. It holds the items it frames (canvas
// groups already expanded into their members) and moves with them. The
// handles for scaling and rotating are not part of it yet.
class SelectItem : public QGraphicsRectItem
{
public:
    // Adds itself to `scene`.
    SelectItem(const QRectF &bound, QGraphicsItem *parent, Scene *scene,
               const QList<QGraphicsItem *> &items);

    const QList<QGraphicsItem *> &selectedItems() const { return itemList; }
    // Frames another set of items.
    void setSelectedItem(const QList<QGraphicsItem *> &items);

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

private:
    QList<QGraphicsItem *> itemList;
};
