#include "common/testenvironment.h"

#include "svgvalues.h"

#include <QDomDocument>
#include <QLinearGradient>
#include <QRadialGradient>

namespace {

// Compact text of a path's elements: "M x,y", "L x,y", "C x,y x,y x,y".
QString describe(const QPainterPath &path)
{
    QStringList parts;
    auto num = [](double v) { return QString::number(v, 'g', 6); };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            parts << QStringLiteral("M%1,%2").arg(num(e.x), num(e.y));
            break;
        case QPainterPath::LineToElement:
            parts << QStringLiteral("L%1,%2").arg(num(e.x), num(e.y));
            break;
        case QPainterPath::CurveToElement: {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element end = path.elementAt(i + 2);
            parts << QStringLiteral("C%1,%2 %3,%4 %5,%6")
                         .arg(num(e.x), num(e.y), num(c2.x), num(c2.y), num(end.x), num(end.y));
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    return parts.join(QLatin1Char(' '));
}

QDomElement parseElement(const QString &xml, QDomDocument &document)
{
    const bool parsed = document.setContent(xml);
    Q_ASSERT(parsed);
    Q_UNUSED(parsed);
    return document.documentElement();
}

} // namespace

Q_DECLARE_METATYPE(QPainterPath)

class TestSvgValues : public QObject
{
    Q_OBJECT

private slots:
    void unitConversion_data();
    void unitConversion();
    void floatAndListTraits();
    void colours_data();
    void colours();
    void pathData_data();
    void pathData();
    void pathDataKeepsDoublePrecision();
    void arcs_data();
    void arcs();
    void hugePathData();
    void largePathDataParses();
    void findCommandsAndCoordinates();
    void writers_data();
    void writers();
    void writersRoundTrip();
    void transforms_data();
    void transforms();
    void elementTransformAboutAnchor_data();
    void elementTransformAboutAnchor();
    void transformValues_data();
    void transformValues();
    void transformStringEdits_data();
    void transformStringEdits();
    void gradientStops();
    void gradientReferences();
    void aspectRatio_data();
    void aspectRatio();
    void elementById();
    void smallHelpers();
};

void TestSvgValues::unitConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::addColumn<bool>("ok");
    QTest::newRow("plain") << "12" << 12.0 << true;
    QTest::newRow("px") << "1.5px" << 1.5 << true;
    QTest::newRow("pt is 96/72") << "10pt" << 10 * 96.0 / 72.0 << true;
    QTest::newRow("in") << "1in" << 96.0 << true;
    QTest::newRow("mm") << "2mm" << 7.559055118110237 << true;
    QTest::newRow("upper case MM") << "2MM" << 7.559055118110237 << true;
    QTest::newRow("cm negative leading dot") << "-.5cm" << -0.5 * 96.0 / 2.54 << true;
    QTest::newRow("pc") << "2PC" << 32.0 << true;
    QTest::newRow("em") << "3em" << 450.0 << true;
    QTest::newRow("exponent") << "1e3" << 1000.0 << true;
    QTest::newRow("exponent with unit") << "1.5e1mm" << 15 * 96.0 / 25.4 << true;
    QTest::newRow("one number only") << "1 2" << 1.0 << true;
    QTest::newRow("plus sign") << "+5" << 5.0 << true;
    QTest::newRow("percent keeps the number") << "50%" << 50.0 << true;
    QTest::newRow("leading blanks") << "  7" << 7.0 << true;
    QTest::newRow("empty") << "" << 0.0 << false;
    QTest::newRow("no number") << "abc" << 0.0 << false;
    QTest::newRow("lone dot") << "." << 0.0 << false;
}

void TestSvgValues::unitConversion()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QFETCH(bool, ok);
    bool converted = !ok;
    QCOMPARE(::unitConversion(text, &converted), expected);
    QCOMPARE(converted, ok);
}

void TestSvgValues::floatAndListTraits()
{
    QDomDocument document;
    const QDomElement e = parseElement(
        "<rect width='2mm' pct='50%' bad='50' points=' 1, 2 3,4 ' x=''/>", document);
    bool ok = false;
    QCOMPARE(getFloatTrait(e, "width", &ok), 7.559055118110237);
    QVERIFY(ok);
    QCOMPARE(getFloatTrait(e, "missing", &ok), 0.0);
    QVERIFY(!ok);
    QCOMPARE(getFloatTrait(e, "x", &ok), 0.0);
    QVERIFY(!ok);
    QCOMPARE(getFloatTrait(QDomElement(), "width", &ok), 0.0);
    QVERIFY(!ok);
    QCOMPARE(getPercentageTrait(e, "pct", &ok), 50.0);
    QVERIFY(ok);
    QCOMPARE(getPercentageTrait(e, "bad", &ok), 0.0);
    QVERIFY(!ok);
    QCOMPARE(getListTrait(e, "points", &ok), QStringList({"1", "2", "3", "4"}));
    QVERIFY(ok);
    QCOMPARE(getListTrait(e, "missing", &ok), QStringList());
    QVERIFY(!ok);
    QCOMPARE(getTrait(e, "x", &ok), QString(""));
    QVERIFY(ok);
    QVERIFY(getTrait(e, "nothing", &ok).isNull());
    QVERIFY(!ok);
}

void TestSvgValues::colours_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QColor>("color");
    QTest::newRow("keyword") << "red" << true << QColor(255, 0, 0);
    QTest::newRow("short hex") << "#0f0" << true << QColor(0, 255, 0);
    QTest::newRow("long hex") << "#123456" << true << QColor(0x12, 0x34, 0x56);
    QTest::newRow("transparent") << "transparent" << true << QColor(Qt::transparent);
    QTest::newRow("rgb integers") << "rgb(255,0,0)" << true << QColor(255, 0, 0);
    QTest::newRow("rgb with blanks") << "rgb( 1 , 2 , 3 )" << true << QColor(1, 2, 3);
    QTest::newRow("rgb out of range") << "rgb(256,0,0)" << false << QColor();
    QTest::newRow("rgb percentages") << "rgb(100%,50%,0%)" << true << QColor(255, 127, 0);
    QTest::newRow("rgb percent out of range") << "rgb(101%,0%,0%)" << false << QColor();
    QTest::newRow("nonsense") << "sparkly" << false << QColor();
    QTest::newRow("empty") << "" << false << QColor();
}

void TestSvgValues::colours()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QColor, color);
    bool ok = false;
    const QBrush brush = getRGBColorTrait(text, &ok);
    QCOMPARE(ok, valid);
    if (valid) {
        QCOMPARE(brush.style(), Qt::SolidPattern);
        QCOMPARE(brush.color(), color);
    } else {
        QCOMPARE(brush.style(), Qt::NoBrush);
    }

    QDomDocument document;
    QDomElement element = document.createElement("rect");
    element.setAttribute("fill", text);
    ok = false;
    QCOMPARE(getRGBColorTrait(element, "fill", &ok).style(), brush.style());
    QCOMPARE(ok, valid);
    QCOMPARE(getRGBColorTrait(element, "stroke").style(), Qt::NoBrush);
}

void TestSvgValues::pathData_data()
{
    QTest::addColumn<QString>("d");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("ok");
    QTest::newRow("pairs after a move are lines") << "m 10,10 20,20" << "M10,10 L30,30" << true;
    QTest::newRow("leading dot") << "M 0,0 L .5,.5" << "M0,0 L0.5,0.5" << true;
    QTest::newRow("exponent") << "M 0,0 L 1e2,0" << "M0,0 L100,0" << true;
    QTest::newRow("signed exponents") << "M1e-1,2E+1" << "M0.1,20" << true;
    QTest::newRow("sign separates") << "M10-5L20-5" << "M10,-5 L20,-5" << true;
    QTest::newRow("dot separates") << "M 20 120 H 40.5.6" << "M20,120 L40.5,120 L0.6,120" << true;
    QTest::newRow("odd count drops the command") << "M 0 0 L 10 H 5" << "M0,0 L5,0" << true;
    QTest::newRow("relative with close") << "m10 10 l10 0 v10 h-10 z"
                                         << "M10,10 L20,10 L20,20 L10,20 L10,10" << true;
    QTest::newRow("drawing after close starts at the subpath start")
        << "M10 10 L20 10 Z l 5 5" << "M10,10 L20,10 L10,10 M10,10 L15,15" << true;
    QTest::newRow("smooth cubic first uses the current point")
        << "M0,0 S 10,10 20,0" << "M0,0 C0,0 10,10 20,0" << true;
    QTest::newRow("smooth cubic away from the origin")
        << "M 10 10 S 20 20 30 10" << "M10,10 C10,10 20,20 30,10" << true;
    QTest::newRow("smooth cubic reflects") << "M0 0 C 0 10 10 10 10 0 S 20 -10 20 0"
                                           << "M0,0 C0,10 10,10 10,0 C10,-10 20,-10 20,0" << true;
    QTest::newRow("relative cubic") << "M10 10 c 0 10 10 10 10 0" << "M10,10 C10,20 20,20 20,10" << true;
    QTest::newRow("quadratic and smooth quadratic")
        << "M0 0 Q 6 12 12 0 T 24 0" << "M0,0 C4,8 8,8 12,0 C16,-8 20,-8 24,0" << true;
    QTest::newRow("smooth quadratic without quadratic") << "M0 0 T 12 0" << "M0,0 C0,0 4,0 12,0" << true;
    QTest::newRow("cubic with a wrong count is dropped") << "M0 0 C 1 2 3 4 5 L 9 9" << "M0,0 L9,9" << true;
    QTest::newRow("whitespace everywhere") << "\n  M\n 20\n 60\n H\n 40\n " << "M20,60 L40,60" << true;
    QTest::newRow("not starting with a move") << "L 10 10" << "" << false;
    QTest::newRow("empty") << "" << "" << false;
    QTest::newRow("stops at a stray character") << "M 20 100 H 40#90" << "M20,100 L40,100" << false;
    QTest::newRow("double comma stops") << "M 1,2 L 3,,4" << "M1,2" << false;
    QTest::newRow("comma after a letter stops") << "M 1 2 L,3 4" << "M1,2" << false;
    QTest::newRow("NUL stops") << QString("M 1 2 L 3 4") + QChar(0) + "5 6" << "M1,2 L3,4" << false;
}

void TestSvgValues::pathData()
{
    QFETCH(QString, d);
    QFETCH(QString, expected);
    QFETCH(bool, ok);
    bool parsed = !ok;
    const QPainterPath path = getPathTraitFromString(d, &parsed);
    QCOMPARE(describe(path), expected);
    QCOMPARE(parsed, ok);

    QDomDocument document;
    QDomElement element = document.createElement("path");
    element.setAttribute("d", d);
    parsed = !ok;
    QCOMPARE(describe(getPathTrait(element, "d", &parsed)), expected);
    QCOMPARE(parsed, ok);
    QVERIFY(getPathTrait(element, "missing", &parsed).isEmpty());
    QVERIFY(!parsed);
}

void TestSvgValues::pathDataKeepsDoublePrecision()
{
    const QPainterPath path = getPathTraitFromString("M1234.5678 0.1");
    QCOMPARE(path.elementAt(0).x, 1234.5678);
    QCOMPARE(path.elementAt(0).y, 0.1);
}

void TestSvgValues::arcs_data()
{
    QTest::addColumn<QString>("d");
    QTest::addColumn<QPointF>("center");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QPointF>("midpoint");
    QTest::newRow("half circle, sweep") << "M0,0 A10,10 0 0,1 20,0" << QPointF(10, 0) << 10.0 << QPointF(10, -10);
    QTest::newRow("half circle, no sweep") << "M0,0 A10,10 0 0,0 20,0" << QPointF(10, 0) << 10.0 << QPointF(10, 10);
    QTest::newRow("flags without separators") << "M0,0a10 10 0 0120 0" << QPointF(10, 0) << 10.0 << QPointF(10, -10);
    QTest::newRow("radii too small are scaled") << "M0 0 A1 1 0 0 1 20 0" << QPointF(10, 0) << 10.0 << QPointF(10, -10);
    QTest::newRow("large arc") << "M10,0 A10,10 0 1,1 0,10" << QPointF(10, 10) << 10.0
                               << QPointF(17.0710678, 17.0710678);
    QTest::newRow("small arc") << "M10,0 A10,10 0 0,1 0,10" << QPointF(0, 0) << 10.0
                               << QPointF(7.0710678, 7.0710678);
}

void TestSvgValues::arcs()
{
    QFETCH(QString, d);
    QFETCH(QPointF, center);
    QFETCH(double, radius);
    QFETCH(QPointF, midpoint);
    bool ok = false;
    const QPainterPath path = getPathTraitFromString(d, &ok);
    QVERIFY(ok);
    QVERIFY(path.elementCount() > 1);
    for (int i = 0; i <= 20; ++i) {
        const QPointF p = path.pointAtPercent(i / 20.0);
        QVERIFY2(qAbs(QLineF(center, p).length() - radius) < 0.01 * radius,
                 qPrintable(QStringLiteral("point %1,%2").arg(p.x()).arg(p.y())));
    }
    const QPointF mid = path.pointAtPercent(0.5);
    QVERIFY2(QLineF(mid, midpoint).length() < 0.05 * radius,
             qPrintable(QStringLiteral("midpoint %1,%2").arg(mid.x()).arg(mid.y())));

    // An ellipse turned by 90 degrees: its long axis runs along y.
    const QPainterPath ellipse = getPathTraitFromString("M0,0 A10,5 90 0,1 0,20");
    for (int i = 0; i <= 20; ++i) {
        const QPointF p = ellipse.pointAtPercent(i / 20.0);
        const double onEllipse = (p.x() / 5) * (p.x() / 5) + ((p.y() - 10) / 10) * ((p.y() - 10) / 10);
        QVERIFY(qAbs(onEllipse - 1) < 0.02);
    }
    QVERIFY(QLineF(ellipse.pointAtPercent(0.5), QPointF(5, 10)).length() < 0.1);
    QCOMPARE(ellipse.currentPosition(), QPointF(0, 20));

    // Zero radius is a straight line; an arc to the current point draws nothing.
    QCOMPARE(describe(getPathTraitFromString("M0 0 A0 5 0 0 1 10 0")), QString("M0,0 L10,0"));
    QCOMPARE(describe(getPathTraitFromString("M3 4 A5 5 0 0 1 3 4")), QString("M3,4"));
}

void TestSvgValues::hugePathData()
{
    // 50 MB of path data is refused at once: no hang, no memory blow-up.
    QString d = QStringLiteral("M 0 0 ");
    const QString segment = QStringLiteral("L 1 1 ");
    d.reserve(50 * 1024 * 1024 + segment.size());
    while (d.size() < 50 * 1024 * 1024)
        d += segment;
    bool ok = true;
    const QPainterPath path = getPathTraitFromString(d, &ok);
    QVERIFY(!ok);
    QVERIFY(path.isEmpty());
}

void TestSvgValues::largePathDataParses()
{
    const int segments = 200000;
    QString d = QStringLiteral("M0,0");
    d.reserve(segments * 12);
    for (int i = 1; i <= segments; ++i)
        d += QStringLiteral("l1,-.5e0");
    bool ok = false;
    const QPainterPath path = getPathTraitFromString(d, &ok);
    QVERIFY(ok);
    QCOMPARE(path.elementCount(), segments + 1);
    QCOMPARE(path.currentPosition(), QPointF(segments, -segments / 2.0));
}

void TestSvgValues::findCommandsAndCoordinates()
{
    const QString d = QStringLiteral("M 1,2 3e1-4 c.5.5 1 1 2 2z");
    int pos = 0;
    bool relative = true;
    QCOMPARE(findCmd(d, pos, &relative), int(PathMoveTo));
    QCOMPARE(pos, 1);
    QVERIFY(!relative);
    QVector<double> coords;
    pos = findCoords(d, pos, &coords);
    QCOMPARE(coords, QVector<double>({1, 2, 30, -4}));
    QCOMPARE(d.mid(pos, 2), QString(" c"));
    QCOMPARE(findCmd(d, pos, &relative), int(PathCubic));
    QVERIFY(relative);
    pos = findCoords(d, pos, &coords);
    QCOMPARE(coords, QVector<double>({0.5, 0.5, 1, 1, 2, 2}));
    QCOMPARE(findCmd(d, pos, &relative), int(PathClose));
    QCOMPARE(findCmd(d, pos, &relative), int(PathEnd));
}

void TestSvgValues::writers_data()
{
    QTest::addColumn<QPainterPath>("path");
    QTest::addColumn<QString>("absoluteForm");
    QTest::addColumn<QString>("relativeForm");

    QPainterPath closedByLine;
    closedByLine.moveTo(10, 20);
    closedByLine.lineTo(30, 20);
    closedByLine.lineTo(30, 40);
    closedByLine.lineTo(10, 20);
    QTest::newRow("lines back to the start")
        << closedByLine
        << "M 10.000000,20.000000 l 20.000000,0.000000 0.000000,20.000000 -20.000000,-20.000000 z "
        << "m 10.000000,20.000000 l 20.000000,0.000000 0.000000,20.000000 -20.000000,-20.000000 ";

    QPainterPath curves;
    curves.moveTo(1, 1);
    curves.cubicTo(1, 3, 3, 3, 3, 1);
    curves.cubicTo(3, 0, 4, 0, 5, 1);
    curves.lineTo(6, 1);
    curves.moveTo(10, 10);
    curves.lineTo(11, 10);
    QTest::newRow("curves and two subpaths")
        << curves
        << "M 1.000000,1.000000 c 0.000000,2.000000 2.000000,2.000000 2.000000,0.000000 "
           "0.000000,-1.000000 1.000000,-1.000000 2.000000,0.000000 l 1.000000,0.000000 "
           "m 4.000000,9.000000 l 1.000000,0.000000 "
        << "m 1.000000,1.000000 c 0.000000,2.000000 2.000000,2.000000 2.000000,0.000000 "
           "0.000000,-1.000000 1.000000,-1.000000 2.000000,0.000000 l 1.000000,0.000000 "
           "m 4.000000,9.000000 l 1.000000,0.000000 ";

    QPainterPath closedSubpath;
    closedSubpath.moveTo(-1.5, 0);
    closedSubpath.lineTo(0, 2.25);
    closedSubpath.closeSubpath();
    QTest::newRow("closed subpath")
        << closedSubpath << "M -1.500000,0.000000 l 1.500000,2.250000 -1.500000,-2.250000 z "
        << "m -1.500000,0.000000 l 1.500000,2.250000 -1.500000,-2.250000 ";

    QTest::newRow("empty") << QPainterPath() << "" << "";
}

void TestSvgValues::writers()
{
    QFETCH(QPainterPath, path);
    QFETCH(QString, absoluteForm);
    QFETCH(QString, relativeForm);
    QCOMPARE(pathToD(path), absoluteForm);
    QCOMPARE(painterPathToD(path), relativeForm);
}

void TestSvgValues::writersRoundTrip()
{
    const QString d = QStringLiteral("M 5 5 C 5 10 10 10 10 5 L 20 5 Z M 30 30 Q 40 40 50 30 A 10 5 30 1 0 70 30");
    const QPainterPath original = getPathTraitFromString(d);
    for (const QString &written : {pathToD(original), painterPathToD(original)}) {
        const QPainterPath reread = getPathTraitFromString(written);
        QCOMPARE(reread.elementCount(), original.elementCount());
        for (int i = 0; i < original.elementCount(); ++i) {
            QCOMPARE(reread.elementAt(i).type, original.elementAt(i).type);
            QVERIFY(qAbs(reread.elementAt(i).x - original.elementAt(i).x) < 1e-5);
            QVERIFY(qAbs(reread.elementAt(i).y - original.elementAt(i).y) < 1e-5);
        }
    }
}

void TestSvgValues::transforms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::newRow("translate with one value") << "translate(5)" << QPointF(1, 1) << QPointF(6, 1);
    QTest::newRow("scale with one value") << "scale(2)" << QPointF(1, 3) << QPointF(2, 6);
    QTest::newRow("rotate with two values is skipped") << "rotate(30,1)" << QPointF(1, 3) << QPointF(1, 3);
    QTest::newRow("rotate") << "rotate(90)" << QPointF(1, 0) << QPointF(0, 1);
    QTest::newRow("rotate about a point") << "rotate(90 10 10)" << QPointF(20, 10) << QPointF(10, 20);
    QTest::newRow("last function applies first") << "translate(10,20) scale(2)" << QPointF(1, 1) << QPointF(12, 22);
    QTest::newRow("matrix") << "matrix(1,0,0,1,5,6)" << QPointF(1, 1) << QPointF(6, 7);
    QTest::newRow("matrix with exponents") << "matrix(1e0 0 0 1 2e1 -1.5E1)" << QPointF(0, 0) << QPointF(20, -15);
    QTest::newRow("skewX") << "skewX(45)" << QPointF(0, 2) << QPointF(2, 2);
    QTest::newRow("skewY") << "skewY(45)" << QPointF(2, 0) << QPointF(2, 2);
    QTest::newRow("leading dot") << "scale(.5)" << QPointF(4, 4) << QPointF(2, 2);
    QTest::newRow("sign separates") << "translate(10-5)" << QPointF(0, 0) << QPointF(10, -5);
    QTest::newRow("nothing") << "" << QPointF(3, 4) << QPointF(3, 4);
    QTest::newRow("unknown function") << "wobble(3)" << QPointF(3, 4) << QPointF(3, 4);
}

void TestSvgValues::transforms()
{
    QFETCH(QString, text);
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    const QPointF mapped = getTransformValueHelp(text).map(from);
    QVERIFY2(QLineF(mapped, to).length() < 1e-9,
             qPrintable(QStringLiteral("got %1,%2").arg(mapped.x()).arg(mapped.y())));
}

void TestSvgValues::elementTransformAboutAnchor_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QPointF>("itemPosition");
    QTest::addColumn<QPointF>("documentPoint");
    // The item sits at the anchor; item point + position must land where the
    // transform puts the document point.
    QTest::newRow("x and y") << "<rect x='10' y='20' transform='rotate(90)'/>" << QPointF(10, 20) << QPointF(10, 20);
    QTest::newRow("circle") << "<circle cx='10' cy='10' r='5' transform='scale(2)'/>" << QPointF(5, 5)
                            << QPointF(7, 8);
    QTest::newRow("ellipse") << "<ellipse cx='10' cy='10' rx='4' ry='2' transform='translate(3 4)'/>"
                             << QPointF(6, 8) << QPointF(9, 9);
}

void TestSvgValues::elementTransformAboutAnchor()
{
    QFETCH(QString, xml);
    QFETCH(QPointF, itemPosition);
    QFETCH(QPointF, documentPoint);
    QDomDocument document;
    const QDomElement element = parseElement(xml, document);
    bool ok = false;
    const QTransform local = getTransform(element, &ok);
    QVERIFY(ok);
    const QTransform plain = getTransformValueHelp(element.attribute("transform"));
    const QPointF viaItem = local.map(documentPoint - itemPosition) + itemPosition;
    QVERIFY(QLineF(viaItem, plain.map(documentPoint)).length() < 1e-9);

    QVERIFY(getTransform(QDomElement(), &ok).isIdentity());
    QVERIFY(!ok);
}

void TestSvgValues::transformValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<bool>("ok");
    QTest::newRow("commas and blanks") << " 1,2  3 " << QList<double>({1, 2, 3}) << true;
    QTest::newRow("exponent") << "1e2,-2.5E-1" << QList<double>({100, -0.25}) << true;
    QTest::newRow("garbage") << "1,x" << QList<double>() << false;
    QTest::newRow("empty") << "" << QList<double>() << true;
}

void TestSvgValues::transformValues()
{
    QFETCH(QString, text);
    QFETCH(QList<double>, values);
    QFETCH(bool, ok);
    bool converted = true;
    QCOMPARE(getTransformValues(text, &converted), values);
    QCOMPARE(converted, ok);
}

void TestSvgValues::transformStringEdits_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("addition");
    QTest::addColumn<QString>("expected");
    QTest::newRow("translate added") << "translate" << "translate(10,20) rotate(5)" << "translate(1,2)"
                                     << "translate(11.000000,22.000000) rotate(5)";
    QTest::newRow("translate with one value") << "translate" << "translate(10)" << "translate(1.5,2)"
                                              << "translate(11.500000,2.000000)";
    QTest::newRow("translate inserted") << "translate" << "rotate(5)" << "translate(1,2)" << "translate(1,2)rotate(5)";
    QTest::newRow("matrix folded") << "matrix" << "translate(10,0)" << "scale(2)"
                                   << "matrix(2.000000,0.000000,0.000000,2.000000,20.000000,0.000000)";
}

void TestSvgValues::transformStringEdits()
{
    QFETCH(QString, function);
    QFETCH(QString, text);
    QFETCH(QString, addition);
    QFETCH(QString, expected);
    if (function == "translate")
        replaceTranslate(text, addition);
    else
        replaceMatrix(text, addition);
    QCOMPARE(text, expected);
    QVERIFY(hasTranslate("translate(1,2) scale(3)"));
    QVERIFY(!hasTranslate("scale(3) translate(1,2)"));
    QVERIFY(hasMatrix("matrix(1,0,0,1,0,0)"));
    QVERIFY(!hasMatrix(" rotate(4)"));
}

void TestSvgValues::gradientStops()
{
    QDomDocument document;
    const QDomElement gradient = parseElement(
        "<linearGradient>"
        "<stop offset='0' stop-color='red'/>"
        "<stop offset='0.5' style='stop-color:#0000ff;stop-opacity:0.5'/>"
        "<stop offset='1.5' stop-color='bogus' stop-opacity='3'/>"
        "<stop offset='40%' stop-color='lime'/>"
        "</linearGradient>",
        document);
    const QGradientStops stops = fetchGradientStops(gradient, 0.5);
    QCOMPARE(stops.size(), 4);
    QCOMPARE(stops.at(0).first, 0.0);
    QCOMPARE(stops.at(1).first, 0.5);
    QCOMPARE(stops.at(2).first, 0.5); // out of range reads 0, then raised to the previous
    QCOMPARE(stops.at(3).first, 0.5); // 40 % is below the previous offset
    QCOMPARE(stops.at(0).second, QColor(255, 0, 0, int(0.5 * 255)));
    QCOMPARE(stops.at(1).second, QColor(0, 0, 255, int(0.25 * 255)));
    QCOMPARE(stops.at(2).second, QColor(0, 0, 0, int(0.5 * 255)));
}

void TestSvgValues::gradientReferences()
{
    QDomDocument document;
    parseElement(
        "<svg xmlns:xlink='http://www.w3.org/1999/xlink'><defs>"
        "<linearGradient id='base' x1='0.1' x2='0.9' y2='0.2' spreadMethod='reflect' gradientUnits='userSpaceOnUse'>"
        "<stop offset='0' stop-color='red'/><stop offset='1' stop-color='blue'/></linearGradient>"
        "<linearGradient id='child-1' xlink:href='#base' x2='0.5'/>"
        "<linearGradient id='self' xlink:href='#self' x2='0.7'><stop offset='0' stop-color='lime'/></linearGradient>"
        "<linearGradient id='loopA' xlink:href='#loopB'/><linearGradient id='loopB' xlink:href='#loopA'/>"
        "<linearGradient id='lost' xlink:href='#nowhere' x1='0.3'/>"
        "<radialGradient id='round' cx='0.2' r='0.3' fx='0.1' spreadMethod='repeat'>"
        "<stop offset='0' stop-color='white'/><stop offset='1' stop-color='black'/></radialGradient>"
        "<radialGradient id='round-child' xlink:href='#round' cy='0.6'/>"
        "<radialGradient id='from-linear' xlink:href='#base'/>"
        "<rect id='notagradient'/><linearGradient id='bad-ref' xlink:href='#notagradient'/>"
        "</defs></svg>",
        document);
    const QDomElement root = document.documentElement();

    const QLinearGradient child = resolveLinearGradient(getElementById(root, "child-1"), 1);
    QCOMPARE(child.start(), QPointF(0.1, 0));
    QCOMPARE(child.finalStop(), QPointF(0.5, 0.2));
    QCOMPARE(child.spread(), QGradient::ReflectSpread);
    QCOMPARE(child.coordinateMode(), QGradient::LogicalMode);
    QCOMPARE(child.stops().size(), 2);
    QCOMPARE(child.stops().last().second, QColor(Qt::blue));
    QCOMPARE(gradientStopCount(getElementById(root, "child-1")), 2);

    const QLinearGradient self = resolveLinearGradient(getElementById(root, "self"), 1);
    QCOMPARE(self.finalStop(), QPointF(0.7, 0));
    QCOMPARE(self.stops().size(), 1);

    const QLinearGradient loop = resolveLinearGradient(getElementById(root, "loopA"), 1);
    QCOMPARE(loop.coordinateMode(), QGradient::ObjectBoundingMode);
    QCOMPARE(gradientStopCount(getElementById(root, "loopA")), 0);

    const QLinearGradient lost = resolveLinearGradient(getElementById(root, "lost"), 1);
    QCOMPARE(lost.start(), QPointF(0.3, 0));
    QCOMPARE(resolveLinearGradient(getElementById(root, "bad-ref"), 1).finalStop(), QPointF(1, 0));

    const QRadialGradient round = resolveRadialGradient(getElementById(root, "round-child"), 1);
    QCOMPARE(round.center(), QPointF(0.2, 0.6));
    QCOMPARE(round.radius(), 0.3);
    QCOMPARE(round.focalPoint(), QPointF(0.1, 0.5));
    QCOMPARE(round.spread(), QGradient::RepeatSpread);
    QCOMPARE(round.stops().size(), 2);

    const QRadialGradient fromLinear = resolveRadialGradient(getElementById(root, "from-linear"), 1);
    QCOMPARE(fromLinear.center(), QPointF(0.5, 0.5));
    QCOMPARE(fromLinear.coordinateMode(), QGradient::LogicalMode);
    QCOMPARE(fromLinear.stops().size(), 2);
}

void TestSvgValues::aspectRatio_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("mode");
    QTest::newRow("absent") << QString() << int(Qt::KeepAspectRatio);
    QTest::newRow("none") << "none" << int(Qt::IgnoreAspectRatio);
    QTest::newRow("meet") << "xMidYMid meet" << int(Qt::KeepAspectRatio);
    QTest::newRow("slice") << "xMinYMax slice" << int(Qt::KeepAspectRatioByExpanding);
    QTest::newRow("unmatched") << "x" << int(Qt::KeepAspectRatio);
}

void TestSvgValues::aspectRatio()
{
    QFETCH(QString, value);
    QFETCH(int, mode);
    QDomDocument document;
    QDomElement element = document.createElement("svg");
    if (!value.isNull())
        element.setAttribute("preserveAspectRatio", value);
    QCOMPARE(getAspectRatio(element), mode);
}

void TestSvgValues::elementById()
{
    QDomDocument document;
    // Deep nesting must not exhaust the stack of the search.
    QString xml = "<svg id='top'><g id='twice'/>";
    for (int i = 0; i < 5000; ++i)
        xml += "<g>";
    xml += "<rect id='deep'/><rect id='twice'/>";
    for (int i = 0; i < 5000; ++i)
        xml += "</g>";
    xml += "<rect id='after'/></svg>";
    const QDomElement root = parseElement(xml, document);
    QCOMPARE(getElementById(root, "top"), root);
    QCOMPARE(getElementById(root, "deep").tagName(), QString("rect"));
    QCOMPARE(getElementById(root, "twice").tagName(), QString("g"));
    QCOMPARE(getElementById(root, "after").tagName(), QString("rect"));
    QVERIFY(getElementById(root, "missing").isNull());
    QVERIFY(getElementById(root, "").isNull());
    // A search from a sub-element stays inside it.
    QVERIFY(getElementById(root.firstChildElement("g"), "after").isNull());
}

void TestSvgValues::smallHelpers()
{
    QCOMPARE(findNum("12.5mm"), QString("12.5"));
    QCOMPARE(findNum("-5px e3"), QString("-53"));
    QVERIFY(isAllSpace(""));
    QVERIFY(isAllSpace("   "));
    QVERIFY(!isAllSpace(" \t"));
    QVERIFY(!isAllSpace(" a"));
    QDomDocument document;
    QDomElement element = document.createElement("rect");
    QVERIFY(setTrait(element, "x", "1"));
    QVERIFY(setTrait(element, "x", "2"));
    QCOMPARE(element.attribute("x"), QString("2"));
    QDomElement null;
    QVERIFY(!setTrait(null, "x", "1"));
}

SCRIBO_TEST_CORE_MAIN(TestSvgValues)
#include "test_svgvalues.moc"
