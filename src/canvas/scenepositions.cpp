// Writing item positions back into the document, and the attribute replay
// that undo and redo rely on for them.
#include "canvas/scene.h"

#include "canvas/graphicsgroupitem.h"
#include "canvas/itemtypes.h"
#include "canvas/undo.h"
#include "document/node.h"
#include "document/svgvalues.h"
#include "document/textelement.h"

#include <QDebug>
#include <QGraphicsItem>

namespace {

QString fixedNumber(double v)
{
    QString text;
    text.setNum(v, 'f', 6);
    return text;
}

QString matrixText(const QTransform &m)
{
    return QStringLiteral("matrix(%1,%2,%3,%4,%5,%6)")
        .arg(fixedNumber(m.m11()), fixedNumber(m.m12()), fixedNumber(m.m21()), fixedNumber(m.m22()),
             fixedNumber(m.dx()), fixedNumber(m.dy()));
}

// The element's transform rewritten for an anchor moved by d, so that the
// item keeps its look.
QString shiftedMatrix(const QDomElement &element, const QPointF &d)
{
    const QTransform t = getTransformValueHelp(element.attribute(QStringLiteral("transform")));
    const QTransform m = QTransform::fromTranslate(-d.x(), -d.y()) * t * QTransform::fromTranslate(d.x(), d.y());
    return matrixText(m);
}

// Where an element's item sits in its parent: its anchor.
QPointF elementAnchor(const Node *node, const QGraphicsItem *item)
{
    const QDomElement element = node->domElem();
    switch (node->nodeType()) {
    case NodeType::Rect:
    case NodeType::Image:
    case NodeType::Text:
        return QPointF(getFloatTrait(element, QStringLiteral("x")), getFloatTrait(element, QStringLiteral("y")));
    case NodeType::Circle:
    case NodeType::Ellipse: {
        const QRectF box = item->boundingRect();
        return QPointF(getFloatTrait(element, QStringLiteral("cx")) - box.width() / 2,
                       getFloatTrait(element, QStringLiteral("cy")) - box.height() / 2);
    }
    default:
        return QPointF(0, 0);
    }
}

// Puts the item where its element says (after an attribute was replayed).
void placeItemFromElement(Node *node)
{
    QGraphicsItem *item = node->item();
    if (!item)
        return;
    switch (node->nodeType()) {
    case NodeType::Rect:
    case NodeType::Image:
    case NodeType::Text:
    case NodeType::Circle:
    case NodeType::Ellipse:
    case NodeType::Path:
    case NodeType::Line:
    case NodeType::Polyline:
    case NodeType::Polygon:
        item->setPos(elementAnchor(node, item));
        item->setTransform(getTransform(node->domElem()));
        node->setPraentRect();
        break;
    default:
        break;
    }
}

} // namespace

AttributeOperating *Scene::setItemPos(Node *node)
{
    QGraphicsItem *item = node ? node->item() : nullptr;
    if (!item)
        return nullptr;
    QDomElement element = node->domElem();
    const QPointF p = item->pos();
    QList<QString> names;
    QList<QString> oldValues;
    QList<QString> newValues;
    switch (node->nodeType()) {
    case NodeType::Rect:
    case NodeType::Text:
    case NodeType::Image: {
        const QPointF a(getFloatTrait(element, QStringLiteral("x")), getFloatTrait(element, QStringLiteral("y")));
        names = {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("transform")};
        for (const QString &name : qAsConst(names))
            oldValues.append(element.attribute(name));
        newValues = {fixedNumber(p.x()), fixedNumber(p.y()), shiftedMatrix(element, p - a)};
        node->setTraits(names, newValues);
        break;
    }
    case NodeType::Circle:
    case NodeType::Ellipse: {
        const QRectF box = item->boundingRect();
        const QPointF c(p.x() + box.width() / 2, p.y() + box.height() / 2);
        const QPointF old(getFloatTrait(element, QStringLiteral("cx")), getFloatTrait(element, QStringLiteral("cy")));
        names = {QStringLiteral("cx"), QStringLiteral("cy"), QStringLiteral("transform")};
        for (const QString &name : qAsConst(names))
            oldValues.append(element.attribute(name));
        newValues = {fixedNumber(c.x()), fixedNumber(c.y()), shiftedMatrix(element, c - old)};
        node->setTraits(names, newValues);
        item->setTransform(getTransform(element));
        break;
    }
    case NodeType::Path:
    case NodeType::Line:
    case NodeType::Polyline:
    case NodeType::Polygon: {
        // Their geometry has no anchor: moves gather in a leading translate.
        QString t = element.attribute(QStringLiteral("transform"));
        if (!hasTranslate(t))
            replaceTranslate(t, QStringLiteral("translate(0,0)"));
        QString moved = t;
        replaceTranslate(moved, QStringLiteral("translate(") + fixedNumber(p.x()) + QLatin1Char(',')
                                    + fixedNumber(p.y()) + QLatin1Char(')'));
        names = {QStringLiteral("transform")};
        oldValues = {t};
        newValues = {moved};
        node->setTraits(names, newValues);
        item->setPos(0, 0);
        item->setTransform(getTransform(element));
        break;
    }
    default:
        return nullptr;
    }
    node->setPraentRect();
    return new AttributeOperating(node, names, oldValues, newValues);
}

void Scene::setGroupMemberPos(QGraphicsItem *group, AttributeUndo *command)
{
    QList<QGraphicsItem *> members;
    selectGroupMember(group, members);
    for (QGraphicsItem *member : qAsConst(members)) {
        Node *node = itemNode(member);
        if (!node) {
            qDebug() << "con't reinterpret_cast node";
            continue;
        }
        AttributeOperating *operation = setItemPos(node);
        if (command)
            command->append(operation);
        else
            delete operation;
    }
}

AttributeOperating *Scene::setNodeAttribute(Node *node, const QString &name, const QString &value)
{
    if (!node || name.isEmpty())
        return nullptr;
    if (name == QLatin1String("word"))
        return setTextWord(node, value);
    QList<QString> names{name};
    QList<QString> oldValues{node->domElem().attribute(name)};
    QList<QString> newValues{value};
    if (!node->setTrait(name, value))
        return nullptr;
    placeItemFromElement(node);
    return new AttributeOperating(node, names, oldValues, newValues);
}
