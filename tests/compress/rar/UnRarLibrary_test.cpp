// The unrar library keeps process-wide state, so the wrappers of several workers take turns with
// it: an archive is open through it in one wrapper at a time.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <future>

#include "compress/rar/RAR.h"
#include "support/TestSupport.h"

namespace {

TEST(UnRarLibrary, OneArchiveAtATimeInTheWholeProcess) {
  // Held loaded by the test, so what it noted outlives the wrappers' own loads.
  void* library = dlopen(HM_COUNTING_UNRAR, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr);
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.file("a.rar"), "Rar!\x1a\x07\x01");
  // Two workers list an archive at once, each with a wrapper and a loaded library of its own.
  const auto list = [&] {
    TRAR rar;
    rar.DllName = HM_COUNTING_UNRAR;
    return rar.OpenFile(dir.file("a.rar"));
  };
  auto first = std::async(std::launch::async, list);
  auto second = std::async(std::launch::async, list);
  EXPECT_TRUE(first.get());
  EXPECT_TRUE(second.get());

  const auto overlapped = reinterpret_cast<int (*)()>(dlsym(library, "CountingUnRarOverlapped"));
  ASSERT_NE(overlapped, nullptr);
  EXPECT_EQ(overlapped(), 0) << "two archives were open in the library at once";
  dlclose(library);
}

}  // namespace
