// The report's own printf formatting against the C library's snprintf: every
// conversion the program's formats use, a few of its lines whole, and many
// random conversions, through a buffer large enough, one just as large as the
// line's room and one so small that every piece of text crosses a drain; and
// the formats it refuses, at compile time and when read at run time.
#include "text/text_format.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <climits>
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
#include <string_view>
#include <type_traits>
#include <vector>

#include "gtest/gtest-spi.h"
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

template <std::size_t N, typename... Args>
std::string Ours(std::size_t capacity, const text_format::ParsedFormat<N>& format,
                 const Args&... args) {
  std::string text;
  std::vector<char> storage(capacity);
  TextBuffer buffer(storage.data(), capacity, AppendToString, &text);
  text_format::AppendFormatted(buffer, format, args...);
  buffer.Flush();
  return text;
}

template <typename... Args>
std::string Library(const char* format, const Args&... args) {
  const int n = std::snprintf(nullptr, 0, format, args...);
  std::string text(n < 0 ? 0 : static_cast<std::size_t>(n) + 1, '\0');
  if (n >= 0) std::snprintf(text.data(), text.size(), format, args...);
  text.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
  return text;
}

// The room a line of `format` is written in place with: its fixed room and
// the length of its strings.
template <std::size_t N, typename... Args>
std::size_t RoomOf(const text_format::ParsedFormat<N>& format, const Args&... args) {
  return format.fixedRoom + (std::size_t{0} + ... + text_format::TextLength(args));
}

// Formats through snprintf and through ours (the format read at run time)
// with buffers of 64 KiB, of 300 bytes (pieces written in place, with drains
// between them), of exactly the line's room (the fixed-size stores end at the
// end of the storage) and of 7 bytes (every piece split across drains); true
// when all agree.
template <typename... Args>
bool Same(const char* format, Args... args) {
  const auto parsed = text_format::ParseFor<Args...>(format);
  if (parsed.error != text_format::FormatError::kNone) {
    ADD_FAILURE() << "format \"" << format << "\" refused (" << static_cast<int>(parsed.error)
                  << ")";
    return false;
  }
  const std::string want = Library(format, args...);
  bool same = true;
  for (const std::size_t capacity :
       {std::size_t{1} << 16, std::size_t{300}, RoomOf(parsed, args...), std::size_t{7}}) {
    const std::string got = Ours(capacity, parsed, args...);
    EXPECT_EQ(got, want) << "format \"" << format << "\" through a buffer of " << capacity;
    same = same && got == want;
  }
  return same;
}

// True when `format` is refused, read at run time for arguments of Args.
template <typename... Args>
bool Refused(const std::string& format) {
  return text_format::ParseFor<Args...>(format.c_str()).error != text_format::FormatError::kNone;
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
  switch (conversion) {
    case 'd':
    case 'i':
      for (const long long v : kSigned) {
        if (ll)
          Same(f, v);
        else
          Same(f, static_cast<int>(v));
      }
      for (const long long v : {LLONG_MIN, LLONG_MAX, -4294967296LL}) {
        if (ll) Same(f, v);
      }
      break;
    case 'u':
    case 'x':
    case 'X':
      for (const unsigned long long v : kUnsigned) {
        if (ll)
          Same(f, v);
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

// The formats given to Print in `code`, their literals joined and the PRI
// macros between them expanded; `unknown` gets the macros not in `macros`.
std::vector<std::string> PrintFormats(const std::string& code,
                                      const std::map<std::string, std::string>& macros,
                                      std::vector<std::string>& unknown) {
  std::vector<std::string> formats;
  const auto identifier = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  };
  const auto space = [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; };
  for (std::size_t at = code.find("Print("); at != std::string::npos;
       at = code.find("Print(", at + 1)) {
    if (at > 0 && identifier(code[at - 1])) continue;
    std::size_t i = at + 6;
    std::string format;
    bool literal = false;
    for (;;) {
      while (i < code.size() && space(code[i])) ++i;
      if (i < code.size() && code[i] == '"') {
        literal = true;
        for (++i; i < code.size() && code[i] != '"'; ++i) {
          if (code[i] == '\\' && i + 1 < code.size()) format += code[i++];
          format += code[i];
        }
        ++i;
      } else if (literal && code.compare(i, 3, "PRI") == 0) {
        std::size_t end = i;
        while (end < code.size() && identifier(code[end])) ++end;
        const std::string name = code.substr(i, end - i);
        const auto macro = macros.find(name);
        if (macro == macros.end()) {
          unknown.push_back(name);
        } else {
          format += macro->second;
        }
        i = end;
      } else {
        break;
      }
    }
    // The declaration, and calls that pass a named format, are the compiler's
    // to check alone.
    if (literal) formats.push_back(format);
  }
  return formats;
}

TEST(TextFormatTest, EveryConversionOfTheProgramsSources) {
  const std::filesystem::path src = std::filesystem::path(DISKLENS_SOURCE_DIR) / "src";
  if (!std::filesystem::exists(src)) GTEST_SKIP() << "sources not found at " << src.string();
  const std::map<std::string, std::string> macros = {
      {"PRIu8", PRIu8},   {"PRIu16", PRIu16}, {"PRIu32", PRIu32}, {"PRIu64", PRIu64},
      {"PRId32", PRId32}, {"PRId64", PRId64}, {"PRIi32", PRIi32}, {"PRIi64", PRIi64},
      {"PRIx8", PRIx8},   {"PRIx16", PRIx16}, {"PRIx32", PRIx32}, {"PRIx64", PRIx64},
      {"PRIX8", PRIX8},   {"PRIX16", PRIX16}, {"PRIX32", PRIX32}, {"PRIX64", PRIX64}};
  // Every "%" of a format starts a conversion, whatever follows it: one that
  // the formatter does not know fails in CheckConversion rather than being
  // passed over.
  const std::regex conversion(R"(%[-+ #0]*(\*|[0-9]+)?(\.(\*|[0-9]+)?)?(hh|h|ll|l|z|j|t|L|q)?.?)");
  std::set<std::string> directives;
  std::size_t formats = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".cpp" && ext != ".h") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string code((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> unknown;
    for (const std::string& text : PrintFormats(code, macros, unknown)) {
      ++formats;
      for (std::sregex_iterator c(text.begin(), text.end(), conversion), cend; c != cend; ++c) {
        directives.insert(c->str());
      }
    }
    for (const std::string& name : unknown) {
      ADD_FAILURE() << "add " << name << " to the table (" << entry.path().string() << ")";
    }
  }
  // The program prints some seventy formats through some twenty different conversions.
  EXPECT_GE(formats, 50u);
  EXPECT_GE(directives.size(), 20u);
  for (const std::string& directive : directives) {
    SCOPED_TRACE(directive);
    CheckConversion(directive);
  }
}

TEST(TextFormatTest, TheSourceScanFailsOnConversionsItDoesNotKnow) {
  // What the scan above would meet in a format the formatter does not take:
  // each fails there rather than being passed over.
  for (const char* directive : {"%o", "%n", "%lu", "%zu", "%hhx", "%.4s", "%*d", "%+d", "%#x",
                                "%%", "%f", "%p", "%"}) {
    ::testing::TestPartResultArray failures;
    {
      const ::testing::ScopedFakeTestPartResultReporter intercept(
          ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
      CheckConversion(directive);
    }
    EXPECT_GE(failures.size(), 1) << directive;
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
  Same("no conversion at all");
  // "%%" is no format of the program's: refused (see below).
  EXPECT_TRUE(Refused<>("no conversion at all, 100%% literal"));
}

// A string literal as a template argument, for the checks below.
template <std::size_t M>
struct Literal {
  char text[M];
  consteval Literal(const char (&s)[M]) {  // NOLINT: implicit, from a literal
    for (std::size_t i = 0; i < M; ++i) text[i] = s[i];
  }
};

// True when Print would take `F` with arguments of Args: a format it refuses
// is no constant expression, so that the requirement fails.
template <Literal F, typename... Args>
concept Printable =
    requires { typename std::integral_constant<int, (PrintFormat<Args...>(F.text), 0)>; };

static_assert(Printable<"%u %llu %s %c %-30s %08X %2x %i %d", unsigned, unsigned long long,
                        const char*, int, const char*, unsigned, unsigned, int, int>);
static_assert(Printable<"no conversion at all">);
static_assert(Printable<"%u %X %c %d", std::uint8_t, std::uint16_t, char, short>);
static_assert(Printable<"%llu", std::uint64_t> ==
              std::is_same_v<std::uint64_t, unsigned long long>);

// Floating point, pointers and "*" went to the C library once; they are refused now.
TEST(TextFormatTest, ConversionsLeftToTheLibrary) {
  static_assert(!Printable<"%f|%10.3f|%-12e|%g|%+.2E", double, double, double, double, double>);
  static_assert(!Printable<"%f", double>);
  static_assert(!Printable<"%10.3f", double>);
  static_assert(!Printable<"%-12e", double>);
  static_assert(!Printable<"%g", double>);
  static_assert(!Printable<"%+.2E", double>);
  static_assert(!Printable<"%Lf", long double>);
  static_assert(!Printable<"%p|%20p", void*, void*>);
  static_assert(!Printable<"%*.*s|%-*d|%.*d", int, int, const char*, int, int, int, int>);
  static_assert(!Printable<"%-*d", int, int>);
  static_assert(!Printable<"%.*d", int, int>);
  EXPECT_TRUE(Refused<double>("%f"));
  EXPECT_TRUE(Refused<long double>("%Lf"));
  EXPECT_TRUE(Refused<void*>("%p"));
  EXPECT_TRUE((Refused<int, int, const char*>("%*.*s")));
}

TEST(TextFormatTest, WhatTheProgramDoesNotUseIsRefusedAtCompileTime) {
  static_assert(!Printable<"%n", int*>);
  static_assert(!Printable<"%o", unsigned>);
  static_assert(!Printable<"%#x", unsigned>);
  static_assert(!Printable<"%+d", int>);
  static_assert(!Printable<"% d", int>);
  static_assert(!Printable<"%.4s", const char*>);
  static_assert(!Printable<"%.3d", int>);
  static_assert(!Printable<"%ls", const wchar_t*>);
  static_assert(!Printable<"%lc", unsigned>);
  static_assert(!Printable<"100%% literal">);
  static_assert(!Printable<"%q", int>);
  static_assert(!Printable<"%", int>);
  static_assert(!Printable<"%llc", long long>);
  static_assert(!Printable<"%05s", const char*>);
  // Sizes as strict as the compiler's own format checks: "%lu" is no format
  // of ours (long is 32 bits on Windows), "%llu" takes only the long long
  // types, "%u" nothing wider than an int.
  static_assert(!Printable<"%lu", unsigned long>);
  static_assert(!Printable<"%ld", long>);
  static_assert(!Printable<"%zu", std::size_t>);
  static_assert(!Printable<"%hhu", unsigned char>);
  static_assert(!Printable<"%hu", unsigned short>);
  static_assert(!Printable<"%llu", unsigned long>);
  static_assert(!Printable<"%llu", unsigned>);
  static_assert(!Printable<"%u", unsigned long long>);
  static_assert(!Printable<"%u", unsigned long>);
  static_assert(!Printable<"%u", bool>);
  static_assert(!Printable<"%u", double>);
  static_assert(!Printable<"%s", int>);
  static_assert(!Printable<"%d", const char*>);
  static_assert(!Printable<"%s", std::string>);
  static_assert(!Printable<"%s", std::nullptr_t>);
  // The argument count.
  static_assert(!Printable<"%u %u", unsigned>);
  static_assert(!Printable<"%u", unsigned, unsigned>);
  static_assert(!Printable<"none", unsigned>);
  // Widths up to the fixed-size stores' bound.
  static_assert(Printable<"%64u", unsigned>);
  static_assert(!Printable<"%65u", unsigned>);
  static_assert(!Printable<"%200s", const char*>);
  SUCCEED();
}

TEST(TextFormatTest, RefusedFormatsReadAtRunTime) {
  using text_format::FormatError;
  const auto error = [](const char* format, auto... args) {
    return text_format::ParseFor<decltype(args)...>(format).error;
  };
  EXPECT_EQ(error("%f", 1.0), FormatError::kUnknownConversion);
  EXPECT_EQ(error("%n", nullptr), FormatError::kUnknownConversion);
  EXPECT_EQ(error("%o", 1u), FormatError::kUnknownConversion);
  EXPECT_EQ(error("100%%"), FormatError::kUnknownConversion);
  EXPECT_EQ(error("%+d", 1), FormatError::kUnknownFlag);
  EXPECT_EQ(error("%#x", 1u), FormatError::kUnknownFlag);
  EXPECT_EQ(error("%0s", "a"), FormatError::kUnknownFlag);
  EXPECT_EQ(error("%*d", 1, 2), FormatError::kWidthTooLarge);
  EXPECT_EQ(error("%65d", 1), FormatError::kWidthTooLarge);
  EXPECT_EQ(error("%.4s", "abcd"), FormatError::kPrecision);
  EXPECT_EQ(error("%lu", 1ul), FormatError::kUnknownLength);
  EXPECT_EQ(error("%zu", std::size_t{1}), FormatError::kUnknownLength);
  EXPECT_EQ(error("%lls", "a"), FormatError::kUnknownLength);
  EXPECT_EQ(error("%u %u", 1u), FormatError::kTooFewArguments);
  EXPECT_EQ(error("%u", 1u, 2u), FormatError::kTooManyArguments);
  EXPECT_EQ(error("%llu", 1u), FormatError::kArgumentType);
  EXPECT_EQ(error("%s", 1), FormatError::kArgumentType);
  EXPECT_EQ(error("%u %llu %-16s", 1u, 2ull, "x"), FormatError::kNone);
  const std::string huge(70000, 'x');
  EXPECT_EQ(error(huge.c_str()), FormatError::kTooLong);
}

// Random flags, widths, precisions and lengths; only what C defines for each
// conversion ("#" with o x X, "+" and " " with d i, no precision with c, no
// "0" with c s). A directive with what the formatter does not take (a flag
// other than "-" and "0", a precision, a width above kMaxWidth, octal, a
// length other than "ll") must be refused; every other one must print as
// snprintf prints it.
TEST(TextFormatTest, RandomConversions) {
  std::mt19937_64 random(20260105);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  int checked = 0;
  int printed = 0;
  int failed = 0;
  for (int round = 0; round < 20000 && failed < 10; ++round) {
    const char conversion = "diuxXocs"[pick(8)];
    const bool integer = conversion != 'c' && conversion != 's';
    const bool isSigned = conversion == 'd' || conversion == 'i';
    bool taken = conversion != 'o';
    std::string directive = "%";
    if (pick(3) == 0) directive += '-';
    if (integer && pick(3) == 0) directive += '0';
    if (isSigned && pick(4) == 0) {
      directive += '+';
      taken = false;
    }
    if (isSigned && pick(4) == 0) {
      directive += ' ';
      taken = false;
    }
    std::string precision;
    if (conversion != 'c' && pick(3) == 0) {
      precision = ".";
      if (pick(5) != 0) precision += std::to_string(pick(24));
      taken = false;
    }
#if defined(_WIN32)
    // MinGW's printf writes nothing for "%#.0o" of 0, where C asks for "0".
    const bool octalAlternate = precision.empty();
#else
    const bool octalAlternate = true;
#endif
    if (((conversion == 'o' && octalAlternate) || conversion == 'x' || conversion == 'X') &&
        pick(4) == 0) {
      directive += '#';
      taken = false;
    }
    if (pick(3) != 0) {
      const std::size_t width = pick(pick(8) == 0 ? 200 : 24);
      if (width > text_format::kMaxWidth) taken = false;
      // A width of 0 reads as the "0" flag, which s and c do not take.
      if (width == 0 && !integer) taken = false;
      directive += std::to_string(width);
    }
    directive += precision;
    const char* const lengths[] = {"", "", "hh", "h", "l", "ll", "z"};
    std::string length;
    if (integer) {
      length = lengths[pick(7)];
      if (!length.empty() && length != "ll") taken = false;
      directive += length;
    }
    directive += conversion;
    const std::string format =
        std::string(pick(2) == 0 ? "" : "x") + directive + (pick(2) == 0 ? "" : "|");
    const char* f = format.c_str();
    const bool ll = length == "ll";
    const unsigned long long bits =
        pick(3) == 0 ? kUnsigned[pick(std::size(kUnsigned))] : random() >> pick(64);
    bool ok = true;
    if (!taken) {
      // Given the argument type its length asks for, as printf would be.
      const bool refused = !integer        ? Refused<const char*>(format) && Refused<int>(format)
                           : ll            ? Refused<long long>(format)
                           : length == "l" ? Refused<long>(format)
                           : length == "z" ? Refused<std::size_t>(format)
                                           : Refused<int>(format);
      EXPECT_TRUE(refused) << "format \"" << format << "\" taken";
      ok = refused;
    } else {
      ++printed;
      if (isSigned) {
        const auto v = static_cast<long long>(
            pick(3) == 0 ? static_cast<unsigned long long>(kSigned[pick(std::size(kSigned))])
                         : bits);
        ok = ll ? Same(f, v) : Same(f, static_cast<int>(v));
      } else if (integer) {
        ok = ll ? Same(f, bits) : Same(f, static_cast<unsigned>(bits));
      } else if (conversion == 's') {
        ok = Same(f, kStrings[pick(std::size(kStrings))]);
      } else {
        ok = Same(f, static_cast<int>(32 + pick(95)));
      }
    }
    ++checked;
    if (!ok) ++failed;
  }
  EXPECT_EQ(failed, 0) << "of " << checked;
  // Enough of both kinds.
  EXPECT_GE(printed, 5000);
  EXPECT_GE(checked - printed, 5000);
}

// A string view prints as the C string of its characters would, and not a
// byte beyond them: the labels of the boot-sector fields are views.
TEST(TextFormatTest, StringViewsPrintTheirCharactersAlone) {
  static_assert(Printable<"%s %-16s %30s", std::string_view, std::string_view, std::string_view>);
  const char text[] = "FAT32   and more";
  const std::string_view view(text, 8);  // no NUL at its end
  const std::string longText(300, 'v');
  for (const char* format : {"%s|", "%-16s|", "%30s|", "%3s|", "x%-2s"}) {
    for (const std::size_t capacity : {std::size_t{1} << 16, std::size_t{300}, std::size_t{7}}) {
      SCOPED_TRACE(std::string(format) + " through " + std::to_string(capacity));
      EXPECT_EQ(Ours(capacity, text_format::ParseFor<std::string_view>(format), view),
                Library(format, "FAT32   "));
      EXPECT_EQ(Ours(capacity, text_format::ParseFor<std::string_view>(format),
                     std::string_view(longText)),
                Library(format, longText.c_str()));
      EXPECT_EQ(Ours(capacity, text_format::ParseFor<std::string_view>(format), std::string_view()),
                Library(format, ""));
    }
  }
}

TEST(TextFormatTest, PrecisionNeverReadsPastTheCut) {
  // Four bytes and no NUL: "%.4s" would have to stop there, as snprintf does.
  // A precision is refused instead, so that no format reads a text but up to
  // its NUL.
  static_assert(!Printable<"[%.4s]", const char*>);
  static_assert(!Printable<"[%-8.3s]", const char*>);
  EXPECT_TRUE(Refused<const char*>("[%.4s]"));
  EXPECT_TRUE(Refused<const char*>("[%-8.3s]"));
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
