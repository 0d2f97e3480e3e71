// Files in an input's or an output's place that are not regular files: each is
// refused at once, in a child process so that a blocking open fails the test
// by its timeout instead of hanging it.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/file_system.h"
#include "platform/input_file.h"
#include "platform/output_file.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace tesk::platform {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

bool IsFifo(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
}

// Returns 0 when `open` gave a closed file with `error`, at once.
void ExpectRefusedInChild(const std::function<int()>& open) {
  const testing::ChildOutcome outcome = testing::RunInChild(open, 10);
  ASSERT_TRUE(outcome.exited) << outcome.Describe();
  EXPECT_EQ(outcome.status, 0);
}

TEST(NonRegularFiles, FifoIsNeitherReadNorWrittenNorWaitedFor) {
  TempFolder folder;
  const fs::path fifo = folder / "f.prn";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink(fifo, folder / "link.png");
  ExpectRefusedInChild([&] {
    const InputFile input = InputFile::Open(fifo);
    return !input.IsOpen() && input.Error() == EINVAL ? 0 : 1;
  });
  ExpectRefusedInChild([&] { return FileLength(fifo).has_value() ? 1 : 0; });
  ExpectRefusedInChild([&] {
    const OutputFile output = OutputFile::Create(fifo);
    return !output.IsOpen() && output.Error() == EINVAL ? 0 : 1;
  });
  ExpectRefusedInChild([&] {
    const OutputFile output = OutputFile::Create(folder / "link.png");
    return !output.IsOpen() && output.Error() == EINVAL ? 0 : 1;
  });
  EXPECT_TRUE(IsFifo(fifo));
}

TEST(NonRegularFiles, DeviceIsNeverOpenedForAnOutput) {
  const OutputFile output = OutputFile::Create("/dev/null");
  EXPECT_FALSE(output.IsOpen());
  EXPECT_EQ(output.Error(), EINVAL);
  const InputFile input = InputFile::Open("/dev/zero");
  EXPECT_FALSE(input.IsOpen());
  EXPECT_EQ(input.Error(), EINVAL);
}

// A finished temporary file replaces a regular file, and nothing else.
TEST(NonRegularFiles, MoveIntoPlaceReplacesOnlyARegularFile) {
  TempFolder folder;
  testing::WriteFile(folder / "plain.bin", std::string_view("old"));
  testing::WriteFile(folder / "held.bin", std::string_view("held"));
  ASSERT_EQ(::mkfifo((folder / "fifo.bin").c_str(), 0600), 0);
  fs::create_symlink(folder / "plain.bin", folder / "link.bin");
  fs::create_directory(folder / "folder.bin");
  const InputFile held = InputFile::Open(folder / "held.bin");

  struct Place {
    const char* name;
    int error;  // 0: replaced
  };
  for (const Place place :
       {Place{"plain.bin", 0}, Place{"new.bin", 0}, Place{"held.bin", EBUSY}, Place{"fifo.bin", EINVAL},
        Place{"link.bin", ELOOP}, Place{"folder.bin", EISDIR}}) {
    SCOPED_TRACE(place.name);
    const fs::path destination = folder / place.name;
    OutputFile temporary = OutputFile::CreateTemporaryBeside(destination);
    ASSERT_TRUE(temporary.IsOpen());
    EXPECT_EQ(temporary.Path().parent_path(), folder.path());
    ASSERT_TRUE(
        temporary.Write(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>("new"), 3)));
    ASSERT_TRUE(temporary.Close());
    int error = 0;
    EXPECT_EQ(MoveIntoPlace(temporary.Path(), destination, &error), place.error == 0);
    EXPECT_EQ(error, place.error);
    if (place.error == 0) {
      EXPECT_EQ(testing::ReadFile(destination), testing::Bytes({'n', 'e', 'w'}));
    } else {
      EXPECT_TRUE(fs::exists(temporary.Path())) << "the caller decides what becomes of it";
      DeleteOutputFile(temporary.Path());
    }
  }
  EXPECT_EQ(testing::ReadFile(folder / "held.bin"), testing::Bytes({'h', 'e', 'l', 'd'}));
  EXPECT_TRUE(IsFifo(folder / "fifo.bin"));
  EXPECT_TRUE(fs::is_symlink(folder / "link.bin"));
  EXPECT_TRUE(fs::is_directory(folder / "folder.bin"));
}

}  // namespace
}  // namespace tesk::platform
