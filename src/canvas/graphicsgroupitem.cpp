#include "canvas/graphicsgroupitem.h"

#include "canvas/graphicsellipseitem.h"
#include "canvas/graphicsimageitem.h"
#include "canvas/graphicslineitem.h"
#include "canvas/graphicspathitem.h"
#include "canvas/graphicsrectitem.h"
#include "canvas/graphicstextitem.h"
#include "canvas/itemhost.h"
#include "canvas/itemmeasure.h"
#include "canvas/itemsupport.h"

#include <QDebug>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

namespace {

GraphicsGroupItem **ownerGroupField(QGraphicsItem *item)
{
    if (!item)
        return nullptr;
    switch (item->type()) {
    case ItemType::Group: return &static_cast<GraphicsGroupItem *>(item)->ownerGroup;
    case ItemType::Rect: return &static_cast<GraphicsRectItem *>(item)->ownerGroup;
    case ItemType::Ellipse: return &static_cast<GraphicsEllipseItem *>(item)->ownerGroup;
    case ItemType::Line: return &static_cast<GraphicsLineItem *>(item)->ownerGroup;
    case ItemType::Path: return &static_cast<GraphicsPathItem *>(item)->ownerGroup;
    case ItemType::Image: return &static_cast<GraphicsImageItem *>(item)->ownerGroup;
    case ItemType::Text: return &static_cast<GraphicsTextItem *>(item)->ownerGroup;
    default: return nullptr;
    }
}

} // namespace

GraphicsGroupItem *getThisItemGroup(QGraphicsItem *item)
{
    GraphicsGroupItem **field = ownerGroupField(item);
    return field ? *field : nullptr;
}

void setThisItemGroup(QGraphicsItem *item, GraphicsGroupItem *group)
{
    if (GraphicsGroupItem **field = ownerGroupField(item))
        *field = group;
}

GraphicsGroupItem::GraphicsGroupItem(SVGView *view, const QList<QGraphicsItem *> &members,
                                     QGraphicsItem *parent)
    : QObject(), QGraphicsItem(parent), view(view), members(members)
{
    // A member deleted while the group lives (its element removed, the scene
    // cleared) leaves the list, so the group never measures a dead item.
    for (QGraphicsItem *member : members) {
        if (QObject *object = dynamic_cast<QObject *>(member)) {
            connect(object, &QObject::destroyed, this, [this, member]() {
                this->members.removeAll(member);
            });
        }
    }
    setFlags(ItemIsMovable | ItemIsSelectable);
}

GraphicsGroupItem::~GraphicsGroupItem()
{
    for (QGraphicsItem *member : qAsConst(members)) {
        if (getThisItemGroup(member) == this)
            setThisItemGroup(member, nullptr);
    }
}

QRectF GraphicsGroupItem::boundingRect() const
{
    return findSelectedItemBoundingRect(members);
}

QPainterPath GraphicsGroupItem::shape() const
{
    QPainterPath united;
    for (QGraphicsItem *member : members) {
        if (member)
            united = united.united(mapFromItem(member, member->shape()));
    }
    return united;
}

void GraphicsGroupItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    // Invisible: the members paint themselves.
    painter->setPen(QPen(Qt::transparent, 0));
    painter->setBrush(QBrush(Qt::transparent, Qt::SolidPattern));
    painter->drawPath(QPainterPath());
}

void GraphicsGroupItem::addGroupMember()
{
    attributes = getAttritubeValue(members);
    for (QGraphicsItem *member : qAsConst(members))
        setThisItemGroup(member, this);
}

void GraphicsGroupItem::clearGroupMember()
{
    for (QGraphicsItem *member : qAsConst(members))
        setThisItemGroup(member, nullptr);
}

void GraphicsGroupItem::upDateAtt()
{
    attributes = getAttritubeValue(members);
}

void GraphicsGroupItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    qDebug() << "GraphicsItemGroup::mousePressEvent" << sceneBoundingRect();
    ItemHost::dispatchPress(this, event);
}

void GraphicsGroupItem::mouseMoveEvent(QGraphicsSceneMouseEvent *) {}
void GraphicsGroupItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *) {}
