#include "report/command_line.h"

#include <cstring>

#include "text/ascii.h"

namespace disklens {

const char kUsage[] =
    "Usage: disklens [/all] [--json] [--verbose] [--help] [--version]\n"
    "\n"
    "Prints how the disks are partitioned: for every BIOS disk 0x80 to 0x9F that\n"
    "opens, its MBR with the extended chains, EMBR tables, GPT and boot sectors.\n"
    "Every disk is opened read-only; nothing is ever written to one.\n"
    "\n"
    "  /all           widen the extended-chain walks (any letter case)\n"
    "      --json     the same facts as one JSON document (docs/disklens.schema.json)\n"
    "  -v, --verbose  name on stderr the file behind each disk number\n"
    "  -h, --help, /? show this help\n"
    "      --version  show the version\n"
    "\n"
    "DISKLENS_DISKS, when set, lists image files or block devices to read instead of\n"
    "the machine's disks, entry N being HDN; an entry may end in @512, @1024, @2048\n"
    "or @4096 to give an image's sector size:\n"
    "  DISKLENS_DISKS=disk0.img::big4k.img@4096 disklens /all\n"
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
  std::vector<std::string> rest;
  for (int i = 1; argv != nullptr && i < argc; ++i) {
    const char* arg = argv[i];
    if (arg == nullptr) continue;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 ||
        std::strcmp(arg, "/?") == 0) {
      line.help = true;
    } else if (std::strcmp(arg, "--version") == 0) {
      line.version = true;
    } else if (std::strcmp(arg, "--json") == 0) {
      line.json = true;
    } else if (std::strcmp(arg, "--verbose") == 0 || std::strcmp(arg, "-v") == 0) {
      line.verbose = true;
    } else {
      rest.emplace_back(arg);
    }
  }
  if (rest.size() == 1 && EqualsIgnoringCase(rest[0].c_str(), "/all")) {
    line.all = true;
    return line;
  }
  for (const std::string& arg : rest) {
    if (EqualsIgnoringCase(arg.c_str(), "/all")) {
      line.allNotApplied = true;
    } else {
      line.ignored.push_back(arg);
    }
  }
  return line;
}

}  // namespace disklens
