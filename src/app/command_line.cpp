#include "app/command_line.h"

#include <cstring>

#include "text/ascii.h"

namespace disklens {

const char kUsage[] =
    "Usage: disklens [OPTIONS] [/all] [DISK...]\n"
    "\n"
    "Prints how the disks are partitioned: for every disk named (image files or\n"
    "block devices, the first being HD0), or else every BIOS disk 0x80 to 0x9F\n"
    "that opens, its MBR with the extended chains, EMBR tables, GPT and boot\n"
    "sectors. Every disk is opened read-only; nothing is ever written to one.\n"
    "\n"
    "  /all           widen the extended-chain walks (any letter case)\n"
    "      --json     the same facts as one JSON document (docs/disklens.schema.json)\n"
    "      --check    after each disk's report, what is wrong with it (CHECKS)\n"
    "  -v, --verbose  name on stderr the file behind each disk number\n"
    "  -h, --help, /? show this help\n"
    "      --version  show the version\n"
    "      --         the arguments after it are disks (a file named --json or /all)\n"
    "\n"
    "A DISK may end in @512, @1024, @2048 or @4096 to give an image's sector size:\n"
    "  disklens /all disk0.img big4k.img@4096\n"
    "Without DISKs, DISKLENS_DISKS, when set, lists them instead of the machine's\n"
    "disks, entry N being HDN:\n"
    "  DISKLENS_DISKS=disk0.img::big4k.img@4096 disklens /all\n"
    "At most 32 disks are reported (HD0 to HD31); the others are named on stderr.\n"
    "Exit status 1 when a DISK named here does not open. With --check: 0 when no\n"
    "finding is a warning or an error, 2 when the worst is a warning, 3 an error.\n"
    "\n"
    "The manual: man disklens.\n";

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (AsciiLower(static_cast<unsigned char>(*a)) != AsciiLower(static_cast<unsigned char>(*b))) {
      return false;
    }
  }
  return *a == *b;
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  int allCount = 0;
  bool optionsEnded = false;
  for (int i = 1; argv != nullptr && i < argc; ++i) {
    const char* arg = argv[i];
    if (arg == nullptr) continue;
    if (optionsEnded) {
      line.operands.emplace_back(arg);
    } else if (std::strcmp(arg, "--") == 0) {
      optionsEnded = true;
    } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 ||
               std::strcmp(arg, "/?") == 0) {
      line.help = true;
    } else if (std::strcmp(arg, "--version") == 0) {
      line.version = true;
    } else if (std::strcmp(arg, "--json") == 0) {
      line.json = true;
    } else if (std::strcmp(arg, "--check") == 0) {
      line.check = true;
    } else if (std::strcmp(arg, "--verbose") == 0 || std::strcmp(arg, "-v") == 0) {
      line.verbose = true;
    } else if (EqualsIgnoringCase(arg, "/all")) {
      ++allCount;
    } else if (arg[0] == '-' && arg[1] != '\0') {
      // An unknown option, not a disk: "-" alone is a file of that name.
      line.ignored.emplace_back(arg);
    } else {
      line.operands.emplace_back(arg);
    }
  }
  line.all = allCount == 1 && line.ignored.empty();
  line.allNotApplied = allCount != 0 && !line.all;
  return line;
}

}  // namespace disklens
