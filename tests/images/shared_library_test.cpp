// The container libraries are looked up by soname when first needed: a
// missing one (or one without a function we call) is a reason that names the
// Debian package to install, given again for every disk that needs it.
#include "platform/containers/shared_library.h"

#include <gtest/gtest.h>

namespace disklens {
namespace {

using VersionFn = const char* (*)();

TEST(SharedLibrary, AMissingLibraryNamesThePackageEveryTimeItIsAsked) {
  constexpr SharedLibrary kAbsent{"libdisklens-absent.so.9", "libdisklens-absent9"};
  VersionFn fn = nullptr;
  const LibrarySymbol symbols[] = {{"zlibVersion", &fn, sizeof fn}};
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::string error;
    EXPECT_FALSE(LoadSharedLibrary(kAbsent, symbols, 1, error));
    EXPECT_EQ(error.rfind("libdisklens-absent.so.9 could not be loaded (", 0), 0u) << error;
    EXPECT_NE(error.find("): install the Debian package libdisklens-absent9"), std::string::npos)
        << error;
  }
  EXPECT_EQ(fn, nullptr);
}

TEST(SharedLibrary, FunctionsAreFoundOrTheMissingOneIsNamed) {
  // zlib stands in for a container library: every system here has it.
  constexpr SharedLibrary kZlib{"libz.so.1", "zlib1g"};
  VersionFn version = nullptr;
  const LibrarySymbol found[] = {{"zlibVersion", &version, sizeof version}};
  std::string error;
  ASSERT_TRUE(LoadSharedLibrary(kZlib, found, 1, error)) << error;
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(std::string(version()).substr(0, 2), "1.");

  VersionFn absent = nullptr;
  const LibrarySymbol missing[] = {{"zlibVersion", &version, sizeof version},
                                   {"zlib_no_such_function", &absent, sizeof absent}};
  EXPECT_FALSE(LoadSharedLibrary(kZlib, missing, 2, error));
  EXPECT_EQ(error,
            "libz.so.1 lacks zlib_no_such_function (an older version?): install the Debian "
            "package zlib1g");
}

}  // namespace
}  // namespace disklens
