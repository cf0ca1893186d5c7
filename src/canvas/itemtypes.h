#pragma once

#include <QGraphicsItem>

class Node;
class GraphicsGroupItem;

// The type() values of the canvas item family. The whole canvas casts items back
// to their class by these numbers, so they must never change.
namespace ItemType {
enum : int {
    Group = QGraphicsItem::UserType + 1,   // 65537
    Rect = QGraphicsItem::UserType + 2,    // 65538
    Ellipse = QGraphicsItem::UserType + 3, // 65539
    Line = QGraphicsItem::UserType + 4,    // 65540
    Path = QGraphicsItem::UserType + 5,    // 65541
    Image = QGraphicsItem::UserType + 6,   // 65542
    Text = QGraphicsItem::UserType + 7,    // 65543
};

// True for the seven classes of the family.
inline bool isCanvasItemType(int type) { return type >= Group && type <= Text; }
} // namespace ItemType

// Item data slot 0 carries the document node an item shows. Canvas groups have
// none; every reader must cope with a null result.
void setItemNode(QGraphicsItem *item, Node *node);
Node *itemNode(const QGraphicsItem *item);

// The canvas group the item belongs to, by its type value; null for items of
// other types (selection handles, the rubber band...) and for null.
GraphicsGroupItem *getThisItemGroup(QGraphicsItem *item);
