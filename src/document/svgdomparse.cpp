#include "svgdomparse.h"

namespace {

bool fail(QString *errorMessage, const QString &message)
{
    if (errorMessage)
        *errorMessage = message;
    return false;
}

bool isXmlSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// Position after the '>' that closes a tag or declaration starting at `from`,
// quotes respected; -1 when the text ends first.
int endOfMarkup(const QString &text, int from)
{
    QChar quote;
    for (int i = from; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('>')) {
            return i + 1;
        }
    }
    return -1;
}

// Position of the "]" that ends an internal DTD subset starting at `from`
// (quoted values and comments skipped); -1 when there is none.
int endOfSubset(const QString &text, int from)
{
    QChar quote;
    for (int i = from; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('<') && text.midRef(i, 4) == QLatin1String("<!--")) {
            const int end = text.indexOf(QLatin1String("-->"), i + 4);
            if (end < 0)
                return -1;
            i = end + 2;
        } else if (c == QLatin1Char(']')) {
            return i;
        }
    }
    return -1;
}

// Checks the entity declarations of an internal DTD subset.
bool checkEntities(const QString &subset, int *longestValue, QString *errorMessage)
{
    const QString keyword = QStringLiteral("<!ENTITY");
    int pos = 0;
    while ((pos = subset.indexOf(keyword, pos)) >= 0) {
        int i = pos + keyword.size();
        while (i < subset.size() && isXmlSpace(subset.at(i)))
            ++i;
        if (i < subset.size() && subset.at(i) == QLatin1Char('%'))
            return fail(errorMessage, QStringLiteral("parameter entities are not supported"));
        while (i < subset.size() && !isXmlSpace(subset.at(i)))
            ++i; // the name
        while (i < subset.size() && isXmlSpace(subset.at(i)))
            ++i;
        if (i >= subset.size())
            return fail(errorMessage, QStringLiteral("incomplete entity declaration"));
        const QChar quote = subset.at(i);
        if (quote != QLatin1Char('"') && quote != QLatin1Char('\''))
            return fail(errorMessage, QStringLiteral("external entities are not supported"));
        const int end = subset.indexOf(quote, i + 1);
        if (end < 0)
            return fail(errorMessage, QStringLiteral("incomplete entity declaration"));
        const QString value = subset.mid(i + 1, end - i - 1);
        if (value.contains(QLatin1Char('&')) || value.contains(QLatin1Char('%')))
            return fail(errorMessage, QStringLiteral("entities that refer to other entities are not supported"));
        *longestValue = qMax(*longestValue, value.size());
        pos = end + 1;
    }
    return true;
}

// Walks the markup without building anything: nesting depth and the DTD.
bool prescan(const QString &text, QString *errorMessage)
{
    int depth = 0;
    int longestEntity = 0;
    bool entitiesDeclared = false;
    int pos = 0;
    while ((pos = text.indexOf(QLatin1Char('<'), pos)) >= 0) {
        const QStringRef rest = text.midRef(pos);
        int next = -1;
        if (rest.startsWith(QLatin1String("<!--"))) {
            next = text.indexOf(QLatin1String("-->"), pos + 4);
            next = next < 0 ? -1 : next + 3;
        } else if (rest.startsWith(QLatin1String("<![CDATA["))) {
            next = text.indexOf(QLatin1String("]]>"), pos + 9);
            next = next < 0 ? -1 : next + 3;
        } else if (rest.startsWith(QLatin1String("<?"))) {
            next = text.indexOf(QLatin1String("?>"), pos + 2);
            next = next < 0 ? -1 : next + 2;
        } else if (rest.startsWith(QLatin1String("<!DOCTYPE"))) {
            const int open = text.indexOf(QLatin1Char('['), pos);
            const int close = endOfMarkup(text, pos);
            if (open >= 0 && (close < 0 || open < close)) {
                const int end = endOfSubset(text, open + 1);
                if (end < 0)
                    return fail(errorMessage, QStringLiteral("unterminated document type declaration"));
                const QString subset = text.mid(open + 1, end - open - 1);
                if (!checkEntities(subset, &longestEntity, errorMessage))
                    return false;
                entitiesDeclared = subset.contains(QLatin1String("<!ENTITY"));
                next = text.indexOf(QLatin1Char('>'), end);
                next = next < 0 ? -1 : next + 1;
            } else {
                next = close;
            }
        } else if (rest.startsWith(QLatin1String("<!"))) {
            next = endOfMarkup(text, pos);
        } else if (rest.startsWith(QLatin1String("</"))) {
            --depth;
            next = endOfMarkup(text, pos);
        } else {
            next = endOfMarkup(text, pos);
            if (next > 0 && text.at(next - 2) != QLatin1Char('/')) {
                if (++depth > MaxSvgElementDepth)
                    return fail(errorMessage,
                                QStringLiteral("elements nested deeper than %1 levels").arg(MaxSvgElementDepth));
            }
        }
        if (next < 0)
            break; // unterminated markup: the parser reports it
        pos = next;
    }
    if (entitiesDeclared) {
        const qint64 references = text.count(QLatin1Char('&'));
        if (references * qint64(longestEntity) > MaxEntityExpansion)
            return fail(errorMessage, QStringLiteral("entity references would expand too far"));
    }
    return true;
}

} // namespace

bool parseSvgDocument(const QString &content, QDomDocument *document, QString *errorMessage)
{
    *document = QDomDocument();
    if (content.trimmed().isEmpty())
        return fail(errorMessage, QStringLiteral("empty document"));
    const int nul = content.indexOf(QChar(0));
    if (nul >= 0)
        return fail(errorMessage, QStringLiteral("NUL character at offset %1").arg(nul));
    if (!prescan(content, errorMessage))
        return false;
    QString message;
    int line = 0;
    int column = 0;
    if (!document->setContent(content, false, &message, &line, &column)) {
        *document = QDomDocument();
        return fail(errorMessage, QStringLiteral("%1 at line %2, column %3").arg(message).arg(line).arg(column));
    }
    return true;
}
