// Writes a JSON value as it goes, into a string: no tree of values is built,
// so a disk of thousands of partitions costs no more than its text. A text
// that needs any escape is escaped by the JSON library; member names are the
// program's own and written as they stand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace disklens {

class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }

  // The name of the next member of the object being written.
  void Key(std::string_view name);

  void Number(std::uint64_t value);
  void Signed(std::int64_t value);
  void Bool(bool value);
  void Null();
  // "0x" and `digits` upper-case hex digits (more when the value needs them).
  void Hex(std::uint64_t value, int digits);
  // Any text, in UTF-8. Printable ASCII without '"' and '\\' stands as it is;
  // anything else goes through the JSON library, which escapes it and keeps
  // the document ASCII.
  void Text(std::string_view text);

  // A member of each kind, Key then the value.
  void Number(std::string_view name, std::uint64_t value) { Key(name); Number(value); }
  void Signed(std::string_view name, std::int64_t value) { Key(name); Signed(value); }
  void Bool(std::string_view name, bool value) { Key(name); Bool(value); }
  void Null(std::string_view name) { Key(name); Null(); }
  void Hex(std::string_view name, std::uint64_t value, int digits) { Key(name); Hex(value, digits); }
  void Text(std::string_view name, std::string_view text) { Key(name); Text(text); }

 private:
  // The comma before every value but the first of its object or array:
  // SeparateInto stores it at `at` and says whether it did.
  void Separate();
  bool SeparateInto(char* at);
  template <typename T>
  void Digits(T value);

  static constexpr std::size_t kShortName = 60;
  void Open(char bracket);
  void Close(char bracket);

  std::string& out_;
  // Bit d: the container at depth d has a value already (depth 63 at most;
  // a disk's document nests fewer than 16 deep).
  std::uint64_t started_ = 0;
  int depth_ = 0;
  bool afterKey_ = false;
};

}  // namespace disklens
