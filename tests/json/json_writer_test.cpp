#include "json/json_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace disklens {
namespace {

TEST(JsonWriter, CommasStandBetweenValuesAtEveryDepthAndNotAfterEmptyContainers) {
  std::string out;
  JsonWriter json(out);
  json.BeginObject();
  json.Key("empty");
  json.BeginArray();
  json.EndArray();
  json.Key("nested");
  json.BeginArray();
  json.BeginObject();
  json.EndObject();
  json.BeginObject();
  json.Number("a", 1);
  json.Key("b");
  json.BeginArray();
  json.Null();
  json.Bool(false);
  json.EndArray();
  json.EndObject();
  json.EndArray();
  json.Null("last");
  json.EndObject();
  EXPECT_EQ(out, R"({"empty":[],"nested":[{},{"a":1,"b":[null,false]}],"last":null})");
}

TEST(JsonWriter, NumbersKeepAllSixtyFourBits) {
  std::string out;
  JsonWriter json(out);
  json.BeginArray();
  json.Number(UINT64_MAX);
  json.Signed(INT64_MIN);
  json.Signed(-1);
  json.Hex(0xAB, 2);
  json.Hex(0x8000000000000000ull, 16);
  json.Hex(0x1234, 2);  // never cut
  json.Hex(7, 40);      // padded to 16 digits at most
  json.EndArray();
  EXPECT_EQ(out, "[18446744073709551615,-9223372036854775808,-1,\"0xAB\",\"0x8000000000000000\","
                 "\"0x1234\",\"0x0000000000000007\"]");
}

TEST(JsonWriter, TextsFromADiskAreEscapedAndKeptAscii) {
  std::string out;
  JsonWriter json(out);
  json.BeginArray();
  json.Text(std::string("a\"\\\n\0\x7F\xC2\x85\xC3\xA9", 10));
  json.Text("\xFF");  // not UTF-8: replaced, never passed on
  // A text of our own that would need an escape after all is escaped.
  json.Text("{GUID\"}");
  json.EndArray();
  EXPECT_EQ(out, R"(["a\"\\\n\u0000\u007f\u0085\u00e9","\ufffd","{GUID\"}"])");
  EXPECT_TRUE(nlohmann::json::accept(out));
}

}  // namespace
}  // namespace disklens
