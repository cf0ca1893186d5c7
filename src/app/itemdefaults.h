#pragma once

#include "document/nativeattributes.h"

class QSettings;

// The print parameters that elements lacking their own receive, as the item
// panel hands them to the scene: from the "itemProperty" group of `stored`, or
// the factory values when `stored` is null (a fixed job for the same design).
DefaultParameters itemPanelDefaults(QSettings *stored);
