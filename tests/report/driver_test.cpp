#include "app/driver.h"

#include <gtest/gtest.h>

#include "disk/session.h"
#include "platform/fake_platform.h"
#include "support/capture.h"

namespace disklens {
namespace {

std::tm FixedTime() {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 7;
  t.tm_hour = 9;
  t.tm_min = 5;
  return t;
}

const std::string kBanner =
    std::string("\nDISKLENS 1.15\n") + kNotice + "\n\nRun date: 12/07/2026 9:05\n";

int RunWith(std::vector<const char*> args, const std::tm* now) {
  args.insert(args.begin(), "disklens");
  return RunProgram(static_cast<int>(args.size()), args.data(), now);
}

TEST(Driver, WithNoDiskPrintsOnlyTheBannerAndExitsZero) {
  FakePlatform fake;
  test::CapturedOutput out;
  const std::tm now = FixedTime();
  EXPECT_EQ(RunWith({}, &now), 0);
  EXPECT_EQ(out.Text(), kBanner);
  // Every one of the 32 disk numbers was tried, read-only, and nothing stays open.
  const auto opens = fake.Calls("CreateFileA");
  ASSERT_EQ(opens.size(), 32u);
  EXPECT_EQ(opens.front().detail.substr(0, 19), "\\\\.\\PhysicalDrive0 ");
  EXPECT_EQ(opens.back().detail.substr(0, 20), "\\\\.\\PhysicalDrive31 ");
  for (const FakeCall& c : opens) EXPECT_EQ(c.size, kGenericRead);
  EXPECT_EQ(fake.OpenHandles(), 0u);
  EXPECT_EQ(fake.LiveAllocations(), 0u);
  EXPECT_EQ(Session().refCount, 0);
}

TEST(Driver, RecognisesAllOnlyAsTheSingleArgumentInAnyCase) {
  const char* none[] = {"disklens"};
  const char* upper[] = {"disklens", "/ALL"};
  const char* mixed[] = {"disklens", "/All"};
  const char* two[] = {"disklens", "/all", "-x"};  // beside an ignored option
  const char* operand[] = {"disklens", "disk.img", "/all"};  // beside a disk
  const char* dash[] = {"disklens", "-all"};
  EXPECT_FALSE(IsAllOption(1, none));
  EXPECT_TRUE(IsAllOption(2, upper));
  EXPECT_TRUE(IsAllOption(2, mixed));
  EXPECT_FALSE(IsAllOption(3, two));
  EXPECT_TRUE(IsAllOption(3, operand));
  EXPECT_FALSE(IsAllOption(2, dash));
  const char* withOptions[] = {"disklens", "-v", "/aLL", "--verbose"};
  EXPECT_TRUE(IsAllOption(4, withOptions));
  const char* twice[] = {"disklens", "/all", "/all"};
  EXPECT_FALSE(IsAllOption(3, twice));
}

TEST(Driver, WorkBufferThatCannotBeHadEndsWithExitCodeOne) {
  FakePlatform fake;
  fake.failOnCall["VirtualAlloc"] = {1};
  test::CapturedOutput out;
  const std::tm now = FixedTime();
  EXPECT_EQ(RunWith({}, &now), 1);
  EXPECT_EQ(out.Text(), "\nNot enough memory for allocate!\n");
  EXPECT_EQ(fake.Count("GetVersionExA"), 0u);  // the session was never started
  EXPECT_EQ(fake.Count("CreateFileA"), 0u);
}

TEST(Driver, SessionThatFailsToStartLeavesOnlyTheBanner) {
  FakePlatform fake;
  fake.AddDisk(0, 1 << 20);
  fake.failOnCall["GetVersionExA"] = {1};
  test::CapturedOutput out;
  const std::tm now = FixedTime();
  EXPECT_EQ(RunWith({}, &now), 0);
  EXPECT_EQ(out.Text(), kBanner);
  EXPECT_EQ(fake.Count("CreateFileA"), 0u);
}

TEST(Driver, UnknownLocalTimeIsSaidSo) {
  FakePlatform fake;
  test::CapturedOutput out;
  EXPECT_EQ(RunWith({}, nullptr), 0);
  EXPECT_EQ(out.Text(), std::string("\nDISKLENS 1.15\n") + kNotice + "\n\nRun date: unknown\n");
}

}  // namespace
}  // namespace disklens
