// Locale-independent reading and writing of jsonxx numbers.
#ifndef KX_JSONXX_NUMBER_H_
#define KX_JSONXX_NUMBER_H_

#include <string>

#include "jsonxx.h"

namespace jsonxx {
namespace internal {

// Reads a number from [begin, end) with the grammar and result of the C++
// stream extraction of a double in the classic locale: optional sign,
// digits, optional fraction, optional exponent ("+1", ".5" and "1." are
// numbers; "1e", "inf", "nan" and hex forms are not; a value beyond the
// double range fails, one below it reads as zero or a subnormal).
// Returns the end of the number, or nullptr on failure (*out untouched).
const char* readNumber(const char* begin, const char* end, Number* out);

// Appends n with 16 significant digits like printf's "%.16g" in the C
// locale; the two finite values whose 16-digit form would read back beyond
// the double range get 17 digits instead.
void appendNumber(std::string* out, Number n);

}  // namespace internal
}  // namespace jsonxx

#endif  // KX_JSONXX_NUMBER_H_
