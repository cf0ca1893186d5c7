#pragma once

#include "gcode/gcodebuffer.h"

#include <QList>
#include <QPainterPath>

// Turns ordered, flattened outlines (design units) into absolute G-code
// records: a rapid move for every move, a cutting move for every line.
//
// scale: millimetres per design unit. paintSpeed / paintPower: full-scale F
// and S. The four lists run parallel to the outlines: power percent, speed
// percent, X and Y backlash in millimetres.
//
// The first cutting move of each outline carries its S and F words. Whenever
// an axis reverses direction a rapid move takes up that axis's backlash and
// every later coordinate of the call is shifted by it.
//
// Returns no records (with a warning) when a parameter list is shorter than
// the outline list or a parameter needed is not finite: a job with guessed
// power or speed is never produced. Points with non-finite coordinates are
// skipped, and the next point is reached by a rapid move.
QList<GCodeBuffer> path2GcodeBufferIncrement(const QList<QPainterPath> &paths, float scale,
                                             double paintSpeed, double paintPower,
                                             const QList<double> &scanPower,
                                             const QList<double> &scanSpeed,
                                             const QList<double> &xMotorMovementError,
                                             const QList<double> &yMotorMovementError);
