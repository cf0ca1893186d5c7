#pragma once

#include <QPainterPath>

class QGraphicsSceneMouseEvent;
class QPainter;

// Helpers shared by the painted and clickable members of the item family.
namespace ItemSupport {

// Which of the three selection signals a press stands for.
enum class PressKind { Right, LeftControl, Left };
PressKind classifyPress(const QGraphicsSceneMouseEvent *event);

// Size of one screen pixel in item units under the painter's current world
// matrix. Uses the length of the mapped x unit so that rotated items (where
// the horizontal scale factor alone can be 0) still get a finite size; keeps
// `previous` when the matrix collapses the x axis.
double pixelSize(const QPainter *painter, double previous);

// Width of the hit band around the outline of an unfilled item: about 20
// screen pixels, never wider than 100 item units.
double hitBandWidth(double pixelSize);

// The band of hitBandWidth(pixelSize) around `outline`.
QPainterPath outlineHitShape(const QPainterPath &outline, double pixelSize);

} // namespace ItemSupport
