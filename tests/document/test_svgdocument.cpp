#include "common/testenvironment.h"

#include "node.h"
#include "svgdocument.h"
#include "svgdomparse.h"
#include "svgelement.h"
#include "svgvalues.h"

#include <QFontDatabase>
#include <QGraphicsRectItem>
#include <QGraphicsScene>

namespace {

QString readFixture(const QString &name)
{
    QFile file(ScriboTest::dataPath(name));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Every node built so far, depth first.
QList<Node *> allNodes(Node *root)
{
    QList<Node *> nodes;
    QList<Node *> pending{root};
    while (!pending.isEmpty()) {
        Node *node = pending.takeLast();
        nodes << node;
        for (Node *child : node->childNodes())
            pending << child;
    }
    return nodes;
}

Node *nodeById(SVGDocument &model, const QString &id)
{
    for (Node *node : allNodes(model.rootNode())) {
        if (node->domElem().attribute("id") == id)
            return node;
    }
    return nullptr;
}

// Tells the test when it is deleted.
class TrackedRect : public QGraphicsRectItem
{
public:
    explicit TrackedRect(bool *deleted) : QGraphicsRectItem(0, 0, 10, 10), m_deleted(deleted) {}
    ~TrackedRect() override { *m_deleted = true; }

private:
    bool *m_deleted;
};

// Nested styles, paint servers and fonts (FAMILY_PLACEHOLDER is replaced by an installed family).
QString styleFixture()
{
    return readFixture(QStringLiteral("style-inheritance.svg"));
}

} // namespace

class TestSvgDocument : public QObject
{
    Q_OBJECT

private slots:
    void newDocumentTemplate();
    void canvasSize_data();
    void canvasSize();
    void modelOverRealFiles_data();
    void modelOverRealFiles();
    void styleNumbers_data();
    void styleNumbers();
    void fills_data();
    void fills();
    void strokes();
    void fonts();
    void attributeWrites();
    void printParameters_data();
    void printParameters();
    void textLayoutValues();
    void addedNodesJoinTheTree();
    void canvasItems();
    void sceneClearedFirst();
    void takesParsedDocument();
};

void TestSvgDocument::newDocumentTemplate()
{
    QGraphicsScene scene;
    const QString content = newDocumentContent();
    QVERIFY(content.contains("height='2700'version='1.2'"));
    SVGDocument model(content, nullptr, &scene);
    SVGElement *svg = model.svgElem();
    QVERIFY(svg);
    QCOMPARE(svg->width(), 2000.0);
    QCOMPARE(svg->height(), 2700.0);
    QCOMPARE(svg->viewBox().width(), -1.0);
    QCOMPARE(scene.sceneRect(), QRectF(0, 0, 2000, 2700));
    QCOMPARE(scene.items().size(), 2);
    QCOMPARE(svg->outerRect()->data(0).value<Node *>(), static_cast<Node *>(svg));
    QCOMPARE(svg->item(), static_cast<QGraphicsItem *>(svg->innerRect()));
    QCOMPARE(svg->innerRect()->parentItem(), static_cast<QGraphicsItem *>(svg->outerRect()));

    // Model: the svg element under the invalid parent; the group, then the comment.
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.rowCount(), 1);
    const QModelIndex svgIndex = model.index(0, 0);
    QCOMPARE(model.data(svgIndex).toString(), QString("svg"));
    QCOMPARE(model.rowCount(svgIndex), 2);
    const QModelIndex groupIndex = model.index(0, 0, svgIndex);
    QCOMPARE(model.data(groupIndex).toString(), QString("g"));
    QCOMPARE(model.data(model.index(0, 1, svgIndex)).toString(), QString(""));
    QCOMPARE(model.parent(groupIndex), svgIndex);
    QCOMPARE(model.parent(svgIndex), QModelIndex());
    QVERIFY(!model.index(1, 0, svgIndex).isValid()); // the comment has no node
    // The "/n" text of the group counts as a row but has no node.
    QCOMPARE(model.rowCount(groupIndex), 1);
    QVERIFY(!model.index(0, 0, groupIndex).isValid());
    QCOMPARE(model.flags(groupIndex), Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Element"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("id"));

    Node *group = model.nodeFromIndex(groupIndex);
    QCOMPARE(group->nodeType(), NodeType::G);
    QCOMPARE(group->attributeMap().value("lumacraft:label"), QString("label 1"));
    QCOMPARE(group->domElem().text(), QString("/n"));

    const QString saved = model.toText();
    QVERIFY(saved.contains("<!-- Created with Scribo Ferrolith (0.04) -->"));
    QVERIFY(saved.contains("xmlns:lumacraft="));
    QVERIFY(model.setContent(saved));
    QVERIFY(model.svgElem());
}

void TestSvgDocument::canvasSize_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<QRectF>("viewBox");
    QTest::newRow("percent reads as a number") << "width='100%' height='50%'" << 100.0 << 50.0 << QRectF(0, 0, -1, -1);
    QTest::newRow("missing is 100 % of the canvas") << "" << -100.0 << -100.0 << QRectF(0, 0, -1, -1);
    QTest::newRow("digits only") << "width='-5' height='210mm'" << 5.0 << 210.0 << QRectF(0, 0, -1, -1);
    QTest::newRow("viewBox") << "viewBox='1 2 300 400' width='3'" << 3.0 << -100.0 << QRectF(1, 2, 300, 400);
    QTest::newRow("viewBox with commas") << "viewBox='0,0,10,20'" << -100.0 << -100.0 << QRectF(0, 0, 10, 20);
    QTest::newRow("unusable viewBox") << "viewBox='0 0 0 20'" << -100.0 << -100.0 << QRectF(0, 0, -1, -1);
    QTest::newRow("short viewBox") << "viewBox='0 0 20'" << -100.0 << -100.0 << QRectF(0, 0, -1, -1);
}

void TestSvgDocument::canvasSize()
{
    QFETCH(QString, attributes);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(QRectF, viewBox);
    SVGDocument model("<svg " + attributes + "/>", nullptr);
    SVGElement *svg = model.svgElem();
    QVERIFY(svg);
    QCOMPARE(svg->width(), width);
    QCOMPARE(svg->height(), height);
    QCOMPARE(svg->viewBox(), viewBox);
    svg->setCanvas(1875, 1875);
    QCOMPARE(svg->outerRect()->rect(), QRectF(0, 0, 1875, 1875));
    QCOMPARE(svg->innerRect()->rect(), QRectF(0, 0, 1875, 1875));
}

void TestSvgDocument::modelOverRealFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("someId");
    QTest::addColumn<QString>("tag");
    QTest::newRow("inkscape shapes") << "svg2gcode__shapes.svg" << "polygon1" << "polygon";
    QTest::newRow("inkscape tutorial") << "inkscape-tutorials__tutorial-shapes.svg" << "hd" << "circle";
    QTest::newRow("gradients") << "inkscape-examples__gradient.svg" << "linearGradient1162" << "linearGradient";
    QTest::newRow("w3c path test") << "w3c-svg11__paths-data-18-f.svg" << "test-body-content" << "g";
}

void TestSvgDocument::modelOverRealFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, someId);
    QFETCH(QString, tag);
    const QString content = readFixture(file);
    QVERIFY(!content.isEmpty());
    QGraphicsScene scene;
    SVGDocument model(content, nullptr, &scene);
    QVERIFY(model.svgElem());
    model.buildAllNodes();

    // One node per element of the DOM.
    int elements = 0;
    QList<QDomElement> pending{model.domDocument().documentElement()};
    while (!pending.isEmpty()) {
        const QDomElement e = pending.takeLast();
        ++elements;
        for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
            pending << c;
    }
    const QList<Node *> nodes = allNodes(model.rootNode());
    QCOMPARE(nodes.size(), elements + 1);
    for (Node *node : nodes) {
        if (node == model.rootNode())
            continue;
        QCOMPARE(node->nodeType(), nodeTypeForTag(node->domElem().tagName()));
        QCOMPARE(node->parent()->child(node->row()), node);
        if (node->parent() != model.rootNode()) // the svg element is row 0 whatever precedes it
            QCOMPARE(node->domElem().parentNode().childNodes().at(node->row()), QDomNode(node->domElem()));
    }
    Node *node = nodeById(model, someId);
    QVERIFY(node);
    QCOMPARE(node->domElem().tagName(), tag);

    // A second walk builds nothing new.
    model.buildAllNodes();
    QCOMPARE(allNodes(model.rootNode()).size(), nodes.size());
}

void TestSvgDocument::styleNumbers_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<double>("fillOpacity");
    QTest::addColumn<double>("strokeOpacity");
    QTest::addColumn<double>("strokeWidth");
    QTest::addColumn<int>("cap");
    QTest::addColumn<int>("join");
    QTest::newRow("inherited from the group") << "inheriting" << 0.5 << 0.25 << 3.0 << int(Qt::RoundCap)
                                              << int(Qt::BevelJoin);
    QTest::newRow("style wins; cap only as attribute")
        << "styled" << 1.0 << 0.25 << 0.26 << int(Qt::RoundCap) << int(Qt::BevelJoin);
    QTest::newRow("limits") << "limits" << 1.0 << 1.0 << 1.0 << int(Qt::FlatCap) << int(Qt::BevelJoin);
    QTest::newRow("document defaults") << "plain" << 1.0 << 1.0 << 1.0 << int(Qt::FlatCap) << int(Qt::SvgMiterJoin);
}

void TestSvgDocument::styleNumbers()
{
    QFETCH(QString, id);
    QFETCH(double, fillOpacity);
    QFETCH(double, strokeOpacity);
    QFETCH(double, strokeWidth);
    QFETCH(int, cap);
    QFETCH(int, join);
    SVGDocument model(styleFixture(), nullptr);
    model.buildAllNodes();
    Node *node = nodeById(model, id);
    QVERIFY(node);
    QCOMPARE(node->getFillOpacity(), fillOpacity);
    QCOMPARE(node->getStrokeOpacity(), strokeOpacity);
    QCOMPARE(node->getStrokeWidth(), strokeWidth);
    QCOMPARE(int(node->getStrokeLineCap()), cap);
    QCOMPARE(int(node->getStrokeLineJoin()), join);
    QCOMPARE(node->fillOpacity(), fillOpacity);
    QCOMPARE(node->strokeWidth(), strokeWidth);
}

void TestSvgDocument::fills_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("style");
    QTest::addColumn<QColor>("color");
    QTest::newRow("inherited red at half opacity") << "inheriting" << int(Qt::SolidPattern) << QColor(255, 0, 0, 127);
    QTest::newRow("style colour, opacity limited") << "styled" << int(Qt::SolidPattern) << QColor(0, 255, 0);
    QTest::newRow("none") << "none" << int(Qt::NoBrush) << QColor();
    QTest::newRow("gradient with one stop is solid") << "onestop" << int(Qt::SolidPattern) << QColor(0, 255, 0, 127);
    QTest::newRow("gradient") << "gradient" << int(Qt::LinearGradientPattern) << QColor();
    QTest::newRow("gradient without stops") << "empty-gradient" << int(Qt::NoBrush) << QColor();
    QTest::newRow("solid colour element") << "solidcolor" << int(Qt::SolidPattern) << QColor(0, 0, 255, 127);
    QTest::newRow("missing reference inherits") << "missing-ref" << int(Qt::SolidPattern) << QColor(255, 0, 0, 127);
    QTest::newRow("no fill anywhere is black") << "plain" << int(Qt::SolidPattern) << QColor(Qt::black);
}

void TestSvgDocument::fills()
{
    QFETCH(QString, id);
    QFETCH(int, style);
    QFETCH(QColor, color);
    SVGDocument model(styleFixture(), nullptr);
    model.buildAllNodes();
    Node *node = nodeById(model, id);
    QVERIFY(node);
    node->getFillOpacity();
    bool ok = false;
    const QBrush brush = node->getFill(&ok, -1);
    QCOMPARE(int(brush.style()), style);
    if (color.isValid())
        QCOMPARE(brush.color(), color);
}

void TestSvgDocument::strokes()
{
    SVGDocument model(styleFixture(), nullptr);
    model.buildAllNodes();
    auto stroke = [&](const QString &id, bool withFlag) {
        Node *node = nodeById(model, id);
        node->getStrokeOpacity();
        node->getStrokeWidth();
        node->getStrokeLineCap();
        node->getStrokeLineJoin();
        bool ok = false;
        return node->getStroke(withFlag ? &ok : nullptr, -1, -1);
    };
    const QPen inherited = stroke("inheriting", true);
    QCOMPARE(inherited.style(), Qt::SolidLine);
    QCOMPARE(inherited.color(), QColor(0, 0, 255, 63));
    QCOMPARE(inherited.widthF(), 3.0);
    QCOMPARE(inherited.capStyle(), Qt::RoundCap);
    QCOMPARE(inherited.joinStyle(), Qt::BevelJoin);
    QCOMPARE(stroke("none", true).style(), Qt::NoPen);
    const QPen gradient = stroke("onestop", true);
    QCOMPARE(gradient.brush().style(), Qt::LinearGradientPattern);
    // Nothing up the tree: a pen that draws nothing.
    QCOMPARE(stroke("plain", true).brush().style(), Qt::NoBrush);
    // Without an ok flag nothing is inherited (circles and ellipses).
    QCOMPARE(stroke("inheriting", false).style(), Qt::NoPen);
    Node *circle = nodeById(model, "circle");
    QCOMPARE(circle->getFill().style(), Qt::NoBrush);
    bool ok = false;
    QCOMPARE(circle->getFill(&ok).style(), Qt::SolidPattern);
}

void TestSvgDocument::fonts()
{
    const QStringList families = QFontDatabase().families();
    if (families.isEmpty())
        QSKIP("no fonts installed");
    QString fixture = styleFixture();
    fixture.replace("FAMILY_PLACEHOLDER", families.last());
    SVGDocument model(fixture, nullptr);
    model.buildAllNodes();

    Node *bold = nodeById(model, "bold");
    QCOMPARE(bold->getFontWeight(), 75);
    QCOMPARE(bold->getFontFamily(), families.first());
    QCOMPARE(bold->getFontSize(), 16.0);
    QCOMPARE(bold->getFontStyle(), QFont::StyleItalic);

    Node *numeric = nodeById(model, "numeric-weight");
    QCOMPARE(numeric->getFontWeight(), 75);
    QCOMPARE(numeric->getFontFamily(), families.last());

    Node *inherited = nodeById(model, "inherited-font");
    QCOMPARE(inherited->getFontWeight(), 25);
    QCOMPARE(inherited->getFontSize(), 10.0);
    QCOMPARE(inherited->getFontStyle(), QFont::StyleOblique);
    QCOMPARE(inherited->getFontFamily(), QFont().family());

    QCOMPARE(nodeById(model, "plain")->getFontSize(), QFont().pointSizeF());
}

void TestSvgDocument::attributeWrites()
{
    SVGDocument model(styleFixture(), nullptr);
    model.buildAllNodes();
    Node *node = nodeById(model, "plain");
    QVERIFY(node->setTrait("x", "5"));
    QCOMPARE(node->domElem().attribute("x"), QString("5"));
    QCOMPARE(node->attributeMap().value("x"), QString("5"));
    QVERIFY(node->setTrait("x", "6"));
    QCOMPARE(node->domElem().attribute("x"), QString("6"));
    QVERIFY(node->setTrait("x", ""));
    QVERIFY(!node->domElem().hasAttribute("x"));
    QVERIFY(!node->attributeMap().contains("x"));

    node->setTraits({"a", "b"}, {"1", ""});
    QCOMPARE(node->domElem().attribute("a"), QString("1"));
    QVERIFY(node->domElem().hasAttribute("b"));
    QCOMPARE(node->domElem().attribute("b"), QString(""));

    QTest::ignoreMessage(QtDebugMsg, "Not reset");
    QVERIFY(!model.rootNode()->setTrait("x", "1"));
    QVERIFY(model.toText().contains("a=\"1\""));
}

void TestSvgDocument::printParameters_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("written");
    QTest::newRow("missing passes: scene default written") << "" << "lumacraft:scanTimes" << 1.0 << "1";
    QTest::newRow("missing spacing: six digits") << "" << "lumacraft:scanAccuracy" << 0.025 << "0.025";
    QTest::newRow("unreadable angle: default written") << "lumacraft:scanAngle='x'" << "lumacraft:scanAngle" << 90.0
                                                       << "90";
    QTest::newRow("present value kept") << "lumacraft:scanBuffer='2.5'" << "lumacraft:scanBuffer" << 2.5 << "2.5";
    QTest::newRow("missing power: 100, not written") << "" << "lumacraft:scanPower" << 100.0 << "";
    QTest::newRow("missing speed: 100, not written") << "" << "lumacraft:scanSpeed" << 100.0 << "";
    QTest::newRow("present power") << "lumacraft:scanPower='42'" << "lumacraft:scanPower" << 42.0 << "42";
    QTest::newRow("axis error default") << "" << "lumacraft:YMotorMovementError" << 0.123456789 << "0.123457";
}

void TestSvgDocument::printParameters()
{
    QFETCH(QString, attributes);
    QFETCH(QString, name);
    QFETCH(double, value);
    QFETCH(QString, written);
    // A plain node: an element builder would already have written its defaults.
    SVGDocument model("<svg><metadata id='r' " + attributes + "/></svg>", nullptr);
    model.buildAllNodes();
    Node *node = nodeById(model, "r");
    DefaultParameters defaults;
    defaults.scanTimes = 1;
    defaults.scanBuffer = 3;
    defaults.scanAccuracy = 0.025;
    defaults.scanAngle = 90;
    defaults.scanError = 0.1;
    defaults.XMotorMovementError = 0.2;
    defaults.YMotorMovementError = 0.123456789;
    node->readPrintParameters(defaults);
    const PrintParameters &p = node->printParameters();
    const QMap<QString, double> read = {
        {"lumacraft:scanTimes", p.scanTimes},
        {"lumacraft:scanBuffer", p.scanBuffer},
        {"lumacraft:scanAccuracy", p.scanAccuracy},
        {"lumacraft:scanAngle", p.scanAngle},
        {"lumacraft:scanError", p.scanError},
        {"lumacraft:scanPower", p.scanPower},
        {"lumacraft:scanSpeed", p.scanSpeed},
        {"lumacraft:XMotorMovementError", p.XMotorMovementError},
        {"lumacraft:YMotorMovementError", p.YMotorMovementError},
    };
    QCOMPARE(read.value(name), value);
    QCOMPARE(node->domElem().attribute(name), written);
    QCOMPARE(node->domElem().hasAttribute(name), !written.isEmpty());
    QCOMPARE(node->attributeMap().value(name), written);
}

void TestSvgDocument::textLayoutValues()
{
    QCOMPARE(textAlignmentFromAttribute("AlignRight"), AlignRight);
    QCOMPARE(textAlignmentFromAttribute("AlignCenter"), AlignCenter);
    QCOMPARE(textAlignmentFromAttribute(""), AlignLeft);
    QCOMPARE(textAlignmentToAttribute(AlignCenter), QString("AlignCenter"));
    QCOMPARE(textDirectionFromAttribute("V"), TextVertical);
    QCOMPARE(textDirectionFromAttribute(QString()), TextHorizontal);
    QCOMPARE(textDirectionToAttribute(TextHorizontal), QString("H"));
}

void TestSvgDocument::addedNodesJoinTheTree()
{
    SVGDocument model(newDocumentContent(), nullptr);
    model.buildAllNodes();
    Node *group = model.nodeFromIndex(model.index(0, 0, model.index(0, 0)));
    QVERIFY(group);

    Node *rect = group->addNewChildNode("rect", nullptr, {"x", "width"}, {"3", "4"});
    QVERIFY(rect);
    QCOMPARE(rect->domElem().parentNode(), QDomNode(group->domElem()));
    QCOMPARE(rect->row(), 1); // after the "/n" text
    QCOMPARE(rect->attributeMap().value("width"), QString("4"));
    Node *text = group->addNewChildNode("text", nullptr, {"x"}, {"1"});
    QCOMPARE(text->domElem().text(), QString("Text"));
    QCOMPARE(text->nodeType(), NodeType::Text);
    Node *pasted = group->pasteNewTextChildNode("tspan", nullptr, {}, {}, "pasted");
    QCOMPARE(pasted->domElem().text(), QString("pasted"));
    QCOMPARE(pasted->row(), 3);

    // A later walk finds the same nodes instead of building second ones.
    const int before = allNodes(model.rootNode()).size();
    model.buildAllNodes();
    QCOMPARE(allNodes(model.rootNode()).size(), before);
    QCOMPARE(group->child(1), rect);
    QCOMPARE(group->child(3), pasted);

    // An element removed from the DOM: the rows of the others follow the DOM.
    QVERIFY(group->takeChildNode(rect));
    group->domElem().removeChild(rect->domElem());
    group->markChildRowsStale();
    QCOMPARE(group->child(1), text);
    QCOMPARE(text->row(), 1);
    QCOMPARE(group->child(2), pasted);
    // Put back (as an undo would).
    group->domElem().insertBefore(rect->domElem(), text->domElem());
    group->adoptChildNode(rect);
    group->markChildRowsStale();
    QCOMPARE(group->child(1), rect);
    QCOMPARE(group->child(2), text);
    QCOMPARE(rect->parent(), group);

    QTest::ignoreMessage(QtWarningMsg, "cannot add an element to the document root");
    QVERIFY(!model.rootNode()->addNewChildNode("rect", nullptr, {}, {}));
}

void TestSvgDocument::canvasItems()
{
    QGraphicsScene scene;
    bool rectDeleted = false;
    {
        SVGDocument model("<svg width='100' height='100'><rect id='r1' x='10' y='20' transform='rotate(90)'/></svg>",
                          nullptr, &scene);
        model.buildAllNodes();
        Node *node = nodeById(model, "r1");
        auto *item = new TrackedRect(&rectDeleted);
        item->setPos(10, 20);
        node->finishDecorating(item);
        QCOMPARE(node->item(), static_cast<QGraphicsItem *>(item));
        QCOMPARE(item->parentItem(), model.svgElem()->item());
        QCOMPARE(item->scene(), &scene);
        QCOMPARE(item->toolTip(), QString("r1"));
        QCOMPARE(item->zValue(), double(node->row()));
        QCOMPARE(item->data(0).value<Node *>(), node);
        QVERIFY(item->flags() & QGraphicsItem::ItemIsMovable);
        QVERIFY(item->flags() & QGraphicsItem::ItemIsSelectable);
        // The rectangle's origin ends up rotated about the document origin.
        const QPointF corner = item->mapToScene(QPointF(0, 0));
        QVERIFY(QLineF(corner, QPointF(-20, 10)).length() < 1e-9);

        // A group's rectangle encloses its members.
        QVERIFY(model.setContent("<svg><g id='g'><rect id='a'/><rect id='b'/></g></svg>"));
        QVERIFY(rectDeleted); // the old tree took its items with it
        model.buildAllNodes();
        Node *group = nodeById(model, "g");
        auto *groupRect = new QGraphicsRectItem(-1, -1, -1, -1);
        group->finishDecorating(groupRect);
        auto *a = new QGraphicsRectItem(0, 0, 10, 10);
        a->setPos(5, 5);
        nodeById(model, "a")->finishDecorating(a);
        auto *b = new QGraphicsRectItem(0, 0, 10, 10);
        b->setPos(30, 40);
        nodeById(model, "b")->finishDecorating(b);
        QCOMPARE(groupRect->rect(), groupRect->childrenBoundingRect());
        QVERIFY(groupRect->rect().contains(QRectF(30, 40, 10, 10)));
        QVERIFY(groupRect->rect().contains(QRectF(5, 5, 10, 10)));
    }
    QVERIFY(scene.items().isEmpty());
}

void TestSvgDocument::sceneClearedFirst()
{
    // Clearing the scene deletes the items; the nodes must not touch them again.
    auto *scene = new QGraphicsScene;
    bool deleted = false;
    SVGDocument model("<svg><g id='g'><rect id='r'/></g></svg>", nullptr, scene);
    model.buildAllNodes();
    auto *groupItem = new QGraphicsRectItem;
    nodeById(model, "g")->finishDecorating(groupItem);
    nodeById(model, "r")->finishDecorating(new TrackedRect(&deleted));
    scene->clear();
    QVERIFY(deleted);
    QVERIFY(!nodeById(model, "r")->item());
    QVERIFY(!model.svgElem()->item());
    QVERIFY(model.setContent(newDocumentContent()));
    delete scene;
    // With the scene gone, the model still works without one.
    model.setScene(nullptr);
    QVERIFY(model.setContent(newDocumentContent()));
}

void TestSvgDocument::takesParsedDocument()
{
    SVGDocument model(newDocumentContent(), nullptr);
    QDomDocument parsed;
    QVERIFY(parseSvgDocument("<svg><g id='g'><rect id='r' width='4'/></g></svg>", &parsed));
    QVERIFY(model.setDocument(parsed));
    model.buildAllNodes();
    Node *rect = nodeById(model, "r");
    QVERIFY(rect);
    QCOMPARE(rect->parent(), nodeById(model, "g"));
    // The model works on the caller's document, not on a copy.
    QVERIFY(rect->setTrait("width", "8"));
    QCOMPARE(parsed.documentElement().firstChildElement().firstChildElement().attribute("width"), QString("8"));

    QDomDocument notSvg;
    QVERIFY(parseSvgDocument("<html><g id='g'/></html>", &notSvg));
    QVERIFY(!model.setDocument(notSvg));
    QVERIFY(!model.setDocument(QDomDocument()));
    QVERIFY(!model.svgElem());
    QVERIFY(model.setDocument(parsed));
    QVERIFY(model.svgElem());
}

SCRIBO_TEST_MAIN(TestSvgDocument)
#include "test_svgdocument.moc"
