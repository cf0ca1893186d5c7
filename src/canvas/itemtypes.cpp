#include "canvas/itemtypes.h"

#include "document/node.h"

#include <QVariant>

void setItemNode(QGraphicsItem *item, Node *node)
{
    if (item)
        item->setData(0, QVariant::fromValue(node));
}

Node *itemNode(const QGraphicsItem *item)
{
    if (!item)
        return nullptr;
    const QVariant slot = item->data(0);
    if (slot.userType() != qMetaTypeId<Node *>())
        return nullptr;
    return slot.value<Node *>();
}
