#include "text/text_format.h"

#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <type_traits>
#include <vector>

namespace disklens {

namespace {

enum class Length : unsigned char {
  kNone,
  kChar,
  kShort,
  kLong,
  kLongLong,
  kSize,
  kMax,
  kPtrDiff,
  kLongDouble
};

enum Flag : unsigned char { kLeft = 1, kZero = 2, kPlus = 4, kSpace = 8, kAlternate = 16 };

// One conversion, from "%" to its letter.
struct Directive {
  unsigned flags = 0;
  std::size_t width = 0;
  int precision = -1;  // none
  Length length = Length::kNone;
  char conversion = '\0';
};

// The flag bit of each character, 0 for those that are not flags.
constexpr std::array<unsigned char, 256> kFlagBits = [] {
  std::array<unsigned char, 256> bits{};
  bits['-'] = kLeft;
  bits['0'] = kZero;
  bits['+'] = kPlus;
  bits[' '] = kSpace;
  bits['#'] = kAlternate;
  return bits;
}();

// ---- Writing ---------------------------------------------------------------

// Most pieces of a report line are short: they are written in place with
// stores of a fixed size, which may run past the piece (never past the room
// made for it) and are then overwritten by what follows.
constexpr std::size_t kShortPiece = 64;  // widths, precisions and texts up to this
constexpr std::size_t kShortRoom = 256;  // room that the widest short piece needs

constexpr std::array<char, kShortPiece> Repeated(char c) {
  std::array<char, kShortPiece> a{};
  for (char& x : a) x = c;
  return a;
}
constexpr std::array<char, kShortPiece> kSpaces = Repeated(' ');
constexpr std::array<char, kShortPiece> kZeros = Repeated('0');

// Copies n bytes (at most kShortPiece) without reading beyond them.
inline void CopyShort(char* to, const char* from, std::size_t n) {
  if (n >= 16) {
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

inline void AppendText(TextBuffer& out, const char* text, std::size_t n) {
  if (n <= kShortPiece && out.MakeRoom(kShortRoom)) {
    char* const at = out.Cursor();
    CopyShort(at, text, n);
    out.Commit(at + n);
  } else {
    out.Append(text, n);
  }
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the digits of `magnitude` so that they end at `end`; returns where
// they start. Zero has none.
inline char* Digits(char* end, unsigned long long magnitude, char conversion) {
  char* d = end;
  if (conversion == 'x' || conversion == 'X') {
    const char* const hex = conversion == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
    for (; magnitude != 0; magnitude >>= 4) *--d = hex[magnitude & 0xF];
    return d;
  }
  if (conversion == 'o') {
    for (; magnitude != 0; magnitude >>= 3) *--d = static_cast<char>('0' + (magnitude & 7));
    return d;
  }
  for (; magnitude > UINT32_MAX; magnitude /= 10) *--d = static_cast<char>('0' + magnitude % 10);
  // The rest in 32-bit steps of two digits.
  auto m = static_cast<std::uint32_t>(magnitude);
  while (m >= 100) {
    d -= 2;
    std::memcpy(d, kDigitPairs + 2 * (m % 100), 2);
    m /= 100;
  }
  if (m >= 10) {
    d -= 2;
    std::memcpy(d, kDigitPairs + 2 * m, 2);
  } else if (m != 0) {
    *--d = static_cast<char>('0' + m);
  }
  return d;
}

// An integer conversion: [spaces][sign or 0x][zeros][digits][spaces].
void AppendInteger(TextBuffer& out, const Directive& directive, unsigned long long magnitude,
                   char sign) {
  // The digits end in the middle, so that a fixed 24-byte copy from their
  // start stays inside.
  char digits[48];
  char* const end = digits + 24;
  const char* const d = Digits(end, magnitude, directive.conversion);
  char prefix[2] = {sign, '\0'};
  std::size_t prefixLength = sign != '\0' ? 1 : 0;
  if ((directive.flags & kAlternate) != 0 && magnitude != 0 &&
      (directive.conversion == 'x' || directive.conversion == 'X')) {
    prefix[0] = '0';
    prefix[1] = directive.conversion;
    prefixLength = 2;
  }
  const auto digitCount = static_cast<std::size_t>(end - d);
  // Zero has no digits above: the default precision of 1 brings its "0".
  const std::size_t precision =
      directive.precision < 0 ? 1 : static_cast<std::size_t>(directive.precision);
  std::size_t zeros = precision > digitCount ? precision - digitCount : 0;
  // "#" with octal: the first digit is a 0.
  if (directive.conversion == 'o' && (directive.flags & kAlternate) != 0 && zeros == 0) zeros = 1;
  const std::size_t body = prefixLength + zeros + digitCount;
  std::size_t pad = directive.width > body ? directive.width - body : 0;
  // "0" pads with zeros between the sign and the digits, unless a precision is given.
  if (pad != 0 && (directive.flags & (kLeft | kZero)) == kZero && directive.precision < 0) {
    zeros += pad;
    pad = 0;
  }
  const bool left = (directive.flags & kLeft) != 0;
  if (pad <= kShortPiece && zeros <= kShortPiece && out.MakeRoom(kShortRoom)) {
    char* at = out.Cursor();
    if (!left) {
      std::memcpy(at, kSpaces.data(), kShortPiece);
      at += pad;
    }
    std::memcpy(at, prefix, 2);
    at += prefixLength;
    std::memcpy(at, kZeros.data(), kShortPiece);
    at += zeros;
    std::memcpy(at, d, 24);
    at += digitCount;
    if (left) {
      std::memcpy(at, kSpaces.data(), kShortPiece);
      at += pad;
    }
    out.Commit(at);
    return;
  }
  if (!left) out.Fill(' ', pad);
  out.Append(prefix, prefixLength);
  out.Fill('0', zeros);
  out.Append(d, digitCount);
  if (left) out.Fill(' ', pad);
}

// Most of the report's numbers: no sign, no precision, no "#", a width of
// at most kShortPiece. Writes at `at`, which has kShortRoom bytes of room.
inline char* PutPlainInteger(char* at, const Directive& directive, unsigned long long magnitude) {
  char digits[48];
  char* const end = digits + 24;
  char* d = Digits(end, magnitude, directive.conversion);
  if (d == end) *--d = '0';
  const auto digitCount = static_cast<std::size_t>(end - d);
  const std::size_t pad = directive.width > digitCount ? directive.width - digitCount : 0;
  if ((directive.flags & kLeft) == 0) {
    std::memcpy(at, (directive.flags & kZero) != 0 ? kZeros.data() : kSpaces.data(), kShortPiece);
    at += pad;
    std::memcpy(at, d, 24);
    return at + digitCount;
  }
  std::memcpy(at, d, 24);
  at += digitCount;
  std::memcpy(at, kSpaces.data(), kShortPiece);
  return at + pad;
}

// A text and a width of at most kShortPiece each, at `at` as above.
inline char* PutPadded(char* at, const Directive& directive, const char* text, std::size_t length) {
  const std::size_t pad = directive.width > length ? directive.width - length : 0;
  const bool left = (directive.flags & kLeft) != 0;
  if (!left) {
    std::memcpy(at, kSpaces.data(), kShortPiece);
    at += pad;
  }
  CopyShort(at, text, length);
  at += length;
  if (left) {
    std::memcpy(at, kSpaces.data(), kShortPiece);
    at += pad;
  }
  return at;
}

void AppendPadded(TextBuffer& out, const Directive& directive, const char* text,
                  std::size_t length) {
  if (length <= kShortPiece && directive.width <= kShortPiece && out.MakeRoom(kShortRoom)) {
    out.Commit(PutPadded(out.Cursor(), directive, text, length));
    return;
  }
  const std::size_t pad = directive.width > length ? directive.width - length : 0;
  const bool left = (directive.flags & kLeft) != 0;
  if (!left) out.Fill(' ', pad);
  out.Append(text, length);
  if (left) out.Fill(' ', pad);
}

void AppendString(TextBuffer& out, const Directive& directive, const char* text) {
  if (text == nullptr) {
    // As the GNU C library prints it.
    const std::size_t n = directive.precision < 0 || directive.precision >= 6 ? 6 : 0;
    const std::size_t pad = directive.width > n ? directive.width - n : 0;
    if ((directive.flags & kLeft) == 0) out.Fill(' ', pad);
    out.Append("(null)", n);
    if ((directive.flags & kLeft) != 0) out.Fill(' ', pad);
    return;
  }
  std::size_t length = 0;
  if (directive.precision < 0) {
    length = std::strlen(text);
  } else {
    // Never reads beyond the precision: the text need not end with a NUL.
    const auto limit = static_cast<std::size_t>(directive.precision);
    while (length < limit && text[length] != '\0') ++length;
  }
  AppendPadded(out, directive, text, length);
}

// One conversion that this file leaves to the C library, rebuilt from `directive`
// with the width and precision as numbers.
template <typename T>
void AppendThroughLibrary(TextBuffer& out, const Directive& directive, T value) {
  char format[48];
  char* f = format;
  *f++ = '%';
  if ((directive.flags & kLeft) != 0) *f++ = '-';
  if ((directive.flags & kZero) != 0) *f++ = '0';
  if ((directive.flags & kPlus) != 0) *f++ = '+';
  if ((directive.flags & kSpace) != 0) *f++ = ' ';
  if ((directive.flags & kAlternate) != 0) *f++ = '#';
  // A width of 0 would read as the "0" flag.
  if (directive.width != 0) f += std::snprintf(f, 14, "%zu", directive.width);
  if (directive.precision >= 0) f += std::snprintf(f, 14, ".%d", directive.precision);
  if (directive.length == Length::kLongDouble) *f++ = 'L';
  if (directive.length == Length::kLong) *f++ = 'l';
  *f++ = directive.conversion;
  *f = '\0';
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  char small[128];
  const int n = std::snprintf(small, sizeof small, format, value);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) < sizeof small) {
    out.Append(small, static_cast<std::size_t>(n));
    return;
  }
  std::vector<char> large(static_cast<std::size_t>(n) + 1);
  std::snprintf(large.data(), large.size(), format, value);
#pragma GCC diagnostic pop
  out.Append(large.data(), static_cast<std::size_t>(n));
}

template <typename T>
void AppendSigned(TextBuffer& out, const Directive& directive, T value) {
  using U = std::make_unsigned_t<T>;
  // Negated in the unsigned type, so that the most negative value is safe.
  const U magnitude =
      value < 0 ? static_cast<U>(U{0} - static_cast<U>(value)) : static_cast<U>(value);
  const char sign = value < 0                         ? '-'
                    : (directive.flags & kPlus) != 0  ? '+'
                    : (directive.flags & kSpace) != 0 ? ' '
                                                      : '\0';
  AppendInteger(out, directive, magnitude, sign);
}

// ---- Reading the format ----------------------------------------------------

int ReadNumber(const char*& p) {
  long long n = 0;
  while (static_cast<unsigned>(*p - '0') < 10) {
    if (n < INT_MAX) n = n * 10 + (*p - '0');
    ++p;
  }
  return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

// Reads the conversion after a "%" at `p`, leaving `p` after its letter (or
// on the NUL that cuts it short). A "*" takes its value from `args`; without
// them the directive is left with `star` set.
void ReadDirective(const char*& p, Directive& directive, std::va_list* args, bool& star) {
  for (unsigned bit; (bit = kFlagBits[static_cast<unsigned char>(*p)]) != 0; ++p)
    directive.flags |= bit;
  if (static_cast<unsigned>(*p - '0') < 10) {
    directive.width = static_cast<std::size_t>(ReadNumber(p));
  } else if (*p == '*') {
    ++p;
    star = true;
    if (args != nullptr) {
      const int width = va_arg(*args, int);
      if (width < 0) directive.flags |= kLeft;
      directive.width =
          width < 0 ? 0U - static_cast<unsigned>(width) : static_cast<unsigned>(width);
    }
  }
  if (*p == '.') {
    ++p;
    if (*p == '*') {
      ++p;
      star = true;
      if (args != nullptr) {
        const int precision = va_arg(*args, int);
        directive.precision = precision < 0 ? -1 : precision;
      }
    } else {
      directive.precision = ReadNumber(p);
    }
  }
  switch (*p) {
    case 'h':
      ++p;
      directive.length = *p == 'h' ? (++p, Length::kChar) : Length::kShort;
      break;
    case 'l':
      ++p;
      directive.length = *p == 'l' ? (++p, Length::kLongLong) : Length::kLong;
      break;
    case 'z':
      ++p;
      directive.length = Length::kSize;
      break;
    case 'j':
      ++p;
      directive.length = Length::kMax;
      break;
    case 't':
      ++p;
      directive.length = Length::kPtrDiff;
      break;
    case 'L':
      ++p;
      directive.length = Length::kLongDouble;
      break;
    default: break;
  }
  directive.conversion = *p;
  if (*p != '\0') ++p;
}

unsigned long long UnsignedArgument(Length length, std::va_list* args) {
  switch (length) {
    case Length::kChar: return static_cast<unsigned char>(va_arg(*args, unsigned));
    case Length::kShort: return static_cast<unsigned short>(va_arg(*args, unsigned));
    case Length::kLong: return va_arg(*args, unsigned long);
    case Length::kLongLong:
    case Length::kLongDouble: return va_arg(*args, unsigned long long);
    case Length::kSize: return va_arg(*args, std::size_t);
    case Length::kMax: return va_arg(*args, std::uintmax_t);
    case Length::kPtrDiff:
      return static_cast<std::make_unsigned_t<std::ptrdiff_t>>(va_arg(*args, std::ptrdiff_t));
    case Length::kNone: break;
  }
  return va_arg(*args, unsigned);
}

// Formats one conversion with its arguments; false for a letter that is no
// conversion, which takes none.
bool AppendConversion(TextBuffer& out, const Directive& directive, std::va_list* args) {
  switch (directive.conversion) {
    case 'd':
    case 'i':
      switch (directive.length) {
        case Length::kNone: AppendSigned(out, directive, va_arg(*args, int)); break;
        case Length::kChar:
          AppendSigned(out, directive, static_cast<signed char>(va_arg(*args, int)));
          break;
        case Length::kShort:
          AppendSigned(out, directive, static_cast<short>(va_arg(*args, int)));
          break;
        case Length::kLong: AppendSigned(out, directive, va_arg(*args, long)); break;
        case Length::kLongLong:
        case Length::kLongDouble: AppendSigned(out, directive, va_arg(*args, long long)); break;
        case Length::kSize:
          AppendSigned(out, directive, va_arg(*args, std::make_signed_t<std::size_t>));
          break;
        case Length::kMax: AppendSigned(out, directive, va_arg(*args, std::intmax_t)); break;
        case Length::kPtrDiff: AppendSigned(out, directive, va_arg(*args, std::ptrdiff_t)); break;
      }
      return true;
    case 'u':
    case 'x':
    case 'X':
    case 'o':
      AppendInteger(out, directive, UnsignedArgument(directive.length, args), '\0');
      return true;
    case 's':
      if (directive.length == Length::kLong) {
        AppendThroughLibrary(out, directive, va_arg(*args, const wchar_t*));
      } else {
        AppendString(out, directive, va_arg(*args, const char*));
      }
      return true;
    case 'c':
      if (directive.length == Length::kLong) {
        // Windows' wint_t is narrower than int and arrives promoted.
        using WintArgument =
            std::conditional_t<(sizeof(std::wint_t) < sizeof(int)), int, std::wint_t>;
        AppendThroughLibrary(out, directive, static_cast<std::wint_t>(va_arg(*args, WintArgument)));
      } else {
        const char c = static_cast<char>(static_cast<unsigned char>(va_arg(*args, int)));
        AppendPadded(out, directive, &c, 1);
      }
      return true;
    case '%': out.Append("%", 1); return true;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
      if (directive.length == Length::kLongDouble) {
        AppendThroughLibrary(out, directive, va_arg(*args, long double));
      } else {
        AppendThroughLibrary(out, directive, va_arg(*args, double));
      }
      return true;
    case 'p': AppendThroughLibrary(out, directive, va_arg(*args, void*)); return true;
    case 'n':
      // Takes its pointer and stores nothing: no report line counts its own length.
      (void)va_arg(*args, void*);
      return true;
    default: return false;
  }
}

// Reads and formats as it goes: for formats that the cache below does not take.
void Interpret(TextBuffer& out, const char* format, std::va_list* args) {
  const char* p = format;
  for (;;) {
    const char* const run = p;
    while (*p != '%' && *p != '\0') ++p;
    if (p != run) AppendText(out, run, static_cast<std::size_t>(p - run));
    if (*p == '\0') return;
    const char* const directiveStart = p++;
    Directive directive;
    bool star = false;
    ReadDirective(p, directive, args, star);
    if (directive.conversion == '\0') return;
    // Not a conversion: shown as written.
    if (!AppendConversion(out, directive, args))
      out.Append(directiveStart, static_cast<std::size_t>(p - directiveStart));
  }
}

// ---- Formats read once -----------------------------------------------------

// The program prints a few dozen formats some hundred thousand times: each is
// read once into pieces (literal text, then a conversion). A format is known
// by its address and, since the text at an address may change, by its text.
enum class Op : unsigned char {
  kEnd,       // text only, the last piece
  kUnsigned,  // unsigned int, long, long long with no flag but "-" or "0" and no precision
  kUnsignedLong,
  kUnsignedLongLong,
  kString,  // "%s" with or without a width
  kOther,
};

struct Piece {
  std::uint32_t textStart = 0;  // in Compiled::text
  std::uint32_t textLength = 0;
  Op op = Op::kEnd;
  Directive directive;
};

// Room after the text of a compiled format, so that its literal pieces can
// be copied with fixed-size loads.
constexpr std::size_t kTextTail = kShortPiece;

struct Compiled {
  const char* address = nullptr;
  std::string text;  // the format, then kTextTail NULs
  std::vector<Piece> pieces;
  bool usable = false;  // false when it takes "*" or has a letter that is no conversion
};

constexpr std::size_t kCacheSlots = 256;
std::array<Compiled, kCacheSlots> g_cache;

Op OpFor(const Directive& directive) {
  const bool plainFlags =
      (directive.flags & ~unsigned{kLeft | kZero}) == 0 && directive.precision < 0;
  if (directive.width > kShortPiece) return Op::kOther;
  if (directive.conversion == 's') {
    return directive.length == Length::kNone && directive.precision < 0 ? Op::kString : Op::kOther;
  }
  if (!plainFlags ||
      (directive.conversion != 'u' && directive.conversion != 'x' && directive.conversion != 'X'))
    return Op::kOther;
  switch (directive.length) {
    case Length::kNone: return Op::kUnsigned;
    case Length::kLong: return Op::kUnsignedLong;
    case Length::kLongLong: return Op::kUnsignedLongLong;
    default: return Op::kOther;
  }
}

// Kept out of line: the lookup that calls it runs for every line of the report.
[[gnu::noinline, gnu::cold]] void Compile(Compiled& c, const char* format) {
  c.address = format;
  c.text = format;
  const std::size_t length = c.text.size();
  c.text.append(kTextTail, '\0');
  c.pieces.clear();
  c.usable = true;
  const char* const base = c.text.c_str();
  const char* p = base;
  for (;;) {
    Piece piece;
    const char* const run = p;
    while (*p != '%' && *p != '\0') ++p;
    piece.textStart = static_cast<std::uint32_t>(run - base);
    piece.textLength = static_cast<std::uint32_t>(p - run);
    if (static_cast<std::size_t>(p - base) < length) {
      ++p;
      bool star = false;
      ReadDirective(p, piece.directive, nullptr, star);
      static constexpr char kConversions[] = "diuxXoscfFeEgGaApn%";
      if (star || piece.directive.conversion == '\0' ||
          std::strchr(kConversions, piece.directive.conversion) == nullptr) {
        c.usable = false;
        return;
      }
      piece.op = OpFor(piece.directive);
    }
    // A format that ends with a conversion needs no last piece.
    if (piece.op != Op::kEnd || piece.textLength != 0) c.pieces.push_back(piece);
    if (piece.op == Op::kEnd) return;
  }
}

Compiled& Lookup(const char* format) {
  const auto key = reinterpret_cast<std::uintptr_t>(format);
  Compiled& c =
      g_cache[static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 56) % kCacheSlots];
  if (c.address != format || std::strcmp(c.text.c_str(), format) != 0) Compile(c, format);
  return c;
}

// One piece through the general writers, which make their own room.
void AppendPiece(TextBuffer& out, const char* text, const Piece& piece, std::va_list* args) {
  AppendText(out, text, piece.textLength);
  switch (piece.op) {
    case Op::kEnd: break;
    case Op::kUnsigned:
    case Op::kUnsignedLong:
    case Op::kUnsignedLongLong:
      AppendInteger(out, piece.directive, UnsignedArgument(piece.directive.length, args), '\0');
      break;
    case Op::kString:
    case Op::kOther: AppendConversion(out, piece.directive, args); break;
  }
}

}  // namespace

void AppendFormatted(TextBuffer& out, const char* format, std::va_list args) {
  std::va_list ap;
  va_copy(ap, args);
  const Compiled& c = Lookup(format);
  if (!c.usable) {
    Interpret(out, format, &ap);
    va_end(ap);
    return;
  }
  // Pieces are written at a cursor of our own, which goes back to the buffer
  // whenever other code writes.
  const char* const text = c.text.c_str();
  char* at = out.Cursor();
  char* const end = out.End();
  for (const Piece& piece : c.pieces) {
    const char* const pieceText = text + piece.textStart;
    if (static_cast<std::size_t>(end - at) < kShortRoom || piece.textLength > kShortPiece) {
      out.Commit(at);
      AppendPiece(out, pieceText, piece, &ap);
      at = out.Cursor();
      continue;
    }
    // The compiled text has kTextTail bytes after its end.
    std::memcpy(at, pieceText, kShortPiece);
    at += piece.textLength;
    switch (piece.op) {
      case Op::kEnd: break;
      case Op::kUnsigned: at = PutPlainInteger(at, piece.directive, va_arg(ap, unsigned)); break;
      case Op::kUnsignedLong:
        at = PutPlainInteger(at, piece.directive, va_arg(ap, unsigned long));
        break;
      case Op::kUnsignedLongLong:
        at = PutPlainInteger(at, piece.directive, va_arg(ap, unsigned long long));
        break;
      case Op::kString: {
        const char* const string = va_arg(ap, const char*);
        const std::size_t length = string != nullptr ? std::strlen(string) : 0;
        if (string != nullptr && length <= kShortPiece) {
          at = PutPadded(at, piece.directive, string, length);
        } else {
          out.Commit(at);
          AppendString(out, piece.directive, string);
          at = out.Cursor();
        }
        break;
      }
      case Op::kOther:
        out.Commit(at);
        AppendConversion(out, piece.directive, &ap);
        at = out.Cursor();
        break;
    }
  }
  out.Commit(at);
  va_end(ap);
}

}  // namespace disklens
