#include "textlayout.h"

#include <QFontMetricsF>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace {

constexpr int AlignRightValue = 1;
constexpr int AlignCenterValue = 2;
constexpr int VerticalValue = 0;
// Far beyond any work area (a point is about 1.3 design units); the font
// engine stops giving true outlines not much above it.
constexpr double MaxPointSize = 20000;

struct Glyph
{
    QPainterPath path; // at (0, ascent)
    QRectF box;        // its bounding box; empty when the character has no outline
};

// Glyph outlines are made once per distinct character of one layout: long
// texts repeat few characters, and addText is the expensive step.
class GlyphCache
{
public:
    GlyphCache(const QFont &font, double ascent) : m_font(font), m_ascent(ascent) {}

    const Glyph &glyph(const QString &character)
    {
        auto it = m_glyphs.find(character);
        if (it == m_glyphs.end()) {
            Glyph glyph;
            glyph.path.addText(QPointF(0, m_ascent), m_font, character);
            if (!glyph.path.isEmpty())
                glyph.box = glyph.path.boundingRect();
            it = m_glyphs.insert(character, glyph);
        }
        return it.value();
    }

private:
    QFont m_font;
    double m_ascent;
    QHash<QString, Glyph> m_glyphs;
};

// A character with its low surrogate, when it has one, so that characters
// outside the basic plane get their glyph. The low half then stands as a
// character without outline of its own.
QString characterAt(const QString &line, int index)
{
    const QChar c = line.at(index);
    if (c.isHighSurrogate() && index + 1 < line.size() && line.at(index + 1).isLowSurrogate())
        return line.mid(index, 2);
    if (c.isLowSurrogate() && index > 0 && line.at(index - 1).isHighSurrogate())
        return QString();
    return QString(c);
}

bool hasOutline(const Glyph &glyph)
{
    return !glyph.path.isEmpty() && glyph.box.isValid();
}

struct PlacedLine
{
    QPainterPath path;
    QRectF box; // null when nothing of the line has an outline
    QVector<QPointF> positions;
};

void uniteBox(QRectF &box, const QRectF &add)
{
    box = box.isNull() ? add : box.united(add);
}

} // namespace

QPainterPath glyphOutline(const QString &character, const QFont &font)
{
    QPainterPath path;
    path.addText(QPointF(0, QFontMetricsF(font).ascent()), font, character);
    return path;
}

TextLayout layoutText(const QString &text, const QFont &font, const TextLayoutSettings &settings)
{
    TextLayout layout;
    const QFontMetricsF metrics(font);
    const double ascent = metrics.ascent();
    layout.ascent = ascent;
    const double spaceAdvance = metrics.horizontalAdvance(QLatin1Char(' '));
    const double columnAdvance = std::abs(metrics.horizontalAdvance(QLatin1Char('w')));
    const double ws = settings.wordSpacing;
    const double ls = settings.lineSpacing;
    const bool vertical = settings.direction == VerticalValue;
    GlyphCache glyphs(font, ascent);

    const QStringList lines = text.split(QLatin1Char('\n'));
    QVector<PlacedLine> placed;
    placed.reserve(lines.size());

    double across = 0; // y of the next line, or x of the next column
    for (const QString &lineText : lines) {
        PlacedLine line;
        line.positions.reserve(lineText.size() + 1);
        double along = 0; // x within a line, or y within a column
        for (int i = 0; i < lineText.size(); ++i) {
            line.positions.append(vertical ? QPointF(across, along) : QPointF(along, across));
            const QString character = characterAt(lineText, i);
            if (character.isEmpty())
                continue; // second half of a surrogate pair: same pen position
            const Glyph &glyph = glyphs.glyph(character);
            if (character == QLatin1String(" ") || !hasOutline(glyph)) {
                along += (vertical ? ascent : spaceAdvance) + ws;
                continue;
            }
            const QRectF box = vertical ? glyph.box.translated(0, along) : glyph.box.translated(along, 0);
            if (vertical) {
                line.path.addPath(glyph.path.translated(0, along));
                along = box.bottom() + ws;
            } else {
                line.path.addPath(glyph.path.translated(along, 0));
                along = box.right() + ws;
            }
            uniteBox(line.box, box);
        }
        line.positions.append(vertical ? QPointF(across, along) : QPointF(along, across));

        if (line.box.isNull()) {
            across += (vertical ? columnAdvance : std::abs(ascent)) + ls;
        } else if (vertical) {
            line.path.translate(across, 0);
            line.box.translate(across, 0);
            across = line.box.right() + ls;
        } else {
            line.path.translate(0, across);
            line.box.translate(0, across);
            across = line.box.bottom() + ls;
        }
        placed.append(line);
    }

    if (settings.alignment == AlignRightValue || settings.alignment == AlignCenterValue) {
        auto extent = [vertical](const PlacedLine &line) {
            return line.box.isNull() ? 0.0 : (vertical ? line.box.height() : line.box.width());
        };
        double largest = 0;
        for (const PlacedLine &line : qAsConst(placed))
            largest = std::max(largest, extent(line));
        const double share = settings.alignment == AlignRightValue ? 1.0 : 0.5;
        for (PlacedLine &line : placed) {
            const double shift = (largest - extent(line)) * share;
            const QPointF offset = vertical ? QPointF(0, shift) : QPointF(shift, 0);
            line.path.translate(offset);
            if (!line.box.isNull())
                line.box.translate(offset);
            for (QPointF &position : line.positions)
                position += offset;
        }
    }

    layout.outline.setFillRule(Qt::WindingFill);
    layout.charPositions.reserve(text.size() + 1);
    layout.lineBoxes.reserve(placed.size());
    for (const PlacedLine &line : qAsConst(placed)) {
        layout.outline.addPath(line.path);
        layout.charPositions += line.positions;
        layout.lineBoxes.append(line.box);
    }
    return layout;
}

QPainterPath caretPath(const TextLayout &layout, const QString &text, const QFont &font, int cursor)
{
    QPainterPath caret;
    if (layout.charPositions.isEmpty())
        return caret;
    cursor = std::clamp(cursor, 0, int(layout.charPositions.size()) - 1);
    const QPointF pen = layout.charPositions.at(cursor);
    const double ascent = layout.ascent;

    // Sized by the character before the caret; a missing, blank or very
    // small one (a full stop) would give a caret too short to find, so those
    // take the line's ascent from its top.
    QRectF box;
    if (cursor > 0 && cursor <= text.size()) {
        const QChar before = text.at(cursor - 1);
        if (before != QLatin1Char('\n') && !before.isLowSurrogate() && !before.isHighSurrogate())
            box = glyphOutline(QString(before), font).boundingRect();
        else if (before.isLowSurrogate() && cursor >= 2 && text.at(cursor - 2).isHighSurrogate())
            box = glyphOutline(text.mid(cursor - 2, 2), font).boundingRect();
    }
    double top = box.top();
    double height = box.height();
    if (height < 0.3 * ascent) {
        top = 0;
        height = ascent;
    }

    const double px = pen.x();
    const double py = pen.y() + top - 5;
    caret.moveTo(px - 5, py);
    caret.lineTo(px + 5, py);
    caret.moveTo(px, py);
    caret.lineTo(px, py + height + 10);
    caret.moveTo(px - 5, py + height + 10);
    caret.lineTo(px + 5, py + height + 10);
    return caret;
}

QFont makeTextFont(const QString &family, double pointSize, QFont::Style style, int weight)
{
    QFont font;
    font.setFamily(family);
    if (std::isfinite(pointSize) && pointSize > 0)
        font.setPointSizeF(std::min(pointSize, MaxPointSize));
    font.setStyle(style);
    font.setWeight(weight);
    return font;
}
