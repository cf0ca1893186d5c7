#pragma once

// Registers the program's embedded resources (icons, catalogues, designs).
// The resources live in a static library, so they must be registered
// explicitly before the first ":/" path is used. Safe to call repeatedly.
void initScriboResources();
