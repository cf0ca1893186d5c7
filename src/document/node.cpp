#include "node.h"

#include "elementbuilders.h"
#include "svgdocument.h"
#include "svgelement.h"
#include "svgvalues.h"

#include <QDebug>
#include <QDomNamedNodeMap>
#include <QFontDatabase>
#include <QGraphicsItem>
#include <QGraphicsRectItem>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

NodeType nodeTypeForTag(const QString &tag)
{
    static const QHash<QString, NodeType> types = {
        {QStringLiteral("svg"), NodeType::Svg},
        {QStringLiteral("g"), NodeType::G},
        {QStringLiteral("rect"), NodeType::Rect},
        {QStringLiteral("circle"), NodeType::Circle},
        {QStringLiteral("ellipse"), NodeType::Ellipse},
        {QStringLiteral("line"), NodeType::Line},
        {QStringLiteral("polyline"), NodeType::Polyline},
        {QStringLiteral("polygon"), NodeType::Polygon},
        {QStringLiteral("path"), NodeType::Path},
        {QStringLiteral("text"), NodeType::Text},
        {QStringLiteral("tspan"), NodeType::Text},
        {QStringLiteral("a"), NodeType::A},
        {QStringLiteral("image"), NodeType::Image},
        {QStringLiteral("linearGradient"), NodeType::LinearGradient},
        {QStringLiteral("radialGradient"), NodeType::RadialGradient},
        {QStringLiteral("stop"), NodeType::Stop},
        {QStringLiteral("defs"), NodeType::Defs},
    };
    return types.value(tag, NodeType::Other);
}

Node::Node(const QDomDocument &document, int row, SVGView *view, NodeType type, Node *parent,
           SVGDocument *model)
    : m_nodeType(type), m_document(document), m_row(row), m_parentNode(parent), m_view(view),
      m_model(model ? model : (parent ? parent->m_model : nullptr))
{
    const QDomElement root = document.documentElement();
    if (!root.isNull())
        m_childNodes.insert(0, createNode(root, 0, view, this));
}

Node::Node(const QDomElement &element, int row, SVGView *view, NodeType type, Node *parent)
    : m_nodeType(type), m_element(element), m_row(row), m_parentNode(parent), m_view(view),
      m_model(parent ? parent->m_model : nullptr)
{
    const QDomNamedNodeMap attributes = element.attributes();
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomAttr attribute = attributes.item(i).toAttr();
        m_attributeMap.insert(attribute.name(), attribute.value());
    }
    // Style properties are known from the start, so inheritance works for
    // nodes that never get an item.
    getStyles();
}

Node::~Node()
{
    deleteChildNodes();
    delete m_item;
    m_item = nullptr;
}

void Node::deleteChildNodes()
{
    // Children first: their items hang under this node's item. Last row first:
    // an item leaving its parent's child list from the end is removed at once,
    // from anywhere else the whole list is searched and shifted.
    QList<Node *> children = m_childNodes.values();
    std::sort(children.begin(), children.end(), [](const Node *a, const Node *b) { return a->m_row > b->m_row; });
    children += m_strayChildNodes;
    m_childNodes.clear();
    m_strayChildNodes.clear();
    qDeleteAll(children);
}

Node *Node::createNode(const QDomElement &element, int row, SVGView *view, Node *parent)
{
    const NodeType type = nodeTypeForTag(element.tagName());
    switch (type) {
    case NodeType::Svg:
        return new SVGElement(element, row, view, parent);
    default:
        if (Node *built = buildElementNode(element, row, view, parent))
            return built;
        return new Node(element, row, view, type, parent);
    }
}

Node *Node::createNode(const QDomDocument &document, int row, SVGView *view, Node *parent,
                       SVGDocument *model)
{
    return new Node(document, row, view, NodeType::Other, parent, model);
}

const QVector<QDomNode> &Node::domChildren() const
{
    if (m_domChildrenTaken) {
        const bool endsMatch = m_domChildren.isEmpty()
            ? !m_element.hasChildNodes()
            : m_domChildren.first() == m_element.firstChild() && m_domChildren.last() == m_element.lastChild();
        if (endsMatch)
            return m_domChildren;
        m_rowKeysStale = true; // the element's children changed
    }
    m_domChildren.clear();
    for (QDomNode child = m_element.firstChild(); !child.isNull(); child = child.nextSibling())
        m_domChildren.append(child);
    m_domChildrenTaken = true;
    return m_domChildren;
}

bool Node::takenChildStillAt(int row) const
{
    // The element taken for this row must still be a child here, between the
    // same neighbours: edits near the row (or at the ends) are noticed.
    const QDomNode taken = m_domChildren.value(row);
    if (taken.isNull() || taken.parentNode() != m_element)
        return false;
    const QDomNode before = row > 0 ? m_domChildren.at(row - 1) : QDomNode();
    const QDomNode after = row + 1 < m_domChildren.size() ? m_domChildren.at(row + 1) : QDomNode();
    return taken.previousSibling() == before && taken.nextSibling() == after;
}

int Node::domChildCount() const
{
    if (m_element.isNull())
        return m_document.documentElement().isNull() ? 0 : 1;
    return domChildren().size();
}

Node *Node::child(int row)
{
    if (m_element.isNull())
        return row == 0 ? m_childNodes.value(0, nullptr) : nullptr;
    if (row < 0 || row >= domChildCount())
        return nullptr;
    QDomNode domChild = domChildren().at(row);
    if (!takenChildStillAt(row)) {
        m_domChildrenTaken = false;
        m_rowKeysStale = true;
        if (row >= domChildCount())
            return nullptr;
        domChild = m_domChildren.at(row);
    }
    Node *existing = m_childNodes.value(row, nullptr);
    if (existing && existing->m_element == domChild)
        return existing;
    if (!m_childNodes.isEmpty() && domChild.isElement() && (existing || m_rowKeysStale)) {
        // The DOM changed under the tree (elements added or removed): re-key
        // the existing nodes before deciding that the element has none. Only
        // then: re-keying costs the square of the children, once per row.
        rebuildRowKeys();
        existing = m_childNodes.value(row, nullptr);
        if (existing && existing->m_element == domChild)
            return existing;
    }
    if (!domChild.isElement())
        return nullptr;
    Node *node = createNode(domChild.toElement(), row, m_view, this);
    m_childNodes.insert(row, node);
    return node;
}

int Node::domIndexOf(const QDomElement &element) const
{
    const int count = domChildCount();
    for (int i = 0; i < count; ++i) {
        if (domChildren().at(i) == element)
            return i;
    }
    return -1;
}

void Node::rebuildRowKeys()
{
    m_rowKeysStale = false;
    QList<Node *> nodes = m_childNodes.values() + m_strayChildNodes;
    m_childNodes.clear();
    m_strayChildNodes.clear();
    for (Node *node : nodes) {
        const int index = domIndexOf(node->m_element);
        if (index >= 0 && !m_childNodes.contains(index)) {
            node->m_row = index;
            m_childNodes.insert(index, node);
        } else {
            m_strayChildNodes.append(node);
        }
    }
}

bool Node::takeChildNode(Node *child)
{
    if (!child)
        return false;
    for (auto it = m_childNodes.begin(); it != m_childNodes.end(); ++it) {
        if (it.value() == child) {
            m_childNodes.erase(it);
            return true;
        }
    }
    return m_strayChildNodes.removeOne(child);
}

void Node::adoptChildNode(Node *child)
{
    if (!child || child == this)
        return;
    child->m_parentNode = this;
    child->m_model = m_model;
    m_strayChildNodes.append(child);
    rebuildRowKeys();
}

Node *Node::addElementNode(QDomElement element, SVGView *view)
{
    m_element.appendChild(element);
    const int row = domIndexOf(element);
    Node *node = createNode(element, row, view, this);
    Node *displaced = m_childNodes.value(row, nullptr);
    if (displaced)
        m_strayChildNodes.append(displaced);
    m_childNodes.insert(row, node);
    return node;
}

namespace {
void setAttributes(QDomElement &element, const QStringList &names, const QStringList &values)
{
    if (names.size() != values.size())
        qWarning() << "attribute names and values differ in number:" << names.size() << values.size();
    const int count = qMin(names.size(), values.size());
    for (int i = 0; i < count; ++i)
        element.setAttribute(names.at(i), values.at(i));
}
} // namespace

Node *Node::addNewChildNode(const QString &tag, SVGView *view, const QStringList &names,
                            const QStringList &values)
{
    if (m_element.isNull()) {
        qWarning() << "cannot add an element to the document root";
        return nullptr;
    }
    QDomDocument document = m_element.ownerDocument();
    QDomElement element = document.createElement(tag);
    if (tag == QLatin1String("text"))
        element.appendChild(document.createTextNode(QStringLiteral("Text")));
    setAttributes(element, names, values);
    return addElementNode(element, view);
}

Node *Node::pasteNewTextChildNode(const QString &tag, SVGView *view, const QStringList &names,
                                  const QStringList &values, const QString &text)
{
    if (m_element.isNull()) {
        qWarning() << "cannot add an element to the document root";
        return nullptr;
    }
    QDomDocument document = m_element.ownerDocument();
    QDomElement element = document.createElement(tag);
    element.appendChild(document.createTextNode(text));
    setAttributes(element, names, values);
    return addElementNode(element, view);
}

bool Node::setTrait(const QString &name, const QString &value)
{
    if (m_element.isNull() || name.isEmpty()) {
        qDebug() << "Not reset";
        return false;
    }
    if (value.isEmpty()) {
        m_element.removeAttribute(name);
        m_attributeMap.remove(name);
        return true;
    }
    if (!::setTrait(m_element, name, value)) {
        qDebug() << "Not reset";
        return false;
    }
    m_attributeMap.insert(name, value);
    return true;
}

void Node::setTraits(const QStringList &names, const QStringList &values)
{
    if (m_element.isNull()) {
        qDebug() << "Not reset";
        return;
    }
    if (names.size() != values.size())
        qWarning() << "attribute names and values differ in number:" << names.size() << values.size();
    const int count = qMin(names.size(), values.size());
    for (int i = 0; i < count; ++i) {
        ::setTrait(m_element, names.at(i), values.at(i));
        m_attributeMap.insert(names.at(i), values.at(i));
    }
}

void Node::finishDecorating(QGraphicsItem *item)
{
    if (!item)
        return;
    const QString id = m_element.attribute(QStringLiteral("id"));
    if (!id.isEmpty())
        item->setToolTip(id);
    item->setZValue(m_row);
    item->setFlags(QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable);
    item->setTransform(getTransform(m_element));
    item->setData(0, QVariant::fromValue(this));
    m_item = item;
    if (m_parentNode && m_parentNode->m_item) {
        item->setParentItem(m_parentNode->m_item);
        setPraentRect();
    }
}

void Node::forgetCanvasItems()
{
    // Iterative: only nodes whose items hang under an item of the walk are reached.
    std::vector<Node *> pending{this};
    while (!pending.empty()) {
        Node *node = pending.back();
        pending.pop_back();
        if (!node->m_item)
            continue;
        node->m_item = nullptr;
        for (Node *child : qAsConst(node->m_childNodes))
            pending.push_back(child);
        for (Node *child : qAsConst(node->m_strayChildNodes))
            pending.push_back(child);
    }
}

void Node::getStyles()
{
    // Declarations are "name:value" separated by ';'; one with more or fewer
    // than one ':' is skipped. Read in place: this runs for every element.
    static const QString styleName = QStringLiteral("style");
    const QString style = m_element.attribute(styleName);
    int start = 0;
    while (start < style.size()) {
        int end = style.indexOf(QLatin1Char(';'), start);
        if (end < 0)
            end = style.size();
        const QStringRef declaration = style.midRef(start, end - start);
        start = end + 1;
        const int colon = declaration.indexOf(QLatin1Char(':'));
        if (colon < 0 || declaration.indexOf(QLatin1Char(':'), colon + 1) >= 0)
            continue;
        const QString name = declaration.left(colon).trimmed().toString();
        const QString value = declaration.mid(colon + 1).trimmed().toString();
        m_styleMap.insert(name, value);
        m_attributeMap.insert(name, value);
    }
}

void Node::setPraentRect()
{
    if (!m_parentNode || !m_parentNode->m_item)
        return;
    const QString tag = m_parentNode->m_element.tagName();
    if (tag != QLatin1String("g") && tag != QLatin1String("text") && tag != QLatin1String("a"))
        return;
    auto *rect = dynamic_cast<QGraphicsRectItem *>(m_parentNode->m_item);
    if (!rect)
        return;
    // Grown by this child alone once the rectangle holds the others: measuring
    // every child again for each new one made large groups quadratic. The
    // rectangle may then be larger than needed, never smaller.
    const QRectF current = rect->rect();
    if (m_item && m_item->parentItem() == rect && current.width() >= 0 && current.height() >= 0) {
        const QRectF own = m_item->mapRectToParent(m_item->boundingRect() | m_item->childrenBoundingRect());
        rect->setRect(current | own);
    } else {
        rect->setRect(rect->childrenBoundingRect());
    }
}

// ---- Style resolution ----

namespace {
// Reads a number from the "style" property, else the attribute.
bool styleNumber(const Node &node, const QString &name, double *value, bool styleAsLength)
{
    const auto style = node.styleMap().constFind(name);
    if (style != node.styleMap().constEnd()) {
        bool ok = false;
        const double v = styleAsLength ? unitConversion(style.value(), &ok) : style.value().toDouble(&ok);
        if (ok) {
            *value = v;
            return true;
        }
    }
    bool ok = false;
    const double v = getFloatTrait(node.domElem(), name, &ok);
    if (ok)
        *value = v;
    return ok;
}

QString styleText(const Node &node, const QString &name)
{
    const auto style = node.styleMap().constFind(name);
    if (style != node.styleMap().constEnd() && !style.value().isEmpty())
        return style.value();
    return getTrait(node.domElem(), name);
}

bool isUsableOpacity(double value)
{
    return value >= 0 && value <= 1;
}
} // namespace

double Node::getFillOpacity()
{
    double value = 1;
    if (styleNumber(*this, QStringLiteral("fill-opacity"), &value, false))
        value = isUsableOpacity(value) ? value : 1;
    else
        value = m_parentNode ? m_parentNode->getFillOpacity() : 1;
    m_fillOpacity = value;
    return value;
}

double Node::getStrokeOpacity()
{
    double value = 1;
    if (styleNumber(*this, QStringLiteral("stroke-opacity"), &value, false))
        value = isUsableOpacity(value) ? value : 1;
    else
        value = m_parentNode ? m_parentNode->getStrokeOpacity() : 1;
    m_strokeOpacity = value;
    return value;
}

double Node::getStrokeWidth()
{
    double value = 1;
    if (styleNumber(*this, QStringLiteral("stroke-width"), &value, true))
        value = value < 0 ? 1 : value;
    else
        value = m_parentNode ? m_parentNode->getStrokeWidth() : 1;
    m_strokeWidth = value;
    return value;
}

Qt::PenCapStyle Node::getStrokeLineCap()
{
    const QString value = getTrait(m_element, QStringLiteral("stroke-linecap"));
    Qt::PenCapStyle cap = Qt::FlatCap;
    if (value.isEmpty() || value == QLatin1String("inherit"))
        cap = m_parentNode ? m_parentNode->getStrokeLineCap() : Qt::FlatCap;
    else if (value == QLatin1String("round"))
        cap = Qt::RoundCap;
    else if (value == QLatin1String("square"))
        cap = Qt::SquareCap;
    m_lineCap = cap;
    return cap;
}

Qt::PenJoinStyle Node::getStrokeLineJoin()
{
    const QString value = getTrait(m_element, QStringLiteral("stroke-linejoin"));
    Qt::PenJoinStyle join = Qt::SvgMiterJoin;
    if (value.isEmpty() || value == QLatin1String("inherit"))
        join = m_parentNode ? m_parentNode->getStrokeLineJoin() : Qt::SvgMiterJoin;
    else if (value == QLatin1String("round"))
        join = Qt::RoundJoin;
    else if (value == QLatin1String("bevel"))
        join = Qt::BevelJoin;
    m_lineJoin = join;
    return join;
}

double Node::getFontSize()
{
    double value = -1;
    if (!styleNumber(*this, QStringLiteral("font-size"), &value, true) || value < 0)
        value = m_parentNode ? m_parentNode->getFontSize() : QFont().pointSizeF();
    m_fontSize = value;
    return value;
}

QString Node::getFontFamily()
{
    const QString value = styleText(*this, QStringLiteral("font-family"));
    QString family;
    if (value.isEmpty() || value == QLatin1String("inherit")) {
        family = m_parentNode ? m_parentNode->getFontFamily() : QFont().family();
    } else {
        // A CSS list: the first installed family wins.
        const QFontDatabase database;
        const QStringList candidates = value.split(QLatin1Char(','));
        for (QString candidate : candidates) {
            candidate = candidate.trimmed();
            if (candidate.size() >= 2 && (candidate.startsWith(QLatin1Char('\'')) || candidate.startsWith(QLatin1Char('"'))))
                candidate = candidate.mid(1, candidate.size() - 2);
            if (database.hasFamily(candidate)) {
                family = candidate;
                break;
            }
        }
        if (family.isEmpty()) {
            const QStringList families = database.families();
            family = families.isEmpty() ? QFont().family() : families.first();
        }
    }
    m_fontFamily = family;
    return family;
}

QFont::Style Node::getFontStyle()
{
    const QString value = styleText(*this, QStringLiteral("font-style"));
    QFont::Style style = QFont::StyleNormal;
    if (value.isEmpty())
        style = m_parentNode ? m_parentNode->getFontStyle() : QFont::StyleNormal;
    else if (value == QLatin1String("italic"))
        style = QFont::StyleItalic;
    else if (value == QLatin1String("oblique"))
        style = QFont::StyleOblique;
    m_fontStyle = style;
    return style;
}

int Node::getFontWeight()
{
    const QString value = styleText(*this, QStringLiteral("font-weight"));
    int weight = QFont::Normal;
    if (value.isEmpty()) {
        weight = m_parentNode ? m_parentNode->getFontWeight() : int(QFont::Normal);
    } else if (value == QLatin1String("lighter") || value == QLatin1String("light")) {
        weight = QFont::Light;
    } else if (value == QLatin1String("bold") || value == QLatin1String("bolder")) {
        weight = QFont::Bold;
    } else {
        // Numeric CSS weights: 100-300 light, 600-900 bold.
        bool ok = false;
        const int numeric = value.toInt(&ok);
        if (ok && numeric <= 300)
            weight = QFont::Light;
        else if (ok && numeric >= 600)
            weight = QFont::Bold;
    }
    m_fontWeight = weight;
    return weight;
}

namespace {
const QRegularExpression &uriPattern()
{
    static const QRegularExpression re(QStringLiteral("^url\\(\\s*\\#([\\w\\.\\-]+)\\s*\\)$"),
                                       QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

void applyOpacity(QBrush &brush, double opacity)
{
    if (opacity < 1 && brush.style() == Qt::SolidPattern) {
        QColor color = brush.color();
        color.setAlpha(int(opacity * 255));
        brush.setColor(color);
    }
}

// The brush of a paint server ("url(#id)"); false when the reference gives none.
bool paintServerBrush(const QDomElement &element, const QString &value, double opacity, QBrush *brush)
{
    const QRegularExpressionMatch match = uriPattern().match(value);
    if (!match.hasMatch())
        return false;
    const QDomElement server = getElementById(element.ownerDocument().documentElement(), match.captured(1));
    const QString tag = server.tagName();
    if (tag == QLatin1String("linearGradient") || tag == QLatin1String("radialGradient")) {
        QGradientStops stops;
        if (tag == QLatin1String("linearGradient")) {
            const QLinearGradient gradient = resolveLinearGradient(server, opacity);
            stops = gradient.stops();
            *brush = QBrush(gradient);
        } else {
            const QRadialGradient gradient = resolveRadialGradient(server, opacity);
            stops = gradient.stops();
            *brush = QBrush(gradient);
        }
        // QGradient::stops() reports a black-to-white pair when none were set, so count them in the DOM.
        if (gradientStopCount(server) == 0)
            *brush = QBrush();
        else if (stops.size() == 1)
            *brush = QBrush(stops.first().second);
        return true;
    }
    if (tag == QLatin1String("solidColor")) {
        *brush = getRGBColorTrait(server, QStringLiteral("solid-color"));
        QColor color = brush->color();
        color.setAlpha(int(opacity * 255));
        brush->setColor(color);
        return true;
    }
    return false;
}
} // namespace

QBrush Node::getFill(bool *ok, double opacity)
{
    if (opacity < 0)
        opacity = m_fillOpacity;
    const auto style = m_styleMap.constFind(QStringLiteral("fill"));
    const QString value =
        style != m_styleMap.constEnd() ? style.value() : getTrait(m_element, QStringLiteral("fill"));
    if (value == QLatin1String("none")) {
        if (ok)
            *ok = true;
        return QBrush();
    }
    QBrush brush;
    if (paintServerBrush(m_element, value, opacity, &brush)) {
        if (ok)
            *ok = true;
        return brush;
    }
    if (!value.isEmpty()) {
        bool colorOk = false;
        brush = getRGBColorTrait(value, &colorOk);
        if (colorOk) {
            if (ok)
                *ok = true;
            applyOpacity(brush, opacity);
            return brush;
        }
    }
    // Inheritance only for callers that ask for it (with an ok flag).
    if (!ok)
        return QBrush();
    if (m_parentNode)
        return m_parentNode->getFill(ok, opacity);
    brush = QBrush(Qt::black);
    applyOpacity(brush, opacity);
    return brush;
}

QPen Node::getStroke(bool *ok, double opacity, double width)
{
    if (opacity < 0)
        opacity = m_strokeOpacity;
    if (width < 0)
        width = m_strokeWidth;
    const auto style = m_styleMap.constFind(QStringLiteral("stroke"));
    const QString value =
        style != m_styleMap.constEnd() ? style.value() : getTrait(m_element, QStringLiteral("stroke"));
    if (value == QLatin1String("none")) {
        if (ok)
            *ok = true;
        return QPen(Qt::NoPen);
    }
    QBrush brush;
    if (paintServerBrush(m_element, value, opacity, &brush)) {
        if (ok)
            *ok = true;
        return QPen(brush, width, Qt::SolidLine, m_lineCap, m_lineJoin);
    }
    if (!value.isEmpty()) {
        bool colorOk = false;
        brush = getRGBColorTrait(value, &colorOk);
        if (colorOk) {
            if (ok)
                *ok = true;
            applyOpacity(brush, opacity);
            return QPen(brush, width, Qt::SolidLine, m_lineCap, m_lineJoin);
        }
    }
    if (!ok)
        return QPen(Qt::NoPen);
    if (m_parentNode) {
        QPen pen = m_parentNode->getStroke(ok, opacity, width);
        pen.setCapStyle(m_lineCap);
        pen.setJoinStyle(m_lineJoin);
        return pen;
    }
    // Nothing to draw with: a pen without a brush.
    return QPen(QBrush(Qt::NoBrush), width, Qt::SolidLine, m_lineCap, m_lineJoin);
}

void Node::readPrintParameters(const DefaultParameters &defaults)
{
    if (m_element.isNull())
        return;
    m_printParameters = ::readPrintParameters(m_element, defaults);
    // Defaults written into the element show in the attribute map as well.
    for (const QString &name : defaultedParameterNames())
        m_attributeMap.insert(name, m_element.attribute(name));
}
