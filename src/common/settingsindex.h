#pragma once

#include <QLatin1String>
#include <QSettings>
#include <QString>
#include <QVariant>

// Every persistent preference of the program, with the value used when the key
// is missing. Readers construct their own QSettings (see openSettings) and pass
// the default from here, so the defaults live in one place.
namespace SettingsIndex {

inline constexpr const char Organisation[] = "lumacraft";
inline constexpr const char Application[] = "controlApp";

struct Entry
{
    const char *group;
    const char *key;
    QVariant::Type type;
    double defaultValue; // numbers and bools; text defaults live in textDefault
    const char *textDefault;
};

inline const Entry Entries[] = {
    {"languages", "language", QVariant::String, 0, "Chinese"},

    {"itemProperty", "lowerHardWareVersion", QVariant::String, 0, "0.0.0"},
    {"itemProperty", "lengthUnit", QVariant::String, 0, "mm"},
    {"itemProperty", "whLock", QVariant::Bool, 1, nullptr},
    {"itemProperty", "sceneRealRatio", QVariant::Double, 0.08, nullptr},
    {"itemProperty", "referencePoint", QVariant::Int, 4, nullptr},
    {"itemProperty", "scanGap", QVariant::Double, 0.025, nullptr},
    {"itemProperty", "scanTimes", QVariant::Int, 1, nullptr},
    {"itemProperty", "scanAngle", QVariant::Int, 180, nullptr},
    {"itemProperty", "scanErr", QVariant::Double, 0, nullptr},
    {"itemProperty", "overScanSize", QVariant::Double, 0, nullptr},
    {"itemProperty", "engraveXErr", QVariant::Double, 0, nullptr},
    {"itemProperty", "engraveYErr", QVariant::Double, 0, nullptr},

    {"lowerOperatePanel", "printLaserPowerSave", QVariant::Double, 100, nullptr},
    {"lowerOperatePanel", "printSpeedSave", QVariant::Double, 150, nullptr},
    {"lowerOperatePanel", "idleLaserPowerSave", QVariant::Double, 5, nullptr},
    {"lowerOperatePanel", "idleLaserButtonCheckedSave", QVariant::Bool, 0, nullptr},
    {"lowerOperatePanel", "moveSpeedSave", QVariant::Double, 200, nullptr},
    {"lowerOperatePanel", "moveRangeSave", QVariant::Double, 5, nullptr},
    {"lowerOperatePanel", "workWidthSave", QVariant::Double, 150, nullptr},
    {"lowerOperatePanel", "workHeightSave", QVariant::Double, 150, nullptr},

    {"lowerGrbl", "areaWidth", QVariant::Double, 0, nullptr},
    {"lowerGrbl", "areaHeight", QVariant::Double, 0, nullptr},
    {"lowerGrbl", "maxLaserPowerValue", QVariant::Double, 1000, nullptr},
    {"lowerGrbl", "grbl_pulse_microseconds", QVariant::Int, 5, nullptr},
    {"lowerGrbl", "grbl_stepper_idle_lock_time", QVariant::Int, 255, nullptr},
    {"lowerGrbl", "grbl_step_invert_mask", QVariant::Int, 0, nullptr},
    {"lowerGrbl", "grbl_dir_invert_mask", QVariant::Int, 3, nullptr},
    {"lowerGrbl", "grbl_flags_BITFLAG_INVERT_ST_ENABLE", QVariant::Int, 0, nullptr},
    {"lowerGrbl", "grbl_flags_BITFLAG_INVERT_LIMIT_PINS", QVariant::Int, 0, nullptr},
    {"lowerGrbl", "grbl_flags_BITFLAG_INVERT_PROBE_PIN", QVariant::Int, 0, nullptr},
    {"lowerGrbl", "grbl_status_report_mask", QVariant::Int, 1, nullptr},
    {"lowerGrbl", "grbl_junction_deviation", QVariant::Double, 0.01, nullptr},
    {"lowerGrbl", "grbl_arc_tolerance", QVariant::Double, 0.002, nullptr},
    {"lowerGrbl", "grbl_flags_BITFLAG_REPORT_INCHES", QVariant::Int, 0, nullptr},
    {"lowerGrbl", "grbl_flags_BITFLAG_SOFT_LIMIT_ENABLE", QVariant::Int, 0, nullptr},
    {"lowerGrbl", "grbl_flags_BITFLAG_HARD_LIMIT_ENABLE", QVariant::Int, 0, nullptr},
    {"lowerGrbl", "grbl_flags_BITFLAG_HOMING_ENABLE", QVariant::Int, 1, nullptr},
    {"lowerGrbl", "grbl_homing_dir_mask", QVariant::Int, 3, nullptr},
    {"lowerGrbl", "grbl_homing_feed_rate", QVariant::Double, 500, nullptr},
    {"lowerGrbl", "grbl_homing_seek_rate", QVariant::Double, 5000, nullptr},
    {"lowerGrbl", "grbl_homing_debounce_delay", QVariant::Int, 250, nullptr},
    {"lowerGrbl", "grbl_homing_pulloff", QVariant::Double, 5, nullptr},
    {"lowerGrbl", "grbl_rpm_max", QVariant::Double, 1000, nullptr},
    {"lowerGrbl", "grbl_rpm_min", QVariant::Double, 0, nullptr},
    {"lowerGrbl", "grbl_flags_BITFLAG_LASER_MODE", QVariant::Int, 1, nullptr},
    {"lowerGrbl", "grbl_steps_per_mmX", QVariant::Double, 80, nullptr},
    {"lowerGrbl", "grbl_steps_per_mmY", QVariant::Double, 80, nullptr},
    {"lowerGrbl", "grbl_steps_per_mmZ", QVariant::Double, 80, nullptr},
    {"lowerGrbl", "grbl_max_rateX", QVariant::Double, 20000, nullptr},
    {"lowerGrbl", "grbl_max_rateY", QVariant::Double, 20000, nullptr},
    {"lowerGrbl", "grbl_max_rateZ", QVariant::Double, 20000, nullptr},
    {"lowerGrbl", "grbl_accelerationX", QVariant::Double, 3000, nullptr},
    {"lowerGrbl", "grbl_accelerationY", QVariant::Double, 3000, nullptr},
    {"lowerGrbl", "grbl_accelerationZ", QVariant::Double, 3000, nullptr},
    {"lowerGrbl", "grbl_max_travelX", QVariant::Double, 150, nullptr},
    {"lowerGrbl", "grbl_max_travelY", QVariant::Double, 150, nullptr},
    {"lowerGrbl", "grbl_max_travelZ", QVariant::Double, 150, nullptr},
};

inline QVariant entryDefault(const Entry &entry)
{
    switch (entry.type) {
    case QVariant::String:
        return QString::fromLatin1(entry.textDefault);
    case QVariant::Bool:
        return entry.defaultValue != 0;
    case QVariant::Int:
        return static_cast<int>(entry.defaultValue);
    default:
        return entry.defaultValue;
    }
}

// The default of group/key, or an invalid QVariant for a key that is not indexed.
inline QVariant defaultValue(const QString &group, const QString &key)
{
    for (const Entry &entry : Entries) {
        if (group == QLatin1String(entry.group) && key == QLatin1String(entry.key))
            return entryDefault(entry);
    }
    return {};
}

// Reads group/key with its indexed default.
inline QVariant value(QSettings &settings, const QString &group, const QString &key)
{
    return settings.value(group + QLatin1Char('/') + key, defaultValue(group, key));
}

} // namespace SettingsIndex
