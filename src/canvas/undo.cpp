#include "canvas/undo.h"

#include "canvas/scene.h"
#include "document/node.h"

#include <QDebug>
#include <QGraphicsItem>
#include <QGraphicsScene>

AttributeOperating::AttributeOperating(Node *node, QList<QString> &names, QList<QString> &oldValues,
                                       QList<QString> &newValues)
    : node(node), names(names), oldValues(oldValues), newValues(newValues)
{
}

AttributeUndo::AttributeUndo(Scene *scene)
    : Undo(AttributeKind), scene(scene)
{
}

AttributeUndo::~AttributeUndo()
{
    qDeleteAll(operationList);
}

void AttributeUndo::append(AttributeOperating *operation)
{
    if (operation)
        operationList.append(operation);
}

void AttributeUndo::doSomething()
{
    qDebug() << (undoFlag ? "undo attribute change" : "redo attribute change") << operationList.size();
    if (!scene)
        return;
    for (AttributeOperating *operation : qAsConst(operationList)) {
        const QList<QString> &values = undoFlag ? operation->oldValues : operation->newValues;
        const int count = qMin(operation->names.size(), values.size());
        for (int j = 0; j < count; ++j)
            delete scene->setNodeAttribute(operation->node, operation->names.at(j), values.at(j));
    }
}

AddUndo::AddUndo(Node *node)
    : Undo(AddKind), node(node)
{
}

void AddUndo::doSomething()
{
    qDebug() << (undoFlag ? "undo add" : "redo add");
    if (undoFlag)
        detachNode(node);
    else
        attachNode(node);
}

void detachNode(Node *node)
{
    if (!node)
        return;
    QDomElement element = node->domElem();
    QDomNode parentElement = element.parentNode();
    if (!parentElement.isNull())
        parentElement.removeChild(element);
    QGraphicsItem *item = node->item();
    if (item && item->scene())
        item->scene()->removeItem(item);
    if (Node *parent = node->parent()) {
        parent->markChildRowsStale();
        parent->setPraentRect();
    }
}

void attachNode(Node *node)
{
    if (!node || !node->parent())
        return;
    Node *parent = node->parent();
    QDomElement parentElement = parent->domElem();
    if (!parentElement.isNull())
        parentElement.appendChild(node->domElem());
    parent->markChildRowsStale();
    QGraphicsItem *item = node->item();
    if (item && parent->item())
        item->setParentItem(parent->item());
    node->setPraentRect();
}

CamdList::~CamdList()
{
    clear();
}

void CamdList::append(Undo *command)
{
    if (!command)
        return;
    while (commands.size() > index + 1)
        delete commands.takeLast();
    commands.append(command);
    index = commands.size() - 1;
}

void CamdList::undo()
{
    if (index < 0)
        return;
    Undo *command = commands.at(index);
    if (command->kind >= Undo::AttributeKind && command->kind <= Undo::RemovePathGroupKind) {
        command->undoFlag = 1;
        command->doSomething();
    }
    --index;
}

void CamdList::redo()
{
    if (index + 1 >= commands.size())
        return;
    ++index;
    Undo *command = commands.at(index);
    if (command->kind >= Undo::AttributeKind && command->kind <= Undo::RemovePathGroupKind) {
        command->undoFlag = 0;
        command->doSomething();
    }
}

void CamdList::clear()
{
    qDeleteAll(commands);
    commands.clear();
    index = -1;
}

bool CamdList::dropLast(const Undo *command)
{
    if (commands.isEmpty() || commands.last() != command || index != commands.size() - 1)
        return false;
    delete commands.takeLast();
    index = commands.size() - 1;
    return true;
}
