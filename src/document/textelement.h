#pragma once

#include "node.h"

class AttributeOperating;
class GraphicsTextItem;

// The node of a "text" or "tspan" element: reads its position, layout
// settings and print parameters, builds the canvas item that lays the text
// out and forwards later property changes to it.
class TextElement : public Node
{
public:
    TextElement(const QDomElement &element, int row, SVGView *view, Node *parent);
    ~TextElement() override;

    void setTextDirection(TextDirection direction);
    void setLineSpacing(double spacing);
    void setWordSpacing(double spacing);
    void setAlignment(TextElementAlignment alignment);
    // Replaces the item's text (the element is written by the caller).
    void setWord(const QString &word);
    void setFont(const QFont &font);
    void setBrush(const QBrush &brush);

    // The font the element's style asks for, as the item uses it.
    QFont styleFont();

    double x = 0;
    double y = 0;
    GraphicsTextItem *textItem = nullptr;
    double lineSpacing = 5.0;
    double wordSpacing = 3.0;
    TextElementAlignment alignment = AlignLeft;
    TextDirection textDirection = TextHorizontal;

private:
    // The cached opacities and widths the brush and pen are made from.
    void fillStyleCaches();
};

// Makes `word` the text of a text node: the item shows it and the element's
// first child, a text node (added when the element has no child), holds it.
// Returns the change for the undo list ("word", old and new text), or null
// when the node is no text node or the text is unchanged.
AttributeOperating *setTextWord(Node *node, const QString &word);
