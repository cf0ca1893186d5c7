#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// One G-code line as plain data. A word whose value is -1 is absent; see
// gcodeBuffer2Str for the exact text form, which is the program's G-code dialect.
struct GCodeBuffer
{
    // G word: -1 none, -2 the word "G00", -3 end marker (empty line), else "G<int>".
    double g = -1;
    double x = -1;
    double y = -1;
    double s = -1;
    double f = -1;
    double m = -1;
    // Absolute records omit X/Y equal to -1; relative records omit X/Y equal to 0.
    bool absolute = true;
};

Q_DECLARE_METATYPE(GCodeBuffer)

// The one-line text form, ending in "\n": words G, M, X, Y, S, F without
// separators, coordinates and S/F with four decimals.
QString gcodeBuffer2Str(const GCodeBuffer &buffer);

// A one-record list with the given words, no M word, absolute.
QList<GCodeBuffer> gcodeBufferIncrementPath(double g, double x, double y, double s, double f);

// Registers "QList<GCodeBuffer>" so job lists can travel through queued signals.
// Safe to call more than once.
void registerGCodeBufferMetaTypes();
