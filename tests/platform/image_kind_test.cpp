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
  EXPECT_EQ(KindOf("conectix", "conectix"), ImageKind::kVhd);    // dynamic: footer copy first
  EXPECT_EQ(KindOf("", "conectix"), ImageKind::kVhd);            // fixed: footer last
  EXPECT_EQ(KindOf("conectix"), ImageKind::kVhdFooterMissing);   // dynamic, cut short
  EXPECT_EQ(KindOf("KDMV"), ImageKind::kVmdk);
  EXPECT_EQ(KindOf("COWD"), ImageKind::kVmdk);
  EXPECT_EQ(KindOf("# Disk DescriptorFile\nversion=1\n"), ImageKind::kVmdk);
  EXPECT_EQ(KindOf(std::string("QFI\xfb\0\0\0\3", 8)), ImageKind::kQcow);
  EXPECT_EQ(KindOf(std::string("QFI\xfb\0\0\0\2", 8)), ImageKind::kQcow);
  EXPECT_EQ(KindOf(std::string("QFI\xfb\0\0\0\1", 8)), ImageKind::kQcow1);
  EXPECT_EQ(KindOf(std::string("EVF\x09\x0d\x0a\xff\x00", 8)), ImageKind::kEwf);
}

TEST(ImageKindDetection, OldToolsFooterOf511Bytes) {
  std::vector<std::uint8_t> tail(512, 0);
  std::memcpy(tail.data() + 1, "conectix", 8);
  std::vector<std::uint8_t> head(512, 0);
  EXPECT_EQ(DetectImageKind(head.data(), 512, tail.data(), 512), ImageKind::kVhdOldFooter);
}

// The formats that are named and refused, each by the magic its published
// layout gives (VDI's at 0x40, UDIF's in the trailer of the last 512 bytes).
struct Unread {
  std::string head;
  std::string tail;
  ImageKind kind;
  const char* text;
};

class UnreadFormats : public testing::TestWithParam<Unread> {};

TEST_P(UnreadFormats, AreNamedAndTheirReasonSaysHowToReadThem) {
  const Unread& u = GetParam();
  EXPECT_EQ(KindOf(u.head, u.tail), u.kind);
  EXPECT_TRUE(IsUnreadKind(u.kind));
  EXPECT_EQ(ImageKindText(u.kind), std::string(u.text));
  const std::string reason = UnreadKindReason(u.kind);
  EXPECT_EQ(reason.rfind(std::string(u.text) + ", which disklens does not read: convert it with ", 0),
            0u)
      << reason;
}

INSTANTIATE_TEST_SUITE_P(
    Signatures, UnreadFormats,
    testing::Values(
        Unread{std::string("<<< Oracle VM VirtualBox Disk Image >>>\n") + std::string(24, '\0') +
                   "\x7f\x10\xda\xbe",
               "", ImageKind::kVdi, "a VirtualBox VDI image"},
        Unread{"WithoutFreeSpace", "", ImageKind::kParallels, "a Parallels image"},
        Unread{"WithouFreSpacExt", "", ImageKind::kParallels, "a Parallels image"},
        Unread{std::string("QED\0", 4), "", ImageKind::kQed, "a QED image"},
        Unread{"", "koly", ImageKind::kUdif, "an Apple disk image (UDIF)"},
        Unread{"Bochs Virtual HD Image", "", ImageKind::kBochs, "a Bochs image"},
        Unread{"#!/bin/sh\n#V2.0 Format\nmodprobe cloop file=$0 && mount -r -t iso9660 /dev/cloop $1\n",
               "", ImageKind::kCloop, "a cloop image"},
        Unread{std::string("AFF10\r\n\0", 8), "", ImageKind::kAff, "an AFF image"}));

TEST(ImageKindDetection, ContainerNamesAreToldWithoutRegardToCase) {
  EXPECT_EQ(KindNamedBy("dir/x.E01"), ImageKind::kEwf);
  EXPECT_EQ(KindNamedBy("x.Ex01"), ImageKind::kEwf);
  EXPECT_EQ(KindNamedBy("X.VMDK"), ImageKind::kVmdk);
  EXPECT_EQ(KindNamedBy("x.vhd"), ImageKind::kVhd);
  EXPECT_EQ(KindNamedBy("x.vhdx"), ImageKind::kVhdx);
  EXPECT_EQ(KindNamedBy("x.qcow2"), ImageKind::kQcow);
  EXPECT_EQ(KindNamedBy("x.img"), ImageKind::kRaw);
  EXPECT_EQ(KindNamedBy("x.vmdk/disk"), ImageKind::kRaw);  // a folder's name is not the file's
  EXPECT_EQ(KindNamedBy("vmdk"), ImageKind::kRaw);
}

TEST(ImageKindDetection, NearMissesAndRawDisksStayRaw) {
  EXPECT_EQ(KindOf(""), ImageKind::kRaw);
  EXPECT_EQ(KindOf("vhdxfil"), ImageKind::kRaw);
  EXPECT_EQ(KindOf("QFI\xfa"), ImageKind::kRaw);
  EXPECT_EQ(KindOf("EVF\x09\x0d\x0a\xff\x01"), ImageKind::kRaw);
  EXPECT_EQ(KindOf("# Disk Descriptor"), ImageKind::kRaw);
  EXPECT_EQ(KindOf("", "xxconectix"), ImageKind::kRaw);
  EXPECT_EQ(KindOf("#!/bin/sh\necho hello\n"), ImageKind::kRaw);  // a script, not cloop
  EXPECT_EQ(KindOf("", "xkoly"), ImageKind::kRaw);
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
