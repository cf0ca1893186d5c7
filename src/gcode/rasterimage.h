#pragma once

#include <QString>

// Re-encodes an embedded picture for engraving. Each function takes the picture
// as data URI text ("data:image/png;base64,..."; everything before the first
// comma is removed from the caller's string in place), scales it to
// trunc(width) x trunc(height) pixels ignoring the aspect ratio, reduces it to
// grey (transparent areas become white) and returns the prepared picture as
// Base64 PNG text without a data URI prefix.
//
// A picture that cannot be decoded, a size below one pixel, a non-finite size
// or a size beyond the raster limit gives an empty text.

// Grey levels kept as they are.
QString garyBase64(QString &dataUri, double width, double height);

// Black and white: grey above 128 becomes white, the rest black.
QString bwBase64(QString &dataUri, double width, double height);

// Halftone of 3 x 3 dot cells, one cell per 3 x 3 block of the scaled picture.
QString halftoneBase64(QString &dataUri, double width, double height);
