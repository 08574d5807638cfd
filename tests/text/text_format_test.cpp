// The report's own printf formatting against the C library's snprintf: every
// conversion the program's sources use, a few of its lines whole, and many
// random conversions, through a buffer large enough and through one so small
// that every piece of text crosses a drain.
#include "text/text_format.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/capture.h"
#include "text/output.h"

// The formats below are built at run time on purpose.
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"

namespace disklens {
namespace {

void AppendToString(void* context, const char* data, std::size_t size) {
  static_cast<std::string*>(context)->append(data, size);
}

std::string OursV(std::size_t capacity, const char* format, std::va_list args) {
  std::string text;
  std::vector<char> storage(capacity);
  TextBuffer buffer(storage.data(), capacity, AppendToString, &text);
  AppendFormatted(buffer, format, args);
  buffer.Flush();
  return text;
}

std::string LibraryV(const char* format, std::va_list args) {
  std::va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  std::string text(n < 0 ? 0 : static_cast<std::size_t>(n) + 1, '\0');
  if (n >= 0) std::vsnprintf(text.data(), text.size(), format, again);
  va_end(again);
  text.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
  return text;
}

// Formats through snprintf and through ours with buffers of 64 KiB, of 300
// bytes (pieces written in place, with drains between them) and of 7 bytes
// (every piece split across drains); true when all agree.
bool Same(const char* format, ...) __attribute__((format(DISKLENS_PRINTF_FORMAT, 1, 2)));
bool Same(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  const std::string want = LibraryV(format, again);
  va_end(again);
  bool same = true;
  for (const std::size_t capacity : {std::size_t{1} << 16, std::size_t{300}, std::size_t{7}}) {
    va_copy(again, args);
    const std::string got = OursV(capacity, format, again);
    va_end(again);
    EXPECT_EQ(got, want) << "format \"" << format << "\" through a buffer of " << capacity;
    same = same && got == want;
  }
  va_end(args);
  return same;
}

const std::string kLong(300, 'L');
const char* const kStrings[] = {"", "a", "FAT32   ", "EFI System Partition", kLong.c_str()};
const long long kSigned[] = {0, 1, -1, 9, 10, -10, 255, 65535, INT_MAX, INT_MIN, 99999, -123456789};
const unsigned long long kUnsigned[] = {0,
                                        1,
                                        9,
                                        10,
                                        15,
                                        16,
                                        0xFF,
                                        0xABCD,
                                        1000000,
                                        UINT32_MAX,
                                        0x100000000ULL,
                                        18446744073709551615ULL,
                                        0x8000000000000000ULL};

// One conversion of `directive` (from "%" to the conversion letter) given every
// value of its type; the letters and length decide the type.
void CheckConversion(const std::string& directive) {
  const std::string format = "<" + directive + ">";
  const char* f = format.c_str();
  const char conversion = directive.back();
  const bool ll = directive.find("ll") != std::string::npos;
  const bool l = !ll && directive.find('l') != std::string::npos;
  const bool hh = directive.find("hh") != std::string::npos;
  const bool h = !hh && directive.find('h') != std::string::npos;
  const bool z = directive.find('z') != std::string::npos;
  switch (conversion) {
    case 'd':
    case 'i':
      for (const long long v : kSigned) {
        if (ll)
          Same(f, v);
        else if (l)
          Same(f, static_cast<long>(v));
        else if (z)
          Same(f, static_cast<std::ptrdiff_t>(v));
        else
          Same(f, static_cast<int>(v));
      }
      for (const long long v : {LLONG_MIN, LLONG_MAX, -4294967296LL}) {
        if (ll)
          Same(f, v);
        else if (l)
          Same(f, static_cast<long>(v % LONG_MAX));
      }
      if (h || hh) {
        Same(f, 70000);
        Same(f, -300);
        Same(f, 200);
      }
      break;
    case 'u':
    case 'x':
    case 'X':
    case 'o':
      for (const unsigned long long v : kUnsigned) {
        if (ll)
          Same(f, v);
        else if (l)
          Same(f, static_cast<unsigned long>(v));
        else if (z)
          Same(f, static_cast<std::size_t>(v));
        else
          Same(f, static_cast<unsigned>(v));
      }
      break;
    case 's':
      for (const char* s : kStrings) Same(f, s);
      break;
    case 'c':
      for (const int c : {int{'A'}, int{' '}, int{'~'}, 0xE9, 0x141}) Same(f, c);
      break;
    default: ADD_FAILURE() << "no values for " << directive;
  }
}

TEST(TextFormatTest, EveryConversionOfTheProgramsSources) {
  const std::filesystem::path src = std::filesystem::path(DISKLENS_SOURCE_DIR) / "src";
  if (!std::filesystem::exists(src)) GTEST_SKIP() << "sources not found at " << src.string();
  const std::map<std::string, std::string> macros = {
      {"PRIu8", PRIu8},   {"PRIu16", PRIu16}, {"PRIu32", PRIu32}, {"PRIu64", PRIu64},
      {"PRId32", PRId32}, {"PRId64", PRId64}, {"PRIi32", PRIi32}, {"PRIi64", PRIi64},
      {"PRIx8", PRIx8},   {"PRIx16", PRIx16}, {"PRIx32", PRIx32}, {"PRIx64", PRIx64},
      {"PRIX8", PRIX8},   {"PRIX16", PRIX16}, {"PRIX32", PRIX32}, {"PRIX64", PRIX64}};
  // A string literal, and the PRI macro that may follow it.
  const std::regex literal(R"re("((?:[^"\\\n]|\\.)*)"(\s*(PRI[A-Za-z0-9]+))?)re");
  const std::regex conversion(R"(%[-+ #0]*[0-9]*(\.[0-9]*)?(hh|h|ll|l|z|j|t)?[diouxXcs])");
  const std::regex open(R"(%[-+ #0]*[0-9]*(\.[0-9]*)?$)");
  std::set<std::string> directives;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".cpp" && ext != ".h") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string code((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::sregex_iterator it(code.begin(), code.end(), literal), end; it != end; ++it) {
      std::string text = (*it)[1].str();
      // Only literals that are formats: "%%" aside, a "%" starts a conversion.
      for (std::sregex_iterator c(text.begin(), text.end(), conversion), cend; c != cend; ++c) {
        directives.insert(c->str());
      }
      std::smatch tail;
      if ((*it)[3].matched && std::regex_search(text, tail, open)) {
        const auto macro = macros.find((*it)[3].str());
        if (macro == macros.end()) {
          ADD_FAILURE() << "add " << (*it)[3].str() << " to the table";
          continue;
        }
        directives.insert(tail.str() + macro->second);
      }
    }
  }
  // The program prints through some thirty different conversions.
  EXPECT_GE(directives.size(), 20u);
  for (const std::string& directive : directives) {
    SCOPED_TRACE(directive);
    CheckConversion(directive);
  }
}

TEST(TextFormatTest, LinesOfTheProgram) {
  Same("Run date: %02i/%02i/%04i %i:%02i\n", 1, 5, 2026, 9, 7);
  Same("\n           MBR Partition Information (HD%i - 0x%08" PRIX32 ")", 128,
       std::uint32_t{0xDEADBEEF});
  Same("| %i: | %2x | %4i %3i %2i | %2x | %4i %3i %2i | %10" PRIu32 " | %10" PRIu32 " |", 1, 0x80,
       1023, 254, 63, 0xEE, 0, 0, 2, std::uint32_t{1}, UINT32_MAX);
  Same("\n %2i: %-16s Flag: %4X Start: %9" PRIu32 " End: %9" PRIu32 " FS: %2X ID: %X", 3,
       "Windows 98 SE", 0x8000u, std::uint32_t{63}, std::uint32_t{4294967295u}, 0xCu, 0u);
  Same("\n Primary LBA: %-16llu   Backup LBA: %-16llu", 1ULL, 18446744073709551615ULL);
  Same("\n Revision: %-6" PRIx32 "  Hdr Size: %-2" PRIu32 "   Max Entries: %-4" PRIu32
       "   PE Size: %-3" PRIu32 "  PE LBA: %llu",
       std::uint32_t{0x10000}, std::uint32_t{92}, std::uint32_t{128}, std::uint32_t{128}, 2ULL);
  Same("%s", kLong.c_str());
  Same("no conversion at all, 100%% literal");
}

TEST(TextFormatTest, ConversionsLeftToTheLibrary) {
  Same("%f|%10.3f|%-12e|%g|%+.2E", 3.25, -1.5, 1e300, 0.0001, 12345.678);
  Same("%Lf", 2.5L);
  int x = 0;
  Same("%p|%20p", static_cast<void*>(&x), static_cast<void*>(nullptr));
  Same("%*.*s|%-*d|%.*d", -8, 3, "abcdef", 6, 42, -1, 7);
}

// Random flags, widths, precisions and lengths; only what C defines for each
// conversion ("#" with o x X, "+" and " " with d i, no precision with c, no
// "0" with c s).
TEST(TextFormatTest, RandomConversions) {
  std::mt19937_64 random(20260105);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  int checked = 0;
  int failed = 0;
  for (int round = 0; round < 20000 && failed < 10; ++round) {
    const char conversion = "diuxXocs"[pick(8)];
    const bool integer = conversion != 'c' && conversion != 's';
    const bool isSigned = conversion == 'd' || conversion == 'i';
    std::string directive = "%";
    if (pick(3) == 0) directive += '-';
    if (integer && pick(3) == 0) directive += '0';
    if (isSigned && pick(4) == 0) directive += '+';
    if (isSigned && pick(4) == 0) directive += ' ';
    std::string precision;
    if (conversion != 'c' && pick(3) == 0) {
      precision = ".";
      if (pick(5) != 0) precision += std::to_string(pick(24));
    }
#if defined(_WIN32)
    // MinGW's printf writes nothing for "%#.0o" of 0, where C asks for "0".
    const bool octalAlternate = precision.empty();
#else
    const bool octalAlternate = true;
#endif
    if (((conversion == 'o' && octalAlternate) || conversion == 'x' || conversion == 'X') &&
        pick(4) == 0)
      directive += '#';
    if (pick(3) != 0) directive += std::to_string(pick(pick(8) == 0 ? 200 : 24));
    directive += precision;
    const char* const lengths[] = {"", "", "hh", "h", "l", "ll", "z"};
    if (integer) directive += lengths[pick(7)];
    directive += conversion;
    const std::string format =
        std::string(pick(2) == 0 ? "" : "x") + directive + (pick(2) == 0 ? "" : "|");
    const char* f = format.c_str();
    const std::string_view length =
        integer ? std::string_view(directive).substr(1) : std::string_view();
    const bool ll = length.find("ll") != std::string_view::npos;
    const bool l = !ll && length.find('l') != std::string_view::npos;
    const bool z = length.find('z') != std::string_view::npos;
    const unsigned long long bits =
        pick(3) == 0 ? kUnsigned[pick(std::size(kUnsigned))] : random() >> pick(64);
    bool ok = true;
    if (isSigned) {
      const auto v = static_cast<long long>(
          pick(3) == 0 ? static_cast<unsigned long long>(kSigned[pick(std::size(kSigned))]) : bits);
      ok = ll  ? Same(f, v)
           : l ? Same(f, static_cast<long>(v))
           : z ? Same(f, static_cast<std::ptrdiff_t>(v))
               : Same(f, static_cast<int>(v));
    } else if (integer) {
      ok = ll  ? Same(f, bits)
           : l ? Same(f, static_cast<unsigned long>(bits))
           : z ? Same(f, static_cast<std::size_t>(bits))
               : Same(f, static_cast<unsigned>(bits));
    } else if (conversion == 's') {
      ok = Same(f, kStrings[pick(std::size(kStrings))]);
    } else {
      ok = Same(f, static_cast<int>(32 + pick(95)));
    }
    ++checked;
    if (!ok) ++failed;
  }
  EXPECT_EQ(failed, 0) << "of " << checked;
}

TEST(TextFormatTest, PrecisionNeverReadsPastTheCut) {
  // Four bytes and no NUL: "%.4s" must stop there, as snprintf does.
  const char field[4] = {'N', 'T', 'F', 'S'};
  Same("[%.4s]", field);
  Same("[%-8.3s]", field);
}

TEST(TextFormatTest, PrintKeepsTextForTheStreamItWasWrittenFor) {
  test::CapturedOutput outer;
  Print("before ");
  {
    test::CapturedOutput inner;
    Print("inside %i", 1);
    EXPECT_EQ(inner.Text(), "inside 1");
  }
  EXPECT_EQ(outer.Text(), "before ");
}

TEST(TextFormatTest, PrintBeyondTheBufferReachesTheStreamInOrder) {
  test::CapturedOutput out;
  std::string want;
  for (int i = 0; i < 20000; ++i) {
    Print("%05i %s\n", i, kStrings[i % 5]);
    char line[400];
    std::snprintf(line, sizeof line, "%05i %s\n", i, kStrings[i % 5]);
    want += line;
  }
  EXPECT_EQ(out.Text(), want);
  SetReportBuffered(false);
  Print("%s", "unbuffered");
  SetReportBuffered(true);
  EXPECT_EQ(out.Text(), want + "unbuffered");
}

}  // namespace
}  // namespace disklens
