#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QSettings;

// The host's mirror of the controller's "$" settings, kept in the settings group
// "lowerGrbl" under the key of each member's name. The controller's "$$" dump
// overwrites them after every connection.
struct GrblMachineSettings
{
    int grbl_pulse_microseconds = 5;
    int grbl_stepper_idle_lock_time = 255;
    int grbl_step_invert_mask = 0;
    int grbl_dir_invert_mask = 3;
    int grbl_flags_BITFLAG_INVERT_ST_ENABLE = 0;
    int grbl_flags_BITFLAG_INVERT_LIMIT_PINS = 0;
    int grbl_flags_BITFLAG_INVERT_PROBE_PIN = 0;
    int grbl_status_report_mask = 1;
    double grbl_junction_deviation = 0.01;
    double grbl_arc_tolerance = 0.002;
    int grbl_flags_BITFLAG_REPORT_INCHES = 0;
    int grbl_flags_BITFLAG_SOFT_LIMIT_ENABLE = 0;
    int grbl_flags_BITFLAG_HARD_LIMIT_ENABLE = 0;
    int grbl_flags_BITFLAG_HOMING_ENABLE = 1;
    int grbl_homing_dir_mask = 3;
    double grbl_homing_feed_rate = 500;
    double grbl_homing_seek_rate = 5000;
    int grbl_homing_debounce_delay = 250;
    double grbl_homing_pulloff = 5;
    double grbl_rpm_max = 1000;
    double grbl_rpm_min = 0;
    int grbl_flags_BITFLAG_LASER_MODE = 1;
    double grbl_steps_per_mmX = 80;
    double grbl_steps_per_mmY = 80;
    double grbl_steps_per_mmZ = 80;
    double grbl_max_rateX = 20000;
    double grbl_max_rateY = 20000;
    double grbl_max_rateZ = 20000;
    double grbl_accelerationX = 3000;
    double grbl_accelerationY = 3000;
    double grbl_accelerationZ = 3000;
    double grbl_max_travelX = 150;
    double grbl_max_travelY = 150;
    double grbl_max_travelZ = 150;

    // Reads/writes every member from/to the current group of `settings`, in the
    // order of the members, integers as integers and reals as reals.
    void read(QSettings &settings);
    void write(QSettings &settings) const;

    // Applies the controller's setting $<number>=<value>. Returns false for a
    // number that is not mirrored. `panelUpdates` receives the (SetPanel code,
    // value) pairs the device panel must hear about.
    bool apply(int number, double value, QList<QPair<int, double>> *panelUpdates);

    // Key of the member that mirrors $<number>, or nullptr.
    static const char *keyOf(int number);
};
