// What the BMP and the PNG writer do when their file cannot be created or
// cannot be written: the same for both, so one table covers them.

#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>

#include "image/bmp_file.h"
#include "image/png_file.h"
#include "platform/input_file.h"
#include "platform/write_faults.h"
#include "tests/support/temp_folder.h"

namespace tesk::image {
namespace {

using platform::FileWriteResult;
using testing::Bytes;
namespace fs = std::filesystem;

const Bytes kPure = {0xF0, 0x0F, 0x81, 0x18, 0x42, 0x24};  // widthBytes 2, three rows
const PictureGeometry kGeometry = {2, 16, 3, 4, 12};

struct Writer {
  const char* name;
  const char* fileName;
  FileWriteResult (*write)(const fs::path& path);
};

void PrintTo(const Writer& writer, std::ostream* out) { *out << writer.name; }

FileWriteResult WriteBmp(const fs::path& path) {
  DibImage image;
  if (!BuildDibImage(image, kPure, kGeometry, false)) return {};
  return WriteBmpFile(image, path);
}

FileWriteResult WritePng(const fs::path& path) { return WritePngFile(kPure, kGeometry, path); }

const Writer kWriters[] = {{"Bmp", "picture.bmp", WriteBmp}, {"Png", "picture.png", WritePng}};

enum class Obstacle { HeldFile, MissingFolder, FolderInThePlace };

const char* NameOf(Obstacle obstacle) {
  switch (obstacle) {
    case Obstacle::HeldFile: return "HeldFile";
    case Obstacle::MissingFolder: return "MissingFolder";
    case Obstacle::FolderInThePlace: return "FolderInThePlace";
  }
  return "";
}

const Bytes kInput = {'j', 'o', 'b'};

class UncreatablePicture : public ::testing::TestWithParam<std::tuple<Writer, Obstacle>> {};

TEST_P(UncreatablePicture, IsNotCreatedAndTouchesNothing) {
  const auto& [writer, obstacle] = GetParam();
  testing::TempFolder folder;
  fs::path path = folder / writer.fileName;
  platform::InputFile held;
  int expectedError = 0;
  switch (obstacle) {
    case Obstacle::HeldFile:
      // The loaded input is held; an output named like it must not replace it.
      testing::WriteFile(path, kInput);
      held = platform::InputFile::Open(path);
      ASSERT_TRUE(held.IsOpen());
      expectedError = EBUSY;
      break;
    case Obstacle::MissingFolder:
      path = folder / "missing" / writer.fileName;
      expectedError = ENOENT;
      break;
    case Obstacle::FolderInThePlace:
      fs::create_directory(path);
      expectedError = EISDIR;
      break;
  }

  const FileWriteResult result = writer.write(path);
  EXPECT_EQ(result.status, FileWriteResult::Status::NotCreated);
  EXPECT_EQ(result.error, expectedError);
  switch (obstacle) {
    case Obstacle::HeldFile: EXPECT_EQ(testing::ReadFile(path), kInput); break;
    case Obstacle::MissingFolder: EXPECT_FALSE(fs::exists(path.parent_path())); break;
    case Obstacle::FolderInThePlace: EXPECT_TRUE(fs::is_directory(path)); break;
  }
}

INSTANTIATE_TEST_SUITE_P(Writers, UncreatablePicture,
                         ::testing::Combine(::testing::ValuesIn(kWriters),
                                            ::testing::Values(Obstacle::HeldFile, Obstacle::MissingFolder,
                                                              Obstacle::FolderInThePlace)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + NameOf(std::get<1>(info.param));
                         });

class ShortWrittenPicture : public ::testing::TestWithParam<std::tuple<Writer, std::uint64_t>> {
 protected:
  void TearDown() override { platform::ClearWriteFaults(); }
};

// A full disk after `bytes` bytes: the write fails with the system's error and
// what reached the disk stays there.
TEST_P(ShortWrittenPicture, ReportsTheErrorAndKeepsWhatWasWritten) {
  const auto& [writer, bytes] = GetParam();
  testing::TempFolder folder;
  const fs::path path = folder / writer.fileName;
  platform::FailWritesAfter(writer.fileName, bytes, ENOSPC);
  const FileWriteResult result = writer.write(path);
  EXPECT_EQ(result.status, FileWriteResult::Status::WriteFailed);
  EXPECT_EQ(result.error, ENOSPC);
  EXPECT_EQ(result.path, path);
  ASSERT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::file_size(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(Writers, ShortWrittenPicture,
                         // Nothing at all, inside the file header, inside the pixel rows.
                         ::testing::Combine(::testing::ValuesIn(kWriters), ::testing::Values(0u, 10u, 64u)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "After" +
                                  std::to_string(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace tesk::image
