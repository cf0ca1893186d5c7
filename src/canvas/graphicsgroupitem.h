#pragma once

#include "canvas/itemtypes.h"

#include <QGraphicsItem>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class SVGView;

// A group made on the canvas. It only refers to its members (they stay
// children of their layer); it is invisible and has no document node.
class GraphicsGroupItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
public:
    enum { Type = ItemType::Group };

    GraphicsGroupItem(SVGView *view, const QList<QGraphicsItem *> &members,
                      QGraphicsItem *parent = nullptr);
    // Members that still name this group as theirs are released.
    ~GraphicsGroupItem() override;

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    // Tells the members they belong to this group and merges their values.
    void addGroupMember();
    // Releases the members; the member list itself is kept.
    void clearGroupMember();
    // Merges the members' attribute values again.
    void upDateAtt();

    SVGView *view;
    QList<QGraphicsItem *> members;
    QMap<QString, QString> attributes;
    GraphicsGroupItem *ownerGroup = nullptr;

signals:
    void rightSelected(QGraphicsItem *item);
    void leftSelected(QGraphicsItem *item);
    void leftCtlSelected(QGraphicsItem *item);

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
};

// Sets the canvas group of any member of the item family; other items are
// left alone.
void setThisItemGroup(QGraphicsItem *item, GraphicsGroupItem *group);
