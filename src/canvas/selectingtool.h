#pragma once

#include <QGraphicsRectItem>

class Scene;

// The rubber band of the select tool. Dragged downwards it selects the items
// lying wholly inside it, dragged upwards every item it touches.
class SelectingTool : public QGraphicsRectItem
{
public:
    SelectingTool(const QRectF &rect, Scene *scene);

    // Stretches the band from its origin to `p` (scene coordinates).
    void setBound(const QPointF &p);
    // Selects the items the band catches.
    void setSelecting();

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    QPointF origin;
    // 1 when dragged downwards (containment), 0 upwards (touching).
    int containMode = 1;
    Scene *scene;
};
