#pragma once

#include <QList>
#include <QPainterPath>
#include <QPointF>

// Polyline helpers for vector cutting. Outlines are in design units; the
// laser only ever follows straight segments, so curves are sampled here.
//
// Points with non-finite coordinates cannot be cut. Wherever a function below
// meets one it drops the point together with the segments touching it: the
// next usable point starts a new subpath (a move, never a line from an
// unknown place).

// Appends the cubic held in `cubic` (elements 0..3: start, two control points,
// end) to `out` as lines through samples spaced by segmentLength along the
// curve (at least ten pieces), ending exactly at the end point. A non-positive
// or non-finite segmentLength gives ten pieces; very long curves are capped at
// 10 000 pieces. When `out` is empty the start point becomes its first move.
void bezierToLine2(QPainterPath &out, const QPainterPath &cubic, double segmentLength);

// The whole outline with every curve flattened by bezierToLine2; moves and
// lines are copied.
QPainterPath pathSwitch(const QPainterPath &path, double segmentLength);

// The same polyline walked backwards: the last point first, every subpath
// reversed and the subpaths in reverse order. A trailing lone move (nothing to
// cut) is not turned into a line. An empty path gives an empty path.
QPainterPath reversePath(const QPainterPath &path);

// Splits `path` at every move into separate pieces appended to `out`. A piece
// holding only a move is not kept, except the last one: an outline without
// elements therefore yields one empty path.
void segmentationPath(QList<QPainterPath> &out, const QPainterPath &path);

// Signed angle in degrees from the ray origin->first to the ray origin->second,
// not normalised (range -360..360). NaN when a coordinate is NaN.
double vectorDotProduct2Angle(QPointF origin, QPointF first, QPointF second);

// First and last element of an outline: where cutting it starts and ends.
// (0, 0) for a path without elements.
QPointF pathStartPoint(const QPainterPath &path);
QPointF pathEndPoint(const QPainterPath &path);
