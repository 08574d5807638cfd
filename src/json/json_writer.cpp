#include "json/json_writer.h"

#include <charconv>
#include <cstring>

#include <nlohmann/json.hpp>

#include "json/json_text.h"

namespace disklens {

void JsonWriter::Separate() {
  char comma;
  if (SeparateInto(&comma)) out_ += comma;
}

void JsonWriter::Open(char bracket) {
  Separate();
  out_ += bracket;
  ++depth_;
  started_ &= ~(std::uint64_t{1} << (depth_ & 63));
}

void JsonWriter::Close(char bracket) {
  out_ += bracket;
  --depth_;
}

void JsonWriter::Key(std::string_view name) {
  // One append for the comma, the quoted name and the colon: a disk's
  // document has some hundred thousand of them.
  char piece[kShortName + 4];
  if (name.size() > kShortName) {
    Separate();
    out_ += '"';
    out_ += name;
    out_ += "\":";
  } else {
    char* at = piece;
    if (SeparateInto(at)) ++at;
    *at++ = '"';
    std::memcpy(at, name.data(), name.size());
    at += name.size();
    *at++ = '"';
    *at++ = ':';
    out_.append(piece, at);
  }
  afterKey_ = true;
}

bool JsonWriter::SeparateInto(char* at) {
  if (afterKey_) {
    afterKey_ = false;
    return false;
  }
  const std::uint64_t bit = std::uint64_t{1} << (depth_ & 63);
  const bool comma = (started_ & bit) != 0;
  started_ |= bit;
  if (comma) *at = ',';
  return comma;
}

template <typename T>
void JsonWriter::Digits(T value) {
  char digits[24];
  char* at = digits;
  if (SeparateInto(at)) ++at;
  out_.append(digits, std::to_chars(at, digits + sizeof digits, value).ptr);
}

void JsonWriter::Number(std::uint64_t value) { Digits(value); }

void JsonWriter::Signed(std::int64_t value) { Digits(value); }

void JsonWriter::Bool(bool value) {
  Separate();
  out_ += value ? "true" : "false";
}

void JsonWriter::Null() {
  Separate();
  out_ += "null";
}

void JsonWriter::Hex(std::uint64_t value, int digits) {
  Separate();
  out_ += '"';
  AppendFixedHex(out_, value, digits);
  out_ += '"';
}

void JsonWriter::Text(std::string_view text) {
  Separate();
  for (const char c : text) {
    if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
      // Whatever a disk holds, the document stays valid UTF-8 and no control
      // character reaches a terminal raw: DEL and the C1 controls, which JSON
      // lets through, are escaped too, with every other character past ASCII.
      out_ += nlohmann::json(std::string(text))
                  .dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
      return;
    }
  }
  out_ += '"';
  out_ += text;
  out_ += '"';
}

}  // namespace disklens
