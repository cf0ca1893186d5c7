#include "canvas/scene.h"

#include "canvas/graphicsellipseitem.h"
#include "canvas/graphicsgroupitem.h"
#include "canvas/graphicspathitem.h"
#include "canvas/graphicsrectitem.h"
#include "canvas/graphicstextitem.h"
#include "canvas/gridtool.h"
#include "canvas/itemmeasure.h"
#include "canvas/itemtypes.h"
#include "canvas/selectingtool.h"
#include "canvas/selectitem.h"
#include "canvas/undo.h"
#include "document/node.h"
#include "document/svgvalues.h"
#include "document/svgview.h"
#include "document/textelement.h"

#include <QDebug>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QtMath>

#include <cmath>

namespace {

const char FreeHandStyle[] = "fill:none;stroke:#000000;stroke-width:0.264583px;stroke-linecap:butt;"
                             "stroke-linejoin:miter;stroke-opacity:1";
const char ShapeStyle[] = "fill:none;stroke:#000000;stroke-width:0.264583";
// New text carries Inkscape's own font property too, as Inkscape writes it
// (the \x73 is an "s"), so the design opens there with the same font.
const char TextStyle[] = "font-size:50px;line-height:125%;font-family:sans-serif;"
                         "-inkscape-font-\x73pecification:sans-serif;letter-spacing:0px;fill:none;"
                         "stroke:#000000;stroke-width:0.264583";

// Numbers of new elements: six significant digits.
QString shortNumber(double v)
{
    return QString::number(v, 'g', 6);
}

// Numbers of finished geometry: six decimals.
QString fixedNumber(double v)
{
    QString text;
    text.setNum(v, 'f', 6);
    return text;
}

// A painter path holding no more than its start point draws nothing.
bool drawsNothing(const QPainterPath &path)
{
    return path.elementCount() <= 1;
}

} // namespace

Scene::Scene(MainWindow *window, SVGView *view)
    : QGraphicsScene(view), window(window), view(view)
{
    // The selection reports may cross queued connections.
    qRegisterMetaType<QMap<QString, QString>>("QMap<QString,QString>");
    setBackgroundBrush(Qt::white);
    grid = new GridTool(QSizeF(3200, 2400), QSizeF(125, 125));
    connect(this, &QGraphicsScene::selectionChanged, this, &Scene::selectNode);
}

Scene::~Scene()
{
    // Items disappear with the scene: nothing below may refer to them.
    disconnect(this, &QGraphicsScene::selectionChanged, this, &Scene::selectNode);
    qDeleteAll(penSamples);
    penSamples.clear();
    delete grid;
}

DoodleTool Scene::currentTool() const
{
    return view ? view->doodleTool() : DoodleTool::Select;
}

QPointF Scene::layerPoint(const QPointF &scenePos) const
{
    Node *layer = view ? view->drawingLayer() : nullptr;
    QGraphicsItem *layerItem = layer ? layer->item() : nullptr;
    if (!layerItem)
        return scenePos;
    bool invertible = false;
    const QTransform toLayer = layerItem->sceneTransform().inverted(&invertible);
    return invertible ? toLayer.map(scenePos) : scenePos;
}

// ---- Selection ----

void Scene::clearUpSelected()
{
    const QList<QGraphicsItem *> selected = selectedItems();
    for (QGraphicsItem *item : selected)
        item->setSelected(false);
    removeTextInputFlag();
    mSelectedItemList.clear();
}

void Scene::clearSelectionQuietly()
{
    suppressSelectionReport = true;
    qDebug() << "clearUpSelected();";
    clearUpSelected();
    suppressSelectionReport = false;
}

void Scene::refreshSelectionFrame()
{
    if (!selectItem)
        return;
    QList<QGraphicsItem *> framed;
    const QList<QGraphicsItem *> selected = selectedItems();
    for (QGraphicsItem *item : selected) {
        if (item->type() == ItemType::Group)
            selectGroupMember(item, framed);
        else
            framed.append(item);
    }
    selectItem->setSelectedItem(framed);
}

void Scene::removeSelectItem()
{
    if (selectItem && selectItem->scene() == this)
        removeItem(selectItem);
}

void Scene::removeTextInputFlag()
{
    // What was typed into the selected texts goes into their elements as one
    // undo step; texts left as they were record nothing.
    auto *command = new AttributeUndo(this);
    for (QGraphicsItem *item : qAsConst(mSelectedItemList)) {
        if (!item || item->type() != ItemType::Text)
            continue;
        auto *text = static_cast<GraphicsTextItem *>(item);
        text->removeInputFlag();
        Node *node = itemNode(text);
        if (!node)
            break;
        command->append(setTextWord(node, text->toPlainText()));
    }
    if (view && !command->operations().isEmpty())
        view->camdListAppend(command);
    else
        delete command;
}

void Scene::selectGroupMember(QGraphicsItem *group, QList<QGraphicsItem *> &out)
{
    if (!group || group->type() != ItemType::Group)
        return;
    // Depth first without recursion: canvas groups may nest deeply.
    QList<QGraphicsItem *> pending = static_cast<GraphicsGroupItem *>(group)->members;
    std::reverse(pending.begin(), pending.end());
    int visited = 0;
    while (!pending.isEmpty() && visited++ < 1000000) {
        QGraphicsItem *member = pending.takeLast();
        if (!member)
            continue;
        if (member->type() == ItemType::Group) {
            QList<QGraphicsItem *> inner = static_cast<GraphicsGroupItem *>(member)->members;
            for (int i = inner.size() - 1; i >= 0; --i)
                pending.append(inner.at(i));
        } else {
            out.append(member);
        }
    }
}

void Scene::leftSelected(QGraphicsItem *item)
{
    mouseState = ItemPressed;
    if (!item || selectedItems().size() > 1)
        return; // pressing one of several selected items drags them all
    clearSelectionQuietly();
    if (GraphicsGroupItem *group = getThisItemGroup(item)) {
        group->setSelected(true);
        mSelectedItemList.append(item);
        qDebug() << "leftSelected getThisItemGroup   mSelectedItemList" << mSelectedItemList;
    } else {
        item->setSelected(true);
        mSelectedItemList.append(item);
        if (item->type() == ItemType::Group)
            qDebug() << "leftSelected GroupItem    mSelectedItemList" << mSelectedItemList;
        else
            qDebug() << "leftSelected   mSelectedItemList" << mSelectedItemList;
    }
}

void Scene::leftCtlSelected(QGraphicsItem *item)
{
    mouseState = ItemPressed;
    if (!item || mSelectedItemList.contains(item))
        return;
    item->setSelected(true);
    mSelectedItemList.append(item);
    qDebug() << "leftCtlSelected   mSelectedItemList" << mSelectedItemList.size();
}

void Scene::rightSelected(QGraphicsItem *)
{
    mouseState = ItemPressed;
    clearUpSelected();
}

void Scene::resize()
{
    mouseState = HandleDrag;
}

void Scene::selectNode()
{
    if (selectionGuard)
        return;
    QList<QGraphicsItem *> selected = selectedItems();
    if (mouseState == RubberBand) {
        // A band that caught a member of a canvas group selects the group.
        selectionGuard = true;
        for (int i = 0; i < selected.size(); ++i) {
            GraphicsGroupItem *group = getThisItemGroup(selected.at(i));
            if (!group)
                continue;
            group->setSelected(true);
            selected.at(i)->setSelected(false);
            selected = selectedItems();
            i = -1;
        }
        selectionGuard = false;
        mSelectedItemList = selected;
        qDebug() << "2222222    mSelectedItemList" << mSelectedItemList.size();
    }
    // An empty selection has no frame, reported or not.
    if (selected.isEmpty())
        removeSelectItem();
    if (suppressSelectionReport)
        return;
    reportSelection(selected);
}

void Scene::reportSelection(const QList<QGraphicsItem *> &selected)
{
    if (selected.isEmpty()) {
        removeSelectItem();
        emit selectNoneNode();
        return;
    }
    QList<QGraphicsItem *> framed;
    for (QGraphicsItem *item : selected) {
        if (item->type() == ItemType::Group)
            selectGroupMember(item, framed);
        else
            framed.append(item);
    }
    const QRectF bound = findSelectedItemBoundingRect(framed);
    removeSelectItem();
    delete selectItem;
    selectItem = new SelectItem(bound, nullptr, this, framed);
    const QMap<QString, QString> atts = getAttritubeValue(framed);
    if (selected.size() == 1)
        emit selectOneNode(atts, bound);
    else
        emit selectPluralNode(atts, bound);
}

// ---- Mouse ----

void Scene::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    const QPointF p = layerPoint(event->scenePos());
    switch (currentTool()) {
    case DoodleTool::Select:
        selectPress(event);
        break;
    case DoodleTool::Text:
        if (event->button() == Qt::LeftButton)
            textPress(p);
        break;
    case DoodleTool::Path:
        if (event->button() == Qt::LeftButton)
            pathPress(p);
        break;
    case DoodleTool::Line:
        linePress(event, p);
        break;
    case DoodleTool::Rectangle:
        if (event->button() == Qt::LeftButton)
            shapePress(p, false);
        break;
    case DoodleTool::Ellipse:
        if (event->button() == Qt::LeftButton)
            shapePress(p, true);
        break;
    }
}

void Scene::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    const QPointF p = layerPoint(event->scenePos());
    lastMousePos = event->scenePos();
    switch (currentTool()) {
    case DoodleTool::Select:
        selectMove(event);
        break;
    case DoodleTool::Path:
        pathMove(p);
        break;
    case DoodleTool::Line:
        lineMove(p);
        break;
    case DoodleTool::Rectangle:
    case DoodleTool::Ellipse:
        shapeMove(p, event->modifiers());
        break;
    case DoodleTool::Text:
        break;
    }
}

void Scene::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    switch (currentTool()) {
    case DoodleTool::Select:
        selectRelease(event);
        break;
    case DoodleTool::Text:
        textRelease();
        break;
    case DoodleTool::Path:
        pathRelease();
        break;
    case DoodleTool::Rectangle:
    case DoodleTool::Ellipse:
        shapeRelease();
        break;
    case DoodleTool::Line:
        break;
    }
}

void Scene::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    if (currentTool() != DoodleTool::Select) {
        event->ignore();
        return;
    }
    mouseState = DoubleClick;
    QGraphicsScene::mouseDoubleClickEvent(event);
}

void Scene::wheelEvent(QGraphicsSceneWheelEvent *)
{
    // Zooming belongs to the design view.
}

void Scene::selectPress(QGraphicsSceneMouseEvent *event)
{
    moved = false;
    mouseState = PressedEmpty;
    QGraphicsScene::mousePressEvent(event);
    if (mouseState == HandleDrag || mouseState == ItemPressed)
        return;
    clearSelectionQuietly();
    if (event->button() == Qt::LeftButton && !panning) {
        mouseState = RubberBand;
        if (selectingTool) {
            removeItem(selectingTool);
            delete selectingTool;
        }
        selectingTool = new SelectingTool(QRectF(event->scenePos(), QSizeF(0, 0)), this);
        addItem(selectingTool);
    }
}

void Scene::selectMove(QGraphicsSceneMouseEvent *event)
{
    QGraphicsScene::mouseMoveEvent(event);
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (mouseState == ItemPressed) {
        const QPointF current = event->scenePos();
        const QPointF previous = event->lastScenePos();
        const QList<QGraphicsItem *> selected = selectedItems();
        for (QGraphicsItem *item : selected) {
            if (item->type() == ItemType::Group) {
                moveGroupMember(item, current, previous);
                continue;
            }
            const QPointF d = item->mapToParent(item->mapFromScene(current))
                - item->mapToParent(item->mapFromScene(previous));
            if (!d.isNull()) {
                moved = true;
                item->setPos(item->pos() + d);
            }
        }
        if (selectItem && selectItem->scene() == this) {
            const QPointF d = selectItem->mapToParent(selectItem->mapFromScene(current))
                - selectItem->mapToParent(selectItem->mapFromScene(previous));
            if (!d.isNull())
                selectItem->setPos(selectItem->pos() + d);
        }
    } else if (mouseState == RubberBand && selectingTool) {
        selectingTool->setBound(event->scenePos());
    }
}

void Scene::moveGroupMember(QGraphicsItem *group, QPointF scenePos, QPointF lastScenePos)
{
    QList<QGraphicsItem *> members;
    selectGroupMember(group, members);
    for (QGraphicsItem *member : qAsConst(members)) {
        const QPointF d = member->mapToParent(member->mapFromScene(scenePos))
            - member->mapToParent(member->mapFromScene(lastScenePos));
        if (!d.isNull()) {
            moved = true;
            member->setPos(member->pos() + d);
        }
    }
    group->update();
}

void Scene::selectRelease(QGraphicsSceneMouseEvent *event)
{
    panning = false;
    QGraphicsScene::mouseReleaseEvent(event);
    if (mouseState == RubberBand && selectingTool) {
        selectingTool->setSelecting();
        removeItem(selectingTool);
        delete selectingTool;
        selectingTool = nullptr;
        return;
    }
    if (mouseState == ItemPressed && moved) {
        moved = false;
        auto *command = new AttributeUndo(this);
        const QList<QGraphicsItem *> selected = selectedItems();
        for (QGraphicsItem *item : selected) {
            if (item->type() == ItemType::Group) {
                setGroupMemberPos(item, command);
                continue;
            }
            Node *node = itemNode(item);
            if (!node) {
                qDebug() << "con't reinterpret_cast node";
                continue;
            }
            command->append(setItemPos(node));
        }
        if (view)
            view->camdListAppend(command);
        else
            delete command;
        const QList<QGraphicsItem *> framed = selectItem ? selectItem->selectedItems() : selected;
        const QRectF bound = selectItem ? selectItem->sceneBoundingRect() : findSelectedItemBoundingRect(framed);
        emit selectOneNode(getAttritubeValue(framed), bound);
    }
}

// ---- Drawing tools ----

void Scene::textPress(const QPointF &p)
{
    if (!view)
        return;
    currentNode = view->addItem(QStringLiteral("text"),
                                {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("style"),
                                 QStringLiteral("rotate")},
                                {shortNumber(p.x()), shortNumber(p.y()), QLatin1String(TextStyle),
                                 QStringLiteral("0")});
}

void Scene::textRelease()
{
    Node *node = currentNode;
    currentNode = nullptr;
    if (!node)
        return;
    mouseState = PressedEmpty;
    QGraphicsItem *item = node->item();
    const QPointF position = item ? item->pos() : QPointF(getFloatTrait(node->domElem(), QStringLiteral("x")),
                                                           getFloatTrait(node->domElem(), QStringLiteral("y")));
    node->setTraits({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("style")},
                    {fixedNumber(position.x()), fixedNumber(position.y()), QLatin1String(TextStyle)});
    if (item) {
        item->setSelected(true);
        if (item->type() == ItemType::Text)
            static_cast<GraphicsTextItem *>(item)->setTextRevise();
        qDebug() << "1111111    mSelectedItemList" << mSelectedItemList.size();
        mSelectedItemList.append(item);
        qDebug() << "2222222    mSelectedItemList" << mSelectedItemList.size();
    }
    if (view)
        view->setDoodleTool(DoodleTool::Select);
    removeSelectItem();
    emit RequestToChangeToSelect();
}

void Scene::pathPress(const QPointF &p)
{
    if (!view)
        return;
    penDown = true;
    drawPath = QPainterPath(p);
    qDeleteAll(penSamples);
    penSamples.clear();
    penSamples.append(new QPointF(p));
    penSamples.append(new QPointF(p));
    currentNode = view->addItem(QStringLiteral("path"), {QStringLiteral("d"), QStringLiteral("style")},
                                {QStringLiteral("m") + shortNumber(p.x()) + QLatin1Char(',') + shortNumber(p.y()),
                                 QLatin1String(FreeHandStyle)});
}

void Scene::pathMove(const QPointF &p)
{
    if (!penDown || !currentNode || currentNode->nodeType() != NodeType::Path)
        return;
    if (!penSamples.isEmpty() && *penSamples.last() == p)
        return;
    penSamples.append(new QPointF(p));
    if (penSamples.size() != 16)
        return;
    const QList<QPointF *> control = controlPoint(*penSamples.at(0), *penSamples.at(4), *penSamples.at(8),
                                                  *penSamples.at(12));
    drawPath.cubicTo(*control.at(0), *control.at(1), *penSamples.at(8));
    qDeleteAll(control);
    if (auto *item = qgraphicsitem_cast<GraphicsPathItem *>(currentNode->item()))
        item->setPath(drawPath);
    for (int i = 0; i < 4; ++i)
        delete penSamples.takeFirst();
}

void Scene::pathRelease()
{
    if (!penDown)
        return;
    penDown = false;
    if (currentNode) {
        if (drawsNothing(drawPath)) {
            discardCurrentNode();
        } else {
            currentNode->setTraits({QStringLiteral("d"), QStringLiteral("style")},
                                   {painterPathToD(), QLatin1String(FreeHandStyle)});
        }
    }
    drawPath = QPainterPath();
    qDeleteAll(penSamples);
    penSamples.clear();
    currentNode = nullptr;
}

QList<QPointF *> Scene::controlPoint(QPointF p0, QPointF p1, QPointF p2, QPointF p3)
{
    const double smoothing = 0.3;
    const QPointF m01 = (p0 + p1) / 2;
    const QPointF m12 = (p1 + p2) / 2;
    const QPointF m23 = (p2 + p3) / 2;
    const double l1 = std::hypot(p1.x() - p0.x(), p1.y() - p0.y());
    const double l2 = std::hypot(p2.x() - p1.x(), p2.y() - p1.y());
    const double l3 = std::hypot(p3.x() - p2.x(), p3.y() - p2.y());
    // Coinciding samples give no direction: fall back to the midpoints.
    const double k1 = l1 + l2 > 0 ? l1 / (l1 + l2) : 0.5;
    const double k2 = l2 + l3 > 0 ? l2 / (l2 + l3) : 0.5;
    const QPointF a = m01 + (m12 - m01) * k1;
    const QPointF b = m12 + (m23 - m12) * k2;
    const QPointF c1 = a + (m12 - a) * smoothing + (p1 - a);
    const QPointF c2 = b + (m12 - b) * smoothing + (p2 - b);
    return {new QPointF(c1), new QPointF(c2)};
}

QString Scene::painterPathToD() const
{
    return ::painterPathToD(drawPath);
}

void Scene::linePress(QGraphicsSceneMouseEvent *event, const QPointF &p)
{
    if (event->button() == Qt::RightButton) {
        endLine();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    qDebug() << "Qt::LeftButton";
    if (!lineInProgress) {
        if (!view)
            return;
        linePath = QPainterPath(p);
        drawPath = QPainterPath(p);
        lineStart = p;
        currentNode = view->addItem(QStringLiteral("path"), {QStringLiteral("d"), QStringLiteral("style")},
                                    {QStringLiteral("m") + shortNumber(p.x()) + QLatin1Char(',')
                                         + shortNumber(p.y()),
                                     QLatin1String(FreeHandStyle)});
        lineInProgress = currentNode != nullptr;
        return;
    }
    linePath.lineTo(p);
    drawPath = linePath;
    if (auto *item = currentNode ? qgraphicsitem_cast<GraphicsPathItem *>(currentNode->item()) : nullptr)
        item->setPath(drawPath);
}

void Scene::lineMove(const QPointF &p)
{
    if (!lineInProgress)
        return;
    drawPath = linePath.elementCount() > 0 ? linePath : QPainterPath(lineStart);
    drawPath.lineTo(p);
    if (auto *item = currentNode ? qgraphicsitem_cast<GraphicsPathItem *>(currentNode->item()) : nullptr)
        item->setPath(drawPath);
}

void Scene::endLine()
{
    if (!lineInProgress)
        return;
    lineInProgress = false;
    drawPath = linePath;
    if (currentNode) {
        if (drawsNothing(drawPath)) {
            discardCurrentNode();
        } else {
            if (auto *item = qgraphicsitem_cast<GraphicsPathItem *>(currentNode->item()))
                item->setPath(drawPath);
            currentNode->setTraits({QStringLiteral("d"), QStringLiteral("style")},
                                   {painterPathToD(), QLatin1String(FreeHandStyle)});
        }
    }
    drawPath = QPainterPath();
    linePath = QPainterPath();
    qDeleteAll(penSamples);
    penSamples.clear();
    currentNode = nullptr;
}

void Scene::shapePress(const QPointF &p, bool ellipse)
{
    if (!view)
        return;
    shapeAnchor = p;
    shapeIsEllipse = ellipse;
    if (ellipse) {
        currentNode = view->addItem(QStringLiteral("ellipse"),
                                    {QStringLiteral("cx"), QStringLiteral("cy"), QStringLiteral("rx"),
                                     QStringLiteral("ry"), QStringLiteral("style")},
                                    {shortNumber(p.x()), shortNumber(p.y()), QStringLiteral("0"),
                                     QStringLiteral("0"), QLatin1String(ShapeStyle)});
    } else {
        currentNode = view->addItem(QStringLiteral("rect"),
                                    {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("width"),
                                     QStringLiteral("height"), QStringLiteral("style")},
                                    {shortNumber(p.x()), shortNumber(p.y()), QStringLiteral("0"),
                                     QStringLiteral("0"), QLatin1String(ShapeStyle)});
    }
}

void Scene::shapeMove(const QPointF &p, Qt::KeyboardModifiers modifiers)
{
    if (!currentNode || !currentNode->item())
        return;
    QSizeF size(std::abs(shapeAnchor.x() - p.x()), std::abs(shapeAnchor.y() - p.y()));
    QPointF position(qMin(p.x(), shapeAnchor.x()), qMin(p.y(), shapeAnchor.y()));
    if (shapeIsEllipse && modifiers == Qt::ControlModifier) {
        // A circle that keeps its corner at the press point and grows towards the pointer.
        const double side = qMin(size.width(), size.height());
        size = QSizeF(side, side);
        position = QPointF(p.x() >= shapeAnchor.x() ? shapeAnchor.x() : shapeAnchor.x() - side,
                           p.y() >= shapeAnchor.y() ? shapeAnchor.y() : shapeAnchor.y() - side);
    }
    QGraphicsItem *item = currentNode->item();
    if (auto *rect = qgraphicsitem_cast<GraphicsRectItem *>(item))
        rect->setRect(QRectF(QPointF(0, 0), size));
    else if (auto *ellipse = qgraphicsitem_cast<GraphicsEllipseItem *>(item))
        ellipse->setRect(QRectF(QPointF(0, 0), size));
    else
        return;
    item->setPos(position);
}

void Scene::shapeRelease()
{
    Node *node = currentNode;
    if (!node)
        return;
    QGraphicsItem *item = node->item();
    QRectF rect;
    if (auto *r = qgraphicsitem_cast<GraphicsRectItem *>(item))
        rect = r->rect();
    else if (auto *e = qgraphicsitem_cast<GraphicsEllipseItem *>(item))
        rect = e->rect();
    const double w = rect.width();
    const double h = rect.height();
    if (!item || w <= 0 || h <= 0) {
        discardCurrentNode();
        currentNode = nullptr;
        return;
    }
    const QPointF position = item->pos();
    if (shapeIsEllipse) {
        node->setTraits({QStringLiteral("cx"), QStringLiteral("cy"), QStringLiteral("rx"), QStringLiteral("ry")},
                        {fixedNumber(position.x() + w / 2), fixedNumber(position.y() + h / 2),
                         fixedNumber(w / 2), fixedNumber(h / 2)});
    } else {
        node->setTraits({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("width"), QStringLiteral("height")},
                        {fixedNumber(position.x()), fixedNumber(position.y()), fixedNumber(w), fixedNumber(h)});
    }
    currentNode = nullptr;
}

void Scene::discardCurrentNode()
{
    if (view && currentNode)
        view->discardItem(currentNode);
}

void Scene::forgetDocument()
{
    if (penDown || lineInProgress)
        qDebug() << "drawing abandoned: the document is replaced";
    penDown = false;
    lineInProgress = false;
    currentNode = nullptr;
    drawPath = QPainterPath();
    linePath = QPainterPath();
    qDeleteAll(penSamples);
    penSamples.clear();
    suppressSelectionReport = true;
    clearSelection();
    suppressSelectionReport = false;
    mSelectedItemList.clear();
    removeSelectItem();
    delete selectItem;
    selectItem = nullptr;
    if (selectingTool) {
        removeItem(selectingTool);
        delete selectingTool;
        selectingTool = nullptr;
    }
    mouseState = ItemPressed;
    moved = false;
}

// ---- Background ----

void Scene::drawBackground(QPainter *painter, const QRectF &rect)
{
    QGraphicsScene::drawBackground(painter, rect);
    const QRectF area = sceneRect();
    painter->fillRect(area, Qt::white);
    grid->paintGrid(painter, QRectF(area.toRect()));
}
