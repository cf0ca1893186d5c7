#include "document/svgview.h"

#include "canvas/designview.h"
#include "canvas/scene.h"
#include "canvas/undo.h"
#include "document/node.h"
#include "document/svgdocument.h"
#include "document/svgdomparse.h"
#include "document/svgelement.h"
#include "document/textoutline.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QGraphicsItem>
#include <QTextStream>

namespace {

// Shows the wait cursor for as long as it lives.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

SVGView::SVGView(MainWindow *mainWindow)
    : QObject(nullptr), mainWindow(mainWindow)
{
    commandList = new CamdList;
    scene = new Scene(mainWindow, this);
    svgModel = new SVGDocument(newDocumentContent(), this, scene, this);
    // The document says the size of the work area from the start.
    setSvgSceneBound(sceneWidth, sceneHeight);
}

SVGView::~SVGView()
{
    // The records refer to nodes, the nodes own the items in the scene.
    delete commandList;
    commandList = nullptr;
    scene->forgetDocument();
    delete svgModel;
    svgModel = nullptr;
    layer = nullptr;
    delete scene;
    scene = nullptr;
}

void SVGView::addDesignView(DesignView *view)
{
    designView = view;
}

void SVGView::forgetDocument()
{
    scene->forgetDocument();
    layer = nullptr;
    // Its records refer to nodes of the document about to go.
    commandList->clear();
    // Canvas groups and anything else not owned by the node tree.
    const SVGElement *svg = svgModel->rootNode() && !svgModel->rootNode()->childNodes().isEmpty()
        ? dynamic_cast<SVGElement *>(svgModel->rootNode()->childNodes().value(0, nullptr))
        : nullptr;
    const QGraphicsItem *canvas = svg ? svg->outerRect() : nullptr;
    const QList<QGraphicsItem *> items = scene->items();
    for (QGraphicsItem *item : items) {
        if (!item->parentItem() && item != canvas) {
            scene->removeItem(item);
            delete item;
        }
    }
}

bool SVGView::newFile()
{
    forgetDocument();
    svgModel->setContent(newDocumentContent());
    setSvgSceneBound(sceneWidth, sceneHeight);
    return true;
}

bool SVGView::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning() << "load file err!" << path;
        return false;
    }
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    const QString content = stream.readAll();
    file.close();

    WaitCursor wait;
    // Refuse what would leave an empty, unusable document behind. The text is
    // parsed once: the model takes the document checked here.
    QDomDocument document;
    QString error;
    if (!parseSvgDocument(content, &document, &error)) {
        qWarning().noquote() << "load file err!" << path << error;
        return false;
    }
    if (document.documentElement().tagName() != QLatin1String("svg")) {
        qWarning().noquote() << "load file err!" << path << "is no SVG document";
        return false;
    }
    filePath = path;
    forgetDocument();
    svgModel->setDocument(document);
    setSvgSceneBound(sceneWidth, sceneHeight);
    return true;
}

void SVGView::setSvgSceneBound(double width, double height)
{
    sceneWidth = width;
    sceneHeight = height;
    scene->setSceneRect(0, 0, width, height);
    SVGElement *svg = svgModel->svgElem();
    if (!svg)
        return;
    svg->setCanvas(width, height);
    svg->setTrait(QStringLiteral("width"), QString::number(width, 'f', 3));
    svg->setTrait(QStringLiteral("height"), QString::number(height, 'f', 3));
}

void SVGView::setSvgViewScale()
{
    if (designView)
        designView->fitWorkArea(sceneWidth, sceneHeight);
}

void SVGView::setDoodleTool(DoodleTool tool)
{
    currentTool = tool;
    if (tool != DoodleTool::Select) {
        qDebug() << "setDoodleTool(DoodleTool tool)    default";
        scene->clearSelectionQuietly();
    } else {
        qDebug() << "setDoodleTool(DoodleTool tool)    Select";
    }
}

bool SVGView::isModified() const
{
    return commandList->canUndo();
}

bool SVGView::claimDrawingLayer(Node *node)
{
    if (layer || !node)
        return false;
    qDebug() << "add g item";
    layer = node;
    return true;
}

Node *SVGView::addUnder(Node *parent, const QString &tag, const QStringList &names, const QStringList &values,
                        const QString *text)
{
    if (!parent)
        return nullptr;
    Node *node = text ? parent->pasteNewTextChildNode(tag, this, names, values, *text)
                      : parent->addNewChildNode(tag, this, names, values);
    if (!node)
        return nullptr;
    camdListAppend(new AddUndo(node));
    return node;
}

Node *SVGView::addItem(const QString &tag, const QStringList &names, const QStringList &values)
{
    scene->clearSelectionQuietly();
    return addUnder(layer, tag, names, values, nullptr);
}

Node *SVGView::pasteItem(const QString &tag, const QStringList &names, const QStringList &values, Node *parent)
{
    return addUnder(parent, tag, names, values, nullptr);
}

Node *SVGView::pasteTextItem(const QString &tag, const QStringList &names, const QStringList &values,
                             Node *parent, const QString &text)
{
    qDebug() << "pasteTextItem";
    return addUnder(parent, tag, names, values, &text);
}

void SVGView::discardItem(Node *node)
{
    if (!node)
        return;
    detachNode(node);
    const int last = commandList->count() - 1;
    auto *record = dynamic_cast<AddUndo *>(commandList->at(last));
    if (record && record->node == node && commandList->dropLast(record))
        return;
    qDebug() << "a discarded element keeps its add record";
}

void SVGView::camdListAppend(Undo *command)
{
    if (!command)
        return;
    commandList->append(command);
    emit itemModified();
}

void SVGView::undo()
{
    commandList->undo();
    scene->refreshSelectionFrame();
}

void SVGView::redo()
{
    commandList->redo();
    scene->refreshSelectionFrame();
}

void SVGView::text2Path(const QDomNode &node)
{
    textToPathElements(node, scene ? scene->defaultParameters : DefaultParameters());
}

void SVGView::setPaintConfig(const QList<QString> &keys, const QList<double> &values)
{
    const int count = qMin(keys.size(), values.size());
    for (int i = 0; i < count; ++i) {
        const QString &key = keys.at(i);
        const double value = values.at(i);
        if (key == QLatin1String("paintPower"))
            paintPower = value;
        else if (key == QLatin1String("paintSpeed"))
            paintSpeed = value;
        else if (key == QLatin1String("paintNum"))
            paintNum = value;
        else if (key == QLatin1String("scanErr"))
            scanErr = value;
        else if (key == QLatin1String("scanBuffer"))
            scanBuffer = value;
        else if (key == QLatin1String("printingAccuracy"))
            printSpacing = value != 0 ? (1 / value) * 0.08 : printSpacing; // a spacing of 0 would divide by 0
        else if (key == QLatin1String("paintDirection"))
            paintDirection = value;
    }
}
