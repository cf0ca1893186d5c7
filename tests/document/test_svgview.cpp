#include "app/designwindow.h"
#include "canvas/designview.h"
#include "canvas/domtreeview.h"
#include "canvas/itemtypes.h"
#include "canvas/scene.h"
#include "canvas/undo.h"
#include "common/appversion.h"
#include "common/settingsindex.h"
#include "common/testenvironment.h"
#include "document/node.h"
#include "document/svgdocument.h"
#include "document/svgelement.h"
#include "document/svgview.h"
#include "document/svgvalues.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

// The façade with its hidden tree view, as the main window holds them.
struct Document
{
    SVGView view{nullptr};
    DomTreeView tree{nullptr, QSize(256, 256)};

    Document() { walk(); }
    void walk()
    {
        tree.setView(&view);
        tree.expandAll();
    }
    bool load(const QString &path)
    {
        const bool ok = view.load(path);
        walk();
        return ok;
    }
};

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.path() + QLatin1Char('/') + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

QByteArray svgWith(const QByteArray &rootAttributes, const QByteArray &body)
{
    return "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' " + rootAttributes
        + "><g>" + body + "</g></svg>";
}

// Items of the drawing (the document's canvas rectangles and the selection
// frame aside): the items that carry a node other than "svg".
int drawnItemCount(Scene *scene)
{
    int count = 0;
    const QList<QGraphicsItem *> items = scene->items();
    for (QGraphicsItem *item : items) {
        const Node *node = itemNode(item);
        if (node && node->nodeType() != NodeType::Svg && node->nodeType() != NodeType::G)
            ++count;
    }
    return count;
}

int elementCount(const QDomElement &root)
{
    int count = 0;
    std::vector<QDomElement> pending{root};
    while (!pending.empty()) {
        const QDomElement e = pending.back();
        pending.pop_back();
        ++count;
        for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
            pending.push_back(c);
    }
    return count;
}

} // namespace

class TestSVGView : public QObject
{
    Q_OBJECT

private slots:
    void newDocumentComesFromTheTemplate()
    {
        Document doc;
        const QDomElement root = doc.view.model()->domDocument().documentElement();
        QCOMPARE(root.tagName(), QString("svg"));
        QCOMPARE(root.attribute("width"), QString("1875.000"));
        QCOMPARE(root.attribute("height"), QString("1875.000"));
        QVERIFY(doc.view.model()->toText().contains(
            QStringLiteral("Created with Scribo %1 (%2)").arg(SW_CODENAME, SW_VERSION)));
        // The template's group is the drawing layer; a fresh document is not modified.
        QVERIFY(doc.view.drawingLayer());
        QCOMPARE(doc.view.drawingLayer()->domElem().attribute("lumacraft:label"), QString("label 1"));
        QVERIFY(!doc.view.isModified());
        QCOMPARE(doc.view.getScene()->sceneRect(), QRectF(0, 0, 1875, 1875));
    }

    void sceneBoundRewritesTheRoot()
    {
        Document doc;
        doc.view.setSvgSceneBound(150 * 12.5, 300 * 12.5);
        const QDomElement root = doc.view.model()->domDocument().documentElement();
        QCOMPARE(root.attribute("width"), QString("1875.000"));
        QCOMPARE(root.attribute("height"), QString("3750.000"));
        QCOMPARE(doc.view.getScene()->sceneRect(), QRectF(0, 0, 1875, 3750));
        QCOMPARE(doc.view.model()->svgElem()->innerRect()->rect(), QRectF(0, 0, 1875, 3750));
        // A new document keeps the size.
        doc.view.newFile();
        doc.walk();
        QCOMPARE(doc.view.model()->domDocument().documentElement().attribute("height"), QString("3750.000"));
    }

    void addingMakesTheDocumentModifiedUntilItIsReplaced()
    {
        Document doc;
        QSignalSpy modified(&doc.view, &SVGView::itemModified);
        Node *node = doc.view.addItem("rect", {"x", "y", "width", "height"}, {"10", "20", "30", "40"});
        QVERIFY(node);
        QVERIFY(node->item());
        QCOMPARE(node->item()->scene(), doc.view.getScene());
        QCOMPARE(modified.count(), 1);
        QVERIFY(doc.view.isModified());
        doc.view.undo();
        QVERIFY(!doc.view.isModified());
        QVERIFY(!node->item()->scene());
        doc.view.redo();
        QCOMPARE(node->item()->scene(), doc.view.getScene());

        // A new document forgets the history.
        doc.view.newFile();
        doc.walk();
        QVERIFY(!doc.view.isModified());
        QCOMPARE(doc.view.commands()->count(), 0);
        doc.view.undo(); // nothing there: harmless
        QCOMPARE(drawnItemCount(doc.view.getScene()), 0);
    }

    void elementsAddedAfterTheWalkAreBuiltOnce()
    {
        Document doc;
        Node *node = doc.view.addItem("rect", {"x", "y", "width", "height"}, {"10", "20", "30", "40"});
        QVERIFY(node);
        doc.walk();
        doc.walk();
        QCOMPARE(drawnItemCount(doc.view.getScene()), 1);
    }

    void pastingGoesUnderTheGivenParent()
    {
        Document doc;
        Node *layer = doc.view.drawingLayer();
        Node *group = doc.view.pasteItem("g", {}, {}, layer);
        QVERIFY(group);
        Node *text = doc.view.pasteTextItem("text", {"x", "y"}, {"5", "6"}, group, "hello");
        QVERIFY(text);
        QCOMPARE(text->domElem().parentNode().toElement(), group->domElem());
        QCOMPARE(text->domElem().text(), QString("hello"));
        QCOMPARE(doc.view.commands()->count(), 2);
        QVERIFY(!doc.view.pasteItem("rect", {}, {}, nullptr));
    }

    void paintConfig_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("spacing");
        QTest::addColumn<double>("power");
        QTest::newRow("accuracy 0.08") << "printingAccuracy" << 0.08 << 1.0 << 1000.0;
        QTest::newRow("accuracy 0.1") << "printingAccuracy" << 0.1 << 0.8 << 1000.0;
        QTest::newRow("accuracy 0 keeps the spacing") << "printingAccuracy" << 0.0 << 1.0 << 1000.0;
        QTest::newRow("power") << "paintPower" << 250.0 << 1.0 << 250.0;
        QTest::newRow("unknown key") << "laserColour" << 3.0 << 1.0 << 1000.0;
    }

    void paintConfig()
    {
        QFETCH(QString, key);
        QFETCH(double, value);
        QFETCH(double, spacing);
        QFETCH(double, power);
        Document doc;
        doc.view.setPaintConfig({key}, {value});
        QCOMPARE(doc.view.printSpacing, spacing);
        QCOMPARE(doc.view.paintPower, power);
        QCOMPARE(doc.view.paintSpeed, 1500.0);
    }

    void everyFixtureLoadsAndIsWalkedCompletely_data()
    {
        QTest::addColumn<QString>("file");
        const QStringList files = QDir(ScriboTest::dataPath()).entryList({"*.svg"}, QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString &file : files)
            QTest::newRow(qPrintable(file)) << file;
    }

    void everyFixtureLoadsAndIsWalkedCompletely()
    {
        QFETCH(QString, file);
        Document doc;
        QVERIFY(doc.load(ScriboTest::dataPath(file)));
        QCOMPARE(doc.view.getFilePath(), ScriboTest::dataPath(file));
        QVERIFY(!doc.view.isModified());
        // Every element under the root has its node.
        const QDomElement root = doc.view.model()->domDocument().documentElement();
        int nodes = 0;
        std::vector<Node *> pending{doc.view.model()->svgElem()};
        while (!pending.empty()) {
            Node *node = pending.back();
            pending.pop_back();
            ++nodes;
            for (Node *child : node->childNodes())
                pending.push_back(child);
        }
        QCOMPARE(nodes, elementCount(root));
        QCOMPARE(root.attribute("width"), QString("1875.000"));
        // Drawable elements under the svg element show up in the scene.
        const int shapes = root.elementsByTagName("rect").count() + root.elementsByTagName("path").count()
            + root.elementsByTagName("ellipse").count() + root.elementsByTagName("circle").count();
        if (shapes > 0)
            QVERIFY(drawnItemCount(doc.view.getScene()) > 0);
    }

    void loadFailureKeepsTheDocument_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: the file does not exist
        QTest::newRow("missing file") << QByteArray();
        QTest::newRow("not XML") << QByteArray("this is no design");
        QTest::newRow("not SVG") << QByteArray("<html><body/></html>");
        QByteArray deep;
        for (int i = 0; i < 10000; ++i)
            deep += "<g>";
        for (int i = 0; i < 10000; ++i)
            deep += "</g>";
        QTest::newRow("groups nested 10000 deep") << svgWith("width='100' height='100'", deep);
    }

    void loadFailureKeepsTheDocument()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = content.isEmpty() ? dir.path() + "/missing.svg" : writeFile(dir, "bad.svg", content);
        Document doc;
        Node *kept = doc.view.addItem("rect", {"x", "y", "width", "height"}, {"1", "2", "3", "4"});
        QVERIFY(!doc.load(path));
        QVERIFY(doc.view.getFilePath().isEmpty());
        QVERIFY(doc.view.isModified());
        QCOMPARE(kept->item()->scene(), doc.view.getScene());
        QVERIFY(doc.view.addItem("rect", {"width", "height"}, {"5", "5"}));
    }

    void badInputStaysUsable_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("items"); // drawn items expected, -1: not checked
        QByteArray manyRects;
        for (int i = 0; i < 10000; ++i)
            manyRects += "<rect x='" + QByteArray::number(i % 100 * 10) + "' y='" + QByteArray::number(i / 100 * 10)
                + "' width='8' height='8'/>";
        QTest::newRow("10000 rects") << svgWith("width='1000' height='1000'", manyRects) << 10000;
        QByteArray nested;
        for (int i = 0; i < 1000; ++i)
            nested += "<g transform='translate(0.1,0)'>";
        nested += "<rect width='10' height='10'/>";
        for (int i = 0; i < 1000; ++i)
            nested += "</g>";
        QTest::newRow("groups nested 1000 deep") << svgWith("width='100' height='100'", nested) << 1;
        QTest::newRow("zero-size rect and image")
            << svgWith("width='100' height='100'",
                       "<rect x='5' y='5' width='0' height='0'/><image x='1' y='1' width='0' height='0' "
                       "xlink:href='data:image/png;base64,iVBORw0KGgo='/>")
            << 2;
        QTest::newRow("image data that does not decode")
            << svgWith("width='100' height='100'",
                       "<image width='10' height='10' xlink:href='data:image/png;base64,@@@notbase64'/>"
                       "<image width='10' height='10' xlink:href='data:image/png;base64,AAAAAAAA'/>")
            << 2;
        QTest::newRow("percentages") << svgWith("width='100%' height='50%'", "<rect width='5' height='5'/>") << 1;
        QTest::newRow("units") << svgWith("width='210mm' height='11in'", "<rect width='5' height='5'/>") << 1;
        QTest::newRow("no size") << svgWith("", "<rect width='5' height='5'/>") << 1;
        QTest::newRow("negative viewBox") << svgWith("width='10' height='10' viewBox='0 0 -10 -10'", "<rect width='5' height='5'/>") << 1;
        QTest::newRow("zero viewBox") << svgWith("width='10' height='10' viewBox='0 0 0 0'", "<rect width='5' height='5'/>") << 1;
        QTest::newRow("broken viewBox") << svgWith("width='10' height='10' viewBox='a b'", "<circle r='5'/>") << 1;
    }

    void badInputStaysUsable()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, items);
        QTemporaryDir dir;
        Document doc;
        QVERIFY(doc.load(writeFile(dir, "input.svg", content)));
        if (items >= 0)
            QCOMPARE(drawnItemCount(doc.view.getScene()), items);
        QCOMPARE(doc.view.model()->domDocument().documentElement().attribute("width"), QString("1875.000"));
        // Still usable: the scene renders and new elements can be drawn.
        QImage image(64, 64, QImage::Format_ARGB32);
        QPainter painter(&image);
        doc.view.getScene()->render(&painter);
        painter.end();
        QVERIFY(doc.view.addItem("rect", {"x", "y", "width", "height"}, {"1", "1", "9", "9"}));
        QVERIFY(doc.view.isModified());
    }

    void zoomToFitShowsTheWorkArea()
    {
        DesignWindow window;
        window.resize(1000, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        DesignView *view = window.designView();
        QCOMPARE(view->transform().m11(), 1.0);
        window.fitToWindow();
        const double expected = 1.0 / qMax(1975.0 / view->width(), 1975.0 / view->height());
        QVERIFY(qAbs(view->transform().m11() - expected) < 1e-9);
        QCOMPARE(view->transform().m22(), view->transform().m11());
        QVERIFY(!view->isScrollAllowed());
        // The whole work area is in sight.
        const QRectF shown = view->mapToScene(view->viewport()->rect()).boundingRect();
        QVERIFY2(shown.contains(QRectF(0, 0, 1875, 1875)), qPrintable(QString("%1 %2 %3 %4").arg(shown.x()).arg(shown.y()).arg(shown.width()).arg(shown.height())));
    }

    void windowFallsBackToANewDocument()
    {
        DesignWindow window;
        QTimer::singleShot(0, [] {
            if (QWidget *box = QApplication::activeModalWidget())
                box->close();
        });
        QVERIFY(!window.openDesign("/nonexistent/design.svg"));
        QVERIFY(window.svgView()->drawingLayer());
        QVERIFY(!window.svgView()->isModified());
        QVERIFY(window.openDesign(ScriboTest::dataPath("svg2gcode__shapes.svg")));
        QVERIFY(drawnItemCount(window.svgView()->getScene()) > 0);
    }

    void windowGivesElementsTheStoredItemDefaults()
    {
        QSettings settings(QString::fromLatin1(SettingsIndex::Organisation),
                           QString::fromLatin1(SettingsIndex::Application));
        settings.setValue(QStringLiteral("itemProperty/scanGap"), 0.1);
        settings.setValue(QStringLiteral("itemProperty/scanTimes"), 2);
        settings.setValue(QStringLiteral("itemProperty/engraveXErr"), QStringLiteral("not a number"));
        settings.sync();

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bare.svg"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<svg xmlns='http://www.w3.org/2000/svg' width='100' height='100'>"
                   "<rect id='r' x='1' y='1' width='10' height='10'/></svg>");
        file.close();

        DesignWindow window;
        QVERIFY(window.openDesign(path));
        const QDomElement rect = getElementById(window.svgView()->model()->domDocument().documentElement(), QStringLiteral("r"));
        QCOMPARE(rect.attribute(QStringLiteral("lumacraft:scanAccuracy")), QStringLiteral("0.1"));
        QCOMPARE(rect.attribute(QStringLiteral("lumacraft:scanTimes")), QStringLiteral("2"));
        // A damaged stored value falls back to the factory value.
        QCOMPARE(rect.attribute(QStringLiteral("lumacraft:XMotorMovementError")), QStringLiteral("0"));
        settings.clear();
    }
};

SCRIBO_TEST_MAIN(TestSVGView)
#include "test_svgview.moc"
