#pragma once

#include <QDomDocument>
#include <QString>

// Deepest element nesting accepted; deeper documents are refused before the
// DOM is built, which keeps every recursive walk of a document bounded.
inline constexpr int MaxSvgElementDepth = 1024;
// Upper bound on the characters that internal entity references may expand to.
inline constexpr qint64 MaxEntityExpansion = 4 * 1024 * 1024;

// Parses design text into `document` without namespace processing. Refuses,
// with a diagnostic in `errorMessage`, what could exhaust the program: NUL
// characters, nesting deeper than MaxSvgElementDepth, external or parameter
// entities, entities that refer to other entities, and entity use that would
// expand past MaxEntityExpansion. On failure `document` is left empty.
bool parseSvgDocument(const QString &content, QDomDocument *document, QString *errorMessage = nullptr);
