#include "platform/split_image_names.h"

#include <cstdint>
#include <optional>

namespace disklens {

namespace {

// Longer numbers or words are not segment places that any tool writes; the
// bounds keep the count of a place inside 64 bits.
constexpr std::size_t kMaxDigits = 9;
constexpr std::size_t kMaxLetters = 6;

#if defined(_WIN32)
constexpr char kSeparators[] = "/\\";
#else
constexpr char kSeparators[] = "/";
#endif

struct SegmentName {
  std::string prefix;  // the path up to and including the dot
  std::size_t width = 0;
  bool numeric = false;
  std::uint64_t place = 0;  // 0 for ".000" and ".aa"
};

std::optional<SegmentName> ParseSegmentName(const std::string& path) {
  const std::size_t slash = path.find_last_of(kSeparators);
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.rfind('.');
  // A dot inside the file name, with a stem before it ("x.001", not ".001").
  if (dot == std::string::npos || dot <= nameStart) return std::nullopt;
  const std::string id = path.substr(dot + 1);
  if (id.size() < 2) return std::nullopt;
  SegmentName name;
  name.prefix = path.substr(0, dot + 1);
  name.width = id.size();
  bool digits = id.size() <= kMaxDigits;
  bool letters = id.size() <= kMaxLetters;
  for (const char c : id) {
    digits = digits && c >= '0' && c <= '9';
    letters = letters && c >= 'a' && c <= 'z';
  }
  if (!digits && !letters) return std::nullopt;
  name.numeric = digits;
  for (const char c : id) {
    name.place = digits ? name.place * 10 + static_cast<std::uint64_t>(c - '0')
                        : name.place * 26 + static_cast<std::uint64_t>(c - 'a');
  }
  return name;
}

// How many places a name of this width has.
std::uint64_t Places(const SegmentName& name) {
  std::uint64_t n = 1;
  for (std::size_t i = 0; i < name.width; ++i) n *= name.numeric ? 10 : 26;
  return n;
}

std::string NameAt(const SegmentName& name, std::uint64_t place) {
  std::string id(name.width, name.numeric ? '0' : 'a');
  const std::uint64_t base = name.numeric ? 10 : 26;
  for (std::size_t i = name.width; i-- > 0 && place != 0; place /= base) {
    id[i] = static_cast<char>(id[i] + static_cast<char>(place % base));
  }
  return name.prefix + id;
}

}  // namespace

SplitSet FindSplitSet(const std::string& path, const NameExists& exists) {
  const std::optional<SegmentName> name = ParseSegmentName(path);
  if (!name) return {};
  // A set starts at place 0 when that exists; numbers may start at 1.
  std::uint64_t first = 0;
  if (name->place != 0 && !exists(NameAt(*name, 0))) {
    if (!name->numeric) return {};
    if (name->place != 1 && !exists(NameAt(*name, 1))) return {};
    first = 1;
  }
  SplitSet set;
  if (first == name->place) {
    set.segments.push_back(path);
    const std::uint64_t places = Places(*name);
    for (std::uint64_t p = first + 1; p < places; ++p) {
      std::string next = NameAt(*name, p);
      if (!exists(next)) break;
      set.segments.push_back(std::move(next));
    }
    if (set.segments.size() < 2) return {};
    set.role = SplitRole::kFirst;
    return set;
  }
  for (std::uint64_t p = first; p < name->place; ++p) {
    std::string before = NameAt(*name, p);
    if (!exists(before)) return {};
    set.segments.push_back(std::move(before));
  }
  set.segments.push_back(path);
  set.role = SplitRole::kLater;
  return set;
}

}  // namespace disklens
