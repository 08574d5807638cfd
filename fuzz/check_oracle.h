// What a --check pass must keep, compared with the plain pass of the same
// disk: the report before the CHECKS section byte for byte (the JSON object
// with "findings" and "gpt_backup" taken out), one well-formed finding a line,
// and a worst severity that is that of the findings listed. Each broken rule
// is one line of the returned list; empty when all hold.
#pragma once

#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "check/finding.h"
#include "text/output.h"

namespace disklens::fuzz {

// An id as the manual page lists them: lower-case words, digits, '.' and '-'.
inline bool WellFormedId(std::string_view id) {
  if (id.empty() || id.front() == '.' || id.back() == '.') return false;
  for (const char c : id) {
    const bool lower = c >= 'a' && c <= 'z';
    if (!lower && !(c >= '0' && c <= '9') && c != '.' && c != '-') return false;
  }
  return id.find('.') != std::string_view::npos;
}

inline std::optional<Severity> SeverityOf(std::string_view name) {
  if (name == "note") return Severity::kNote;
  if (name == "warning") return Severity::kWarning;
  if (name == "error") return Severity::kError;
  return std::nullopt;
}

inline void KeepWorst(std::optional<Severity>& worst, Severity s) {
  if (!worst || s > *worst) worst = s;
}

// One line of the CHECKS section: "SEVERITY ID[ LBA n[ byte b]]: MESSAGE...",
// the severity padded to 7; its severity, or none when the line is not one.
inline std::optional<Severity> FindingLineSeverity(std::string_view line) {
  if (line.size() < 9) return std::nullopt;
  std::string_view word = line.substr(0, 7);
  while (!word.empty() && word.back() == ' ') word.remove_suffix(1);
  const std::optional<Severity> s = SeverityOf(word);
  if (!s || line[7] != ' ') return std::nullopt;
  const std::size_t colon = line.find(": ", 8);
  if (colon == std::string_view::npos || colon + 2 >= line.size()) return std::nullopt;
  const std::string_view head = line.substr(8, colon - 8);
  const std::string_view id = head.substr(0, head.find(' '));
  if (!WellFormedId(id)) return std::nullopt;
  return s;
}

// The text of a --check pass against that of the plain pass.
inline std::vector<std::string> CheckedTextViolations(const std::string& plain,
                                                      const std::string& checked,
                                                      std::optional<Severity> worst) {
  std::vector<std::string> v;
  if (checked.compare(0, plain.size(), plain) != 0) {
    v.push_back("--check changed the report before its CHECKS section");
    return v;
  }
  std::string_view rest(checked);
  rest.remove_prefix(plain.size());
  if (plain.empty()) return v;  // the disk did not open: no section either
  // A blank line, the rule, the title (check_text.cpp).
  const std::string head =
      std::string("\n") + kDoubleRule + "\n                                CHECKS (HD0)";
  if (rest.substr(0, head.size()) != head) {
    v.push_back("the CHECKS section does not start with its rule and title");
    return v;
  }
  rest.remove_prefix(head.size());
  if (rest.substr(0, sizeof kSingleRule - 1) != kSingleRule) {
    v.push_back("no rule under the CHECKS title");
    return v;
  }
  rest.remove_prefix(sizeof kSingleRule - 1);
  // The findings run up to the next rule (the backup GPT's or the closing one).
  std::optional<Severity> listed;
  std::size_t lines = 0;
  bool none = false;
  while (!rest.empty() && rest.front() == '\n' && rest.substr(1, 4) != "====" &&
         rest.substr(1, 4) != "----") {
    rest.remove_prefix(1);
    const std::string_view line = rest.substr(0, rest.find('\n'));
    rest.remove_prefix(line.size());
    ++lines;
    if (line == "no problems found") {
      none = true;
      continue;
    }
    const std::optional<Severity> s = FindingLineSeverity(line);
    if (!s) {
      v.push_back("a CHECKS line that is no finding: " + std::string(line.substr(0, 120)));
      continue;
    }
    KeepWorst(listed, *s);
  }
  if (lines == 0) v.push_back("a CHECKS section with no line");
  if (none && lines != 1) v.push_back("\"no problems found\" beside findings");
  if (listed != worst) v.push_back("the worst severity returned is not that of the lines");
  return v;
}

// The JSON object of a --check pass against that of the plain pass.
inline std::vector<std::string> CheckedJsonViolations(const std::string& plain,
                                                      const std::string& checked,
                                                      std::optional<Severity> worst) {
  std::vector<std::string> v;
  if (plain.empty() && checked.empty()) return v;
  nlohmann::json a = nlohmann::json::parse(plain, nullptr, false);
  nlohmann::json b = nlohmann::json::parse(checked, nullptr, false);
  if (a.is_discarded() || b.is_discarded() || !b.is_object()) {
    v.push_back("a --check object that does not parse");
    return v;
  }
  if (!b.contains("findings") || !b["findings"].is_array() || !b.contains("gpt_backup")) {
    v.push_back("a --check object without \"findings\" and \"gpt_backup\"");
    return v;
  }
  std::optional<Severity> listed;
  for (const nlohmann::json& f : b["findings"]) {
    const bool shaped = f.is_object() && f.contains("id") && f["id"].is_string() &&
                        f.contains("severity") && f["severity"].is_string() &&
                        f.contains("message") && f["message"].is_string() && f.contains("lba");
    const std::optional<Severity> s =
        shaped ? SeverityOf(f["severity"].get<std::string>()) : std::nullopt;
    if (!s || !WellFormedId(f["id"].get<std::string>()) ||
        f["message"].get<std::string>().empty()) {
      v.push_back("a finding of the wrong shape: " + f.dump().substr(0, 160));
      continue;
    }
    KeepWorst(listed, *s);
  }
  if (listed != worst) v.push_back("the worst severity returned is not that of the findings");
  b.erase("findings");
  b.erase("gpt_backup");
  if (a != b) v.push_back("--check changed the JSON object beside its findings");
  return v;
}

}  // namespace disklens::fuzz
