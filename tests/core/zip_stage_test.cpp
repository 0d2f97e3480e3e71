// bin.zip packed on a second thread: every run must leave exactly what the run
// with its stages strictly in order leaves (the fallback when no thread can be
// started), over every input form, keep choice and row order, and when the
// archive or a picture file fails to be written.

#include "core/zip_stage.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/conversion_run.h"
#include "platform/little_endian.h"
#include "platform/write_faults.h"
#include "tests/support/temp_folder.h"
#include "tools/usb_capture_writer.h"

namespace tesk::core {
namespace {

using testing::Bytes;
using testing::TempFolder;
namespace fs = std::filesystem;

enum class InputForm { Raw, CaptureText, UsbCapture, Archive };

// Every form holds the bundled sample job, so all outputs are named "receipt...".
fs::path WriteInput(InputForm form, const fs::path& folder) {
  const fs::path samples = TESK_SAMPLES_DIR;
  switch (form) {
    case InputForm::Raw:
      fs::copy_file(samples / "receipt.prn", folder / "receipt.prn");
      return folder / "receipt.prn";
    case InputForm::CaptureText:
      fs::copy_file(samples / "receipt.txt", folder / "receipt.txt");
      return folder / "receipt.txt";
    case InputForm::UsbCapture: {
      tools::UsbCaptureWriter writer({.file = tools::CaptureFile::PcapNg, .linkType = 220});
      writer.Add(tools::MakePrinterSession(testing::ReadFile(samples / "receipt.prn"), 4096));
      testing::WriteFile(folder / "receipt.pcapng", writer.Bytes());
      return folder / "receipt.pcapng";
    }
    case InputForm::Archive:
      fs::copy_file(samples / "receipt.zip", folder / "receipt.zip");
      return folder / "receipt.zip";
  }
  return {};
}

// The archive's times come from the packed file's own (the run's .bin is
// written anew each time), so they are blanked before two archives are compared.
Bytes WithoutTimes(Bytes zip) {
  using platform::ReadLe16;
  using platform::ReadLe32;
  constexpr std::size_t kEndRecordSize = 22;
  if (zip.size() < 30 + kEndRecordSize) return zip;
  const auto blank = [&zip](std::size_t from, std::size_t count) {
    for (std::size_t index = from; index < from + count && index < zip.size(); ++index) zip[index] = 0;
  };
  const std::size_t localExtra = 30 + ReadLe16(&zip[26]);
  blank(10, 4);               // DOS time and date
  blank(localExtra + 5, 12);  // write, access and creation time
  const std::size_t central = ReadLe32(&zip[zip.size() - kEndRecordSize + 16]);
  if (central + 46 > zip.size()) return zip;
  blank(central + 12, 4);
  blank(central + 46 + ReadLe16(&zip[central + 28]) + 5, 4);
  return zip;
}

// What a run leaves behind, with the folder's own name taken out.
struct Outcome {
  std::map<std::string, std::string> items;

  void Add(const std::string& name, const std::string& value) { items[name] = value; }
};

std::string Relative(const fs::path& path, const fs::path& folder) {
  return path.empty() ? std::string() : fs::relative(path, folder).string();
}

template <typename Value>
std::string Text(const std::optional<Value>& value) {
  return value ? std::to_string(*value) : "none";
}

Outcome Capture(const std::optional<RunMessage>& message, const RunFigures& figures,
                const image::DibImage& image, const fs::path& folder) {
  Outcome outcome;
  std::string text = message ? message->text : "none";
  for (std::size_t at; (at = text.find(folder.string())) != std::string::npos;)
    text.replace(at, folder.string().size(), "<folder>");
  outcome.Add("message", text);
  outcome.Add("dataLength", Text(figures.dataLength));
  outcome.Add("zipFileSize", Text(figures.zipFileSize));
  outcome.Add("mode", Text(figures.mode));
  outcome.Add("widthBytes", Text(figures.widthBytes));
  outcome.Add("bandHeight", Text(figures.bandHeight));
  outcome.Add("bandCount", Text(figures.bandCount));
  outcome.Add("bitmapWidth", Text(figures.bitmapWidth));
  outcome.Add("bitmapHeight", Text(figures.bitmapHeight));
  outcome.Add("paddedWidth", Text(figures.paddedWidth));
  outcome.Add("bmpFileSize", Text(figures.bmpFileSize));
  outcome.Add("pngFileSize", Text(figures.pngFileSize));
  outcome.Add("imageReady", figures.imageReady ? "yes" : "no");
  if (const auto& verdict = figures.layoutVerdict)
    outcome.Add("layoutVerdict", std::to_string(verdict->fits) + " " + std::to_string(verdict->commandBands) +
                                     " " + verdict->reason);
  else
    outcome.Add("layoutVerdict", "none");
  outcome.Add("loadedPath", Relative(figures.loadedPath, folder));
  std::string kept;
  for (const fs::path& path : figures.keptOutputs) kept += Relative(path, folder) + ";";
  outcome.Add("keptOutputs", kept);

  std::uint8_t info[image::kBitmapInfoBytes];
  image.SerializeInfo(info);
  outcome.Add("image.info", std::string(reinterpret_cast<const char*>(info), sizeof info));
  outcome.Add("image.pixels",
              image.pixels ? std::string(reinterpret_cast<const char*>(image.pixels.get()), image.pixelBytes)
                           : "none");
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    Bytes bytes = testing::ReadFile(entry.path());
    if (name.ends_with("bin.zip")) bytes = WithoutTimes(std::move(bytes));
    outcome.Add("file " + name, std::string(bytes.begin(), bytes.end()));
  }
  return outcome;
}

// Names of the items that differ, with their sizes: whole files make poor messages.
std::vector<std::string> Differences(const Outcome& inOrder, const Outcome& beside) {
  std::vector<std::string> differences;
  std::map<std::string, std::string> all = inOrder.items;
  all.insert(beside.items.begin(), beside.items.end());
  for (const auto& [name, unused] : all) {
    const auto first = inOrder.items.find(name);
    const auto second = beside.items.find(name);
    const std::string a = first == inOrder.items.end() ? "(absent)" : first->second;
    const std::string b = second == beside.items.end() ? "(absent)" : second->second;
    if (a == b) continue;
    std::ostringstream line;
    line << name << ": in order " << (a.size() > 40 ? std::to_string(a.size()) + " bytes" : a) << ", beside "
         << (b.size() > 40 ? std::to_string(b.size()) + " bytes" : b);
    differences.push_back(line.str());
  }
  return differences;
}

struct WriteFault {
  const char* name;
  const char* suffix;  // the output that fails, after "receipt"; none when empty
  std::uint64_t bytes;
};

// The archive failing at its first byte, inside its data and in its central
// directory, and each picture file failing, as a full disk would.
constexpr WriteFault kFaults[] = {
    {"None", "", 0},
    {"ArchiveAtOnce", "bin.zip", 0},
    {"ArchiveData", "bin.zip", 200},
    {"ArchiveDirectory", "bin.zip", 1400},
    {"PureData", ".dat", 100},
    {"Bitmap", ".bmp", 100},
    {"Png", ".png", 100},
};

struct Case {
  InputForm form;
  RunOptions options;
  const WriteFault* fault;
};

// One run in a folder of its own that an earlier run has left files and a
// picture in, so that what a failed run must not touch is there to be touched.
Outcome RunOnce(const Case& runCase, bool inOrder) {
  TempFolder folder;
  const fs::path input = WriteInput(runCase.form, folder.path());
  for (const char* suffix : {".dat", ".bmp", ".png", "bin.zip"})
    testing::WriteFile(folder / (std::string("receipt") + suffix), std::string_view("earlier run"));
  RasterSource source;
  image::DibImage image;
  image.pixels.reset(new std::uint8_t[3]{7, 8, 9});
  image.pixelBytes = 3;
  RunFigures figures;
  if (*runCase.fault->suffix)
    platform::FailWritesAfter(std::string("receipt") + runCase.fault->suffix, runCase.fault->bytes, ENOSPC);
  if (inOrder) FailNextZipWorkerStart();
  const auto message = RunConversion(input, runCase.options, figures, source, image);
  platform::ClearWriteFaults();
  return Capture(message, figures, image, folder.path());
}

RunOptions KeepChoice(unsigned mask, bool bottomUp) {
  RunOptions options;
  options.keepPlainBinary = mask & 1;
  options.keepPlainBinaryZip = mask & 2;
  options.keepPureData = mask & 4;
  options.keepBitmap = mask & 8;
  options.keepPng = mask & 16;
  options.bottomUp = bottomUp;
  return options;
}

class ZipBesideThePicture : public ::testing::TestWithParam<std::tuple<InputForm, bool>> {};

TEST_P(ZipBesideThePicture, LeavesWhatTheRunInOrderLeaves) {
  const auto [form, bottomUp] = GetParam();
  for (unsigned mask = 0; mask < 32; ++mask) {
    SCOPED_TRACE("keep mask " + std::to_string(mask));
    Case runCase{form, KeepChoice(mask, bottomUp), &kFaults[0]};
    EXPECT_EQ(Differences(RunOnce(runCase, true), RunOnce(runCase, false)), std::vector<std::string>{});
    if (mask != 0 && mask != 31) continue;
    runCase.options.layout = BandLayoutChoice::Commands;
    EXPECT_EQ(Differences(RunOnce(runCase, true), RunOnce(runCase, false)), std::vector<std::string>{})
        << "read by its commands";
  }
}

TEST_P(ZipBesideThePicture, FailsWhereTheRunInOrderFails) {
  const auto [form, bottomUp] = GetParam();
  for (const WriteFault& fault : kFaults) {
    for (const unsigned mask : {0u, 31u}) {
      SCOPED_TRACE(std::string(fault.name) + ", keep mask " + std::to_string(mask));
      const Case runCase{form, KeepChoice(mask, bottomUp), &fault};
      const Outcome inOrder = RunOnce(runCase, true);
      EXPECT_EQ(Differences(inOrder, RunOnce(runCase, false)), std::vector<std::string>{});
      // The failure really happened where it was meant to.
      const bool archiveFails = std::string(fault.suffix) == "bin.zip";
      if (*fault.suffix) {
        EXPECT_NE(inOrder.items.at("message").find("receipt" + std::string(fault.suffix)), std::string::npos);
      }
      if (archiveFails) {
        // Nothing after the archive happened: the earlier run's files and picture stand.
        EXPECT_EQ(inOrder.items.at("file receipt.bmp"), "earlier run");
        EXPECT_EQ(inOrder.items.at("file receipt.png"), "earlier run");
        EXPECT_EQ(inOrder.items.at("image.pixels"), std::string("\7\10\11"));
        EXPECT_EQ(inOrder.items.at("mode"), "none");
      }
    }
  }
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<InputForm, bool>>& info) {
  static const char* const kNames[] = {"Raw", "CaptureText", "UsbCapture", "Archive"};
  return std::string(kNames[static_cast<int>(std::get<0>(info.param))]) +
         (std::get<1>(info.param) ? "BottomUp" : "TopDown");
}

INSTANTIATE_TEST_SUITE_P(Forms, ZipBesideThePicture,
                         ::testing::Combine(::testing::Values(InputForm::Raw, InputForm::CaptureText,
                                                              InputForm::UsbCapture, InputForm::Archive),
                                            ::testing::Bool()),
                         CaseName);

// With no second thread the archive is packed before anything else happens.
TEST(ZipStage, WithoutASecondThreadPacksAtOnce) {
  TempFolder folder;
  const fs::path job = WriteInput(InputForm::Raw, folder.path());
  FailNextZipWorkerStart();
  ZipStage stage(folder / "packedbin.zip", job);
  EXPECT_FALSE(stage.RunsBeside());
  EXPECT_TRUE(fs::exists(folder / "packedbin.zip"));
  const ZipStageOutcome& outcome = stage.Finish();
  EXPECT_TRUE(outcome.created);
  EXPECT_FALSE(outcome.writeFailed);
  EXPECT_EQ(outcome.archiveSize, fs::file_size(folder / "packedbin.zip"));
}

TEST(ZipStage, ArchiveThatCannotBeCreatedIsAllItTells) {
  TempFolder folder;
  const fs::path job = WriteInput(InputForm::Raw, folder.path());
  fs::create_directory(folder / "packedbin.zip");
  ZipStage stage(folder / "packedbin.zip", job);
  const ZipStageOutcome& outcome = stage.Finish();
  EXPECT_FALSE(outcome.created);
  EXPECT_FALSE(outcome.writeFailed);
  EXPECT_FALSE(outcome.archiveSize.has_value());
}

}  // namespace
}  // namespace tesk::core
