// Runs the built disklens program the way a user does, with DISKLENS_DISKS set.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace disklens::test {

struct ProgramRun {
  int exitCode = -1;
  std::string out;       // standard output, the run date masked as "Run date: <date>"
  std::string runDate;   // the run-date line as printed
  std::string err;       // standard error
};

inline std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (const char c : s) {
    if (c == '\'') {
      q.append("'\\''");
    } else {
      q.push_back(c);
    }
  }
  q.push_back('\'');
  return q;
}

// `disks` is the value of DISKLENS_DISKS (set even when empty; none unsets it). `shellPrefix`
// and `stdoutTail` wrap the command in the shell: "trap '' PIPE;" before it,
// ">/dev/full" or "| head -c 1" after it (the captured stdout is then what
// follows the tail).
inline ProgramRun RunDisklens(const std::optional<std::string>& disks,
                              const std::vector<std::string>& args = {},
                              const std::string& program = DISKLENS_BINARY,
                              const std::string& shellPrefix = "",
                              const std::string& stdoutTail = "") {
  char errPath[] = "/tmp/disklens-err-XXXXXX";
  const int errFd = mkstemp(errPath);
  if (errFd >= 0) close(errFd);
  std::string command = shellPrefix;
  if (disks) {
    command.append(" DISKLENS_DISKS=").append(ShellQuote(*disks));
  } else {
    command.append(" env -u DISKLENS_DISKS");
  }
  command.append(" ").append(ShellQuote(program));
  for (const std::string& a : args) command.append(" ").append(ShellQuote(a));
  command.append(" </dev/null 2>");
  command.append(errPath);
  if (!stdoutTail.empty()) {
    // The program's own exit code, not that of the tail.
    command = "{ " + command + "; echo $? >" + errPath + ".rc; } " + stdoutTail;
  }
  ProgramRun run;
  if (FILE* p = popen(command.c_str(), "r")) {
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, p)) > 0) run.out.append(chunk, n);
    const int status = pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  if (!stdoutTail.empty()) {
    const std::string rcPath = std::string(errPath) + ".rc";
    run.exitCode = -1;
    if (FILE* r = std::fopen(rcPath.c_str(), "r")) {
      if (std::fscanf(r, "%d", &run.exitCode) != 1) run.exitCode = -1;
      std::fclose(r);
    }
    std::remove(rcPath.c_str());
  }
  if (FILE* e = std::fopen(errPath, "r")) {
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, e)) > 0) run.err.append(chunk, n);
    std::fclose(e);
  }
  std::remove(errPath);
  static const std::regex date("Run date: [^\n]*\n");
  std::smatch m;
  if (std::regex_search(run.out, m, date)) run.runDate = m.str();
  run.out = std::regex_replace(run.out, date, "Run date: <date>\n",
                               std::regex_constants::format_first_only);
  return run;
}

// Standard error without the line of --verbose that says what is confined,
// which depends on the kernel (its own tests are in posix_confined_program_test).
inline std::string WithoutConfinementLine(const std::string& err) {
  static const std::regex line("disklens: confinement: [^\n]*\n");
  return std::regex_replace(err, line, "");
}

}  // namespace disklens::test
