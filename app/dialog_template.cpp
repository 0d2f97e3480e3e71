#include "app/dialog_template.h"

#include "core/figure_captions.h"
#include "tesk_version.h"

namespace {

namespace caption = tesk::core::caption;
using K = ControlKind;
constexpr int kNone = kNoControlId;

const ControlTemplate kMainControls[] = {
    {kNone, K::Static, "光栅位图数据文件:", {6, 2, 58, 8}, false},
    {control::kExit, K::PushButton, "退出", {306, 250, 36, 16}, true},
    {control::kParse, K::PushButton, "解析", {200, 250, 36, 16}, true},
    {kNone, K::CaptionStatic, caption::kMode, {242, 14, 64, 8}, false},
    {control::kModeBox, K::DropDownList, "", {310, 14, 50, 39}, true},
    {control::kPath,
     K::Static,
     "请拖拽数据文件至此,支持BusHound抓取的数据,原始光栅位图数据及它们的zip压缩包。",
     {66, 2, 296, 8},
     false},
    {kNone, K::CaptionStatic, caption::kWidthBytes, {242, 26, 64, 8}, false},
    {kNone, K::CaptionStatic, caption::kBandHeight, {242, 38, 64, 8}, false},
    {control::kWidthBytes, K::Static, "", {310, 26, 32, 8}, false},
    {control::kBandHeight, K::Static, "", {310, 38, 32, 8}, false},
    {control::kPicture, K::PictureFrame, "", {2, 12, 236, 256}, false},
    {kNone, K::CaptionStatic, caption::kBandCount, {242, 50, 64, 8}, false},
    {control::kBandCount, K::Static, "", {310, 50, 32, 8}, false},
    {kNone, K::CaptionStatic, caption::kBitmapWidth, {242, 62, 64, 8}, false},
    {control::kBitmapWidth, K::Static, "", {310, 62, 32, 8}, false},
    {kNone, K::CaptionStatic, caption::kPaddedWidth, {242, 74, 64, 8}, false},
    {control::kPaddedWidth, K::Static, "", {310, 74, 32, 8}, false},
    {kNone, K::CaptionStatic, caption::kBitmapHeight, {242, 86, 64, 8}, false},
    {control::kBitmapHeight, K::Static, "", {310, 86, 32, 8}, false},
    {kNone, K::CaptionStatic, caption::kDataLength, {242, 98, 64, 8}, false},
    {control::kDataLength, K::Static, "", {310, 98, 32, 8}, false},
    {kNone, K::CaptionStatic, caption::kBmpFileSize, {242, 122, 64, 8}, false},
    {control::kBmpFileSize, K::Static, "", {310, 122, 32, 8}, false},
    {kNone, K::CaptionStatic, caption::kPngFileSize, {242, 134, 64, 8}, false},
    {control::kPngFileSize, K::Static, "", {310, 134, 32, 8}, false},
    {control::kTopDown, K::RadioButton, "Top-Down(同向)", {250, 156, 72, 8}, false},
    {control::kBottomUp, K::RadioButton, "Bottom-Up(反向)", {250, 166, 72, 8}, false},
    {kNone, K::GroupBox, "Bitmap DIB扫描方向", {242, 146, 100, 32}, false},
    {control::kKeepPlainBinary, K::CheckBox, "Plain Binary", {250, 190, 60, 8}, true},
    {control::kKeepPureData, K::CheckBox, "Pure Data", {250, 210, 60, 8}, true},
    {control::kKeepBitmap, K::CheckBox, "Bitmap", {250, 220, 60, 8}, true},
    {kNone, K::GroupBox, "生成文件", {242, 180, 100, 66}, false},
    {control::kKeepPlainBinaryZip, K::CheckBox, "Plain Binay(ZIP)", {250, 200, 60, 8}, true},
    {control::kKeepPng, K::CheckBox, "PNG", {250, 230, 60, 8}, true},
    {kNone, K::CaptionStatic, caption::kZipFileSize, {241, 110, 64, 8}, false},
    {control::kZipFileSize, K::Static, "", {309, 110, 32, 8}, false},
};

const ControlTemplate kAboutControls[] = {
    {kNone, K::Icon, "", {14, 14, 21, 20}, false},
    {kNone, K::Static, "Tesk，" TESK_VERSION_MAJOR_MINOR " 版", {42, 14, 114, 8}, false},
    {control::kOk, K::PushButton, "确定", {113, 41, 50, 14}, true},
};

const DialogTemplate kMainDialog = {"Halvorn光栅位图数据解析软件", 362, 272, kMainControls};
const DialogTemplate kAboutDialog = {"关于 Tesk", 170, 62, kAboutControls};

}  // namespace

const DialogTemplate& MainDialogTemplate() { return kMainDialog; }

const DialogTemplate& AboutDialogTemplate() { return kAboutDialog; }
