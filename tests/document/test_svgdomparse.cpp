#include "common/testenvironment.h"

#include "svgdocument.h"
#include "svgdomparse.h"

namespace {
QString nested(int depth)
{
    QString xml = QStringLiteral("<svg>");
    xml.reserve(depth * 7 + 20);
    for (int i = 0; i < depth; ++i)
        xml += QStringLiteral("<g>");
    for (int i = 0; i < depth; ++i)
        xml += QStringLiteral("</g>");
    return xml + QStringLiteral("</svg>");
}

QString billionLaughs()
{
    QString xml = QStringLiteral("<?xml version='1.0'?>\n<!DOCTYPE svg [\n <!ENTITY lol \"lol\">\n");
    xml += QStringLiteral(" <!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n");
    for (int i = 2; i <= 9; ++i) {
        QString refs;
        for (int k = 0; k < 10; ++k)
            refs += QStringLiteral("&lol%1;").arg(i - 1);
        xml += QStringLiteral(" <!ENTITY lol%1 \"%2\">\n").arg(i).arg(refs);
    }
    return xml + QStringLiteral("]>\n<svg><text>&lol9;</text></svg>");
}

QString quadraticBlowup()
{
    const QString value(100000, QLatin1Char('a'));
    QString xml = QStringLiteral("<!DOCTYPE svg [<!ENTITY a \"%1\">]><svg><text>").arg(value);
    for (int i = 0; i < 1000; ++i)
        xml += QStringLiteral("&a;");
    return xml + QStringLiteral("</text></svg>");
}
} // namespace

class TestSvgDomParse : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void entitiesExpandWhenHarmless();
    void invalidUtf8IsReplaced();
    void documentModelRefusesBadInput_data();
    void documentModelRefusesBadInput();
};

void TestSvgDomParse::parse_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("diagnostic");

    QTest::newRow("template") << newDocumentContent() << true << "";
    QTest::newRow("empty") << "" << false << "empty document";
    QTest::newRow("blanks") << " \n\t " << false << "empty document";
    QTest::newRow("unparsable") << "<svg><g></svg>" << false << "line";
    QTest::newRow("not xml") << "just words" << false << "line";
    QTest::newRow("unterminated tag") << "<svg width='1" << false << "line";
    QTest::newRow("deep but accepted") << nested(MaxSvgElementDepth - 1) << true << "";
    QTest::newRow("50000 levels") << nested(50000) << false << "nested deeper";
    QTest::newRow("self-closing elements do not nest") << "<svg>" + QString("<g/>").repeated(5000) + "</svg>"
                                                        << true << "";
    QTest::newRow("billion laughs") << billionLaughs() << false << "refer to other entities";
    QTest::newRow("quadratic blowup") << quadraticBlowup() << false << "expand too far";
    QTest::newRow("external entity") << "<!DOCTYPE svg [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><svg>&x;</svg>"
                                     << false << "external entities";
    QTest::newRow("public external entity")
        << "<!DOCTYPE svg [<!ENTITY x PUBLIC \"-//x\" \"http://example.invalid/x\">]><svg>&x;</svg>" << false
        << "external entities";
    QTest::newRow("parameter entity") << "<!DOCTYPE svg [<!ENTITY % p \"<!ENTITY x 'y'>\"> %p;]><svg/>" << false
                                      << "parameter entities";
    QTest::newRow("external DTD is not fetched")
        << "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" "
           "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\"><svg width='5'/>"
        << true << "";
    QTest::newRow("NUL byte") << QString("<svg>") + QChar(0) + QString("</svg>") << false << "NUL";
    QTest::newRow("markup in comments and quotes")
        << "<svg><!-- <g><g><g> --><text a='g>>'><![CDATA[<g><g>]]></text></svg>" << true << "";
}

void TestSvgDomParse::parse()
{
    QFETCH(QString, content);
    QFETCH(bool, ok);
    QFETCH(QString, diagnostic);
    QDomDocument document;
    QString error;
    QCOMPARE(parseSvgDocument(content, &document, &error), ok);
    if (ok) {
        QVERIFY(!document.documentElement().isNull());
    } else {
        QVERIFY(document.documentElement().isNull());
        QVERIFY2(error.contains(diagnostic), qPrintable(error));
    }
}

void TestSvgDomParse::entitiesExpandWhenHarmless()
{
    // Illustrator writes a few single-level entities for namespace URIs.
    const QString xml = "<!DOCTYPE svg [<!ENTITY ns_svg \"http://www.w3.org/2000/svg\">"
                        "<!ENTITY word \"]>\">]><svg xmlns='&ns_svg;'><text>&word;</text></svg>";
    QDomDocument document;
    QString error;
    QVERIFY2(parseSvgDocument(xml, &document, &error), qPrintable(error));
    QCOMPARE(document.documentElement().attribute("xmlns"), QString("http://www.w3.org/2000/svg"));
    QCOMPARE(document.documentElement().firstChildElement("text").text(), QString("]>"));
}

void TestSvgDomParse::invalidUtf8IsReplaced()
{
    const QByteArray bytes = "<svg><text id='\xff\xfe'>caf\xc3\xa9 \xc3</text></svg>";
    QDomDocument document;
    QString error;
    QVERIFY2(parseSvgDocument(QString::fromUtf8(bytes), &document, &error), qPrintable(error));
    const QString text = document.documentElement().firstChildElement("text").text();
    QVERIFY(text.startsWith(QString::fromUtf8("caf\xc3\xa9")));
    QVERIFY(text.contains(QChar::ReplacementCharacter));
}

void TestSvgDomParse::documentModelRefusesBadInput_data()
{
    QTest::addColumn<QString>("content");
    QTest::newRow("empty") << "";
    QTest::newRow("unparsable") << "<svg";
    QTest::newRow("root is not svg") << "<html><svg/></html>";
    QTest::newRow("deep nesting") << nested(50000);
    QTest::newRow("billion laughs") << billionLaughs();
}

void TestSvgDomParse::documentModelRefusesBadInput()
{
    QFETCH(QString, content);
    SVGDocument model(newDocumentContent(), nullptr);
    QVERIFY(model.svgElem());
    QVERIFY(!model.setContent(content));
    QVERIFY(!model.svgElem());
    model.buildAllNodes(); // visiting whatever is left must be safe
    QVERIFY(model.setContent(newDocumentContent()));
    QVERIFY(model.svgElem());
}

SCRIBO_TEST_MAIN(TestSvgDomParse)
#include "test_svgdomparse.moc"
