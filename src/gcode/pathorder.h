#pragma once

#include <QList>
#include <QPainterPath>

// One outline to cut, with its print parameters, as a node of the containment
// tree. Nodes are created and owned by the caller: every node returned by the
// functions below is one of the nodes passed in (a node that must be walked
// backwards has its path reversed in place), so the caller frees exactly the
// nodes it made.
struct PathTreeNode
{
    QPainterPath path;               // flattened outline: moves and lines only
    double scanPower = 100;          // percent of full power
    double scanSpeed = 100;          // percent of full speed
    double xMotorMovementError = 0.1; // X backlash in mm
    double yMotorMovementError = 0.1; // Y backlash in mm
    QList<PathTreeNode *> children;  // contained outlines, already ordered
};

// How the containment tree decides that one outline lies inside another.
enum class ContainmentCheck {
    // Pairs whose bounding boxes cannot nest are rejected before the exact
    // test. Same results as ExactOnly, far fewer exact tests.
    BoundingBoxFirst,
    // Every pair goes through QPainterPath::contains.
    ExactOnly,
};

// Orders outlines to keep the head's travel short, never reversing them:
// starts at the outline nearest the lower-left corner, then repeatedly takes
// the outline whose start is nearest the current point. Distances are
// compared in whole units, so among candidates within the same unit the
// earlier one in the list wins.
QList<QPainterPath> sortThePath(const QList<QPainterPath> &paths);

// The same ordering for one tree level, measuring to both ends of every
// outline: an outline entered from its end is reversed in place (a tie
// reverses). A node with an empty path that would be taken reversed is left
// out of the result.
QList<PathTreeNode *> sortThePathTree(const QList<PathTreeNode *> &nodes);

// Builds the containment tree (every outline lying wholly inside another
// becomes a descendant of it) and orders every level with sortThePathTree.
// Returns the ordered top level. Outlines with non-finite coordinates never
// contain and are never contained.
QList<PathTreeNode *> sortThePathContainmentRelationshipList(
    const QList<PathTreeNode *> &nodes,
    ContainmentCheck check = ContainmentCheck::BoundingBoxFirst);

// Every node of the tree exactly once, each contained outline before the
// outline containing it, siblings in their order.
QList<PathTreeNode *> readPathTree(const QList<PathTreeNode *> &roots);
QList<PathTreeNode *> readPathTreeChild(const QList<PathTreeNode *> &nodes);
