#pragma once

#include "node.h"

#include <QRectF>

class QGraphicsRectItem;

// The "svg" element: the canvas of the design. Its outer rectangle is the item
// added to the scene; the inner one (child of the outer) is the node's item and
// the parent of every top-level item of the drawing.
class SVGElement : public Node
{
public:
    SVGElement(const QDomElement &element, int row, SVGView *view, Node *parent);
    ~SVGElement() override;

    // Resets both rectangles to (0, 0, width, height).
    void setCanvas(double width, double height);

    // Width and height as read; a negative value is a percentage of the canvas.
    double width() const { return m_width; }
    double height() const { return m_height; }
    // The viewBox; width and height -1 when there is none (or it is unusable).
    QRectF viewBox() const { return m_viewBox; }
    int aspectRatioMode() const { return m_aspectMode; }
    QGraphicsRectItem *outerRect() const;
    QGraphicsRectItem *innerRect() const { return m_inner; }

private:
    class CanvasRootItem;
    void canvasDestroyedElsewhere();

    double m_width = 0;
    double m_height = 0;
    QRectF m_viewBox = QRectF(0, 0, -1, -1);
    int m_aspectMode = 1;
    CanvasRootItem *m_outer = nullptr;
    QGraphicsRectItem *m_inner = nullptr;
};
