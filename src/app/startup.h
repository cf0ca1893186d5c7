#pragma once

#include <QLocale>
#include <QString>

class QSettings;

// The catalogue to load at start-up, as a resource path, chosen from the stored
// language (group "languages", key "language") or, when none is stored, from
// the system locale. Empty when nothing is to be loaded. Never writes the store.
QString catalogueForLanguage(QSettings &settings, const QLocale &systemLocale);

// The whole start-up sequence up to the end of the event loop; the exit code.
int runApplication(int argc, char **argv);
