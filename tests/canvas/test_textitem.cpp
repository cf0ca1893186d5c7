#include "canvasfixture.h"
#include "canvas/graphicstextitem.h"
#include "canvas/selectitem.h"
#include "canvas/undo.h"
#include "common/testenvironment.h"
#include "app/designwindow.h"
#include "document/svgdocument.h"
#include "document/svgvalues.h"
#include "document/textelement.h"

#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTextCursor>

namespace {

const char Style[] = "font-family:DejaVu Sans;font-size:50px";

GraphicsTextItem *textItem(QGraphicsItem *item)
{
    return item && item->type() == ItemType::Text ? static_cast<GraphicsTextItem *>(item) : nullptr;
}

// Paints the item alone into an image; the number of pixels of `color` (or of
// any non-white pixel when `color` is invalid).
int paintedPixels(GraphicsTextItem *item, const QColor &color = QColor())
{
    const QRectF bounds = item->boundingRect();
    // Huge texts are painted scaled down, into at most 600 pixels.
    const double scale = std::min(1.0, 600 / std::max(1.0, std::max(bounds.width(), bounds.height())));
    QImage image(int(bounds.width() * scale) + 20, int(bounds.height() * scale) + 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.translate(10, 10);
        painter.scale(scale, scale);
        painter.translate(-bounds.topLeft());
        QStyleOptionGraphicsItem option;
        item->paint(&painter, &option, nullptr);
    }
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (color.isValid() ? pixel == color : pixel != QColor(Qt::white))
                ++count;
        }
    }
    return count;
}

void type(QWidget *target, Qt::Key key, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

} // namespace

class TestTextItem : public QObject
{
    Q_OBJECT

private slots:
    // The element's attributes reach the item.
    void buildsFromElement_data()
    {
        QTest::addColumn<QString>("attributes");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<double>("wordSpacing");
        QTest::addColumn<double>("lineSpacing");
        QTest::newRow("defaults") << QString() << 1 << 0 << 3.0 << 5.0;
        QTest::newRow("vertical centred") << "lumaCraft:TextDirection='V' lumaCraft:Alignment='AlignCenter'" << 0
                                          << 2 << 3.0 << 5.0;
        QTest::newRow("right") << "lumaCraft:Alignment='AlignRight'" << 1 << 1 << 3.0 << 5.0;
        QTest::newRow("spacings") << "lumaCraft:WordSpacing='-2.5' lumaCraft:LineSpacing='40'" << 1 << 0 << -2.5
                                  << 40.0;
        QTest::newRow("unknown values: left, horizontal")
            << "lumaCraft:TextDirection='diagonal' lumaCraft:Alignment='justify'" << 1 << 0 << 3.0 << 5.0;
        QTest::newRow("unreadable spacing: default") << "lumaCraft:WordSpacing='wide'" << 1 << 0 << 3.0 << 5.0;
    }

    void buildsFromElement()
    {
        QFETCH(QString, attributes);
        QFETCH(int, direction);
        QFETCH(int, alignment);
        QFETCH(double, wordSpacing);
        QFETCH(double, lineSpacing);
        CanvasFixture canvas(QStringLiteral("<text id='t' x='100' y='200' style='%1' %2>AB\nC</text>")
                                 .arg(QLatin1String(Style), attributes));
        auto *text = dynamic_cast<TextElement *>(canvas.node("t"));
        QVERIFY(text);
        GraphicsTextItem *item = text->textItem;
        QCOMPARE(textItem(canvas.item("t")), item);
        QCOMPARE(item->pos(), QPointF(100, 200));
        QCOMPARE(item->direction, direction);
        QCOMPARE(item->alignment, alignment);
        QCOMPARE(item->wordSpacing, wordSpacing);
        QCOMPARE(item->lineSpacing, lineSpacing);
        QCOMPARE(item->toPlainText(), QStringLiteral("AB\nC"));
        QCOMPARE(item->charPositions.size(), 5);
        QCOMPARE(item->font().family(), QStringLiteral("DejaVu Sans"));
        QVERIFY(!item->outline.isEmpty());
        QCOMPARE(item->boundingRect(), item->outline.boundingRect());
        // Missing parameters were filled in and written, as for every drawable element.
        QVERIFY(text->domElem().hasAttribute("lumacraft:scanTimes"));
    }

    // Fill and stroke: a text without fill is black, without stroke unstroked;
    // a tspan takes what it lacks from its text.
    void brushAndPen()
    {
        CanvasFixture canvas(QStringLiteral(
            "<text id='plain' style='%1'>A</text>"
            "<text id='outlined' style='%1;fill:none;stroke:#ff0000'>A</text>"
            "<text id='parent' style='%1;fill:#00ff00'><tspan id='span'>A</tspan></text>")
                                 .arg(QLatin1String(Style)));
        GraphicsTextItem *plain = textItem(canvas.item("plain"));
        QVERIFY(plain);
        QCOMPARE(plain->brush, QBrush(Qt::black));
        QCOMPARE(plain->pen.style(), Qt::NoPen);
        GraphicsTextItem *outlined = textItem(canvas.item("outlined"));
        QCOMPARE(outlined->brush.style(), Qt::NoBrush);
        QCOMPARE(outlined->pen.color(), QColor(Qt::red));
        GraphicsTextItem *span = textItem(canvas.item("span"));
        QVERIFY(span);
        QCOMPARE(span->brush.color(), QColor(Qt::green));
        QCOMPARE(span->toPlainText(), QStringLiteral("A"));
        // A tspan without its own position stands at its text's origin.
        QCOMPARE(span->pos(), QPointF(0, 0));
        // Painting shows the colours.
        QVERIFY(paintedPixels(plain, Qt::black) > 50);
        QVERIFY(paintedPixels(span, Qt::green) > 50);
        QVERIFY(paintedPixels(outlined, Qt::red) > 10);
        QCOMPARE(paintedPixels(outlined, Qt::black), 0);
    }

    // Property changes through the node lay the text out again.
    void nodeSetters()
    {
        CanvasFixture canvas(QStringLiteral("<text id='t' style='%1'>A\nABC</text>").arg(QLatin1String(Style)));
        auto *text = dynamic_cast<TextElement *>(canvas.node("t"));
        QVERIFY(text);
        GraphicsTextItem *item = text->textItem;
        const QPointF firstLeft = item->charPositions.at(0);
        text->setAlignment(AlignRight);
        QVERIFY(item->charPositions.at(0).x() > firstLeft.x());
        text->setTextDirection(TextVertical);
        QCOMPARE(item->direction, 0);
        QCOMPARE(item->charPositions.at(2).x() > 0, true);
        const double width = item->boundingRect().width();
        text->setLineSpacing(100);
        QVERIFY(item->boundingRect().width() > width + 90);
        text->setWordSpacing(50);
        QCOMPARE(text->wordSpacing, 50.0);
        const double height = item->boundingRect().height();
        QFont bigger = item->font();
        bigger.setPointSizeF(100);
        text->setFont(bigger);
        QVERIFY(item->boundingRect().height() > height);
        text->setWord(QStringLiteral("XY"));
        QCOMPARE(item->charPositions.size(), 3);
        text->setBrush(QBrush(Qt::blue));
        QCOMPARE(item->brush.color(), QColor(Qt::blue));
    }

    // The text tool places a text in editing; typing edits it; clicking away
    // writes it into the element as one undo step, which undoes.
    void textToolAndTyping()
    {
        CanvasFixture canvas{QString()};
        canvas.view()->setDoodleTool(DoodleTool::Text);
        canvas.click(QPointF(300, 300));
        QCOMPARE(canvas.view()->doodleTool(), DoodleTool::Select);
        const QList<QDomElement> elements = canvas.layerElements();
        QCOMPARE(elements.size(), 1);
        QCOMPARE(elements.first().tagName(), QStringLiteral("text"));
        GraphicsTextItem *item = textItem(canvas.layerItemFor(elements.first()));
        QVERIFY(item);
        QVERIFY(item->isEditing());
        QCOMPARE(item->textCursor().position(), 4);
        QCOMPARE(int(item->cursorIndex), 4);
        QVERIFY(item->hasFocus());

        QWidget *target = canvas.viewport();
        type(target, Qt::Key_A, QStringLiteral("a"));
        type(target, Qt::Key_B, QStringLiteral("b"));
        QCOMPARE(item->toPlainText(), QStringLiteral("Textab"));
        type(target, Qt::Key_Backspace);
        QCOMPARE(item->toPlainText(), QStringLiteral("Texta"));
        type(target, Qt::Key_Return);
        type(target, Qt::Key_Z, QStringLiteral("z"));
        QCOMPARE(item->toPlainText(), QStringLiteral("Texta\nz"));
        QCOMPARE(item->charPositions.size(), 8);
        // The second line stands below the first.
        QVERIFY(item->charPositions.at(6).y() > item->charPositions.at(0).y());
        // The caret follows the cursor: at the start of the second line after "z".
        QCOMPARE(int(item->cursorIndex), 7);
        QCOMPARE(item->caretShape().boundingRect().center().x(), item->charPositions.at(7).x());
        type(target, Qt::Key_Left);
        QCOMPARE(int(item->cursorIndex), 6);
        type(target, Qt::Key_Home);
        QCOMPARE(item->caretShape().boundingRect().center().x(), item->charPositions.at(6).x());
        type(target, Qt::Key_Delete);
        QCOMPARE(item->toPlainText(), QStringLiteral("Texta\n"));
        // The element keeps its text until editing ends.
        QCOMPARE(elements.first().firstChild().nodeValue(), QStringLiteral("Text"));

        const int undoBefore = canvas.view()->commands()->count();
        canvas.click(QPointF(1500, 1500));
        QVERIFY(!item->isEditing());
        QCOMPARE(elements.first().firstChild().nodeValue(), QStringLiteral("Texta\n"));
        QCOMPARE(canvas.view()->commands()->count(), undoBefore + 1);
        canvas.view()->undo();
        QCOMPARE(elements.first().firstChild().nodeValue(), QStringLiteral("Text"));
        QCOMPARE(item->toPlainText(), QStringLiteral("Text"));
    }

    void clickingAwayWithoutTypingRecordsNothing()
    {
        CanvasFixture canvas{QString()};
        canvas.view()->setDoodleTool(DoodleTool::Text);
        canvas.click(QPointF(300, 300));
        const int undoBefore = canvas.view()->commands()->count();
        canvas.click(QPointF(1500, 1500));
        QCOMPARE(canvas.view()->commands()->count(), undoBefore);
    }

    // Undoing the placement while the new text is still being edited leaves
    // nothing behind to commit.
    void undoPlacementWhileEditing()
    {
        CanvasFixture canvas{QString()};
        canvas.view()->setDoodleTool(DoodleTool::Text);
        canvas.click(QPointF(300, 300));
        QCOMPARE(canvas.layerElements().size(), 1);
        canvas.view()->undo();
        QCOMPARE(canvas.layerElements().size(), 0);
        canvas.click(QPointF(1500, 1500));
        canvas.view()->redo();
        QCOMPARE(canvas.layerElements().size(), 1);
        canvas.click(QPointF(1500, 1500));
    }

    // A double click puts the caret after the character clicked; left of
    // every character it stands after the first one.
    void doubleClickPlacesCaret_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("character");
        QTest::addColumn<int>("expected");
        QTest::newRow("left of everything") << 1 << -1 << 1;
        QTest::newRow("on B") << 1 << 1 << 2;
        QTest::newRow("on the second line") << 1 << 4 << 5;
        QTest::newRow("vertical, left of everything") << 0 << -1 << 1;
        QTest::newRow("vertical, on the second column") << 0 << 4 << 5;
    }

    void doubleClickPlacesCaret()
    {
        QFETCH(int, direction);
        QFETCH(int, character);
        QFETCH(int, expected);
        CanvasFixture canvas(QStringLiteral("<text id='t' x='200' y='200' style='%1' lumaCraft:TextDirection='%2'>"
                                            "ABC\nDE</text>")
                                 .arg(QLatin1String(Style), direction == 0 ? "V" : "H"));
        GraphicsTextItem *item = textItem(canvas.item("t"));
        QVERIFY(item);
        const QPointF inItem = character < 0 ? QPointF(-5, -5) : item->charPositions.at(character) + QPointF(4, 20);
        QCOMPARE(item->cursorIndexAt(inItem), expected);
        if (character >= 0) {
            // Through a real double click on the design window.
            const QPointF scenePoint = item->mapToScene(inItem);
            canvas.click(scenePoint);
            QMouseEvent doubleClick(QEvent::MouseButtonDblClick, canvas.at(scenePoint),
                                    canvas.viewport()->mapToGlobal(canvas.at(scenePoint)), Qt::LeftButton,
                                    Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(canvas.viewport(), &doubleClick);
            canvas.release(scenePoint);
            QVERIFY(item->isEditing());
            QCOMPARE(item->textCursor().position(), expected);
            // The frame does not cover the text being edited.
            QVERIFY(!canvas.scene()->selectionFrame() || !canvas.scene()->selectionFrame()->scene());
        }
    }

    // Painting with the caret shows the caret colour; without editing none.
    void paintsCaretWhileEditing()
    {
        CanvasFixture canvas(QStringLiteral("<text id='t' style='%1'>AB</text>").arg(QLatin1String(Style)));
        GraphicsTextItem *item = textItem(canvas.item("t"));
        const QColor caret(0xC7, 0x06, 0x40);
        QCOMPARE(paintedPixels(item, caret), 0);
        item->setTextRevise();
        QCOMPARE(item->textCursor().position(), 2); // clamped to the text
        QVERIFY(paintedPixels(item, caret) > 20);
        QVERIFY(item->boundingRect().contains(item->caretShape().boundingRect()));
        item->removeInputFlag();
        QVERIFY(!item->hasFocus());
        QCOMPARE(paintedPixels(item, caret), 0);
    }

    // Bad input: a result, never a crash or a hang.
    void unusualTexts_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("paints");
        QTest::newRow("empty text") << QStringLiteral("<text id='t' style='%1'></text>") << false;
        QTest::newRow("font not installed") << QStringLiteral("<text id='t' style='font-family:No Such Face'>Ab</text>")
                                            << true;
        QTest::newRow("zero size") << QStringLiteral("<text id='t' style='font-size:0'>Ab</text>") << true;
        QTest::newRow("negative size") << QStringLiteral("<text id='t' style='font-size:-30px'>Ab</text>") << true;
        QTest::newRow("huge size") << QStringLiteral("<text id='t' style='font-size:1e30px'>A</text>") << true;
        QTest::newRow("size beyond outlines") << QStringLiteral("<text id='t' style='font-size:60000px'>A</text>") << true;
        QTest::newRow("tspans only") << QStringLiteral("<text id='t' style='%1'><tspan>A</tspan><tspan>B</tspan></text>")
                                     << false;
        QTest::newRow("invalid characters") << QStringLiteral("<text id='t' style='%1'>A&#xFFFF;&#xD7FF;B</text>") << true;
        QTest::newRow("CJK") << QStringLiteral("<text id='t' style='font-family:WenQuanYi Micro Hei'>中文</text>") << true;
    }

    void unusualTexts()
    {
        QFETCH(QString, body);
        QFETCH(bool, paints);
        CanvasFixture canvas(body.contains("%1") ? body.arg(QLatin1String(Style)) : body);
        GraphicsTextItem *item = textItem(canvas.item("t"));
        QVERIFY(item);
        QCOMPARE(item->charPositions.size(), item->toPlainText().size() + 1);
        QCOMPARE(paintedPixels(item) > 0, paints);
        QVERIFY(item->font().pointSizeF() > 0);
        // Glyph boxes are true outlines, never a placeholder.
        if (paints)
            QVERIFY(item->boundingRect().height() > 0.3 * item->layout().ascent);
        item->setTextRevise();
        paintedPixels(item);
    }

    // A real multilingual drawing (tspans, fonts that are not installed,
    // right-to-left scripts): every text gets its item, and job assembly's
    // conversion turns every text with visible content into outlines.
    void realDrawing()
    {
        DesignWindow window;
        window.resize(900, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.openDesign(ScriboTest::dataPath(QStringLiteral("inkscape-examples__i18n.svg"))));
        int texts = 0;
        const QList<QGraphicsItem *> items = window.svgView()->getScene()->items();
        for (QGraphicsItem *item : items) {
            GraphicsTextItem *text = textItem(item);
            if (!text)
                continue;
            ++texts;
            QVERIFY(itemNode(text));
            QCOMPARE(text->charPositions.size(), text->toPlainText().size() + 1);
            paintedPixels(text);
        }
        QCOMPARE(texts, 57); // 32 texts and their 25 tspans; text on a path is not shown

        QDomDocument copy;
        QVERIFY(copy.setContent(window.svgView()->model()->toText()));
        const QDomNodeList list = copy.elementsByTagName(QStringLiteral("text"));
        const QDomNodeList drawnPaths = copy.elementsByTagName(QStringLiteral("path"));
        for (int i = 0; i < drawnPaths.size(); ++i)
            drawnPaths.at(i).toElement().setAttribute(QStringLiteral("drawn"), QStringLiteral("1"));
        QList<QDomElement> textElements;
        for (int i = 0; i < list.size(); ++i)
            textElements.append(list.at(i).toElement());
        for (const QDomElement &text : qAsConst(textElements)) {
            const int before = copy.elementsByTagName(QStringLiteral("path")).size();
            window.svgView()->text2Path(text);
            const int made = copy.elementsByTagName(QStringLiteral("path")).size() - before;
            const bool onPath = !text.firstChildElement(QStringLiteral("textPath")).isNull();
            QVERIFY2(made > 0 || onPath || text.text().trimmed().isEmpty(), qPrintable(text.attribute("id")));
        }
        const QDomNodeList made = copy.elementsByTagName(QStringLiteral("path"));
        int outlines = 0;
        for (int i = 0; i < made.size(); ++i) {
            const QDomElement path = made.at(i).toElement();
            if (path.hasAttribute(QStringLiteral("drawn")))
                continue;
            ++outlines;
            QVERIFY(path.attribute("transform").contains("translate("));
            bool ok = false;
            QVERIFY(!getPathTraitFromString(path.attribute("d"), &ok).isEmpty());
            QVERIFY(ok);
        }
        QVERIFY(outlines >= 20);
    }

    void controlCharactersAndLongText()
    {
        CanvasFixture canvas(QStringLiteral("<text id='t' style='%1'>A</text>").arg(QLatin1String(Style)));
        auto *text = dynamic_cast<TextElement *>(canvas.node("t"));
        text->setWord(QString::fromUtf16(u"A\u0000\u0001B", 4));
        QCOMPARE(text->textItem->charPositions.size(), 5);
        QVERIFY(paintedPixels(text->textItem) > 0);

        QString longText;
        for (int i = 0; i < 20000; ++i)
            longText.append(i % 80 == 79 ? QChar('\n') : QChar('a' + i % 26));
        text->setWord(longText);
        QCOMPARE(text->textItem->charPositions.size(), 20001);
        QVERIFY(text->textItem->boundingRect().height() > 200 * 30);
        // Editing at the end of the long text.
        text->textItem->setTextRevise();
        QTextCursor cursor = text->textItem->textCursor();
        cursor.movePosition(QTextCursor::End);
        text->textItem->setTextCursor(cursor);
        type(canvas.viewport(), Qt::Key_X, QStringLiteral("x"));
        QCOMPARE(text->textItem->charPositions.size(), 20002);
    }
};

SCRIBO_TEST_MAIN(TestTextItem)
#include "test_textitem.moc"
