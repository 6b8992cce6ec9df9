#pragma once

#include <QFont>

class QWidget;

namespace UiFonts {
// The interface font: Microsoft YaHei where it exists, else a Simplified
// Chinese face, so Chinese shows in its own glyphs whatever the locale.
QFont yaHei(int pixelSize, bool bold = false);
QFont tahoma(int pixelSize, bool bold = false);
// A length given at 96 dots per inch, on the screen that shows `w`.
int scaled(const QWidget *w, int px96);
qreal scale(const QWidget *w);
} // namespace UiFonts
