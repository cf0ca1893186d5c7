#include "textelement.h"

#include "canvas/graphicstextitem.h"
#include "canvas/itemhost.h"
#include "canvas/itemtypes.h"
#include "canvas/undo.h"
#include "svgvalues.h"
#include "textlayout.h"

#include <QDebug>

#include <cmath>

namespace {

double readNumber(const QDomElement &element, const char *name, double fallback)
{
    bool ok = false;
    const double value = getFloatTrait(element, QLatin1String(name), &ok);
    return ok && std::isfinite(value) ? value : fallback;
}

} // namespace

TextElement::TextElement(const QDomElement &element, int row, SVGView *view, Node *parent)
    : Node(element, row, view, NodeType::Text, parent)
{
    x = readNumber(element, "x", 0);
    y = readNumber(element, "y", 0);
    lineSpacing = readNumber(element, NativeAttribute::LineSpacing, 5.0);
    wordSpacing = readNumber(element, NativeAttribute::WordSpacing, 3.0);
    alignment = textAlignmentFromAttribute(element.attribute(QLatin1String(NativeAttribute::Alignment)));
    textDirection = textDirectionFromAttribute(element.attribute(QLatin1String(NativeAttribute::TextDirection)));
    readPrintParameters(ItemHost::defaultParameters(view));

    QString text;
    if (element.tagName() == QLatin1String("tspan")) {
        // A tspan takes what it lacks from its text, its style included.
        if (parent) {
            const QMap<QString, QString> &inherited = parent->attributeMap();
            for (auto it = inherited.constBegin(); it != inherited.constEnd(); ++it) {
                if (!attributeMap().contains(it.key()))
                    attributeMap().insert(it.key(), it.value());
            }
        }
        text = element.text();
    } else {
        text = element.firstChild().nodeValue();
    }

    textItem = new GraphicsTextItem(view, text);
    setItemNode(textItem, this);
    finishDecorating(textItem);
    textItem->setPos(x, y);

    const QString family = getFontFamily();
    qDebug().noquote() << "TextElement this->getFontFamily()  " << family;
    textItem->setFont(styleFont());
    textItem->direction = textDirection;
    textItem->lineSpacing = lineSpacing;
    textItem->wordSpacing = wordSpacing;
    textItem->alignment = alignment;
    textItem->findPath();

    // Without a fill of its own (or, for a tspan, of its text) a text is
    // black; without a stroke it has no outline pen.
    fillStyleCaches();
    bool ok = false;
    textItem->brush = attributeMap().contains(QStringLiteral("fill")) ? getFill(&ok) : QBrush(Qt::black);
    ok = false;
    textItem->pen = attributeMap().contains(QStringLiteral("stroke")) ? getStroke(&ok) : QPen(Qt::NoPen);
}

TextElement::~TextElement() = default;

QFont TextElement::styleFont()
{
    return makeTextFont(getFontFamily(), getFontSize(), getFontStyle(), getFontWeight());
}

void TextElement::fillStyleCaches()
{
    getFillOpacity();
    getStrokeOpacity();
    getStrokeWidth();
    getStrokeLineCap();
    getStrokeLineJoin();
}

void TextElement::setTextDirection(TextDirection direction)
{
    textDirection = direction;
    if (textItem)
        textItem->setDirection(direction);
}

void TextElement::setLineSpacing(double spacing)
{
    lineSpacing = spacing;
    if (textItem)
        textItem->setLineSpacing(spacing);
}

void TextElement::setWordSpacing(double spacing)
{
    wordSpacing = spacing;
    if (textItem)
        textItem->setWordSpacing(spacing);
}

void TextElement::setAlignment(TextElementAlignment value)
{
    alignment = value;
    if (textItem)
        textItem->setAlignment(value);
}

void TextElement::setWord(const QString &word)
{
    if (textItem)
        textItem->setPlainText(word); // lays out again by itself
}

void TextElement::setFont(const QFont &font)
{
    if (!textItem)
        return;
    textItem->setFont(font);
    textItem->findPath();
}

void TextElement::setBrush(const QBrush &brush)
{
    if (!textItem)
        return;
    textItem->brush = brush;
    textItem->update();
}

AttributeOperating *setTextWord(Node *node, const QString &word)
{
    auto *text = dynamic_cast<TextElement *>(node);
    if (!text)
        return nullptr;
    QDomElement element = text->domElem();
    QDomNode first = element.firstChild();
    const QString old = first.nodeValue();
    const bool itemShowsWord = !text->textItem || text->textItem->toPlainText() == word;
    if (old == word && itemShowsWord)
        return nullptr;
    qDebug().noquote() << "value" << word;
    if (!itemShowsWord)
        text->setWord(word);
    if (first.isText())
        first.setNodeValue(word);
    else if (first.isNull())
        element.appendChild(element.ownerDocument().createTextNode(word));
    QList<QString> names{QStringLiteral("word")};
    QList<QString> oldValues{old};
    QList<QString> newValues{word};
    return new AttributeOperating(node, names, oldValues, newValues);
}
