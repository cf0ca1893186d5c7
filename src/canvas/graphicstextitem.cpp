#include "canvas/graphicstextitem.h"

#include "canvas/itemhost.h"
#include "canvas/itemsupport.h"
#include "canvas/scene.h"

#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

// Where a new text's caret goes: after the initial "Text".
constexpr int RevisePosition = 4;
constexpr int BlinkIntervalMs = 500;
const QColor CaretColor(0xC7, 0x06, 0x40);
constexpr double CaretWidth = 5;

// The selection frame must not cover a text being edited, and must follow
// its size while it is typed into.
void removeSelectionFrame(QGraphicsScene *scene)
{
    if (auto *canvas = qobject_cast<Scene *>(scene))
        canvas->removeSelectItem();
}

void refreshSelectionFrame(QGraphicsScene *scene)
{
    if (auto *canvas = qobject_cast<Scene *>(scene))
        canvas->refreshSelectionFrame();
}

} // namespace

GraphicsTextItem::GraphicsTextItem(SVGView *view, const QString &text, QGraphicsItem *parent)
    : QGraphicsTextItem(text, parent), view(view)
{
    // Every change of the text, typed or set, is laid out at once, so paint,
    // boundingRect and shape always describe the current text.
    connect(document(), &QTextDocument::contentsChanged, this, &GraphicsTextItem::findPath);
    m_blink.setInterval(BlinkIntervalMs);
    connect(&m_blink, &QTimer::timeout, this, [this] {
        m_caretShown = !m_caretShown;
        update();
    });
    findPath();
}

QRectF GraphicsTextItem::boundingRect() const
{
    QRectF bound = outline.boundingRect();
    if (editing)
        bound = bound.united(caretShape().boundingRect().adjusted(-CaretWidth, -CaretWidth, CaretWidth, CaretWidth));
    return bound;
}

QPainterPath GraphicsTextItem::shape() const
{
    QPainterPath path;
    path.addRect(boundingRect());
    return path;
}

void GraphicsTextItem::findPath()
{
    TextLayoutSettings settings;
    settings.lineSpacing = lineSpacing;
    settings.wordSpacing = wordSpacing;
    settings.alignment = alignment;
    settings.direction = direction;
    prepareGeometryChange();
    m_layout = layoutText(toPlainText(), font(), settings);
    outline = m_layout.outline;
    charPositions = m_layout.charPositions;
    updateCaret();
    update();
}

void GraphicsTextItem::setLineSpacing(double spacing)
{
    lineSpacing = spacing;
    findPath();
}

void GraphicsTextItem::setWordSpacing(double spacing)
{
    wordSpacing = spacing;
    findPath();
}

void GraphicsTextItem::setAlignment(int value)
{
    alignment = value;
    findPath();
}

void GraphicsTextItem::setDirection(int value)
{
    direction = value;
    findPath();
}

void GraphicsTextItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->save();
    QPen outlinePen = pen;
    outlinePen.setWidth(0); // cosmetic: one screen pixel at any zoom
    painter->setPen(outlinePen);
    painter->setBrush(brush);
    painter->drawPath(outline);
    if (editing && m_caretShown) {
        QPen caretPen(CaretColor, CaretWidth, Qt::SolidLine, Qt::RoundCap);
        painter->setPen(caretPen);
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(caretShape());
    }
    painter->restore();
}

QPainterPath GraphicsTextItem::caretShape() const
{
    return m_caret;
}

void GraphicsTextItem::updateCaret()
{
    prepareGeometryChange();
    cursorIndex = textCursor().position();
    m_caret = caretPath(m_layout, toPlainText(), font(), int(cursorIndex));
}

int GraphicsTextItem::cursorIndexAt(const QPointF &p) const
{
    // The last pen position at or above and left of the click; the walk stops
    // at the first line (column) beyond the click.
    const bool vertical = direction == 0;
    int candidate = 0;
    for (int i = 0; i < charPositions.size(); ++i) {
        const QPointF &q = charPositions.at(i);
        if (p.x() >= q.x() && p.y() >= q.y())
            candidate = i;
        else if (vertical ? q.x() > p.x() : q.y() > p.y())
            break;
    }
    // The click lands on the character whose pen position it follows, so the
    // caret goes after it.
    return std::min(candidate + 1, int(toPlainText().size()));
}

void GraphicsTextItem::startEditing(int cursorPosition)
{
    setTextInteractionFlags(Qt::TextEditorInteraction);
    setFocus();
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::clamp(cursorPosition, 0, int(toPlainText().size())));
    setTextCursor(cursor);
    prepareGeometryChange();
    editing = true;
    updateCaret();
    m_caretShown = true;
    m_blink.start();
    update();
}

void GraphicsTextItem::setTextRevise()
{
    startEditing(RevisePosition);
}

void GraphicsTextItem::removeInputFlag()
{
    setTextInteractionFlags(Qt::NoTextInteraction);
    clearFocus();
    prepareGeometryChange();
    editing = false;
    m_blink.stop();
    update();
}

void GraphicsTextItem::afterEdit()
{
    updateCaret();
    m_caretShown = true;
    if (editing)
        m_blink.start(); // restart the rhythm: the caret stays visible while typing
    update();
    refreshSelectionFrame(scene());
}

void GraphicsTextItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    ItemHost::showContextMenu(this, event);
}

void GraphicsTextItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    ItemHost::dispatchPress(this, event);
}

void GraphicsTextItem::mouseMoveEvent(QGraphicsSceneMouseEvent *) {}
void GraphicsTextItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *) {}

void GraphicsTextItem::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    startEditing(cursorIndexAt(event->pos()));
    removeSelectionFrame(scene());
    event->accept();
}

void GraphicsTextItem::keyPressEvent(QKeyEvent *event)
{
    QGraphicsTextItem::keyPressEvent(event);
    afterEdit();
}

void GraphicsTextItem::inputMethodEvent(QInputMethodEvent *event)
{
    QGraphicsTextItem::inputMethodEvent(event);
    afterEdit();
}
