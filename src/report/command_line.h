// The program's arguments: the options, and /all as the one argument left after them.
#pragma once

#include <string>
#include <vector>

namespace disklens {

struct CommandLine {
  bool help = false;     // --help, -h, /?
  bool version = false;  // --version
  bool verbose = false;  // --verbose, -v
  bool json = false;     // --json
  bool all = false;      // /all (any case), the only argument once the options are out
  bool allNotApplied = false;        // /all given beside an ignored argument
  std::vector<std::string> ignored;  // every other argument, in order
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// ASCII letters compare without regard to case, whatever the C library's locale.
bool EqualsIgnoringCase(const char* a, const char* b);

// The short usage that --help prints.
extern const char kUsage[];

}  // namespace disklens
