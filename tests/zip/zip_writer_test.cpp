#include "zip/zip_writer.h"

#include <gtest/gtest.h>

namespace tesk::zip {
namespace {

TEST(ZipWriterHandles, NoHandleIsABadArgument) {
  EXPECT_EQ(ZipWriterAddFile(nullptr, "a", "a"), kZipBadArguments);
  EXPECT_EQ(ZipWriterClose(nullptr), kZipBadArguments);
}

}  // namespace
}  // namespace tesk::zip
