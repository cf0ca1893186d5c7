#include "common/testenvironment.h"
#include "gcode/pathgeometry.h"
#include "gcode/pathorder.h"
#include "pathfixtures.h"

#include <QHash>
#include <QRandomGenerator>

#include <cmath>
#include <memory>
#include <vector>

using PathFixtures::describe;
using PathFixtures::pathFrom;

namespace {

QList<QPainterPath> pathsFrom(const QString &outlines)
{
    QList<QPainterPath> paths;
    if (outlines.isEmpty())
        return paths;
    for (const QString &outline : outlines.split(QLatin1Char('|')))
        paths << pathFrom(outline.trimmed());
    return paths;
}

QString squareOutline(double left, double top, double size)
{
    return QStringLiteral("M%1 %2 L%3 %2 L%3 %4 L%1 %4 L%1 %2")
        .arg(left)
        .arg(top)
        .arg(left + size)
        .arg(top + size);
}

// Nodes made from outlines, named by their position ("0", "1", ...) unless
// names are given; owns them.
class NodeSet
{
public:
    explicit NodeSet(const QList<QPainterPath> &paths, const QStringList &names = {})
    {
        for (int i = 0; i < paths.size(); ++i) {
            auto node = std::make_unique<PathTreeNode>();
            node->path = paths.at(i);
            node->scanPower = 10 + i;
            node->scanSpeed = 20 + i;
            node->xMotorMovementError = 0.5 + i;
            node->yMotorMovementError = 0.25 + i;
            m_names.insert(node.get(), names.isEmpty() ? QString::number(i) : names.at(i));
            m_list.append(node.get());
            m_owned.push_back(std::move(node));
        }
    }

    const QList<PathTreeNode *> &list() const { return m_list; }
    PathTreeNode *at(int i) const { return m_list.at(i); }

    QString names(const QList<PathTreeNode *> &nodes) const
    {
        QStringList parts;
        for (PathTreeNode *node : nodes)
            parts << m_names.value(node, QStringLiteral("?"));
        return parts.join(QLatin1Char(' '));
    }

    // "A{B{C}} D": every node with its children in braces.
    QString shape(const QList<PathTreeNode *> &nodes) const
    {
        QStringList parts;
        for (PathTreeNode *node : nodes) {
            QString part = m_names.value(node, QStringLiteral("?"));
            if (!node->children.isEmpty())
                part += QLatin1Char('{') + shape(node->children) + QLatin1Char('}');
            parts << part;
        }
        return parts.join(QLatin1Char(' '));
    }

private:
    std::vector<std::unique_ptr<PathTreeNode>> m_owned;
    QList<PathTreeNode *> m_list;
    QHash<const PathTreeNode *, QString> m_names;
};

QString orderOf(const QList<QPainterPath> &input, const QList<QPainterPath> &sorted)
{
    // Every input outline is distinct, so its description names it.
    QStringList positions;
    for (const QPainterPath &path : sorted) {
        int index = -1;
        for (int i = 0; i < input.size(); ++i) {
            if (describe(input.at(i)) == describe(path))
                index = i;
        }
        positions << QString::number(index);
    }
    return positions.join(QLatin1Char(' '));
}

// ---- random outlines for comparing the two containment checks ----

QPainterPath randomPolygon(QRandomGenerator &random, QPointF centre, double radius)
{
    const int corners = 3 + random.bounded(10);
    QPainterPath path;
    for (int k = 0; k < corners; ++k) {
        const double angle = 2 * M_PI * k / corners;
        const double r = radius * (0.4 + 0.6 * random.generateDouble());
        const QPointF p = centre + QPointF(r * std::cos(angle), r * std::sin(angle));
        if (k == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

QList<QPainterPath> randomOutlines(quint32 seed, int count)
{
    QRandomGenerator random(seed);
    QList<QPainterPath> paths;
    while (paths.size() < count) {
        const QPointF centre(random.bounded(1000.0), random.bounded(1000.0));
        const double radius = 5 + random.bounded(150.0);
        switch (random.bounded(8)) {
        case 0: { // a nest of rings around one centre
            const int depth = 2 + random.bounded(4);
            for (int k = 0; k < depth; ++k)
                paths << randomPolygon(random, centre, radius * (1.0 - 0.2 * k));
            break;
        }
        case 1: { // an ellipse with its curves, and something inside it
            QPainterPath ellipse;
            ellipse.addEllipse(centre, radius, radius * 0.6);
            paths << ellipse << randomPolygon(random, centre, radius * 0.3);
            break;
        }
        case 2: { // a shape with a hole in one outline
            QPainterPath ring = randomPolygon(random, centre, radius);
            ring.addEllipse(centre, radius * 0.1, radius * 0.1);
            paths << ring;
            break;
        }
        case 3: { // a lone point and an open line
            QPainterPath point(centre);
            QPainterPath line(centre);
            line.lineTo(centre + QPointF(radius * 0.2, 0));
            paths << point << line;
            break;
        }
        case 4: // the same square twice
            paths << pathFrom(squareOutline(centre.x(), centre.y(), radius))
                  << pathFrom(squareOutline(centre.x(), centre.y(), radius));
            break;
        default:
            paths << randomPolygon(random, centre, radius);
            break;
        }
    }
    return paths.mid(0, count);
}

} // namespace

class TestPathOrder : public QObject
{
    Q_OBJECT

private slots:
    void plainOrdering_data()
    {
        QTest::addColumn<QString>("outlines");
        QTest::addColumn<QString>("order");

        QTest::newRow("empty list") << "" << "";
        QTest::newRow("one outline") << "M5 5 L6 6" << "0";
        QTest::newRow("nearest start next") << "M0 0 L10 0 | M30 0 L40 0 | M12 0 L20 0"
                                            << "0 2 1";
        QTest::newRow("never reversed") << "M0 0 L10 0 | M40 0 L11 0" << "0 1";
        // 5.7 comes first; 5.3 is not below the whole number 5 and loses.
        QTest::newRow("same unit: earlier wins") << "M0 0 L10 0 | M15.7 0 L16 0 | M10 5.3 L10 6"
                                                 << "0 1 2";
        QTest::newRow("same unit, other order") << "M0 0 L10 0 | M10 5.3 L10 6 | M15.7 0 L16 0"
                                                << "0 1 2";
        QTest::newRow("a whole unit nearer wins") << "M0 0 L10 0 | M17.2 0 L18 0 | M10 5.3 L10 6"
                                                  << "0 2 1";
        // The corner takes a start that is lower on y alone.
        QTest::newRow("start corner on y alone") << "M0 100 L0 110 | M50 50 L60 50" << "1 0";
        QTest::newRow("start corner is not the list head") << "M40 40 L50 50 | M0 0 L1 1" << "1 0";
        QTest::newRow("no start below the corner: list head first")
            << "M2000000 2000000 L2000001 2000000 | M1500000 1500000 L1500001 1500000" << "0 1";
        // Beyond the initial bound of 10 000 000 nothing is a candidate.
        QTest::newRow("far outlines in list order")
            << "M0 0 L1 0 | M30000000 0 L30000001 0 | M20000000 0 L20000001 0" << "0 1 2";
        // An empty outline counts as starting at (0, 0).
        QTest::newRow("empty outline") << "M5 5 L6 6 | " << "1 0";
        QTest::newRow("undefined start comes last")
            << "M0 0 L1 0 | Mnan 0 L3 0 | M5 0 L6 0" << "0 2 1";
    }

    void plainOrdering()
    {
        QFETCH(QString, outlines);
        QFETCH(QString, order);
        const QList<QPainterPath> input = pathsFrom(outlines);
        const QList<QPainterPath> sorted = sortThePath(input);
        QCOMPARE(sorted.size(), input.size());
        QCOMPARE(orderOf(input, sorted), order);
    }

    void treeLevelOrdering_data()
    {
        QTest::addColumn<QString>("outlines");
        QTest::addColumn<QString>("order");   // node names, "r" when reversed
        QTest::addColumn<QString>("reversed"); // the reversed outlines

        QTest::newRow("one node unchanged") << "M5 5 L6 6" << "0" << "";
        QTest::newRow("equal distances reverse") << "M0 0 L10 0 | M10 5 L10 -5" << "0 1r"
                                                 << "M10 -5 L10 5";
        QTest::newRow("nearer end reverses, continues from the start")
            << "M0 0 L10 0 | M20 0 L12 0 | M21 0 L30 0" << "0 1r 2" << "M12 0 L20 0";
        // The end at 5.3 is not below the whole number 5 left by the start at 5.7.
        QTest::newRow("whole-unit rule on both ends")
            << "M0 0 L10 0 | M15.7 0 L16 0 | M20 0 L10 5.3" << "0 1 2" << "";
        // The tree level's bound is ten times the plain one.
        QTest::newRow("far but within the bound is nearest")
            << "M0 0 L1 0 | M90000000 0 L90000001 0 | M50000000 0 L50000001 0" << "0 2 1" << "";
        // An empty outline starts at (0, 0): here it is the start corner.
        QTest::newRow("empty outline first is kept") << "M5 5 L6 6 | " << "1 0" << "";
        QTest::newRow("empty outline later is dropped") << "M-5 -5 L6 6 | " << "0" << "";
        QTest::newRow("only a move is kept") << "M0 0 L10 0 | M20 0" << "0 1" << "";
        // After an outline ending in an undefined point nothing is near: the
        // next one is the first remaining, taken forward.
        QTest::newRow("undefined end") << "M0 0 L10 0 | M12 0 Lnan 0 | M40 0 L41 0 | M30 0 L31 0"
                                       << "0 1 2 3r" << "M31 0 L30 0";
    }

    void treeLevelOrdering()
    {
        QFETCH(QString, outlines);
        QFETCH(QString, order);
        QFETCH(QString, reversed);

        const QList<QPainterPath> paths = pathsFrom(outlines);
        NodeSet nodes(paths);
        PathTreeNode *child = new PathTreeNode; // children travel with their node
        std::unique_ptr<PathTreeNode> ownedChild(child);
        nodes.at(paths.size() - 1)->children = {child};

        const QList<PathTreeNode *> sorted = sortThePathTree(nodes.list());
        QStringList names;
        QStringList reversedOutlines;
        for (PathTreeNode *node : sorted) {
            const int index = nodes.list().indexOf(node);
            QVERIFY(index >= 0); // the caller's own nodes come back
            const bool isReversed = describe(node->path) != describe(paths.at(index));
            names << QString::number(index) + (isReversed ? QStringLiteral("r") : QString());
            if (isReversed)
                reversedOutlines << describe(node->path);
            QCOMPARE(node->scanPower, 10.0 + index);
            QCOMPARE(node->scanSpeed, 20.0 + index);
            QCOMPARE(node->xMotorMovementError, 0.5 + index);
            QCOMPARE(node->yMotorMovementError, 0.25 + index);
        }
        QCOMPARE(names.join(QLatin1Char(' ')), order);
        QCOMPARE(reversedOutlines.join(QLatin1String(" | ")), reversed);
        QCOMPARE(nodes.at(paths.size() - 1)->children, QList<PathTreeNode *>{child});
    }

    void emptyAndNullLevels()
    {
        QVERIFY(sortThePathTree({}).isEmpty());
        QVERIFY(sortThePathContainmentRelationshipList({}).isEmpty());
        QVERIFY(readPathTree({}).isEmpty());

        NodeSet nodes(pathsFrom(QStringLiteral("M0 0 L1 0 | M5 0 L6 0")));
        const QList<PathTreeNode *> withNull{nodes.at(0), nullptr, nodes.at(1), nodes.at(0)};
        QCOMPARE(nodes.names(sortThePathTree(withNull)), QStringLiteral("0 1"));
        QCOMPARE(nodes.names(readPathTree(sortThePathContainmentRelationshipList(withNull))),
                 QStringLiteral("0 1"));
    }

    void containment_data()
    {
        QTest::addColumn<QString>("outlines");
        QTest::addColumn<QString>("tree");
        QTest::addColumn<QString>("reading");

        const QString a = squareOutline(0, 0, 100);
        const QString b = squareOutline(10, 10, 80);
        const QString c = squareOutline(20, 20, 60);
        const QString outside = squareOutline(200, 0, 50);
        const QString join = QStringLiteral(" | ");

        QTest::newRow("ring: inner first") << a + join + b << "0{1}" << "1 0";
        QTest::newRow("ring listed inner first") << b + join + a << "1{0}" << "0 1";
        QTest::newRow("three nested, outer first") << a + join + b + join + c << "0{1{2}}"
                                                   << "2 1 0";
        QTest::newRow("three nested, inner first") << c + join + b + join + a << "2{1{0}}"
                                                   << "0 1 2";
        QTest::newRow("three nested, mixed") << b + join + c + join + a << "2{0{1}}" << "1 0 2";
        QTest::newRow("siblings ordered from their own corner")
            << a + join + squareOutline(60, 60, 20) + join + squareOutline(5, 5, 20) + join
                + outside
            << "0{2 1} 3" << "2 1 0 3";
        QTest::newRow("overlapping outlines stay apart")
            << a + join + squareOutline(50, 50, 100) << "0 1" << "0 1";
        QTest::newRow("identical outlines stay apart") << a + join + a << "0 1" << "0 1";
        QTest::newRow("a lone point inside is cut first") << a + join + "M50 50" << "0{1}"
                                                          << "1 0";
        QTest::newRow("an undefined outline is never inside")
            << a + join + "M20 20 L30 nan L40 40" << "0 1" << "0 1";
        QTest::newRow("an undefined outline never contains")
            << "M-10 -10 L200 -10 L200 200 Lnan 200 L-10 -10" + join + b << "0 1" << "0 1";
        QTest::newRow("empty outline") << a + join + " " << "0" << "0";
        // The control points lie outside the square, the curve itself inside.
        QTest::newRow("curve with control points outside")
            << a + join + "M20 50 C20 110 80 110 80 50 L20 50" << "0{1}" << "1 0";
    }

    void containment()
    {
        QFETCH(QString, outlines);
        QFETCH(QString, tree);
        QFETCH(QString, reading);

        for (ContainmentCheck check : {ContainmentCheck::BoundingBoxFirst, ContainmentCheck::ExactOnly}) {
            NodeSet nodes(pathsFrom(outlines));
            const QList<PathTreeNode *> roots =
                sortThePathContainmentRelationshipList(nodes.list(), check);
            QCOMPARE(nodes.shape(roots), tree);
            QCOMPARE(nodes.names(readPathTree(roots)), reading);
        }
    }

    void deepNesting()
    {
        // Concentric squares, outermost first: one level per square.
        const int depth = 400;
        QList<QPainterPath> paths;
        for (int k = 0; k < depth; ++k)
            paths << pathFrom(squareOutline(k, k, 2 * (depth - k) + 1));
        NodeSet nodes(paths);
        const QList<PathTreeNode *> roots = sortThePathContainmentRelationshipList(nodes.list());
        QCOMPARE(roots.size(), 1);
        int levels = 0;
        for (const PathTreeNode *node = roots.first(); node; ++levels)
            node = node->children.isEmpty() ? nullptr : node->children.first();
        QCOMPARE(levels, depth);
        const QList<PathTreeNode *> reading = readPathTree(roots);
        QCOMPARE(reading.size(), depth);
        for (int k = 0; k < depth; ++k)
            QCOMPARE(reading.at(k), nodes.at(depth - 1 - k));
    }

    void boundingBoxCheckMatchesExactCheck_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 7u, 42u, 2024u})
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }

    void boundingBoxCheckMatchesExactCheck()
    {
        QFETCH(quint32, seed);
        const QList<QPainterPath> paths = randomOutlines(seed, 300);
        NodeSet fast(paths);
        NodeSet exact(paths);
        const QList<PathTreeNode *> fastRoots =
            sortThePathContainmentRelationshipList(fast.list(), ContainmentCheck::BoundingBoxFirst);
        const QList<PathTreeNode *> exactRoots =
            sortThePathContainmentRelationshipList(exact.list(), ContainmentCheck::ExactOnly);

        QCOMPARE(fast.shape(fastRoots), exact.shape(exactRoots));
        const QList<PathTreeNode *> fastReading = readPathTree(fastRoots);
        const QList<PathTreeNode *> exactReading = readPathTree(exactRoots);
        QCOMPARE(fastReading.size(), exactReading.size());
        for (int i = 0; i < fastReading.size(); ++i)
            QCOMPARE(describe(fastReading.at(i)->path), describe(exactReading.at(i)->path));

        // The fixture must really nest: many outlines end up inside others.
        int contained = 0;
        for (PathTreeNode *node : fast.list())
            contained += node->children.size();
        QVERIFY2(contained > 40, qPrintable(QString::number(contained)));
    }

    void readingOrder()
    {
        NodeSet nodes(pathsFrom(QStringLiteral("M0 0 | M1 0 | M2 0 | M3 0 | M4 0")),
                      {QStringLiteral("R1"), QStringLiteral("C1"), QStringLiteral("C2"),
                       QStringLiteral("G1"), QStringLiteral("R2")});
        PathTreeNode *r1 = nodes.at(0);
        PathTreeNode *c1 = nodes.at(1);
        PathTreeNode *c2 = nodes.at(2);
        PathTreeNode *g1 = nodes.at(3);
        PathTreeNode *r2 = nodes.at(4);
        r1->children = {c1, c2};
        c2->children = {g1};
        QCOMPARE(nodes.names(readPathTree({r1, r2})), QStringLiteral("C1 G1 C2 R1 R2"));
        QCOMPARE(nodes.names(readPathTreeChild({c2, c1})), QStringLiteral("G1 C2 C1"));

        // Hand-made trees may share or loop nodes: each is read once, no hang.
        g1->children = {c2, nullptr};
        r2->children = {c1};
        QCOMPARE(nodes.names(readPathTree({r1, r2})), QStringLiteral("C1 G1 C2 R1 R2"));
    }
};

SCRIBO_TEST_CORE_MAIN(TestPathOrder)
#include "test_pathorder.moc"
