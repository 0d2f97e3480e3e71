#pragma once
// The window's controls as its dialog template lists them: template order is
// tab order, positions are in dialog units.

#include <QRect>
#include <span>

enum class ControlKind {
  Static,         // left-aligned text
  CaptionStatic,  // right-aligned caption beside a figure
  PushButton,
  DropDownList,
  PictureFrame,  // taken over by the picture view
  RadioButton,
  CheckBox,
  GroupBox,
  Icon,
};

inline constexpr int kNoControlId = -1;

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;  // UTF-8, as stored
  QRect units;
  bool tabStop;
};

struct DialogTemplate {
  const char* title;
  int width;  // dialog units
  int height;
  std::span<const ControlTemplate> controls;
};

// Main window, template 102.
const DialogTemplate& MainDialogTemplate();
// About box, template 100.
const DialogTemplate& AboutDialogTemplate();

// Control ids of the main window.
namespace control {
inline constexpr int kOk = 1;
inline constexpr int kExit = 2;
inline constexpr int kParse = 1001;
inline constexpr int kModeBox = 1003;
inline constexpr int kWidthBytes = 1004;
inline constexpr int kBandHeight = 1005;
inline constexpr int kPath = 1006;
inline constexpr int kPicture = 1007;
inline constexpr int kBandCount = 1008;
inline constexpr int kBitmapWidth = 1009;
inline constexpr int kBitmapHeight = 1010;
inline constexpr int kDataLength = 1011;
inline constexpr int kBmpFileSize = 1012;
inline constexpr int kPngFileSize = 1013;
inline constexpr int kPaddedWidth = 1014;
inline constexpr int kTopDown = 1015;
inline constexpr int kBottomUp = 1016;
inline constexpr int kKeepPlainBinary = 1017;
inline constexpr int kKeepPureData = 1018;
inline constexpr int kKeepBitmap = 1019;
inline constexpr int kKeepPlainBinaryZip = 1020;
inline constexpr int kZipFileSize = 1021;
inline constexpr int kKeepPng = 1022;
}  // namespace control
