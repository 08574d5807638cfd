#include "text/char_width.h"


#include <locale.h>
#include <wchar.h>

namespace disklens {

namespace {

// The C library's tables of a UTF-8 locale, for this thread only while asked:
// the program's own locale (and so its printf) stays "C".
locale_t Utf8Locale() {
  static const locale_t utf8 = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (l == static_cast<locale_t>(nullptr)) {
      l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
    }
    return l;
  }();
  return utf8;
}

}  // namespace

int CharWidth(std::uint32_t cp) {
  const locale_t utf8 = Utf8Locale();
  // Without a UTF-8 locale every character takes one column, as it did before.
  if (utf8 == static_cast<locale_t>(nullptr) || cp > 0x10FFFF) return 1;
  const locale_t previous = uselocale(utf8);
  const int width = wcwidth(static_cast<wchar_t>(cp));
  uselocale(previous);
  if (width < 0) return 1;
  return width > 2 ? 2 : width;
}

}  // namespace disklens
