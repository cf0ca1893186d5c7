#pragma once

#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

// The program places every glyph of a text itself instead of leaving it to
// Qt's text engine, so that what the canvas shows and the outline that is cut
// come from one and the same layout.

struct TextLayoutSettings
{
    double lineSpacing = 5.0; // between lines (columns in vertical text)
    double wordSpacing = 3.0; // between characters
    int alignment = 0;        // TextElementAlignment: 1 right, 2 centre, anything else left
    int direction = 1;        // TextDirection: 0 vertical, anything else horizontal
};

struct TextLayout
{
    // Every glyph outline, in the text's own coordinates (winding fill).
    QPainterPath outline;
    // The pen position of every character, a line's end standing where the
    // line feed after it stands, plus one at the very end: entry k is where
    // text cursor position k is. Always text.size() + 1 entries.
    QVector<QPointF> charPositions;
    // The placed bounding box of each line (column), after alignment; empty
    // for lines without any outline.
    QVector<QRectF> lineBoxes;
    double ascent = 0;
};

// Lays out `text` (lines split at "\n") with `font`.
//
// Horizontal: a line's characters start at x = 0; a space advances by the
// font's space advance plus the word spacing, any other character places its
// glyph at x and puts x just right of that glyph's box plus the word spacing.
// The next line starts the line spacing below the lowest point of the line's
// glyphs; a line without any outline (empty, blanks only) advances by ascent
// plus line spacing. Vertical text does the same with the axes exchanged,
// columns running from left to right. Right and centre alignment then move
// each line (column) by the difference to the widest (tallest) one, or half of
// it. Characters that have no outline (controls, blanks other than spaces)
// advance like a space, so they can never pull the pen back over earlier
// glyphs. Linear in the length of the text.
TextLayout layoutText(const QString &text, const QFont &font, const TextLayoutSettings &settings);

// The outline of `character` (one code point, as text) as the layout draws it
// before placing it: added at (0, ascent) with `font`.
QPainterPath glyphOutline(const QString &character, const QFont &font);

// The caret of a text at cursor position `cursor` (clamped to the text): an
// I-beam of three open strokes at the cursor's pen position, as tall as the
// glyph before the cursor, or the font's ascent when that glyph is small or
// there is none (at the start of the text or of a line).
QPainterPath caretPath(const TextLayout &layout, const QString &text, const QFont &font, int cursor);

// The font a text is drawn with: point size, style and weight as given. A
// size that is not a positive finite number keeps the default size, so a
// broken "font-size" never yields an invisible or unusable font.
QFont makeTextFont(const QString &family, double pointSize, QFont::Style style, int weight);
