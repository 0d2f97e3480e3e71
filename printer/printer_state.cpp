#include "printer/printer_state.h"

namespace tesk::printer {
namespace {

std::int64_t UnitsToDots(std::int64_t units, int dpi, int unitsPerInch) {
  return (units * dpi + unitsPerInch / 2) / unitsPerInch;
}

}  // namespace

const FontCell& CurrentFont(const PrinterState& state, const Profile& profile) {
  static const FontCell fallback;
  if (profile.fonts.empty()) return fallback;
  const auto index = static_cast<std::size_t>(state.font) < profile.fonts.size() ? state.font : 0;
  return profile.fonts[static_cast<std::size_t>(index)];
}

void InitialiseSettings(PrinterState& state, const Profile& profile) {
  state.lineSpacing = profile.defaultLineSpacing;
  state.horizontalMotionUnit = profile.horizontalMotionUnit;
  state.verticalMotionUnit = profile.verticalMotionUnit;
  state.leftMargin = 0;
  state.areaWidth = profile.printableWidth;
  state.justification = Justification::Left;
  state.font = 0;
  state.widthMultiplier = 1;
  state.heightMultiplier = 1;
  state.characterSpacing = 0;
  state.tabStops.clear();
  // Tab stops every eight characters, as printers start.
  for (std::int64_t column = 8; column < 256; column += 8) state.tabStops.push_back(column);
  state.emphasis = false;
  state.doubleStrike = false;
  state.underline = 0;
  state.reverse = false;
  state.upsideDown = false;
  state.clockwise = false;
  state.characters = CharacterSettings{};
  state.characters.multibyte = profile.multibyte.onAfterInitialise;
  state.multibyteDoubleWidth = false;
  state.multibyteDoubleHeight = false;
  state.multibyteUnderline = 0;
  state.multibyteLeftSpacing = 0;
  state.multibyteRightSpacing = 0;
  state.barcode = BarcodeSettings{};
  state.symbols.Reset();
  state.x = 0;
  state.lineHeight = 0;
  state.line.clear();
  state.lastWasRaster = false;
  state.graphicsBuffer.reset();
  state.downloadBitImage.reset();
}

std::int64_t HorizontalDots(const PrinterState& state, const Profile& profile, std::int64_t units) {
  return UnitsToDots(units, profile.dpi, state.horizontalMotionUnit);
}

std::int64_t VerticalDots(const PrinterState& state, const Profile& profile, std::int64_t units) {
  return UnitsToDots(units, profile.dpi, state.verticalMotionUnit);
}

std::int64_t CharacterAdvance(const PrinterState& state, const Profile& profile) {
  return (CurrentFont(state, profile).width + state.characterSpacing) * state.widthMultiplier;
}

std::int64_t CharacterHeight(const PrinterState& state, const Profile& profile) {
  return std::int64_t{CurrentFont(state, profile).height} * state.heightMultiplier;
}

}  // namespace tesk::printer
