#include "textoutline.h"

#include "svgvalues.h"
#include "textlayout.h"

#include <QDebug>
#include <QDomElement>
#include <QFontDatabase>

#include <cmath>

namespace {

const QString FontFamilyKey = QStringLiteral("font-family");
const QString FontSizeKey = QStringLiteral("font-size");
const QString FontStyleKey = QStringLiteral("font-style");
const QString FontWeightKey = QStringLiteral("font-weight");
const QString FillKey = QStringLiteral("fill");

QString fixed6(double value)
{
    QString text;
    text.setNum(value, 'f', 6);
    return text;
}

bool isUnset(const QString &value)
{
    return value.isEmpty() || value == QLatin1String("inherit");
}

// Font properties the text itself does not set come from its own
// presentation attributes, then from its ancestors' style and attributes,
// exactly where the canvas looks for them.
void completeInheritedFont(QMap<QString, QString> &style, const QDomElement &text)
{
    const QString keys[] = {FontFamilyKey, FontSizeKey, FontStyleKey, FontWeightKey};
    for (const QString &key : keys) {
        if (!isUnset(style.value(key)))
            continue;
        for (QDomElement element = text; !element.isNull(); element = element.parentNode().toElement()) {
            QString value = element == text ? QString() : getStyle(element).value(key);
            if (isUnset(value))
                value = element.attribute(key);
            if (!isUnset(value)) {
                style.insert(key, value);
                break;
            }
        }
    }
}

double numberAttribute(const QDomElement &element, const char *name, double fallback)
{
    bool ok = false;
    const double value = getFloatTrait(element, QLatin1String(name), &ok);
    return ok && std::isfinite(value) ? value : fallback;
}

// The text's outline for one piece of its content, written as a new path.
QDomElement outlinePath(QDomDocument document, const QDomElement &text, const QString &content,
                        const QMap<QString, QString> &style, const DefaultParameters &defaults)
{
    TextLayoutSettings settings;
    settings.lineSpacing = numberAttribute(text, NativeAttribute::LineSpacing, 5.0);
    settings.wordSpacing = numberAttribute(text, NativeAttribute::WordSpacing, 3.0);
    settings.alignment = textAlignmentFromAttribute(text.attribute(QLatin1String(NativeAttribute::Alignment)));
    settings.direction = textDirectionFromAttribute(text.attribute(QLatin1String(NativeAttribute::TextDirection)));
    const QFont font = makeTextFont(getFontFamily(style), getFontSize(style), getFontStyle(style),
                                    getFontWeight(style));
    const QPainterPath outline = layoutText(content, font, settings).outline;
    if (outline.isEmpty())
        return QDomElement();

    const double x = numberAttribute(text, "x", 0);
    const double y = numberAttribute(text, "y", 0);
    QDomElement path = document.createElement(QStringLiteral("path"));
    path.setAttribute(QStringLiteral("style"),
                      QStringLiteral("fill:%1;stroke:#000000;stroke-width:0.26px;stroke-linecap:butt;"
                                     "stroke-linejoin:miter;stroke-opacity:1")
                          .arg(style.value(FillKey)));
    path.setAttribute(QStringLiteral("d"), painterPathToD(outline));
    path.setAttribute(QStringLiteral("transform"), text.attribute(QStringLiteral("transform"))
                                                       + QStringLiteral("translate(%1,%2)").arg(fixed6(x), fixed6(y)));

    const struct
    {
        const char *name;
        double fallback;
    } parameters[] = {
        {NativeAttribute::ScanTimes, defaults.scanTimes},
        {NativeAttribute::ScanBuffer, defaults.scanBuffer},
        {NativeAttribute::ScanAccuracy, defaults.scanAccuracy},
        {NativeAttribute::ScanAngle, defaults.scanAngle},
        {NativeAttribute::ScanError, defaults.scanError},
        {NativeAttribute::ScanPower, 100},
        {NativeAttribute::ScanSpeed, 100},
        {NativeAttribute::XMotorMovementError, defaults.XMotorMovementError},
        {NativeAttribute::YMotorMovementError, defaults.YMotorMovementError},
    };
    for (const auto &parameter : parameters)
        path.setAttribute(QLatin1String(parameter.name), fixed6(numberAttribute(text, parameter.name, parameter.fallback)));
    return path;
}

} // namespace

QMap<QString, QString> getStyle(const QDomNode &node)
{
    QMap<QString, QString> style;
    const QString text = node.toElement().attribute(QStringLiteral("style"), QStringLiteral("0"));
    const QStringList declarations = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &declaration : declarations) {
        const QStringList parts = declaration.trimmed().split(QLatin1Char(':'));
        if (parts.size() == 2)
            style.insert(parts.at(0).trimmed(), parts.at(1).trimmed());
    }
    return style;
}

QString getFontFamily(const QMap<QString, QString> &style)
{
    const QString value = style.value(FontFamilyKey);
    if (isUnset(value))
        return QFont().family();
    const QFontDatabase database;
    const QStringList candidates = value.split(QLatin1Char(','));
    for (QString candidate : candidates) {
        candidate = candidate.trimmed();
        if (candidate.size() >= 2 && (candidate.startsWith(QLatin1Char('\'')) || candidate.startsWith(QLatin1Char('"'))))
            candidate = candidate.mid(1, candidate.size() - 2);
        if (database.hasFamily(candidate))
            return candidate;
    }
    const QStringList families = database.families();
    qDebug().noquote() << QStringLiteral("font family \"%1\" is not installed; using \"%2\"")
                              .arg(value, families.isEmpty() ? QFont().family() : families.first());
    return families.isEmpty() ? QFont().family() : families.first();
}

double getFontSize(const QMap<QString, QString> &style)
{
    const double fallback = QFont().pointSizeF();
    const auto it = style.constFind(FontSizeKey);
    if (it == style.constEnd())
        return fallback;
    bool ok = false;
    const double size = unitConversion(it.value(), &ok);
    return ok && std::isfinite(size) && size > 0 ? size : fallback;
}

QFont::Style getFontStyle(const QMap<QString, QString> &style)
{
    const QString value = style.value(FontStyleKey, QStringLiteral("normal"));
    if (value == QLatin1String("italic"))
        return QFont::StyleItalic;
    if (value == QLatin1String("oblique"))
        return QFont::StyleOblique;
    return QFont::StyleNormal;
}

int getFontWeight(const QMap<QString, QString> &style)
{
    const QString value = style.value(FontWeightKey, QStringLiteral("normal"));
    if (value == QLatin1String("lighter") || value == QLatin1String("light"))
        return QFont::Light;
    if (value == QLatin1String("bold") || value == QLatin1String("bolder"))
        return QFont::Bold;
    bool ok = false;
    const int numeric = value.toInt(&ok);
    if (ok && numeric <= 300)
        return QFont::Light;
    if (ok && numeric >= 600)
        return QFont::Bold;
    return QFont::Normal;
}

int textToPathElements(const QDomNode &textNode, const DefaultParameters &defaults)
{
    const QDomElement text = textNode.toElement();
    QDomNode parent = textNode.parentNode();
    if (text.isNull() || text.tagName() != QLatin1String("text") || parent.isNull()) {
        qWarning() << "text to outline: not a text element with a parent:" << textNode.nodeName();
        return 0;
    }
    QDomDocument document = textNode.ownerDocument();
    QMap<QString, QString> textStyle = getStyle(text);
    completeInheritedFont(textStyle, text);

    // Collected first: the paths may be appended next to the text itself.
    QList<QDomElement> paths;
    for (QDomNode child = text.firstChild(); !child.isNull(); child = child.nextSibling()) {
        QString content;
        QMap<QString, QString> style;
        if (child.isElement() && child.toElement().tagName() == QLatin1String("tspan")) {
            style = getStyle(child);
            for (auto it = textStyle.constBegin(); it != textStyle.constEnd(); ++it) {
                if (!style.contains(it.key()))
                    style.insert(it.key(), it.value());
            }
            content = child.firstChild().nodeValue();
        } else if (child.isText()) {
            style = textStyle;
            content = child.nodeValue();
        } else {
            continue;
        }
        const QDomElement path = outlinePath(document, text, content, style, defaults);
        if (!path.isNull())
            paths.append(path);
    }
    for (const QDomElement &path : qAsConst(paths))
        parent.appendChild(path);
    return paths.size();
}
