#include "device/machinesettings.h"

#include "common/settingsindex.h"
#include "device/panelmessage.h"

#include <QSettings>
#include <cmath>

namespace {

using S = GrblMachineSettings;

struct SettingRow
{
    int number; // -1: stored only, the controller has no such number
    const char *key;
    int S::*intMember;
    double S::*realMember;
};

// In the order of the stored group.
const SettingRow Rows[] = {
    {0, "grbl_pulse_microseconds", &S::grbl_pulse_microseconds, nullptr},
    {1, "grbl_stepper_idle_lock_time", &S::grbl_stepper_idle_lock_time, nullptr},
    {2, "grbl_step_invert_mask", &S::grbl_step_invert_mask, nullptr},
    {3, "grbl_dir_invert_mask", &S::grbl_dir_invert_mask, nullptr},
    {4, "grbl_flags_BITFLAG_INVERT_ST_ENABLE", &S::grbl_flags_BITFLAG_INVERT_ST_ENABLE, nullptr},
    {5, "grbl_flags_BITFLAG_INVERT_LIMIT_PINS", &S::grbl_flags_BITFLAG_INVERT_LIMIT_PINS, nullptr},
    {6, "grbl_flags_BITFLAG_INVERT_PROBE_PIN", &S::grbl_flags_BITFLAG_INVERT_PROBE_PIN, nullptr},
    {10, "grbl_status_report_mask", &S::grbl_status_report_mask, nullptr},
    {11, "grbl_junction_deviation", nullptr, &S::grbl_junction_deviation},
    {12, "grbl_arc_tolerance", nullptr, &S::grbl_arc_tolerance},
    {13, "grbl_flags_BITFLAG_REPORT_INCHES", &S::grbl_flags_BITFLAG_REPORT_INCHES, nullptr},
    {20, "grbl_flags_BITFLAG_SOFT_LIMIT_ENABLE", &S::grbl_flags_BITFLAG_SOFT_LIMIT_ENABLE, nullptr},
    {21, "grbl_flags_BITFLAG_HARD_LIMIT_ENABLE", &S::grbl_flags_BITFLAG_HARD_LIMIT_ENABLE, nullptr},
    {22, "grbl_flags_BITFLAG_HOMING_ENABLE", &S::grbl_flags_BITFLAG_HOMING_ENABLE, nullptr},
    {23, "grbl_homing_dir_mask", &S::grbl_homing_dir_mask, nullptr},
    {24, "grbl_homing_feed_rate", nullptr, &S::grbl_homing_feed_rate},
    {25, "grbl_homing_seek_rate", nullptr, &S::grbl_homing_seek_rate},
    {26, "grbl_homing_debounce_delay", &S::grbl_homing_debounce_delay, nullptr},
    {27, "grbl_homing_pulloff", nullptr, &S::grbl_homing_pulloff},
    {30, "grbl_rpm_max", nullptr, &S::grbl_rpm_max},
    {31, "grbl_rpm_min", nullptr, &S::grbl_rpm_min},
    {32, "grbl_flags_BITFLAG_LASER_MODE", &S::grbl_flags_BITFLAG_LASER_MODE, nullptr},
    {100, "grbl_steps_per_mmX", nullptr, &S::grbl_steps_per_mmX},
    {101, "grbl_steps_per_mmY", nullptr, &S::grbl_steps_per_mmY},
    {102, "grbl_steps_per_mmZ", nullptr, &S::grbl_steps_per_mmZ},
    {110, "grbl_max_rateX", nullptr, &S::grbl_max_rateX},
    {111, "grbl_max_rateY", nullptr, &S::grbl_max_rateY},
    {112, "grbl_max_rateZ", nullptr, &S::grbl_max_rateZ},
    {120, "grbl_accelerationX", nullptr, &S::grbl_accelerationX},
    {121, "grbl_accelerationY", nullptr, &S::grbl_accelerationY},
    {122, "grbl_accelerationZ", nullptr, &S::grbl_accelerationZ},
    {130, "grbl_max_travelX", nullptr, &S::grbl_max_travelX},
    {131, "grbl_max_travelY", nullptr, &S::grbl_max_travelY},
    {132, "grbl_max_travelZ", nullptr, &S::grbl_max_travelZ},
};

const SettingRow *rowOf(int number)
{
    for (const SettingRow &row : Rows) {
        if (row.number == number)
            return &row;
    }
    return nullptr;
}

// Integer settings take the value truncated toward zero; values beyond int are
// clamped rather than overflowed.
int truncatedInt(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double t = std::trunc(value);
    if (t >= 2147483647.0)
        return 2147483647;
    if (t <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(t);
}

} // namespace

void GrblMachineSettings::read(QSettings &settings)
{
    const QString group = QStringLiteral("lowerGrbl");
    for (const SettingRow &row : Rows) {
        const QVariant defaultValue = SettingsIndex::defaultValue(group, QLatin1String(row.key));
        const QVariant stored = settings.value(QLatin1String(row.key), defaultValue);
        if (row.intMember)
            this->*row.intMember = stored.toInt();
        else
            this->*row.realMember = stored.toDouble();
    }
}

void GrblMachineSettings::write(QSettings &settings) const
{
    for (const SettingRow &row : Rows) {
        if (row.intMember)
            settings.setValue(QLatin1String(row.key), this->*row.intMember);
        else
            settings.setValue(QLatin1String(row.key), this->*row.realMember);
    }
}

bool GrblMachineSettings::apply(int number, double value, QList<QPair<int, double>> *panelUpdates)
{
    const SettingRow *row = rowOf(number);
    if (!row)
        return false;
    if (row->intMember)
        this->*row->intMember = truncatedInt(value);
    else
        this->*row->realMember = value;

    auto tell = [panelUpdates](int code, double v) {
        if (panelUpdates)
            panelUpdates->append(qMakePair(code, v));
    };
    switch (number) {
    case 3:
        tell(PanelDirection, value);
        break;
    case 110:
        // The panel shows mm/min; a zero step count would divide by zero.
        if (grbl_steps_per_mmX != 0)
            tell(PanelMaxSpeedX, value / grbl_steps_per_mmX);
        break;
    case 111:
        if (grbl_steps_per_mmY != 0)
            tell(PanelMaxSpeedY, value / grbl_steps_per_mmY);
        break;
    case 120:
        tell(PanelAccX, value);
        break;
    case 121:
        tell(PanelAccY, value);
        break;
    case 130:
        tell(PanelWorkWidth, value);
        break;
    case 131:
        tell(PanelWorkHeight, value);
        break;
    default:
        break;
    }
    return true;
}

const char *GrblMachineSettings::keyOf(int number)
{
    const SettingRow *row = rowOf(number);
    return row ? row->key : nullptr;
}
