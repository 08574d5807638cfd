// Containers are told by their signatures, at the start or (a fixed VHD's
// footer) at the end, never by a file name; everything else is raw.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/image_kind.h"

namespace disklens {
namespace {

ImageKind KindOf(const std::string& headText, const std::string& tailText = "") {
  std::vector<std::uint8_t> head(512, 0);
  std::vector<std::uint8_t> tail(512, 0);
  std::memcpy(head.data(), headText.data(), headText.size());
  std::memcpy(tail.data(), tailText.data(), tailText.size());
  return DetectImageKind(head.data(), head.size(), tail.data(), tail.size());
}

TEST(ImageKindDetection, EachSignatureNamesItsFormat) {
  EXPECT_EQ(KindOf("vhdxfile"), ImageKind::kVhdx);
  EXPECT_EQ(KindOf("conectix"), ImageKind::kVhd);                // dynamic: footer copy first
  EXPECT_EQ(KindOf("", "conectix"), ImageKind::kVhd);            // fixed: footer last
  EXPECT_EQ(KindOf("KDMV"), ImageKind::kVmdk);
  EXPECT_EQ(KindOf("COWD"), ImageKind::kVmdk);
  EXPECT_EQ(KindOf("# Disk DescriptorFile\nversion=1\n"), ImageKind::kVmdk);
  EXPECT_EQ(KindOf(std::string("QFI\xfb\0\0\0\3", 8)), ImageKind::kQcow);
  EXPECT_EQ(KindOf(std::string("EVF\x09\x0d\x0a\xff\x00", 8)), ImageKind::kEwf);
}

TEST(ImageKindDetection, OldToolsFooterOf511Bytes) {
  std::vector<std::uint8_t> tail(512, 0);
  std::memcpy(tail.data() + 1, "conectix", 8);
  std::vector<std::uint8_t> head(512, 0);
  EXPECT_EQ(DetectImageKind(head.data(), 512, tail.data(), 512), ImageKind::kVhd);
}

TEST(ImageKindDetection, NearMissesAndRawDisksStayRaw) {
  EXPECT_EQ(KindOf(""), ImageKind::kRaw);
  EXPECT_EQ(KindOf("vhdxfil"), ImageKind::kRaw);
  EXPECT_EQ(KindOf("QFI\xfa"), ImageKind::kRaw);
  EXPECT_EQ(KindOf("EVF\x09\x0d\x0a\xff\x01"), ImageKind::kRaw);
  EXPECT_EQ(KindOf("# Disk Descriptor"), ImageKind::kRaw);
  EXPECT_EQ(KindOf("", "xxconectix"), ImageKind::kRaw);
  // An MBR with its boot signature is the ordinary raw disk.
  std::vector<std::uint8_t> mbr(512, 0);
  mbr[510] = 0x55;
  mbr[511] = 0xAA;
  EXPECT_EQ(DetectImageKind(mbr.data(), 512, mbr.data(), 512), ImageKind::kRaw);
}

TEST(ImageKindDetection, ShortFilesAreReadOnlyAsFarAsTheyGo) {
  const std::uint8_t qfi[] = {'Q', 'F', 'I', 0xfb};
  EXPECT_EQ(DetectImageKind(qfi, 3, qfi, 3), ImageKind::kRaw);
  EXPECT_EQ(DetectImageKind(qfi, 4, qfi, 4), ImageKind::kQcow);
  EXPECT_EQ(DetectImageKind(nullptr, 0, nullptr, 0), ImageKind::kRaw);
}

}  // namespace
}  // namespace disklens
