#pragma once

#include "canvas/itemtypes.h"
#include "document/textlayout.h"

#include <QBrush>
#include <QGraphicsTextItem>
#include <QPainterPath>
#include <QPen>
#include <QTimer>
#include <QVector>

class SVGView;

// Shows a "text" element. The characters are laid out by the program's own
// rules (see layoutText) and painted as glyph outlines; Qt's text drawing is
// never used, so the canvas shows exactly the outline that is cut. The base
// class is kept for its text document, cursor and editing keys.
// QGraphicsTextItem is already a QObject, so it is the only base.
class GraphicsTextItem : public QGraphicsTextItem
{
    Q_OBJECT
public:
    enum { Type = ItemType::Text };

    GraphicsTextItem(SVGView *view, const QString &text, QGraphicsItem *parent = nullptr);

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    // Lays the plain text out again with the current font and settings. Runs
    // by itself whenever the text changes; call it after setFont().
    void findPath();
    // Layout settings; each lays the text out again.
    void setLineSpacing(double spacing);
    void setWordSpacing(double spacing);
    // TextElementAlignment / TextDirection values; unknown ones lay out as
    // left-aligned horizontal text.
    void setAlignment(int value);
    void setDirection(int value);

    // Enters editing with the caret after "Text", the text a new element
    // starts with (at the end of a shorter text).
    void setTextRevise();
    // Leaves editing.
    void removeInputFlag();
    bool isEditing() const { return editing; }
    // The caret as painted while editing, in item coordinates.
    QPainterPath caretShape() const;
    // The cursor position a double click at `p` (item coordinates) gives.
    int cursorIndexAt(const QPointF &p) const;

    const TextLayout &layout() const { return m_layout; }

    SVGView *view;
    QPainterPath outline;
    double lineSpacing = 5.0;
    double wordSpacing = 3.0;
    int alignment = 0;
    int direction = 1;
    QVector<QPointF> charPositions;
    double cursorIndex = 0;
    bool editing = false;
    GraphicsGroupItem *ownerGroup = nullptr;
    QPen pen = QPen(Qt::NoPen);
    QBrush brush = QBrush(Qt::black);

signals:
    void rightSelected(QGraphicsItem *item);
    void leftSelected(QGraphicsItem *item);
    void leftCtlSelected(QGraphicsItem *item);

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    void startEditing(int cursorPosition);
    void afterEdit();
    void updateCaret();

    TextLayout m_layout;
    QPainterPath m_caret;
    // Caret blinking: a steady half-second rhythm, shown again on every edit.
    QTimer m_blink;
    bool m_caretShown = true;
};
