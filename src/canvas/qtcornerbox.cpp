#include "canvas/qtcornerbox.h"

#include <QPainter>

QtCornerBox::QtCornerBox(QWidget *parent)
    : QWidget(parent)
{
}

void QtCornerBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QPen(Qt::black, 0, Qt::DashLine));
    const int w = width();
    const int h = height();
    painter.drawLine((w - 1) / 2, 0, (w - 1) / 2, h - 1);
    painter.drawLine(0, (h - 1) / 2, w - 1, (h - 1) / 2);
    painter.drawLine(w - 1, 0, w - 1, h - 1);
    painter.drawLine(0, h - 1, w - 1, h - 1);
}
