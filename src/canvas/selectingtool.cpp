#include "canvas/selectingtool.h"

#include "canvas/scene.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

SelectingTool::SelectingTool(const QRectF &rect, Scene *scene)
    : QGraphicsRectItem(rect), origin(rect.topLeft()), scene(scene)
{
    // Above everything drawn, never selectable itself.
    setZValue(1e9);
    setFlags({});
}

void SelectingTool::setBound(const QPointF &p)
{
    containMode = p.y() >= origin.y() ? 1 : 0;
    setRect(QRectF(QPointF(qMin(origin.x(), p.x()), qMin(origin.y(), p.y())),
                   QSizeF(std::abs(origin.x() - p.x()), std::abs(origin.y() - p.y()))));
}

void SelectingTool::setSelecting()
{
    if (!scene)
        return;
    QPainterPath area;
    area.addRect(sceneBoundingRect());
    scene->setSelectionArea(area, containMode == 1 ? Qt::ContainsItemShape : Qt::IntersectsItemShape);
}

void SelectingTool::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    QPen pen(containMode == 1 ? QColor(QStringLiteral("#BD2E09")) : QColor(QStringLiteral("#078C3F")));
    pen.setWidth(0);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect());
}
