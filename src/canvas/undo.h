#pragma once

#include <QList>
#include <QString>

class Node;
class Scene;

// One change of the design that can be taken back. Commands refer to the very
// nodes, elements and items they concern; destroying a command never destroys
// those.
class Undo
{
public:
    // Class tags of the commands; the list runs only commands with these kinds.
    enum Kind : int {
        AttributeKind = 0,
        AddKind = 1,
        RemoveKind = 2,
        AddGroupKind = 3,
        RemoveGroupKind = 4,
        AddPathGroupKind = 5,
        RemovePathGroupKind = 6,
    };

    explicit Undo(int kind) : kind(kind) {}
    virtual ~Undo() = default;
    Undo(const Undo &) = delete;
    Undo &operator=(const Undo &) = delete;

    // Applies the command in the direction given by undoFlag.
    virtual void doSomething() = 0;

    // 1 while the command is being undone, 0 while it is being redone.
    int undoFlag = 0;
    int kind;
};

// Attribute values of one node before and after a change.
class AttributeOperating
{
public:
    AttributeOperating(Node *node, QList<QString> &names, QList<QString> &oldValues,
                       QList<QString> &newValues);

    Node *node;
    QList<QString> names;
    QList<QString> oldValues;
    QList<QString> newValues;
};

// Attribute changes of any number of nodes, replayed through the scene.
class AttributeUndo : public Undo
{
public:
    explicit AttributeUndo(Scene *scene);
    ~AttributeUndo() override;

    // Takes ownership; a null operation is ignored.
    void append(AttributeOperating *operation);
    const QList<AttributeOperating *> &operations() const { return operationList; }
    void doSomething() override;

private:
    Scene *scene;
    QList<AttributeOperating *> operationList;
};

// An element added under a node: undo takes it out of the document and off
// the canvas, redo puts the same element and item back as the last child.
class AddUndo : public Undo
{
public:
    explicit AddUndo(Node *node);
    void doSomething() override;

    Node *node;
};

// Takes a node's element out of its parent element and its item off the scene.
void detachNode(Node *node);
// Puts a node's element back as the last child of its parent's element and its
// item under the parent's item.
void attachNode(Node *node);

// The undo history: commands 0 ... index are in effect, those after index were
// undone and can be redone. Owns its commands.
class CamdList
{
public:
    CamdList() = default;
    ~CamdList();
    CamdList(const CamdList &) = delete;
    CamdList &operator=(const CamdList &) = delete;

    // Discards what could be redone, then adds the command (taking ownership).
    void append(Undo *command);
    void undo();
    void redo();
    // Forgets every command (the document they refer to is gone).
    void clear();
    // Removes the last command if it is `command` and in effect, deleting it.
    bool dropLast(const Undo *command);

    int count() const { return commands.size(); }
    int position() const { return index; }
    Undo *at(int i) const { return commands.value(i, nullptr); }
    bool canUndo() const { return index >= 0; }
    bool canRedo() const { return index + 1 < commands.size(); }

private:
    QList<Undo *> commands;
    int index = -1;
};
