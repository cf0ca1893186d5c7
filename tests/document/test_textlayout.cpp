#include "common/testenvironment.h"
#include "textlayout.h"

#include <QFontDatabase>
#include <QFontMetricsF>

namespace {

// A real installed face, so that glyph boxes are real outlines.
QFont testFont(double size = 50)
{
    const QStringList preferred = {QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Micro Hei")};
    const QStringList installed = QFontDatabase().families();
    QString family = installed.value(0);
    for (const QString &candidate : preferred) {
        if (installed.contains(candidate)) {
            family = candidate;
            break;
        }
    }
    return makeTextFont(family, size, QFont::StyleNormal, QFont::Normal);
}

QRectF box(const QString &character, const QFont &font = testFont())
{
    return glyphOutline(character, font).boundingRect();
}

TextLayoutSettings settings(double wordSpacing, double lineSpacing, int alignment = 0, int direction = 1)
{
    TextLayoutSettings s;
    s.wordSpacing = wordSpacing;
    s.lineSpacing = lineSpacing;
    s.alignment = alignment;
    s.direction = direction;
    return s;
}

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-6;
}

} // namespace

class TestTextLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!QFontDatabase().families().isEmpty(), "no installed fonts");
        QVERIFY(box(QStringLiteral("A")).isValid());
    }

    // A character starts the word spacing right of the glyph box before it;
    // the line's end stands the same distance after the last glyph.
    void horizontalRun_data()
    {
        QTest::addColumn<double>("wordSpacing");
        QTest::newRow("spacing 3") << 3.0;
        QTest::newRow("spacing 0") << 0.0;
        QTest::newRow("negative spacing") << -20.0;
        QTest::newRow("wide spacing") << 200.0;
    }

    void horizontalRun()
    {
        QFETCH(double, wordSpacing);
        const TextLayout layout = layoutText(QStringLiteral("AB"), testFont(), settings(wordSpacing, 5));
        QCOMPARE(layout.charPositions.size(), 3);
        const double bStart = box(QStringLiteral("A")).right() + wordSpacing;
        const double end = bStart + box(QStringLiteral("B")).right() + wordSpacing;
        QCOMPARE(layout.charPositions.at(0), QPointF(0, 0));
        QVERIFY(near(layout.charPositions.at(1).x(), bStart));
        QVERIFY(near(layout.charPositions.at(2).x(), end));
        QCOMPARE(layout.charPositions.at(2).y(), 0.0);
        // The outline holds both glyphs where the positions say.
        const QRectF expected = box(QStringLiteral("A")).united(box(QStringLiteral("B")).translated(bStart, 0));
        QVERIFY(near(layout.outline.boundingRect().left(), expected.left()));
        QVERIFY(near(layout.outline.boundingRect().right(), expected.right()));
    }

    void spaceAdvancesByFontAdvance()
    {
        const QFont font = testFont();
        const TextLayout layout = layoutText(QStringLiteral("A B"), font, settings(3, 5));
        const double afterA = box(QStringLiteral("A")).right() + 3;
        QVERIFY(near(layout.charPositions.at(1).x(), afterA));
        QVERIFY(near(layout.charPositions.at(2).x(), afterA + QFontMetricsF(font).horizontalAdvance(' ') + 3));
    }

    // The next line starts the line spacing below the lowest glyph of the
    // line above, not at a fixed line height; blank lines advance by ascent.
    void lineAdvance_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("lineSpacing");
        // The top of each line: 0, or -1 for the bottom of line 0 plus the
        // spacing, or -2 for the previous top plus ascent plus the spacing.
        QTest::addColumn<QList<double>>("expectedLineTops");
        QTest::newRow("two lines") << QStringLiteral("A\nB") << 5.0 << QList<double>{0, -1};
        QTest::newRow("descender") << QStringLiteral("Ag\nB") << 5.0 << QList<double>{0, -1};
        QTest::newRow("zero spacing") << QStringLiteral("A\nB") << 0.0 << QList<double>{0, -1};
        QTest::newRow("empty line") << QStringLiteral("A\n\nB") << 5.0 << QList<double>{0, -1, -2};
        QTest::newRow("line of spaces") << QStringLiteral("A\n  \nB") << 5.0 << QList<double>{0, -1, -2};
    }

    void lineAdvance()
    {
        QFETCH(QString, text);
        QFETCH(double, lineSpacing);
        QFETCH(QList<double>, expectedLineTops);
        const QFont font = testFont();
        const TextLayout layout = layoutText(text, font, settings(3, lineSpacing));
        QCOMPARE(layout.charPositions.size(), text.size() + 1);
        const QStringList lines = text.split('\n');
        double firstLineBottom = 0;
        for (const QChar c : lines.first())
            firstLineBottom = std::max(firstLineBottom, box(QString(c)).bottom());
        int index = 0;
        double previousTop = 0;
        for (int line = 0; line < lines.size(); ++line) {
            double expected = expectedLineTops.at(line);
            if (expected == -1)
                expected = firstLineBottom + lineSpacing;
            else if (expected == -2)
                expected = previousTop + QFontMetricsF(font).ascent() + lineSpacing;
            for (int k = 0; k <= lines.at(line).size(); ++k, ++index)
                QVERIFY2(near(layout.charPositions.at(index).y(), expected),
                         qPrintable(QStringLiteral("entry %1: %2 != %3").arg(index).arg(layout.charPositions.at(index).y()).arg(expected)));
            previousTop = expected;
        }
        // The spaces of a blank line still advance the pen.
        if (text.contains(QStringLiteral("  ")))
            QVERIFY(layout.charPositions.at(3).x() > layout.charPositions.at(2).x());
    }

    // Columns run left to right; characters run down the column.
    void verticalText()
    {
        const QFont font = testFont();
        const double ws = 3, ls = 5;
        const TextLayout layout = layoutText(QStringLiteral("AB\nC"), font, settings(ws, ls, 0, 0));
        QCOMPARE(layout.charPositions.size(), 5);
        const double bTop = box(QStringLiteral("A")).bottom() + ws;
        QCOMPARE(layout.charPositions.at(0), QPointF(0, 0));
        QVERIFY(near(layout.charPositions.at(1).y(), bTop));
        QCOMPARE(layout.charPositions.at(1).x(), 0.0);
        QVERIFY(near(layout.charPositions.at(2).y(), bTop + box(QStringLiteral("B")).bottom() + ws));
        const double secondColumn = std::max(box(QStringLiteral("A")).right(), box(QStringLiteral("B")).right()) + ls;
        QVERIFY(near(layout.charPositions.at(3).x(), secondColumn));
        QCOMPARE(layout.charPositions.at(3).y(), 0.0);
        QVERIFY(near(layout.outline.boundingRect().right(), secondColumn + box(QStringLiteral("C")).right()));
    }

    void verticalBlankColumnAdvancesByW()
    {
        const QFont font = testFont();
        const TextLayout layout = layoutText(QStringLiteral("\nA"), font, settings(3, 5, 0, 0));
        QVERIFY(near(layout.charPositions.at(1).x(), QFontMetricsF(font).horizontalAdvance('w') + 5));
    }

    // Right and centre alignment move every line by (a share of) its
    // difference to the widest line; the positions move with the glyphs.
    void alignment_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<double>("share");
        QTest::newRow("horizontal left") << 1 << 0 << 0.0;
        QTest::newRow("horizontal right") << 1 << 1 << 1.0;
        QTest::newRow("horizontal centre") << 1 << 2 << 0.5;
        QTest::newRow("horizontal unknown is left") << 1 << 7 << 0.0;
        QTest::newRow("vertical left") << 0 << 0 << 0.0;
        QTest::newRow("vertical right") << 0 << 1 << 1.0;
        QTest::newRow("vertical centre") << 0 << 2 << 0.5;
        QTest::newRow("unknown direction is horizontal") << 5 << 1 << 1.0;
    }

    void alignment()
    {
        QFETCH(int, direction);
        QFETCH(int, alignment);
        QFETCH(double, share);
        const QFont font = testFont();
        const bool vertical = direction == 0;
        const QString text = QStringLiteral("A\nABC");
        const TextLayout left = layoutText(text, font, settings(3, 5, 0, direction));
        const TextLayout aligned = layoutText(text, font, settings(3, 5, alignment, direction));
        QCOMPARE(aligned.lineBoxes.size(), 2);
        const QRectF shortLine = left.lineBoxes.at(0), longLine = left.lineBoxes.at(1);
        const double difference = vertical ? longLine.height() - shortLine.height()
                                           : longLine.width() - shortLine.width();
        QVERIFY(difference > 0);
        const QPointF shift = vertical ? QPointF(0, difference * share) : QPointF(difference * share, 0);
        for (int i = 0; i < 2; ++i) // "A" and its line end
            QCOMPARE(aligned.charPositions.at(i), left.charPositions.at(i) + shift);
        for (int i = 2; i < aligned.charPositions.size(); ++i) // the longest line stays
            QCOMPARE(aligned.charPositions.at(i), left.charPositions.at(i));
        QCOMPARE(aligned.lineBoxes.at(0), shortLine.translated(shift));
        // Text the layout treats as vertical has its first column at x = 0.
        if (vertical)
            QCOMPARE(aligned.charPositions.at(2).x() > aligned.charPositions.at(0).x(), true);
        else
            QVERIFY(aligned.charPositions.at(2).y() > 0);
    }

    // Unusual input gives a layout (possibly empty), never a crash, a hang or
    // a pen running backwards.
    void unusualText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasOutline");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("only newlines") << QStringLiteral("\n\n\n") << false;
        QTest::newRow("NUL inside") << QString::fromUtf16(u"A\u0000B", 3) << true;
        QTest::newRow("tab and controls") << QStringLiteral("A\t\x01\x7f" "B") << true;
        QTest::newRow("lone surrogates") << QString::fromUtf16(u"A\xd800" "B\xdc00", 4) << true;
        QTest::newRow("pair outside the basic plane") << QString::fromUtf16(u"A\xd83d\xde00" "B", 4) << true;
        QTest::newRow("CJK") << QString::fromUtf8("\xe4\xb8\xad\xe6\x96\x87") << true;
        QTest::newRow("carriage return") << QStringLiteral("A\r\nB") << true;
    }

    void unusualText()
    {
        QFETCH(QString, text);
        QFETCH(bool, hasOutline);
        for (int direction : {1, 0}) {
            const TextLayout layout = layoutText(text, testFont(), settings(3, 5, 2, direction));
            QCOMPARE(layout.charPositions.size(), text.size() + 1);
            QCOMPARE(!layout.outline.isEmpty(), hasOutline);
            // Within a line the pen never moves back.
            for (int i = 1; i < layout.charPositions.size(); ++i) {
                if (text.at(i - 1) == QLatin1Char('\n'))
                    continue;
                const QPointF a = layout.charPositions.at(i - 1), b = layout.charPositions.at(i);
                QVERIFY(direction == 1 ? b.x() >= a.x() : b.y() >= a.y());
            }
            QVERIFY(!caretPath(layout, text, testFont(), text.size()).isEmpty());
        }
    }

    // A long text is laid out in one pass; its last line follows the others.
    void longText()
    {
        QString text;
        for (int i = 0; i < 20000; ++i)
            text.append(i % 100 == 99 ? QChar('\n') : QChar('a' + i % 26));
        const TextLayout layout = layoutText(text, testFont(10), settings(3, 5, 1, 1));
        QCOMPARE(layout.charPositions.size(), 20001);
        QCOMPARE(layout.lineBoxes.size(), 201);
        QVERIFY(layout.charPositions.last().y() > layout.charPositions.first().y());
        const QString oneLine(20000, QChar('x'));
        const TextLayout line = layoutText(oneLine, testFont(10), settings(3, 5, 0, 0));
        QCOMPARE(line.charPositions.size(), 20001);
    }

    void fontSizes_data()
    {
        QTest::addColumn<double>("size");
        QTest::addColumn<bool>("isDefault");
        QTest::newRow("zero") << 0.0 << true;
        QTest::newRow("negative") << -12.0 << true;
        QTest::newRow("not a number") << std::nan("") << true;
        QTest::newRow("infinite") << HUGE_VAL << true;
        QTest::newRow("tiny") << 0.01 << false;
        QTest::newRow("usual") << 50.0 << false;
    }

    void fontSizes()
    {
        QFETCH(double, size);
        QFETCH(bool, isDefault);
        const QFont font = makeTextFont(testFont().family(), size, QFont::StyleNormal, QFont::Normal);
        if (isDefault)
            QCOMPARE(font.pointSizeF(), QFont().pointSizeF());
        else
            QCOMPARE(font.pointSizeF(), size);
        const TextLayout layout = layoutText(QStringLiteral("Ab"), font, settings(3, 5));
        QCOMPARE(layout.charPositions.size(), 3);
    }

    // The caret stands at the cursor's pen position and is as tall as the
    // glyph before it; at a line start it takes the ascent.
    void caret_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<bool>("sizedByAscent");
        QTest::newRow("after A") << QStringLiteral("AB") << 1 << false;
        QTest::newRow("at the end") << QStringLiteral("AB") << 2 << false;
        QTest::newRow("at the start") << QStringLiteral("AB") << 0 << true;
        QTest::newRow("after a full stop") << QStringLiteral("A.") << 2 << true;
        QTest::newRow("start of the second line") << QStringLiteral("A\nB") << 2 << true;
        QTest::newRow("beyond the end is clamped") << QStringLiteral("AB") << 99 << false;
        QTest::newRow("negative is clamped") << QStringLiteral("AB") << -4 << true;
        QTest::newRow("empty text") << QString() << 0 << true;
    }

    void caret()
    {
        QFETCH(QString, text);
        QFETCH(int, cursor);
        QFETCH(bool, sizedByAscent);
        const QFont font = testFont();
        const TextLayout layout = layoutText(text, font, settings(3, 5));
        const QPainterPath caret = caretPath(layout, text, font, cursor);
        const int index = std::clamp(cursor, 0, int(text.size()));
        const QPointF pen = layout.charPositions.at(index);
        const QRectF bounds = caret.boundingRect();
        QVERIFY(near(bounds.center().x(), pen.x()));
        QVERIFY(near(bounds.width(), 10));
        const QRectF glyph = index > 0 ? box(QString(text.at(index - 1))) : QRectF();
        const double height = sizedByAscent ? layout.ascent : glyph.height();
        const double top = sizedByAscent ? 0 : glyph.top();
        QVERIFY(near(bounds.top(), pen.y() + top - 5));
        QVERIFY(near(bounds.height(), height + 10));
    }
};

SCRIBO_TEST_MAIN(TestTextLayout)
#include "test_textlayout.moc"
