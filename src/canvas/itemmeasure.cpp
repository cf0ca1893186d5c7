#include "canvas/itemmeasure.h"

#include "canvas/graphicsimageitem.h"
#include "canvas/graphicspathitem.h"
#include "canvas/itemtypes.h"
#include "document/node.h"

#include <QStringList>

namespace {

// False when the item does not count (an image without its node).
bool measuredRect(QGraphicsItem *item, QRectF *rect)
{
    switch (item->type()) {
    case ItemType::Path:
        *rect = item->sceneTransform()
                    .map(static_cast<GraphicsPathItem *>(item)->path())
                    .boundingRect();
        return true;
    case ItemType::Image: {
        const Node *node = itemNode(item);
        if (!node)
            return false;
        // A black-and-white image engraves only its dark parts.
        if (node->domElem().attribute(QLatin1String(NativeAttribute::Image))
            == QLatin1String(ImageModeBlackWhite)) {
            *rect = item->sceneTransform()
                        .map(static_cast<GraphicsImageItem *>(item)->traceOutline)
                        .boundingRect();
            return true;
        }
        *rect = item->sceneBoundingRect();
        return true;
    }
    default:
        *rect = item->sceneBoundingRect();
        return true;
    }
}

} // namespace

QRectF findSelectedItemBoundingRect(const QList<QGraphicsItem *> &items)
{
    bool any = false;
    qreal left = 0, top = 0, right = 0, bottom = 0;
    for (QGraphicsItem *item : items) {
        if (!item)
            continue;
        QRectF r;
        if (!measuredRect(item, &r))
            continue;
        // Corners taken as they are: a union that skipped empty rectangles
        // would lose lines lying exactly along an axis.
        if (!any) {
            left = r.left(), top = r.top(), right = r.right(), bottom = r.bottom();
            any = true;
            continue;
        }
        left = qMin(left, r.left());
        top = qMin(top, r.top());
        right = qMax(right, r.right());
        bottom = qMax(bottom, r.bottom());
    }
    if (!any)
        return QRectF(0, 0, 0, 0);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// TODO(property edits): stands in for the merge of the items' attribute values
// until the property-edit code provides it; every key is present and empty.
QMap<QString, QString> getAttritubeValue(const QList<QGraphicsItem *> &items)
{
    Q_UNUSED(items);
    static const QStringList keys = {
        "fill", "textFamily", "word", "image", "lineSpacing", "wordSpacing", "alignment",
        "textDirection", "scanPower", "scanSpeed", "scanTimes", "scanBuffer", "scanAccuracy",
        "scanAngle", "scanError", "XMotorMovementError", "YMotorMovementError"};
    QMap<QString, QString> merged;
    for (const QString &key : keys)
        merged.insert(key, QString());
    return merged;
}
