#include "canvas/graphicstextitem.h"
#include "common/testenvironment.h"
#include "document/node.h"
#include "document/svgdocument.h"
#include "document/svgvalues.h"
#include "document/textelement.h"
#include "document/textoutline.h"

#include <QDomDocument>
#include <QFontDatabase>

namespace {

const char Style[] = "font-family:DejaVu Sans;font-size:50px";

QDomDocument parse(const QString &body)
{
    QDomDocument document;
    document.setContent(QStringLiteral("<svg><g id='layer'>%1</g></svg>").arg(body));
    return document;
}

QList<QDomElement> paths(const QDomDocument &document)
{
    QList<QDomElement> out;
    const QDomNodeList list = document.elementsByTagName(QStringLiteral("path"));
    for (int i = 0; i < list.size(); ++i)
        out.append(list.at(i).toElement());
    return out;
}

QDomElement firstText(const QDomDocument &document)
{
    return document.elementsByTagName(QStringLiteral("text")).at(0).toElement();
}

// The path's outline where it stands in the layer.
QRectF placedBounds(const QDomElement &path)
{
    const QPainterPath outline = getPathTraitFromString(path.attribute(QStringLiteral("d")));
    return getTransform(path).map(outline).boundingRect();
}

bool nearRect(const QRectF &a, const QRectF &b, double tolerance = 0.01)
{
    return std::abs(a.left() - b.left()) < tolerance && std::abs(a.top() - b.top()) < tolerance
           && std::abs(a.right() - b.right()) < tolerance && std::abs(a.bottom() - b.bottom()) < tolerance;
}

Node *findById(Node *node, const QString &id)
{
    if (!node)
        return nullptr;
    if (node->domElem().attribute(QStringLiteral("id")) == id)
        return node;
    for (Node *child : node->childNodes()) {
        if (Node *found = findById(child, id))
            return found;
    }
    return nullptr;
}

} // namespace

class TestTextOutline : public QObject
{
    Q_OBJECT

private slots:
    void styleMap_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QStringList>("expected"); // key=value pairs
        QTest::newRow("none") << QString() << QStringList();
        QTest::newRow("usual") << "fill:red; font-size : 12px" << QStringList{"fill=red", "font-size=12px"};
        QTest::newRow("empty parts dropped") << ";;fill:red;;" << QStringList{"fill=red"};
        QTest::newRow("later wins") << "fill:red;fill:blue" << QStringList{"fill=blue"};
        QTest::newRow("not a pair") << "fill;a:b:c;stroke:#000" << QStringList{"stroke=#000"};
        QTest::newRow("empty value kept") << "fill:" << QStringList{"fill="};
    }

    void styleMap()
    {
        QFETCH(QString, style);
        QFETCH(QStringList, expected);
        QDomDocument document;
        QDomElement element = document.createElement(QStringLiteral("text"));
        if (!style.isNull())
            element.setAttribute(QStringLiteral("style"), style);
        const QMap<QString, QString> map = getStyle(element);
        QStringList pairs;
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            pairs << it.key() + '=' + it.value();
        QCOMPARE(pairs, expected);
    }

    void fontReaders_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("size");
        QTest::addColumn<int>("fontStyle");
        QTest::addColumn<int>("weight");
        const QString first = QFontDatabase().families().value(0);
        const QString defaultFamily = QFont().family();
        const double defaultSize = QFont().pointSizeF();
        QTest::newRow("empty") << "" << defaultFamily << defaultSize << int(QFont::StyleNormal) << 50;
        QTest::newRow("bold") << "font-weight:bold" << defaultFamily << defaultSize << 0 << 75;
        QTest::newRow("bolder") << "font-weight:bolder" << defaultFamily << defaultSize << 0 << 75;
        QTest::newRow("light") << "font-weight:lighter" << defaultFamily << defaultSize << 0 << 25;
        QTest::newRow("numeric bold as on the canvas") << "font-weight:700" << defaultFamily << defaultSize << 0 << 75;
        QTest::newRow("numeric normal") << "font-weight:400" << defaultFamily << defaultSize << 0 << 50;
        QTest::newRow("unknown weight") << "font-weight:heavy" << defaultFamily << defaultSize << 0 << 50;
        QTest::newRow("italic") << "font-style:italic" << defaultFamily << defaultSize << 1 << 50;
        QTest::newRow("oblique") << "font-style:oblique" << defaultFamily << defaultSize << 2 << 50;
        QTest::newRow("unknown style") << "font-style:slanted" << defaultFamily << defaultSize << 0 << 50;
        QTest::newRow("pixels as points") << "font-size:50px" << defaultFamily << 50.0 << 0 << 50;
        QTest::newRow("millimetres") << "font-size:10mm" << defaultFamily << 10 * 96 / 25.4 << 0 << 50;
        QTest::newRow("zero size") << "font-size:0" << defaultFamily << defaultSize << 0 << 50;
        QTest::newRow("negative size") << "font-size:-4px" << defaultFamily << defaultSize << 0 << 50;
        QTest::newRow("unreadable size") << "font-size:big" << defaultFamily << defaultSize << 0 << 50;
        QTest::newRow("installed family") << "font-family:DejaVu Sans" << "DejaVu Sans" << defaultSize << 0 << 50;
        QTest::newRow("list, quoted") << "font-family:'No Such', \"DejaVu Sans\"" << "DejaVu Sans" << defaultSize << 0
                                      << 50;
        QTest::newRow("not installed") << "font-family:No Such Face" << first << defaultSize << 0 << 50;
    }

    void fontReaders()
    {
        QFETCH(QString, style);
        QFETCH(QString, family);
        QFETCH(double, size);
        QFETCH(int, fontStyle);
        QFETCH(int, weight);
        QDomDocument document;
        QDomElement element = document.createElement(QStringLiteral("text"));
        element.setAttribute(QStringLiteral("style"), style);
        const QMap<QString, QString> map = getStyle(element);
        QCOMPARE(getFontFamily(map), family);
        QVERIFY(std::abs(getFontSize(map) - size) < 1e-9);
        QCOMPARE(int(getFontStyle(map)), fontStyle);
        QCOMPARE(getFontWeight(map), weight);
    }

    // One path per text node and per tspan, each with its own text and style,
    // all at the text's position.
    void pathsPerChild_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("fills");
        QTest::newRow("text node") << "<text style='%1;fill:#ff0000'>AB</text>" << QStringList{"#ff0000"};
        QTest::newRow("two tspans") << "<text style='%1;fill:#ff0000'><tspan>A</tspan><tspan style='fill:#00ff00'>B</tspan></text>"
                                    << QStringList{"#ff0000", "#00ff00"};
        QTest::newRow("mixed content") << "<text style='%1;fill:none'>A<tspan>B</tspan>C</text>"
                                       << QStringList{"none", "none", "none"};
        QTest::newRow("no fill: empty fill") << "<text style='%1'>A</text>" << QStringList{""};
        QTest::newRow("empty text: nothing") << "<text style='%1'></text>" << QStringList();
        QTest::newRow("blanks: nothing") << "<text style='%1'>  \n </text>" << QStringList();
        QTest::newRow("other children skipped") << "<text style='%1'><desc>x</desc><!-- c -->A</text>" << QStringList{""};
    }

    void pathsPerChild()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, fills);
        QDomDocument document = parse(body.arg(QLatin1String(Style)));
        QDomElement text = firstText(document);
        text.setAttribute(QStringLiteral("x"), QStringLiteral("10"));
        text.setAttribute(QStringLiteral("y"), QStringLiteral("20"));
        QCOMPARE(textToPathElements(text, DefaultParameters()), fills.size());
        const QList<QDomElement> made = paths(document);
        QCOMPARE(made.size(), fills.size());
        for (int i = 0; i < made.size(); ++i) {
            const QDomElement &path = made.at(i);
            QCOMPARE(path.parentNode(), text.parentNode());
            QCOMPARE(path.attribute("style"),
                     QStringLiteral("fill:%1;stroke:#000000;stroke-width:0.26px;stroke-linecap:butt;"
                                    "stroke-linejoin:miter;stroke-opacity:1")
                         .arg(fills.at(i)));
            QCOMPARE(path.attribute("transform"), QStringLiteral("translate(10.000000,20.000000)"));
            QVERIFY(!path.attribute("d").isEmpty());
        }
        // Appended after the text, which stays.
        QCOMPARE(text.parentNode().lastChild().nodeName(), fills.isEmpty() ? QStringLiteral("text") : QStringLiteral("path"));
    }

    // The transform comes first, then the position; the nine parameters are
    // the text's, missing ones from the defaults (power and speed 100).
    void transformAndParameters()
    {
        QDomDocument document = parse(QStringLiteral(
            "<text x='10' y='20' transform='rotate(30)' lumacraft:scanTimes='2' lumacraft:scanPower='55' "
            "lumacraft:scanAngle='bad' style='%1'>A</text>").arg(QLatin1String(Style)));
        DefaultParameters defaults;
        defaults.scanTimes = 9;
        defaults.scanBuffer = 1.5;
        defaults.scanAccuracy = 0.1;
        defaults.scanAngle = 45;
        defaults.scanError = 0.25;
        defaults.XMotorMovementError = 0.3;
        defaults.YMotorMovementError = 0.125;
        QCOMPARE(textToPathElements(firstText(document), defaults), 1);
        const QDomElement path = paths(document).first();
        QCOMPARE(path.attribute("transform"), QStringLiteral("rotate(30)translate(10.000000,20.000000)"));
        const QMap<QString, QString> expected = {
            {"lumacraft:scanTimes", "2.000000"},    {"lumacraft:scanBuffer", "1.500000"},
            {"lumacraft:scanAccuracy", "0.100000"}, {"lumacraft:scanAngle", "45.000000"},
            {"lumacraft:scanError", "0.250000"},    {"lumacraft:scanPower", "55.000000"},
            {"lumacraft:scanSpeed", "100.000000"},  {"lumacraft:XMotorMovementError", "0.300000"},
            {"lumacraft:YMotorMovementError", "0.125000"},
        };
        for (auto it = expected.constBegin(); it != expected.constEnd(); ++it)
            QCOMPARE(path.attribute(it.key()), it.value());
    }

    void refusesOtherNodes()
    {
        QDomDocument document = parse(QStringLiteral("<rect/>"));
        QCOMPARE(textToPathElements(document.elementsByTagName("rect").at(0), DefaultParameters()), 0);
        QCOMPARE(textToPathElements(QDomNode(), DefaultParameters()), 0);
        QDomDocument lone;
        QDomElement orphan = lone.createElement(QStringLiteral("text"));
        orphan.appendChild(lone.createTextNode(QStringLiteral("A")));
        QCOMPARE(textToPathElements(orphan, DefaultParameters()), 0);
        QCOMPARE(paths(document).size(), 0);
    }

    // The outline cut is exactly what the canvas item shows, in every
    // direction and alignment, with inherited font properties too.
    void outlineMatchesItem_data()
    {
        QTest::addColumn<QString>("attributes");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("groupStyle");
        QTest::newRow("horizontal left") << "" << QString(Style) << "";
        QTest::newRow("horizontal right") << "lumaCraft:Alignment='AlignRight'" << QString(Style) << "";
        QTest::newRow("horizontal centre") << "lumaCraft:Alignment='AlignCenter' lumaCraft:WordSpacing='12'"
                                           << QString(Style) << "";
        QTest::newRow("vertical left") << "lumaCraft:TextDirection='V'" << QString(Style) << "";
        QTest::newRow("vertical right") << "lumaCraft:TextDirection='V' lumaCraft:Alignment='AlignRight'"
                                        << QString(Style) << "";
        QTest::newRow("vertical centre") << "lumaCraft:TextDirection='V' lumaCraft:Alignment='AlignCenter' "
                                            "lumaCraft:LineSpacing='30'"
                                         << QString(Style) << "";
        QTest::newRow("unknown values") << "lumaCraft:TextDirection='Q' lumaCraft:Alignment='Up'" << QString(Style) << "";
        QTest::newRow("bold italic") << "" << QString(Style) + ";font-weight:bold;font-style:italic" << "";
        QTest::newRow("font from the group") << "" << QString() << "font-family:DejaVu Serif;font-size:40px";
        QTest::newRow("font not installed") << "" << "font-family:No Such Face;font-size:30px" << "";
        QTest::newRow("rotated") << "transform='rotate(30)'" << QString(Style) << "";
    }

    void outlineMatchesItem()
    {
        QFETCH(QString, attributes);
        QFETCH(QString, style);
        QFETCH(QString, groupStyle);
        const QString content = QStringLiteral(
            "<svg><g id='layer' style='%1'><text id='t' x='120' y='80' style='%2' %3>Ag\nABC\n\nxy</text></g></svg>")
                                    .arg(groupStyle, style, attributes);
        SVGDocument model(content, nullptr);
        model.buildAllNodes();
        auto *text = dynamic_cast<TextElement *>(findById(model.rootNode(), QStringLiteral("t")));
        QVERIFY(text);
        GraphicsTextItem *item = text->textItem;
        const QRectF shown = item->mapToParent(item->outline).boundingRect();
        QVERIFY(shown.isValid());
        if (!groupStyle.isEmpty())
            QCOMPARE(item->font().family(), QStringLiteral("DejaVu Serif"));

        QDomDocument copy;
        QVERIFY(copy.setContent(content));
        QCOMPARE(textToPathElements(firstText(copy), DefaultParameters()), 1);
        const QRectF cut = placedBounds(paths(copy).first());
        QVERIFY2(nearRect(cut, shown), qPrintable(QStringLiteral("cut (%1,%2 %3x%4) shown (%5,%6 %7x%8)")
                                                      .arg(cut.x()).arg(cut.y()).arg(cut.width()).arg(cut.height())
                                                      .arg(shown.x()).arg(shown.y()).arg(shown.width()).arg(shown.height())));
    }

    // Bad input gives paths or nothing, never a crash or a hang.
    void unusualTexts_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<int>("expected");
        QString longText;
        for (int i = 0; i < 20000; ++i)
            longText.append(i % 120 == 119 ? QChar('\n') : QChar('a' + i % 26));
        QTest::newRow("long text") << longText << 1;
        QTest::newRow("control characters") << QString::fromUtf16(u"A\u0000\u0001\tB", 5) << 1;
        QTest::newRow("lone surrogate") << QString::fromUtf16(u"A\xd800", 2) << 1;
    }

    void unusualTexts()
    {
        QFETCH(QString, content);
        QFETCH(int, expected);
        QDomDocument document = parse(QStringLiteral("<text style='%1;font-size:10px'/>").arg(QLatin1String(Style)));
        QDomElement text = firstText(document);
        text.appendChild(document.createTextNode(content));
        QCOMPARE(textToPathElements(text, DefaultParameters()), expected);
        QVERIFY(placedBounds(paths(document).first()).isValid());
    }
};

SCRIBO_TEST_MAIN(TestTextOutline)
#include "test_textoutline.moc"
