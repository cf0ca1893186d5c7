#include "canvas/graphicsimageitem.h"

#include "canvas/itemhost.h"
#include "canvas/itemsupport.h"
#include "document/svgvalues.h"
#include "gcode/bitmaptrace.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>

namespace {

QPainterPath traceImageOutline(const QImage &image)
{
    const QString pathData = garyMapToPath(image);
    // A light picture traces to nothing, and a failed tracing is not path data.
    if (!pathData.trimmed().startsWith(QLatin1Char('M')))
        return QPainterPath();
    return getPathTraitFromString(pathData);
}

} // namespace

GraphicsImageItem::GraphicsImageItem(SVGView *view, const QPixmap &pixmap, QGraphicsItem *parent)
    : QObject(), QGraphicsPixmapItem(pixmap, parent), view(view)
{
    // A picture that did not decode has nothing to trace.
    if (!pixmap.isNull())
        traceOutline = traceImageOutline(pixmap.toImage());
}

void GraphicsImageItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    ItemHost::showContextMenu(this, event);
}

void GraphicsImageItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    ItemHost::dispatchPress(this, event);
}

void GraphicsImageItem::mouseMoveEvent(QGraphicsSceneMouseEvent *) {}
void GraphicsImageItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *) {}
