#pragma once

// The drawing tools; the values are what the main window's tool buttons send.
// 1 and 6 are unused.
enum DoodleTool : int {
    Select = 0,
    Text = 2,
    Path = 3,
    Line = 4,
    Rectangle = 5,
    Ellipse = 7,
};
