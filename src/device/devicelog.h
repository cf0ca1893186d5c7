#pragma once

#include <QLoggingCategory>

// Diagnostic lines of the device link ("scribo.device"). Per-line traffic is
// logged at debug level, so a filter rule can quiet it on long jobs.
Q_DECLARE_LOGGING_CATEGORY(lcDevice)
