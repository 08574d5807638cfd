// Writes the sample disk images into the directory given as the only argument.
// The images are sparse: only the sectors the disks describe are written.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "sample_disks.h"
#include "support/image_save.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-DIRECTORY\n", argv[0]);
    return 2;
  }
  try {
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    const std::filesystem::path disk0 = dir / "disk0.img", disk1 = dir / "disk1.img";
    for (const auto& [path, ok] : {std::pair{disk0, disklens::test::SaveImage(disklens::sample::MakeDisk0(), disk0)},
                                   std::pair{disk1, disklens::test::SaveImage(disklens::sample::MakeDisk1(), disk1)}}) {
      if (!ok) {
        std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sample disks: %s\n", e.what());
    return 1;
  }
  return 0;
}
