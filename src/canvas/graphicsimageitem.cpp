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
    if (!ItemHost::execContextMenu(view, event->screenPos()))
        event->ignore();
}

void GraphicsImageItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    const ItemSupport::PressKind kind = ItemSupport::classifyPress(event);
    ItemHost::reportPress(view, this, kind);
    switch (kind) {
    case ItemSupport::PressKind::Right: emit rightSelected(this); break;
    case ItemSupport::PressKind::LeftControl: emit leftCtlSelected(this); break;
    case ItemSupport::PressKind::Left: emit leftSelected(this); break;
    }
}

void GraphicsImageItem::mouseMoveEvent(QGraphicsSceneMouseEvent *) {}
void GraphicsImageItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *) {}
