#include "report/text_format.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <type_traits>
#include <vector>

namespace disklens {

void TextBuffer::Fill(char c, std::size_t count) {
  while (count > 0) {
    if (used_ == capacity_) Flush();
    const std::size_t room = capacity_ - used_;
    const std::size_t n = count < room ? count : room;
    std::memset(data_ + used_, c, n);
    used_ += n;
    count -= n;
  }
}

void TextBuffer::Flush() {
  if (used_ == 0) return;
  drain_(context_, data_, used_);
  used_ = 0;
}

void TextBuffer::AppendSlow(const char* text, std::size_t size) {
  Flush();
  if (size > capacity_) {
    drain_(context_, text, size);
    return;
  }
  std::memcpy(data_, text, size);
  used_ = size;
}

namespace {

enum class Length { kNone, kChar, kShort, kLong, kLongLong, kSize, kMax, kPtrDiff, kLongDouble };

struct Spec {
  bool left = false;
  bool zero = false;
  bool plus = false;
  bool space = false;
  bool alternate = false;
  std::size_t width = 0;
  int precision = -1;  // none
  Length length = Length::kNone;
  char conversion = '\0';
};

int ReadNumber(const char*& p) {
  long long n = 0;
  while (*p >= '0' && *p <= '9') {
    if (n < INT_MAX) n = n * 10 + (*p - '0');
    ++p;
  }
  return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

void Pad(TextBuffer& out, std::size_t count) {
  if (count != 0) out.Fill(' ', count);
}

void AppendInteger(TextBuffer& out, const Spec& spec, unsigned long long magnitude, char sign) {
  char digits[24];
  char* const end = digits + sizeof digits;
  char* d = end;
  const char* prefix = "";
  std::size_t prefixLength = 0;
  switch (spec.conversion) {
    case 'x':
    case 'X': {
      const char* const hex = spec.conversion == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
      if (spec.alternate && magnitude != 0) {
        prefix = spec.conversion == 'x' ? "0x" : "0X";
        prefixLength = 2;
      }
      for (; magnitude != 0; magnitude >>= 4) *--d = hex[magnitude & 0xF];
      break;
    }
    case 'o':
      for (; magnitude != 0; magnitude >>= 3) *--d = static_cast<char>('0' + (magnitude & 7));
      break;
    default:
      if (magnitude <= UINT32_MAX) {
        // The common case, in 32-bit divisions.
        for (auto m = static_cast<std::uint32_t>(magnitude); m != 0; m /= 10) {
          *--d = static_cast<char>('0' + m % 10);
        }
      } else {
        for (; magnitude != 0; magnitude /= 10) *--d = static_cast<char>('0' + magnitude % 10);
      }
      break;
  }
  if (sign != '\0') {
    prefix = sign == '-' ? "-" : sign == '+' ? "+" : " ";
    prefixLength = 1;
  }
  const auto digitCount = static_cast<std::size_t>(end - d);
  // Zero has no digits above: the default precision of 1 brings its "0".
  const std::size_t precision = spec.precision < 0 ? 1 : static_cast<std::size_t>(spec.precision);
  std::size_t zeros = precision > digitCount ? precision - digitCount : 0;
  // "#" with octal: the first digit is a 0.
  if (spec.conversion == 'o' && spec.alternate && zeros == 0) zeros = 1;
  const std::size_t body = prefixLength + zeros + digitCount;
  const std::size_t pad = spec.width > body ? spec.width - body : 0;
  if (spec.left) {
    out.Append(prefix, prefixLength);
    out.Fill('0', zeros);
    out.Append(d, digitCount);
    Pad(out, pad);
  } else if (spec.zero && spec.precision < 0) {
    out.Append(prefix, prefixLength);
    out.Fill('0', zeros + pad);
    out.Append(d, digitCount);
  } else {
    Pad(out, pad);
    out.Append(prefix, prefixLength);
    if (zeros != 0) out.Fill('0', zeros);
    out.Append(d, digitCount);
  }
}

void AppendPadded(TextBuffer& out, const Spec& spec, const char* text, std::size_t length) {
  const std::size_t pad = spec.width > length ? spec.width - length : 0;
  if (!spec.left) Pad(out, pad);
  out.Append(text, length);
  if (spec.left) Pad(out, pad);
}

void AppendString(TextBuffer& out, const Spec& spec, const char* text) {
  if (text == nullptr) text = spec.precision < 0 || spec.precision >= 6 ? "(null)" : "";
  std::size_t length = 0;
  if (spec.precision < 0) {
    length = std::strlen(text);
  } else {
    // Never reads beyond the precision: the text need not end with a NUL.
    const auto limit = static_cast<std::size_t>(spec.precision);
    while (length < limit && text[length] != '\0') ++length;
  }
  AppendPadded(out, spec, text, length);
}

// One conversion that this file leaves to the C library, rebuilt from `spec`
// with the width and precision as numbers.
template <typename T>
void AppendThroughLibrary(TextBuffer& out, const Spec& spec, T value) {
  char format[48];
  char* f = format;
  *f++ = '%';
  if (spec.left) *f++ = '-';
  if (spec.zero) *f++ = '0';
  if (spec.plus) *f++ = '+';
  if (spec.space) *f++ = ' ';
  if (spec.alternate) *f++ = '#';
  f += std::snprintf(f, 14, "%zu", spec.width);
  if (spec.precision >= 0) f += std::snprintf(f, 14, ".%d", spec.precision);
  if (spec.length == Length::kLongDouble) *f++ = 'L';
  if (spec.length == Length::kLong) *f++ = 'l';
  *f++ = spec.conversion;
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
char SignOf(const Spec& spec, T value) {
  if (value < 0) return '-';
  if (spec.plus) return '+';
  if (spec.space) return ' ';
  return '\0';
}

template <typename T>
void AppendSigned(TextBuffer& out, const Spec& spec, T value) {
  using U = std::make_unsigned_t<T>;
  // Negated in the unsigned type, so that the most negative value is safe.
  const U magnitude = value < 0 ? static_cast<U>(U{0} - static_cast<U>(value)) : static_cast<U>(value);
  AppendInteger(out, spec, magnitude, SignOf(spec, value));
}

}  // namespace

void AppendFormatted(TextBuffer& out, const char* format, std::va_list args) {
  std::va_list ap;
  va_copy(ap, args);
  const char* p = format;
  for (;;) {
    const char* const run = p;
    while (*p != '\0' && *p != '%') ++p;
    if (p != run) out.Append(run, static_cast<std::size_t>(p - run));
    if (*p == '\0') break;
    const char* const specStart = p;
    ++p;
    Spec spec;
    for (;; ++p) {
      if (*p == '-') {
        spec.left = true;
      } else if (*p == '0') {
        spec.zero = true;
      } else if (*p == '+') {
        spec.plus = true;
      } else if (*p == ' ') {
        spec.space = true;
      } else if (*p == '#') {
        spec.alternate = true;
      } else {
        break;
      }
    }
    if (*p == '*') {
      ++p;
      const int width = va_arg(ap, int);
      if (width < 0) spec.left = true;
      spec.width = width < 0 ? 0U - static_cast<unsigned>(width) : static_cast<unsigned>(width);
    } else {
      spec.width = static_cast<std::size_t>(ReadNumber(p));
    }
    if (*p == '.') {
      ++p;
      if (*p == '*') {
        ++p;
        const int precision = va_arg(ap, int);
        spec.precision = precision < 0 ? -1 : precision;
      } else {
        spec.precision = ReadNumber(p);
      }
    }
    switch (*p) {
      case 'h':
        ++p;
        if (*p == 'h') {
          ++p;
          spec.length = Length::kChar;
        } else {
          spec.length = Length::kShort;
        }
        break;
      case 'l':
        ++p;
        if (*p == 'l') {
          ++p;
          spec.length = Length::kLongLong;
        } else {
          spec.length = Length::kLong;
        }
        break;
      case 'z': ++p; spec.length = Length::kSize; break;
      case 'j': ++p; spec.length = Length::kMax; break;
      case 't': ++p; spec.length = Length::kPtrDiff; break;
      case 'L': ++p; spec.length = Length::kLongDouble; break;
      default: break;
    }
    spec.conversion = *p;
    if (*p == '\0') break;
    ++p;
    switch (spec.conversion) {
      case 'd':
      case 'i':
        switch (spec.length) {
          case Length::kChar: AppendSigned(out, spec, static_cast<signed char>(va_arg(ap, int))); break;
          case Length::kShort: AppendSigned(out, spec, static_cast<short>(va_arg(ap, int))); break;
          case Length::kLong: AppendSigned(out, spec, va_arg(ap, long)); break;
          case Length::kLongLong:
          case Length::kLongDouble: AppendSigned(out, spec, va_arg(ap, long long)); break;
          case Length::kSize: AppendSigned(out, spec, va_arg(ap, std::make_signed_t<std::size_t>)); break;
          case Length::kMax: AppendSigned(out, spec, va_arg(ap, std::intmax_t)); break;
          case Length::kPtrDiff: AppendSigned(out, spec, va_arg(ap, std::ptrdiff_t)); break;
          case Length::kNone: AppendSigned(out, spec, va_arg(ap, int)); break;
        }
        break;
      case 'u':
      case 'x':
      case 'X':
      case 'o': {
        unsigned long long value = 0;
        switch (spec.length) {
          case Length::kChar: value = static_cast<unsigned char>(va_arg(ap, unsigned)); break;
          case Length::kShort: value = static_cast<unsigned short>(va_arg(ap, unsigned)); break;
          case Length::kLong: value = va_arg(ap, unsigned long); break;
          case Length::kLongLong:
          case Length::kLongDouble: value = va_arg(ap, unsigned long long); break;
          case Length::kSize: value = va_arg(ap, std::size_t); break;
          case Length::kMax: value = va_arg(ap, std::uintmax_t); break;
          case Length::kPtrDiff: value = static_cast<std::make_unsigned_t<std::ptrdiff_t>>(va_arg(ap, std::ptrdiff_t)); break;
          case Length::kNone: value = va_arg(ap, unsigned); break;
        }
        AppendInteger(out, spec, value, '\0');
        break;
      }
      case 'c':
        if (spec.length == Length::kLong) {
          AppendThroughLibrary(out, spec, static_cast<std::wint_t>(va_arg(ap, std::wint_t)));
        } else {
          const char c = static_cast<char>(static_cast<unsigned char>(va_arg(ap, int)));
          AppendPadded(out, spec, &c, 1);
        }
        break;
      case 's':
        if (spec.length == Length::kLong) {
          AppendThroughLibrary(out, spec, va_arg(ap, const wchar_t*));
        } else {
          AppendString(out, spec, va_arg(ap, const char*));
        }
        break;
      case '%':
        out.Append("%", 1);
        break;
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A':
        if (spec.length == Length::kLongDouble) {
          AppendThroughLibrary(out, spec, va_arg(ap, long double));
        } else {
          AppendThroughLibrary(out, spec, va_arg(ap, double));
        }
        break;
      case 'p':
        AppendThroughLibrary(out, spec, va_arg(ap, void*));
        break;
      case 'n':
        // Takes its pointer and stores nothing: no report line counts its own length.
        (void)va_arg(ap, void*);
        break;
      default:
        // Not a conversion: shown as written.
        out.Append(specStart, static_cast<std::size_t>(p - specStart));
        break;
    }
  }
  va_end(ap);
}

}  // namespace disklens
