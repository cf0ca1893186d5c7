#pragma once

#include <QImage>
#include <QList>
#include <QString>

// Traces the dark parts of a picture into closed outlines. The picture is reduced
// to grey (transparent areas count as white) and thresholded: grey 128 and
// below is dark. Outlines are written as SVG path data in pixel coordinates
// (row 0 at y = 0), each as "M x,y " followed by "C ..." curve and "L ..." corner
// segments and "z ". Holes follow the outline that contains them.
//
// A null or empty picture, or one beyond the raster limit, gives no outline.

// All outlines as one text, numbers with six decimals (12.500000). The text
// "err!!! no img" means the tracing bitmap could not be allocated.
QString garyMapToPath(const QImage &image);

// Appends one text per outline, numbers in shortest form with six significant
// digits (12.5).
void garyMapToPathList(const QImage &image, QList<QString> &paths);
