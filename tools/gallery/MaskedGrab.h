// Screenshots of widget trees as the screen shows them, outlines (masks) included.
#pragma once

#include <QImage>

class QWidget;

// Renders `root` and its visible children, each clipped to its own mask and to its parents', onto
// a checkerboard that stands for whatever lies behind a shaped window. (QWidget::grab() ignores
// masks, so a shaped window would come out square.)
QImage GrabWithMasks(QWidget *root);

// The checkerboard painted behind shaped windows.
void PaintCheckerboard(QImage &image);
