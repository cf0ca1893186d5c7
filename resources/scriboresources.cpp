#include "resources/scriboresources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initResourcesOnce()
{
    Q_INIT_RESOURCE(scribo);
    Q_INIT_RESOURCE(translations);
}

void initScriboResources()
{
    static const bool done = (initResourcesOnce(), true);
    Q_UNUSED(done);
}
