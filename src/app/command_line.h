// The program's arguments: the options, /all, and the disks to report (the
// operands); "--" ends the options, so that every argument after it is a disk.
#pragma once

#include <string>
#include <vector>

namespace disklens {

struct CommandLine {
  bool help = false;     // --help, -h, /?
  bool version = false;  // --version
  bool verbose = false;  // --verbose, -v
  bool json = false;     // --json
  bool check = false;    // --check
  bool all = false;      // /all (any case), once, and no argument ignored
  bool allNotApplied = false;        // /all given twice, or beside an ignored argument
  std::vector<std::string> ignored;  // unknown options ("-x", "--extra"), in order
  std::vector<std::string> operands;  // the disks named, in order: operand N is HDN
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// ASCII letters compare without regard to case, whatever the C library's locale.
bool EqualsIgnoringCase(const char* a, const char* b);

// The short usage that --help prints.
extern const char kUsage[];

}  // namespace disklens
