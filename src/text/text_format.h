// printf formatting into a buffer of our own, cut to what the report prints:
// the conversions d i u x X s c, the flags "-" and "0", widths up to
// kMaxWidth and the length "ll". Each format is read at compile time into
// pieces (a literal run, then a conversion) and checked against the types of
// its arguments; a conversion outside that set, a wrong argument type or count
// is a compile error. At run time a line is written in place with stores of a
// size known at the call site.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <utility>

#include "text/text_buffer.h"

namespace disklens {

namespace text_format {

enum class Conversion : std::uint8_t {
  kNone,
  kSigned,
  kUnsigned,
  kLowerHex,
  kUpperHex,
  kString,
  kChar
};

// Why a format was refused.
enum class FormatError : std::uint8_t {
  kNone,
  kUnknownConversion,  // a letter outside d i u x X s c, "%%" and "%n" included
  kUnknownFlag,        // "+", " " or "#", or "0" with s or c
  kWidthTooLarge,      // above kMaxWidth, or "*"
  kPrecision,          // ".", with or without digits
  kUnknownLength,      // any length but "ll", or "ll" with s or c
  kTooFewArguments,
  kTooManyArguments,
  kArgumentType,  // the argument's type is not the conversion's
  kTooLong,       // a format of 64 KiB or more
};

// The widest field a format may ask for.
inline constexpr std::size_t kMaxWidth = 64;
// The longest number: 2^64 - 1 in decimal has 20 digits, a sign makes 21.
inline constexpr std::size_t kMaxNumber = 24;
// How far past the end of what it leaves a piece's fixed-size stores may
// write: a left-aligned field stores its whole width of spaces after the text.
inline constexpr std::size_t kStoreOverrun = kMaxWidth;
static_assert(kStoreOverrun >= kMaxWidth,
              "a left-aligned field stores up to its width past its text");
static_assert(kMaxNumber >= 21, "a 64-bit number with its sign");

struct Piece {
  std::uint16_t textStart = 0;  // the literal run before the conversion
  std::uint16_t textLength = 0;
  Conversion conversion = Conversion::kNone;
  bool left = false;
  bool zero = false;
  std::uint8_t width = 0;
};

// A format read into N conversions, each after its literal run, and the run
// after the last one.
template <std::size_t N>
struct ParsedFormat {
  const char* text = nullptr;
  std::array<Piece, N + 1> pieces{};
  // The room a line needs beyond the length of its strings: its literal text,
  // each field at its widest and the overrun of the last store.
  std::size_t fixedRoom = 0;
  FormatError error = FormatError::kNone;
};

// What a conversion may be given: ints and what promotes to them, the long
// long types, C strings and string views (a text whose length is known, so
// that "%s" need not look for its end). Everything else (long, whose size differs between
// Linux and Windows, std::size_t, pointers, floating point) is refused.
enum class ArgumentKind : std::uint8_t { kInt, kLongLong, kString, kOther };

template <typename T>
constexpr ArgumentKind KindOf() {
  using U = std::remove_cv_t<T>;
  if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*> ||
                std::is_same_v<U, std::string_view>) {
    return ArgumentKind::kString;
  } else if constexpr (std::is_integral_v<U> && !std::is_same_v<U, bool>) {
    using Promoted = decltype(+U{});
    if constexpr (std::is_same_v<Promoted, int> || std::is_same_v<Promoted, unsigned>) {
      return ArgumentKind::kInt;
    } else if constexpr (std::is_same_v<Promoted, long long> ||
                         std::is_same_v<Promoted, unsigned long long>) {
      return ArgumentKind::kLongLong;
    } else {
      return ArgumentKind::kOther;
    }
  } else {
    return ArgumentKind::kOther;
  }
}

// Reads `text` for arguments of `kinds`; the result's `error` says whether it
// may be printed. Usable at run time too (the tests read formats they build).
template <std::size_t N>
constexpr ParsedFormat<N> Parse(const char* text, const std::array<ArgumentKind, N>& kinds) {
  ParsedFormat<N> f;
  f.text = text;
  std::size_t i = 0;
  std::size_t start = 0;
  std::size_t count = 0;
  std::size_t room = kStoreOverrun;
  const auto fail = [&f](FormatError e) {
    f.error = e;
    return f;
  };
  while (text[i] != '\0') {
    if (i >= 0xFFFF) return fail(FormatError::kTooLong);
    if (text[i] != '%') {
      ++i;
      continue;
    }
    // pieces[N] takes the text after the last conversion: with no argument
    // left, this one is refused below.
    Piece& p = f.pieces[count];
    p.textStart = static_cast<std::uint16_t>(start);
    p.textLength = static_cast<std::uint16_t>(i - start);
    room += i - start;
    ++i;
    for (;; ++i) {
      if (text[i] == '-') {
        p.left = true;
      } else if (text[i] == '0') {
        p.zero = true;
      } else if (text[i] == '+' || text[i] == ' ' || text[i] == '#') {
        return fail(FormatError::kUnknownFlag);
      } else {
        break;
      }
    }
    std::size_t width = 0;
    for (; text[i] >= '0' && text[i] <= '9'; ++i) {
      width = width * 10 + static_cast<std::size_t>(text[i] - '0');
      if (width > kMaxWidth) return fail(FormatError::kWidthTooLarge);
    }
    if (text[i] == '*') return fail(FormatError::kWidthTooLarge);
    if (text[i] == '.') return fail(FormatError::kPrecision);
    p.width = static_cast<std::uint8_t>(width);
    bool longLong = false;
    if (text[i] == 'l' && text[i + 1] == 'l') {
      longLong = true;
      i += 2;
    } else if (text[i] == 'l' || text[i] == 'h' || text[i] == 'z' || text[i] == 'j' ||
               text[i] == 't' || text[i] == 'L' || text[i] == 'q') {
      return fail(FormatError::kUnknownLength);
    }
    ArgumentKind wanted = longLong ? ArgumentKind::kLongLong : ArgumentKind::kInt;
    switch (text[i]) {
      case 'd':
      case 'i': p.conversion = Conversion::kSigned; break;
      case 'u': p.conversion = Conversion::kUnsigned; break;
      case 'x': p.conversion = Conversion::kLowerHex; break;
      case 'X': p.conversion = Conversion::kUpperHex; break;
      case 's':
        p.conversion = Conversion::kString;
        wanted = ArgumentKind::kString;
        break;
      case 'c': p.conversion = Conversion::kChar; break;
      default: return fail(FormatError::kUnknownConversion);
    }
    if (p.conversion == Conversion::kString || p.conversion == Conversion::kChar) {
      if (longLong) return fail(FormatError::kUnknownLength);
      if (p.zero) return fail(FormatError::kUnknownFlag);
    }
    if (count == N) return fail(FormatError::kTooFewArguments);
    if (kinds[count] != wanted) return fail(FormatError::kArgumentType);
    // A string's own length is added at run time.
    room += width > kMaxNumber ? width : kMaxNumber;
    ++i;
    start = i;
    ++count;
  }
  if (count != N) return fail(FormatError::kTooManyArguments);
  f.pieces[N].textStart = static_cast<std::uint16_t>(start);
  f.pieces[N].textLength = static_cast<std::uint16_t>(i - start);
  f.fixedRoom = room + (i - start);
  return f;
}

template <typename... Args>
constexpr ParsedFormat<sizeof...(Args)> ParseFor(const char* text) {
  return Parse<sizeof...(Args)>(text, std::array<ArgumentKind, sizeof...(Args)>{KindOf<Args>()...});
}

// Not constexpr: a refused format reaches one of these in a constant
// evaluation, and the compiler names it in its error.
void FormatErrorUnknownConversion();
void FormatErrorUnknownFlag();
void FormatErrorWidthTooLarge();
void FormatErrorPrecision();
void FormatErrorUnknownLength();
void FormatErrorTooFewArguments();
void FormatErrorTooManyArguments();
void FormatErrorArgumentType();
void FormatErrorTooLong();

constexpr void Refuse(FormatError e) {
  switch (e) {
    case FormatError::kNone: break;
    case FormatError::kUnknownConversion: FormatErrorUnknownConversion(); break;
    case FormatError::kUnknownFlag: FormatErrorUnknownFlag(); break;
    case FormatError::kWidthTooLarge: FormatErrorWidthTooLarge(); break;
    case FormatError::kPrecision: FormatErrorPrecision(); break;
    case FormatError::kUnknownLength: FormatErrorUnknownLength(); break;
    case FormatError::kTooFewArguments: FormatErrorTooFewArguments(); break;
    case FormatError::kTooManyArguments: FormatErrorTooManyArguments(); break;
    case FormatError::kArgumentType: FormatErrorArgumentType(); break;
    case FormatError::kTooLong: FormatErrorTooLong(); break;
  }
}

// ---- Writing ---------------------------------------------------------------

inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline constexpr std::uint64_t kPowersOf10[20] = {1ULL,
                                                  10ULL,
                                                  100ULL,
                                                  1000ULL,
                                                  10000ULL,
                                                  100000ULL,
                                                  1000000ULL,
                                                  10000000ULL,
                                                  100000000ULL,
                                                  1000000000ULL,
                                                  10000000000ULL,
                                                  100000000000ULL,
                                                  1000000000000ULL,
                                                  10000000000000ULL,
                                                  100000000000000ULL,
                                                  1000000000000000ULL,
                                                  10000000000000000ULL,
                                                  100000000000000000ULL,
                                                  1000000000000000000ULL,
                                                  10000000000000000000ULL};

inline std::size_t DecimalDigits(std::uint64_t v) {
  // log10 from the bit length (1233 / 4096 ~ log10(2)), then one compare.
  const auto bits = static_cast<std::size_t>(64 - std::countl_zero(v | 1));
  const std::size_t t = (bits * 1233) >> 12;
  const std::size_t n = t + (v >= kPowersOf10[t] ? 1 : 0);
  return n == 0 ? 1 : n;
}

inline std::size_t HexDigits(std::uint64_t v) {
  return (static_cast<std::size_t>(64 - std::countl_zero(v | 1)) + 3) / 4;
}

// Writes the decimal digits of `v` so that they end at `end`.
inline void PutDecimalDigits(char* end, std::uint64_t v) {
  for (; v > UINT32_MAX; v /= 100) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * (v % 100), 2);
  }
  auto m = static_cast<std::uint32_t>(v);
  for (; m >= 100; m /= 100) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * (m % 100), 2);
  }
  if (m >= 10) {
    std::memcpy(end - 2, kDigitPairs + 2 * m, 2);
  } else {
    end[-1] = static_cast<char>('0' + m);
  }
}

inline void PutHexDigits(char* end, std::uint64_t v, bool upper) {
  const char* const hex = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  do {
    *--end = hex[v & 0xF];
    v >>= 4;
  } while (v != 0);
}

// A number of `digits` digits (written by `put` so that they end where it is
// told) and an optional sign, padded to the piece's width.
template <typename PutDigits>
[[gnu::always_inline]] inline char* PutNumber(char* at, const Piece& p, std::size_t digits,
                                              bool negative, PutDigits put) {
  const std::size_t body = digits + (negative ? 1 : 0);
  const std::size_t width = p.width;
  if (p.left) {
    if (negative) *at = '-';
    char* const end = at + body;
    put(end);
    if (body >= width) return end;
    std::memset(end, ' ', width);  // runs past the field by at most `body` bytes
    return at + width;
  }
  if (width != 0) std::memset(at, p.zero ? '0' : ' ', width);
  char* const end = at + (body > width ? body : width);
  put(end);
  if (negative) *(p.zero ? at : end - body) = '-';
  return end;
}

[[gnu::always_inline]] inline char* PutInteger(char* at, const Piece& p, std::uint64_t bits,
                                               bool longLong) {
  switch (p.conversion) {
    case Conversion::kSigned: {
      const std::int64_t value =
          longLong ? static_cast<std::int64_t>(bits)
                   : std::int64_t{static_cast<std::int32_t>(static_cast<std::uint32_t>(bits))};
      // Negated in the unsigned type, so that the most negative value is safe.
      const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                                : static_cast<std::uint64_t>(value);
      return PutNumber(at, p, DecimalDigits(magnitude), value < 0,
                       [magnitude](char* end) { PutDecimalDigits(end, magnitude); });
    }
    case Conversion::kUnsigned: {
      const std::uint64_t v = longLong ? bits : static_cast<std::uint32_t>(bits);
      return PutNumber(at, p, DecimalDigits(v), false,
                       [v](char* end) { PutDecimalDigits(end, v); });
    }
    case Conversion::kLowerHex:
    case Conversion::kUpperHex: {
      const std::uint64_t v = longLong ? bits : static_cast<std::uint32_t>(bits);
      const bool upper = p.conversion == Conversion::kUpperHex;
      return PutNumber(at, p, HexDigits(v), false,
                       [v, upper](char* end) { PutHexDigits(end, v, upper); });
    }
    case Conversion::kChar: {
      const char c = static_cast<char>(static_cast<unsigned char>(bits));
      const std::size_t width = p.width;
      if (p.left) {
        *at = c;
        if (width <= 1) return at + 1;
        std::memset(at + 1, ' ', width);
        return at + width;
      }
      if (width <= 1) {
        *at = c;
        return at + 1;
      }
      std::memset(at, ' ', width);
      at[width - 1] = c;
      return at + width;
    }
    case Conversion::kNone:
    case Conversion::kString: break;
  }
  return at;
}

// Copies `n` bytes without reading beyond them: overlapping stores of fixed
// size up to 64 bytes, memcpy above.
[[gnu::always_inline]] inline void CopyText(char* to, const char* from, std::size_t n) {
  if (n > 64) {
    std::memcpy(to, from, n);
  } else if (n >= 16) {
    for (std::size_t i = 0; i + 16 < n; i += 16) std::memcpy(to + i, from + i, 16);
    std::memcpy(to + n - 16, from + n - 16, 16);
  } else if (n >= 8) {
    std::memcpy(to, from, 8);
    std::memcpy(to + n - 8, from + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + n - 4, from + n - 4, 4);
  } else {
    for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
  }
}

[[gnu::always_inline]] inline char* PutString(char* at, const Piece& p, const char* s,
                                              std::size_t length) {
  const std::size_t width = p.width;
  if (p.left) {
    CopyText(at, s, length);
    if (length >= width) return at + length;
    std::memset(at + length, ' ', width);  // runs past the field by `length` bytes, below the width
    return at + width;
  }
  if (length >= width) {
    CopyText(at, s, length);
    return at + length;
  }
  std::memset(at, ' ', width);
  CopyText(at + width - length, s, length);
  return at + width;
}

// As the GNU C library prints a null string.
inline constexpr char kNullText[] = "(null)";

template <typename T>
[[gnu::always_inline]] inline std::size_t TextLength(const T& value) {
  if constexpr (std::is_same_v<T, std::string_view>) {
    return value.size();
  } else if constexpr (KindOf<T>() == ArgumentKind::kString) {
    return value != nullptr ? std::strlen(value) : sizeof kNullText - 1;
  } else {
    return 0;
  }
}

// The characters of a "%s" argument.
template <typename T>
[[gnu::always_inline]] inline const char* TextData(const T& value) {
  if constexpr (std::is_same_v<T, std::string_view>) {
    return value.data() != nullptr ? value.data() : "";  // an empty view may have none
  } else {
    return value != nullptr ? value : kNullText;
  }
}

template <typename T>
[[gnu::always_inline]] inline std::uint64_t IntegerBits(const T& value) {
  using U = std::remove_cv_t<T>;
  using Promoted = decltype(+U{});
  // As the argument would travel through "...": ints as ints, then their bits.
  if constexpr (KindOf<T>() == ArgumentKind::kInt) {
    return static_cast<std::uint32_t>(static_cast<Promoted>(value));
  } else {
    return static_cast<std::uint64_t>(static_cast<Promoted>(value));
  }
}

template <typename T>
[[gnu::always_inline]] inline char* PutArgument(char* at, const Piece& p, const T& value,
                                                std::size_t length) {
  if constexpr (KindOf<T>() == ArgumentKind::kString) {
    return PutString(at, p, TextData(value), length);
  } else {
    return PutInteger(at, p, IntegerBits(value), KindOf<T>() == ArgumentKind::kLongLong);
  }
}

// The line through the buffer's own appends, for a buffer too small for it
// to be written in place.
template <std::size_t N, typename... Args>
[[gnu::noinline]] void AppendPieceByPiece(TextBuffer& out, const ParsedFormat<N> f,
                                          const std::array<std::size_t, N + 1> lengths,
                                          const Args... args) {
  const auto appendOne = [&](std::size_t index, const auto& value) {
    const Piece& p = f.pieces[index];
    out.Append(f.text + p.textStart, p.textLength);
    using T = std::remove_cvref_t<decltype(value)>;
    if constexpr (KindOf<T>() == ArgumentKind::kString) {
      const std::size_t length = lengths[index];
      const std::size_t pad = p.width > length ? p.width - length : 0;
      if (!p.left) out.Fill(' ', pad);
      out.Append(TextData(value), length);
      if (p.left) out.Fill(' ', pad);
    } else {
      char field[kMaxWidth + kMaxNumber + kStoreOverrun];
      const char* const end = PutArgument(field, p, value, 0);
      out.Append(field, static_cast<std::size_t>(end - field));
    }
  };
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    (appendOne(I, args), ...);
  }(std::make_index_sequence<N>{});
  out.Append(f.text + f.pieces[N].textStart, f.pieces[N].textLength);
}

template <std::size_t N, typename... Args, std::size_t... I>
[[gnu::always_inline]] inline std::size_t MeasureStrings(std::array<std::size_t, N + 1>& lengths,
                                                         std::index_sequence<I...>,
                                                         const Args&... args) {
  lengths[N] = 0;  // the text after the last conversion has no argument
  return (std::size_t{0} + ... + (lengths[I] = TextLength(args)));
}

template <std::size_t N, typename... Args, std::size_t... I>
[[gnu::always_inline]] inline char* PutPieces(char* at, const ParsedFormat<N>& f,
                                              const std::array<std::size_t, N + 1>& lengths,
                                              std::index_sequence<I...>, const Args&... args) {
  ((std::memcpy(at, f.text + f.pieces[I].textStart, f.pieces[I].textLength),
    at = PutArgument(at + f.pieces[I].textLength, f.pieces[I], args, lengths[I])),
   ...);
  std::memcpy(at, f.text + f.pieces[N].textStart, f.pieces[N].textLength);
  return at + f.pieces[N].textLength;
}

// Appends the line of `f` with `args`, as snprintf would write it.
template <std::size_t N, typename... Args>
[[gnu::always_inline]] inline void AppendFormatted(TextBuffer& out, const ParsedFormat<N>& f,
                                                   const Args&... args) {
  static_assert(sizeof...(Args) == N);
  std::array<std::size_t, N + 1> lengths;  // every one set by MeasureStrings
  const std::size_t room =
      f.fixedRoom + MeasureStrings<N>(lengths, std::make_index_sequence<N>{}, args...);
  if (!out.MakeRoom(room)) {
    // A copy made field by field here, so that the fast path above keeps
    // the pieces as constants and stores no copy of them.
    ParsedFormat<N> copy;
    copy.text = f.text;
    for (std::size_t i = 0; i <= N; ++i) copy.pieces[i] = f.pieces[i];
    AppendPieceByPiece(out, copy, lengths, args...);
    return;
  }
  out.Commit(PutPieces(out.Cursor(), f, lengths, std::make_index_sequence<N>{}, args...));
}

}  // namespace text_format

// A format read at compile time for arguments of types Args.
template <typename... Args>
class PrintFormat {
 public:
  consteval PrintFormat(const char* text)  // NOLINT: implicit, as a string literal is passed
      : parsed_(text_format::ParseFor<Args...>(text)) {
    text_format::Refuse(parsed_.error);
  }
  constexpr const text_format::ParsedFormat<sizeof...(Args)>& Parsed() const { return parsed_; }

 private:
  text_format::ParsedFormat<sizeof...(Args)> parsed_;
};

}  // namespace disklens
