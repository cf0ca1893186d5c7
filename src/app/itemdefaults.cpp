#include "app/itemdefaults.h"

#include "common/settingsindex.h"

#include <QSettings>

#include <cmath>

DefaultParameters itemPanelDefaults(QSettings *stored)
{
    const QString group = QStringLiteral("itemProperty");
    auto read = [&](const char *key) {
        const QString name = QString::fromLatin1(key);
        const QVariant value = stored ? SettingsIndex::value(*stored, group, name)
                                      : SettingsIndex::defaultValue(group, name);
        bool ok = false;
        const double number = value.toDouble(&ok);
        // A damaged stored value falls back to the factory value.
        return ok && std::isfinite(number) ? number : SettingsIndex::defaultValue(group, name).toDouble();
    };

    DefaultParameters defaults;
    defaults.scanTimes = std::trunc(read("scanTimes"));
    defaults.scanAccuracy = read("scanGap");
    defaults.scanAngle = std::trunc(read("scanAngle"));
    defaults.scanBuffer = read("overScanSize");
    defaults.scanError = read("scanErr");
    defaults.XMotorMovementError = read("engraveXErr");
    defaults.YMotorMovementError = read("engraveYErr");
    return defaults;
}
