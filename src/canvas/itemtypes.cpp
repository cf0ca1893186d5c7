#include "canvas/itemtypes.h"

#include <QVariant>

void setItemNode(QGraphicsItem *item, Node *node)
{
    if (item)
        item->setData(0, QVariant::fromValue(static_cast<void *>(node)));
}

Node *itemNode(const QGraphicsItem *item)
{
    if (!item)
        return nullptr;
    const QVariant slot = item->data(0);
    if (slot.userType() != QMetaType::VoidStar)
        return nullptr;
    return static_cast<Node *>(slot.value<void *>());
}
