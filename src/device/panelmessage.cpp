#include "device/panelmessage.h"

namespace {

bool isNumberCharacter(QChar c)
{
    return c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('+') || c == QLatin1Char('.')
        || c == QLatin1Char('?') || c == QLatin1Char('(') || c == QLatin1Char(')');
}

} // namespace

QStringList getNumbersFormStr(const QString &text)
{
    QStringList fields;
    const int length = text.size();
    int start = -1;
    for (int i = 0; i <= length; ++i) {
        const bool inField = i < length && isNumberCharacter(text.at(i));
        if (inField && start < 0) {
            start = i;
        } else if (!inField && start >= 0) {
            fields.append(text.mid(start, i - start));
            start = -1;
        }
    }
    return fields;
}

QString panelNumberText(double value)
{
    return QString::number(value, 'g', 6);
}

QString panelMessageText(int code, const QString &value)
{
    return QStringLiteral("set:%1 value:%2").arg(QString::number(code), value);
}

QString panelMessageNumber(int code, double value)
{
    return panelMessageText(code, panelNumberText(value));
}

QString panelMessageValueText(const QString &message)
{
    static const QString marker = QStringLiteral("value:");
    const int at = message.indexOf(marker);
    return at < 0 ? QString() : message.mid(at + marker.size());
}
