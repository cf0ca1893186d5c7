#pragma once

#include <QList>
#include <QMap>
#include <QRectF>
#include <QString>

class QGraphicsItem;

// Scene rectangle enclosing the items as the job will see them: path items by
// their path without the pen, black-and-white images by their traced outline,
// everything else by its scene bounding rectangle. An empty list gives a null
// rectangle.
QRectF findSelectedItemBoundingRect(const QList<QGraphicsItem *> &items);

// The attribute values of the items merged for the property panel.
QMap<QString, QString> getAttritubeValue(const QList<QGraphicsItem *> &items);
