#include "gpt/name_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "gpt/name_column.h"
#include "platform/fake_platform.h"

#ifndef _WIN32
#include <clocale>

#include "text/char_width.h"
#endif

namespace disklens {
namespace {

// The name field on the heap with nothing behind it, so that a read past the
// 36 units is caught by the address sanitizer.
std::unique_ptr<std::uint16_t[]> NameField(const std::u16string& name) {
  auto field = std::make_unique<std::uint16_t[]>(kGptNameUnits);
  for (std::size_t i = 0; i < name.size() && i < kGptNameUnits; ++i) field[i] = name[i];
  return field;
}

std::string Text(const std::u16string& name) { return NameToText(NameField(name).get()).data(); }

std::string AsciiColumn(const char* text) {
  char out[64];
  std::snprintf(out, sizeof out, "%-23.23s", text);
  return out;
}

TEST(NameToText, ConvertsUpToTheFirstZeroOrAll36Units) {
  FakePlatform fake;
  const std::u16string full = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";  // 36, no NUL
  EXPECT_EQ(Text(full), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
  EXPECT_EQ(WideLength(NameField(full).get()), 36);
  EXPECT_EQ(WideLength(nullptr), 0);

  const auto twenty = NameToText(NameField(u"Basic data partition").get());
  EXPECT_STREQ(twenty.data(), "Basic data partition");
#ifdef _WIN32
  EXPECT_EQ(twenty.size(), 26u);
#else
  EXPECT_EQ(twenty.size(), 61u);  // room for UTF-8 of 20 units
#endif
  EXPECT_EQ(fake.Calls("WideCharToMultiByte").front().detail, "0");  // CP_ACP

  const auto empty = NameToText(NameField(u"").get());
  EXPECT_EQ(empty.size(), 1u);
  EXPECT_STREQ(empty.data(), "");
}

#ifndef _WIN32
TEST(NameToText, GivesUtf8ForNamesBeyondAscii) {
  FakePlatform fake;
  EXPECT_EQ(Text(u"Δεδομένα"), "Δεδομένα");
  // 36 units of three UTF-8 bytes each fill the buffer to the last byte.
  const std::u16string cjk(36, u'名');
  std::string expected;
  for (int i = 0; i < 36; ++i) expected += "名";
  EXPECT_EQ(Text(cjk), expected);
  EXPECT_EQ(Text(u"a\U0001F600b"), "a\U0001F600b");  // a surrogate pair
}
#endif

TEST(NameToText, FallsBackToLowBytesWhenTheConversionFails) {
  FakePlatform fake;
  // An unpaired high surrogate; its low byte is 0x41.
  EXPECT_EQ(Text(std::u16string(u"AB") + char16_t(0xD841) + u"C"), "ABAC");
  fake.failOnCall["WideCharToMultiByte"] = {2};  // the next call
  EXPECT_EQ(Text(u"Ωmega"), "\xA9mega");
}

TEST(WideToNarrow, NeverWritesPastTheBuffer) {
  FakePlatform fake;
  const std::uint16_t src[] = {'a', 'b', 'c', 'd'};
  char out[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(WideToNarrow(out, 0, src, 4), out);
  EXPECT_EQ(out[0], '#');
  WideToNarrow(out, 1, src, 4);
  EXPECT_STREQ(out, "");
  WideToNarrow(out, 3, src, 4);  // too small for the conversion: low bytes, cut
  EXPECT_STREQ(out, "ab");
}

TEST(FitNameColumn, AsciiIsCutAndPaddedAsPrintfWould) {
  for (const char* name : {"", "EFI", "Basic data partition", "Linux filesystem data files",
                           "exactly twenty-three ch"}) {
    EXPECT_EQ(FitNameColumn(name), AsciiColumn(name)) << name;
  }
}

TEST(FitNameColumn, MasksControlCharacters) {
  EXPECT_EQ(FitNameColumn("a\x1b[2Jb\x7f"), AsciiColumn("a?[2Jb?"));
#ifndef _WIN32
  EXPECT_EQ(FitNameColumn("x\xc2\x9b"
                          "1m"),
            AsciiColumn("x?1m"));  // U+009B, the 8-bit CSI
  EXPECT_EQ(FitNameColumn("\xff\xc3(ok"), AsciiColumn("?"
                                                      "?(ok"));  // not UTF-8
#endif
}

#ifndef _WIN32
TEST(FitNameColumn, CountsCharactersNotBytes) {
  FakePlatform fake;
  // 30 Greek letters: cut at 23 characters (46 bytes), never inside one.
  const std::string greek = Text(u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩαβγδεζ");
  EXPECT_EQ(FitNameColumn(greek.c_str()), "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨ");
  EXPECT_EQ(FitNameColumn("Δεδομένα"), "Δεδομένα" + std::string(15, ' '));
  // Wide characters take two columns each.
  EXPECT_EQ(FitNameColumn("日本語"), "日本語" + std::string(17, ' '));
  EXPECT_EQ(FitNameColumn("a\U0001F600"), "a\U0001F600" + std::string(20, ' '));
}

// The columns below are counted by hand from Unicode's East Asian Width
// (W and F: two columns) and its combining marks (none).
TEST(FitNameColumn, WideFullwidthAndCombiningByDisplayColumns) {
  EXPECT_EQ(FitNameColumn("数据分区"), "数据分区" + std::string(15, ' '));
  EXPECT_EQ(FitNameColumn("ＡＢＣ"), "ＡＢＣ" + std::string(17, ' '));
  EXPECT_EQ(FitNameColumn("e\u0301"), "e\u0301" + std::string(22, ' '));
  EXPECT_EQ(FitNameColumn("Cafe\u0301 データ"), "Cafe\u0301 データ" + std::string(12, ' '));
  // Hangul syllables and the CJK compatibility block are wide too.
  EXPECT_EQ(FitNameColumn("한국어"), "한국어" + std::string(17, ' '));
}

TEST(FitNameColumn, ACutNeverSplitsACharacter) {
  const std::string a22(22, 'a');
  // A wide character that would need columns 23 and 24: a space instead.
  EXPECT_EQ(FitNameColumn((a22 + "数据").c_str()), a22 + " ");
  EXPECT_EQ(FitNameColumn((a22 + "ＡＢ").c_str()), a22 + " ");
  // Twelve wide characters: eleven fit, the twelfth gives its place to a space.
  EXPECT_EQ(FitNameColumn("数据分区数据分区数据分区"), "数据分区数据分区数据分" + std::string(" "));
  // Eleven wide and one narrow fill the 23 columns exactly.
  EXPECT_EQ(FitNameColumn("数据分区数据分区数据分x数"), "数据分区数据分区数据分x");
  // A combining mark stays with its base in the last column.
  EXPECT_EQ(FitNameColumn((a22 + "e\u0301\u0323zz").c_str()), a22 + "e\u0301\u0323");
}

TEST(CharWidth, ColumnsOfCharacters) {
  EXPECT_EQ(CharWidth('A'), 1);
  EXPECT_EQ(CharWidth(0x3B1), 1);      // α
  EXPECT_EQ(CharWidth(0x6570), 2);     // 数
  EXPECT_EQ(CharWidth(0xFF21), 2);     // Ａ, fullwidth
  EXPECT_EQ(CharWidth(0xAC00), 2);     // 가
  EXPECT_EQ(CharWidth(0x1F600), 2);    // an emoji
  EXPECT_EQ(CharWidth(0x0301), 0);     // combining acute accent
  EXPECT_EQ(CharWidth(0x20AC), 1);     // €
  EXPECT_EQ(CharWidth(0x110000), 1);   // no code point: counted as shown
}

TEST(CharWidth, LeavesTheProgramsLocaleAlone) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  EXPECT_EQ(CharWidth(0x6570), 2);
  EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
  // printf of the report still works byte for byte.
  char out[8];
  std::snprintf(out, sizeof out, "%-3.3s|", "\xE6\x95");
  EXPECT_STREQ(out, "\xE6\x95 |");
}
#endif

}  // namespace
}  // namespace disklens
