// Damaged containers: truncated at several points or with a header byte
// flipped. The library's reason on stderr, the disk absent (or, where the
// damage lies in data the report never reads, reported), the next disk
// reported, no crash, nothing written.
#include <gtest/gtest.h>

#include <algorithm>

#include "images/container_images.h"
#include "support/image_file.h"

namespace disklens {
namespace {

struct Damage {
  std::uint64_t cut;   // bytes kept; 0 keeps all
  std::int64_t flip;   // offset of a byte to invert, -1 for none
  bool mustFail;       // the container can't open: message, disk absent
};

// `container` (made from the GPT test image), damaged each way, as HD0 before
// the raw GPT image as HD1.
void CheckDamage(const std::string& container, const std::string& raw,
                 const std::vector<Damage>& damages) {
  const std::string ext = container.substr(container.rfind('.'));
  const std::string damaged = container + ".damaged" + ext;
  const test::ProgramRun alone = test::RunDisklens(":" + raw);
  ASSERT_NE(alone.out.find("GPT Found (HD1)"), std::string::npos);
  for (const Damage& d : damages) {
    std::filesystem::copy_file(container, damaged, std::filesystem::copy_options::overwrite_existing);
    if (d.cut != 0) std::filesystem::resize_file(damaged, d.cut);
    if (d.flip >= 0) {
      std::vector<std::uint8_t> byte(1);
      std::ifstream in(damaged, std::ios::binary);
      in.seekg(d.flip);
      in.read(reinterpret_cast<char*>(byte.data()), 1);
      in.close();
      byte[0] = static_cast<std::uint8_t>(~byte[0]);
      ASSERT_TRUE(test::WriteAt(damaged, static_cast<std::uint64_t>(d.flip), byte));
    }
    const test::FileStamp before = test::Stamp(damaged);
    const test::ProgramRun run = test::RunDisklens(damaged + ":" + raw);
    const std::string what = damaged + " cut " + std::to_string(d.cut) + " flip " +
                             std::to_string(d.flip);
    EXPECT_EQ(run.exitCode, 0) << what;
    EXPECT_NE(run.out.find("GPT Found (HD1)"), std::string::npos) << what;
    EXPECT_EQ(test::Stamp(damaged), before) << what;
    const bool absent = run.out == alone.out;
    if (d.mustFail || absent) {
      EXPECT_TRUE(absent) << what;
      // A dynamic VHD cut short is told by its missing footer, the rest by the library.
      const bool footer =
          run.err == "disklens: HD0: " + damaged +
                         ": a dynamic VHD image whose footer at the end is missing or damaged "
                         "(the file may be truncated)\n";
      // So is an EWF segment number damaged in the first segment's header.
      const bool segment =
          run.err.rfind("disklens: HD0: " + damaged +
                            ": an EWF image whose first segment's header gives segment number ",
                        0) == 0;
      EXPECT_TRUE(footer || segment || run.err.rfind("disklens: HD0: " + damaged + ": lib", 0) == 0)
          << what << run.err;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << what << run.err;
    }
  }
  std::filesystem::remove(damaged);
}

// Cuts inside the headers, which every library reads when it opens, and
// cuts and flips further in.
std::vector<Damage> Damages(std::uint64_t size, std::vector<Damage> more) {
  std::vector<Damage> all = {{16, -1, true}, {100, -1, true}, {600, -1, true},
                             {size / 2, -1, false}, {size - 1, -1, false}};
  for (std::int64_t at : {9, 12, 16, 24, 40, 64, 100, 200, 511}) all.push_back({0, at, false});
  all.insert(all.end(), more.begin(), more.end());
  return all;
}

std::string MakeContainer(const test::TempDir& dir, const std::string& format,
                          const std::string& options, const std::string& name) {
  const std::vector<test::RawDisk> disks = test::MakeRawDisks(dir);
  const std::string target = dir.File(name);
  if (disks.size() < 3 || !test::QemuConvert(disks[2].path, target, format, options)) return {};
  return target;
}

TEST(DamagedContainers, Qcow) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string c = MakeContainer(dir, "qcow2", "", "gpt.qcow2");
  ASSERT_FALSE(c.empty());
  // Byte 7 is the low byte of the version, byte 23 that of the cluster bits.
  CheckDamage(c, dir.File("gpt.img"),
              Damages(std::filesystem::file_size(c), {{4096, -1, true}, {0, 7, true}, {0, 23, true}}));
}

TEST(DamagedContainers, VhdAndVhdx) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string vhd = MakeContainer(dir, "vpc", "-o subformat=dynamic,force_size=on", "g.vhd");
  ASSERT_FALSE(vhd.empty());
  CheckDamage(vhd, dir.File("gpt.img"), Damages(std::filesystem::file_size(vhd), {}));
  const std::string vhdx = MakeContainer(dir, "vhdx", "", "g.vhdx");
  ASSERT_FALSE(vhdx.empty());
  CheckDamage(vhdx, dir.File("gpt.img"),
              Damages(std::filesystem::file_size(vhdx), {{4096, -1, true}, {0, 65536 + 8, false}}));
}

TEST(DamagedContainers, Vmdk) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  for (const char* sub : {"monolithicSparse", "streamOptimized"}) {
    const std::string c =
        MakeContainer(dir, "vmdk", std::string("-o subformat=") + sub, std::string(sub) + ".vmdk");
    ASSERT_FALSE(c.empty());
    CheckDamage(c, dir.File("gpt.img"), Damages(std::filesystem::file_size(c), {{4096, -1, true}}));
  }
}

TEST(DamagedContainers, Ewf) {
  DISKLENS_NEED_TOOL("ewfacquire");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::vector<test::RawDisk> disks = test::MakeRawDisks(dir);
  ASSERT_GE(disks.size(), 3u);
  const std::string c = test::EwfAcquire(disks[2].path, dir.File("gpt"), "");
  ASSERT_FALSE(c.empty());
  // A set cut anywhere lacks its last sections: libewf's reads would be zeros.
  const std::uint64_t size = std::filesystem::file_size(c);
  CheckDamage(c, disks[2].path,
              Damages(size, {{4096, -1, true}, {size / 2, -1, true}, {size - 1, -1, true}}));
}

}  // namespace
}  // namespace disklens
