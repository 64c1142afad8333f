#include "jsonxx_number.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace jsonxx {
namespace internal {
namespace {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The extent of the characters the stream extraction collects: it stops at
// the first character that cannot continue the number, whether or not what
// it collected then converts.
const char* scanNumber(const char* p, const char* end) {
  if (p < end && (*p == '+' || *p == '-')) ++p;
  bool mantissa = false, point = false, exponent = false;
  while (p < end) {
    const char c = *p;
    if (isDigit(c)) {
      mantissa = true;
    } else if (c == '.' && !point && !exponent) {
      point = true;
    } else if ((c == 'e' || c == 'E') && !exponent && mantissa) {
      exponent = true;
      ++p;
      if (p < end && (*p == '+' || *p == '-')) ++p;
      continue;
    } else {
      break;
    }
    ++p;
  }
  return p;
}

locale_t classicLocale() {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

// Out-of-range results from from_chars: an underflow still reads (as zero
// or a subnormal, like strtod), an overflow fails.
bool convertOutOfRange(const char* begin, const char* end, Number* out) {
  std::string text(begin, end);
  char* stop = nullptr;
  const double v = strtod_l(text.c_str(), &stop, classicLocale());
  if (stop != text.c_str() + text.size() || std::isinf(v)) return false;
  *out = v;
  return true;
}

}  // namespace

const char* readNumber(const char* begin, const char* end, Number* out) {
  const char* stop = scanNumber(begin, end);
  const char* p = begin;
  bool negative = false;
  if (p < stop && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p == stop) return nullptr;

  // Plain integers of up to 15 digits convert exactly.
  if (stop - p <= 15) {
    unsigned long long acc = 0;
    const char* q = p;
    while (q < stop && isDigit(*q)) acc = acc * 10 + static_cast<unsigned>(*q++ - '0');
    if (q == stop) {
      const double v = static_cast<double>(acc);
      *out = negative ? -v : v;
      return stop;
    }
  }

  double v = 0;
  const std::from_chars_result r = std::from_chars(p, stop, v, std::chars_format::general);
  if (r.ptr != stop) return nullptr;
  if (r.ec == std::errc::result_out_of_range) {
    if (!convertOutOfRange(p, stop, &v)) return nullptr;
  } else if (r.ec != std::errc()) {
    return nullptr;
  }
  *out = negative ? -v : v;
  return stop;
}

void appendNumber(std::string* out, Number n) {
  // The 16-digit forms of the largest finite doubles round up past the
  // overflow threshold.
  const int precision = std::fabs(n) >= 1.7976931348623155e308 && std::isfinite(n) ? 17 : 16;
  char buf[64];
  const std::to_chars_result r =
      std::to_chars(buf, buf + sizeof buf, n, std::chars_format::general, precision);
  out->append(buf, r.ptr);
}

}  // namespace internal
}  // namespace jsonxx
