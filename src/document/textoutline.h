#pragma once

#include "nativeattributes.h"

#include <QDomNode>
#include <QFont>
#include <QMap>
#include <QString>

// Text to cuttable outlines: a machine can only follow outlines, so before a
// job is made every text of the working copy becomes "path" elements holding
// its glyphs, laid out exactly as the canvas shows them.

// The entries of the node's "style" attribute: "name:value" pairs split at
// ";", names and values trimmed; parts that are not one such pair are
// skipped, a later entry replaces an earlier one.
QMap<QString, QString> getStyle(const QDomNode &node);

// Font properties of a style map, read as the canvas reads them:
// - family: the first installed family of the "font-family" list (quotes
//   removed); the first installed family when none of them is installed;
//   the default family without the entry;
// - size: "font-size" in user units, used as a point size; the default point
//   size when missing, unreadable, zero or negative;
// - style: "italic", "oblique", anything else normal;
// - weight: "light"/"lighter" light, "bold"/"bolder" bold, numeric weights of
//   300 and less light and of 600 and more bold, anything else normal.
QString getFontFamily(const QMap<QString, QString> &style);
double getFontSize(const QMap<QString, QString> &style);
QFont::Style getFontStyle(const QMap<QString, QString> &style);
int getFontWeight(const QMap<QString, QString> &style);

// Appends to the parent of `textNode` (a "text" element) one "path" element
// per text child and per "tspan" child that has any outline, carrying the
// glyph outlines, the text's transform followed by the translation to its
// "x" and "y", a fill taken from the style and the text's nine print
// parameters (missing ones from `defaults`, power and speed 100). A tspan's
// style is its own completed by the text's. Font properties missing from the
// text's style come from its own font attributes, then from those of its
// ancestors, as on the canvas. Returns the number of paths appended; a node
// that is not a "text" element with a parent gives 0 and a diagnostic.
int textToPathElements(const QDomNode &textNode, const DefaultParameters &defaults);
