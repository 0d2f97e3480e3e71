#pragma once
// Dialog templates measure in dialog units: a quarter of the dialog font's
// average character width across, an eighth of its height down.

#include <QRect>

class QFont;

struct DialogBaseUnits {
  int width = 0;   // average character width, pixels
  int height = 0;  // character height, pixels
};

// Measured the way the system measures a dialog font: the average advance of
// the 52 Latin letters, rounded, and the font's ascent plus descent.
DialogBaseUnits BaseUnitsOf(const QFont& font);

int DialogUnitsToPixelsX(int units, DialogBaseUnits base);
int DialogUnitsToPixelsY(int units, DialogBaseUnits base);
QRect DialogUnitsToPixels(const QRect& units, DialogBaseUnits base);
