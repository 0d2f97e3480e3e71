#include "app/dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <cstdint>

namespace {

// a * b / c rounded to the nearest integer, halves away from zero, as the
// system's own conversion rounds.
int MultiplyDivideRounded(int a, int b, int c) {
  const std::int64_t product = std::int64_t{a} * b;
  const std::int64_t half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabet =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(alphabet / 26 + 1) / 2, metrics.height()};
}

int DialogUnitsToPixelsX(int units, DialogBaseUnits base) {
  return MultiplyDivideRounded(units, base.width, 4);
}

int DialogUnitsToPixelsY(int units, DialogBaseUnits base) {
  return MultiplyDivideRounded(units, base.height, 8);
}

QRect DialogUnitsToPixels(const QRect& units, DialogBaseUnits base) {
  return QRect(DialogUnitsToPixelsX(units.x(), base), DialogUnitsToPixelsY(units.y(), base),
               DialogUnitsToPixelsX(units.width(), base), DialogUnitsToPixelsY(units.height(), base));
}
