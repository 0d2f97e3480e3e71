#include <algorithm>

#include "printer/job_printer.h"
#include "printer/parameter_bytes.h"

namespace tesk::printer {
namespace {

// The scale of the image modes 0-3 and 48-51: bit 0 doubles the width, bit 1 the height.
bool ModeScale(unsigned mode, StoredImage& image) {
  if (mode >= 48) mode -= 48;
  if (mode > 3) return false;
  image.scaleX = (mode & 1) ? 2 : 1;
  image.scaleY = (mode & 2) ? 2 : 1;
  return true;
}

bool IsScale(unsigned scale) { return scale == 1 || scale == 2; }

std::uint16_t KeyCode(unsigned first, unsigned second) {
  return static_cast<std::uint16_t>(first << 8 | second);
}

// The bytes one colour plane of a graphics definition takes.
std::int64_t PlaneBytes(std::int64_t width, std::int64_t height, bool columns) {
  return columns ? width * ((height + 7) / 8) : (width + 7) / 8 * height;
}

DotBlock ReadPlane(std::span<const std::uint8_t> bytes, std::int64_t width, std::int64_t height,
                   bool columns) {
  return columns ? ConvertColumns(bytes, width, (height + 7) / 8, height)
                 : CopyRaster(bytes, width, (width + 7) / 8, height);
}

// Colour planes drawn one over the other: the paper is 1-bit, and a dot of
// the second colour is still a dot an engineer wants to see.
DotBlock MergePlanes(const DotBlock& into, const DotBlock& plane) {
  auto merged = std::make_shared<std::vector<std::uint8_t>>(into.rows, into.rows + into.stride * into.height);
  for (std::int64_t index = 0; index < into.stride * into.height; ++index)
    (*merged)[static_cast<std::size_t>(index)] |= plane.rows[index];
  DotBlock block = into;
  block.rows = merged->data();
  block.owner = std::move(merged);
  return block;
}

}  // namespace

void JobPrinter::BitImage(const Command& command) {
  const auto parameters = Parameters(command);
  const unsigned mode = ParameterByte(parameters, 0);
  const std::int64_t columns = ParameterWord(parameters, 1);
  if ((mode != 0 && mode != 1 && mode != 32 && mode != 33) || columns == 0) {
    List(command, NotDrawnReason::BadParameters);
    return;
  }
  const bool tall = mode >= 32;
  StoredImage image;
  image.scaleX = (mode == 0 || mode == 32) ? 2 : 1;  // single density: each column two dots wide
  image.scaleY = tall ? 1 : profile_.columnImageVerticalPitch;
  if (!Affordable((columns + 7) / 8 * 24)) return;
  image.dots = ConvertColumns(parameters.subspan(3), columns, tall ? 3 : 1, tall ? 24 : 8);
  AddToLine(command, ItemKind::ColumnImage, image);
}

void JobPrinter::RasterImage(const Command& command) {
  StoredImage image;
  if (!ModeScale(command.mode, image) || command.widthBytes == 0) {
    List(command, NotDrawnReason::BadParameters);
    return;
  }
  if (command.dataOffset > job_.size()) return List(command, NotDrawnReason::CutOff);
  std::int64_t height = command.height;
  if (profile_.quirks.rasterHeightLowByteOnly) {
    // This firmware takes yL alone; whatever follows the rows it read is
    // read as commands again.
    height &= 0xFF;
    next_ = command.dataOffset + std::uint64_t{command.widthBytes} * static_cast<std::uint64_t>(height);
  }
  const auto present = static_cast<std::int64_t>(
      (std::min<std::uint64_t>(next_, job_.size()) - command.dataOffset) / command.widthBytes);
  if (present < height) {
    List(command, NotDrawnReason::CutOff);
    height = present;
  }
  if (profile_.quirks.maxRasterHeight > 0 && height > profile_.quirks.maxRasterHeight) {
    List(command, NotDrawnReason::TallerThanPrinter);
    height = profile_.quirks.maxRasterHeight;
  }
  if (height == 0) return;
  image.dots = ViewRaster(job_.subspan(command.dataOffset), std::int64_t{command.widthBytes} * 8,
                          command.widthBytes, height);
  PrintAtOnce(command, ItemKind::RasterImage, image);
}

void JobPrinter::VariableBitImage(const Command& command) {
  const auto parameters = Parameters(command);
  StoredImage image;
  const std::int64_t columns = ParameterWord(parameters, 1);
  const std::int64_t bytesPerColumn = ParameterWord(parameters, 3);
  if (!ModeScale(ParameterByte(parameters, 0), image) || columns == 0 || bytesPerColumn == 0) {
    List(command, NotDrawnReason::BadParameters);
    return;
  }
  if (!Affordable((columns + 7) / 8 * bytesPerColumn * 8)) return;
  image.dots = ConvertColumns(parameters.subspan(5), columns, bytesPerColumn, bytesPerColumn * 8);
  PrintAtOnce(command, ItemKind::VariableBitImage, image);
}

void JobPrinter::DefineDownloadBitImage(const Command& command) {
  const auto parameters = Parameters(command);
  const std::int64_t width = ParameterByte(parameters, 0);
  const std::int64_t height = ParameterByte(parameters, 1);
  if (width == 0 || height == 0) {
    List(command, NotDrawnReason::BadParameters);
    return;
  }
  StoredImage image;
  if (!Affordable(width * height * 8)) return;
  image.dots = ConvertColumns(parameters.subspan(2), width * 8, height, height * 8);
  state_.downloadBitImage = image;
}

void JobPrinter::PrintDownloadBitImage(const Command& command) {
  StoredImage image;
  if (!ModeScale(ParameterByte(Parameters(command), 0), image))
    return List(command, NotDrawnReason::BadParameters);
  if (!state_.downloadBitImage) return List(command, NotDrawnReason::UnknownImage);
  image.dots = state_.downloadBitImage->dots;
  PrintAtOnce(command, ItemKind::DownloadBitImage, image);
}

void JobPrinter::DefineNvBitImage(const Command& command) {
  // A new definition replaces every NV bit image the printer held.
  const auto parameters = Parameters(command);
  std::vector<StoredImage> images;
  std::size_t at = 1;
  for (unsigned index = 0; index < ParameterByte(parameters, 0); ++index) {
    const std::int64_t width = ParameterWord(parameters, at);
    const std::int64_t height = ParameterWord(parameters, at + 2);
    if (width == 0 || height == 0) return List(command, NotDrawnReason::BadParameters);
    StoredImage image;
    if (!Affordable(width * height * 8)) return;
    image.dots = ConvertColumns(parameters.subspan(at + 4), width * 8, height, height * 8);
    images.push_back(image);
    at += 4 + static_cast<std::size_t>(width * height * 8);
  }
  state_.nvBitImages = std::move(images);
}

void JobPrinter::PrintNvBitImage(const Command& command) {
  const auto parameters = Parameters(command);
  const unsigned number = ParameterByte(parameters, 0);
  StoredImage image;
  if (!ModeScale(ParameterByte(parameters, 1), image)) return List(command, NotDrawnReason::BadParameters);
  if (number == 0 || number > state_.nvBitImages.size()) return List(command, NotDrawnReason::UnknownImage);
  image.dots = state_.nvBitImages[number - 1].dots;
  PrintAtOnce(command, ItemKind::NvBitImage, image);
}

// GS ( L and GS 8 L: m fn and the function's own parameters.
void JobPrinter::Graphics(const Command& command) {
  const auto parameters = Parameters(command);
  if (parameters.size() < 2) return List(command, NotDrawnReason::BadParameters);
  switch (parameters[1]) {
    case 2:
    case 50: {
      if (!state_.graphicsBuffer) return List(command, NotDrawnReason::UnknownImage);
      const StoredImage image = *state_.graphicsBuffer;
      state_.graphicsBuffer.reset();
      PrintAtOnce(command, ItemKind::Graphics, image);
      return;
    }
    case 112: return StoreGraphics(command, parameters, false);
    case 113: return StoreGraphics(command, parameters, true);
    case 67: return DefineGraphics(command, parameters, false, true);
    case 68: return DefineGraphics(command, parameters, true, true);
    case 83: return DefineGraphics(command, parameters, false, false);
    case 84: return DefineGraphics(command, parameters, true, false);
    case 69: return PrintDefinedGraphics(command, parameters, true);
    case 85: return PrintDefinedGraphics(command, parameters, false);
    case 65: return DeleteGraphics(parameters, true, true);
    case 66: return DeleteGraphics(parameters, true, false);
    case 81: return DeleteGraphics(parameters, false, true);
    case 82: return DeleteGraphics(parameters, false, false);
  }
  List(command, NotDrawnReason::NotModelled);
}

// m fn a bx by c xL xH yL yH d1...dk
void JobPrinter::StoreGraphics(const Command& command, std::span<const std::uint8_t> parameters,
                               bool columns) {
  const std::int64_t width = ParameterWord(parameters, 6);
  const std::int64_t height = ParameterWord(parameters, 8);
  // Tone a = 52 (multiple tone) carries several bits a dot; not modelled.
  if (ParameterByte(parameters, 2) != 48 || !IsScale(ParameterByte(parameters, 3)) ||
      !IsScale(ParameterByte(parameters, 4)) || width == 0 || height == 0 ||
      static_cast<std::int64_t>(parameters.size()) < 10 + PlaneBytes(width, height, columns))
    return List(command, NotDrawnReason::BadParameters);
  StoredImage image;
  if (!Affordable((width + 7) / 8 * height)) return;
  image.scaleX = static_cast<int>(ParameterByte(parameters, 3));
  image.scaleY = static_cast<int>(ParameterByte(parameters, 4));
  image.dots = ReadPlane(parameters.subspan(10), width, height, columns);
  state_.graphicsBuffer = image;
}

// m fn a kc1 kc2 b xL xH yL yH [c d1...dk] x b
void JobPrinter::DefineGraphics(const Command& command, std::span<const std::uint8_t> parameters,
                                bool columns, bool nv) {
  const std::int64_t width = ParameterWord(parameters, 6);
  const std::int64_t height = ParameterWord(parameters, 8);
  const unsigned planes = ParameterByte(parameters, 5);
  const std::int64_t planeBytes = PlaneBytes(width, height, columns);
  if (ParameterByte(parameters, 2) != 48 || planes == 0 || width == 0 || height == 0 ||
      static_cast<std::int64_t>(parameters.size()) < 10 + planes * (1 + planeBytes))
    return List(command, NotDrawnReason::BadParameters);
  StoredImage image;
  if (!Affordable((width + 7) / 8 * height * planes)) return;
  for (unsigned plane = 0; plane < planes; ++plane) {
    const auto bytes = parameters.subspan(static_cast<std::size_t>(10 + plane * (1 + planeBytes) + 1));
    const DotBlock dots = ReadPlane(bytes, width, height, columns);
    image.dots = plane == 0 ? dots : MergePlanes(image.dots, dots);
  }
  (nv ? state_.nvGraphics
      : state_.downloadGraphics)[KeyCode(ParameterByte(parameters, 3), ParameterByte(parameters, 4))] = image;
}

// m fn kc1 kc2 x y
void JobPrinter::PrintDefinedGraphics(const Command& command, std::span<const std::uint8_t> parameters,
                                      bool nv) {
  StoredImage image;
  image.scaleX = static_cast<int>(ParameterByte(parameters, 4));
  image.scaleY = static_cast<int>(ParameterByte(parameters, 5));
  if (!IsScale(ParameterByte(parameters, 4)) || !IsScale(ParameterByte(parameters, 5)))
    return List(command, NotDrawnReason::BadParameters);
  const auto& defined = nv ? state_.nvGraphics : state_.downloadGraphics;
  const auto found = defined.find(KeyCode(ParameterByte(parameters, 2), ParameterByte(parameters, 3)));
  if (found == defined.end()) return List(command, NotDrawnReason::UnknownImage);
  image.dots = found->second.dots;
  PrintAtOnce(command, nv ? ItemKind::NvGraphics : ItemKind::DownloadGraphics, image);
}

// m fn "CLR" deletes all; m fn kc1 kc2 deletes one.
void JobPrinter::DeleteGraphics(std::span<const std::uint8_t> parameters, bool nv, bool all) {
  auto& defined = nv ? state_.nvGraphics : state_.downloadGraphics;
  if (all) {
    if (ParameterByte(parameters, 2) == 'C' && ParameterByte(parameters, 3) == 'L' &&
        ParameterByte(parameters, 4) == 'R')
      defined.clear();
    return;
  }
  defined.erase(KeyCode(ParameterByte(parameters, 2), ParameterByte(parameters, 3)));
}

}  // namespace tesk::printer
