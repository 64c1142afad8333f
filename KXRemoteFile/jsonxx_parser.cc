#include "jsonxx_parser.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <utility>

#include "jsonxx_number.h"

namespace jsonxx {
namespace internal {
namespace {

inline bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads [p, end) as the stream extraction of a hexadecimal integer would:
// leading white space, a sign and a "0x" prefix are allowed, at least one
// digit is needed, reading stops at the first other character.
bool readHex(const char* p, const char* end, unsigned long* out) {
  while (p < end && isSpace(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  bool any = false;
  if (p < end && *p == '0') {
    any = true;
    ++p;
    if (p < end && (*p == 'x' || *p == 'X')) ++p;
  }
  unsigned long v = 0;
  for (int d; p < end && (d = hexDigit(*p)) >= 0; ++p) {
    v = v * 16 + static_cast<unsigned long>(d);
    any = true;
  }
  if (!any) return false;
  *out = negative ? 0 - v : v;
  return true;
}

// Byte-wise, like std::string's operator< but without a library call for
// the short keys of REST answers.
bool keyLess(const String& a, const String& b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a.data());
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b.data());
  for (size_t i = 0; i < n; ++i)
    if (x[i] != y[i]) return x[i] < y[i];
  return a.size() < b.size();
}

// Orders the member indices by key, stable so that among equal keys the
// later member comes last.
void sortIndices(const Object::Member* members, std::uint32_t* first, std::uint32_t* last) {
  auto less = [members](std::uint32_t a, std::uint32_t b) {
    return keyLess(members[a].first, members[b].first);
  };
  if (last - first > 32) {
    std::stable_sort(first, last, less);
    return;
  }
  for (std::uint32_t* i = first + 1; i < last; ++i) {
    const std::uint32_t moving = *i;
    std::uint32_t* j = i;
    for (; j != first && less(moving, *(j - 1)); --j) *j = *(j - 1);
    *j = moving;
  }
}

}  // namespace

class Parser::DepthGuard {
 public:
  explicit DepthGuard(int* depth) : depth_(depth) { ++*depth_; }
  ~DepthGuard() { --*depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
  bool ok() const { return *depth_ <= kMaxParseDepth; }

 private:
  int* depth_;
};

void Parser::skipSpace() {
  while (p_ < end_ && isSpace(*p_)) ++p_;
}

bool Parser::skipComment() {
  if (end_ - p_ < 2 || p_[0] != '/' || p_[1] != '/') return false;
  p_ += 2;
  while (p_ < end_ && *p_ != '\r' && *p_ != '\n') ++p_;
  skipSpace();
  return true;
}

void Parser::skipSpaceAndComments() {
  do {
    skipSpace();
  } while (skipComment());
}

bool Parser::matchChar(char expected) {
  skipSpace();
  for (;;) {
    if (p_ < end_ && *p_ == expected) {
      ++p_;
      return true;
    }
    if (!skipComment()) return false;
  }
}

// A comment may interrupt the word; on a mismatch the matched characters
// are given back.
bool Parser::matchWord(const char* word) {
  skipSpace();
  const char* start = nullptr;
  while (*word != '\0') {
    if (p_ < end_ && *p_ == *word) {
      if (start == nullptr) start = p_;
      ++p_;
      ++word;
    } else if (!skipComment()) {
      if (start != nullptr) p_ = start;
      return false;
    }
  }
  return true;
}

bool Parser::parseQuoted(const char** data, size_t* size) {
  if (matchChar('"')) return readStringBody('"', data, size);
  if (peekIs('\'')) {
    ++p_;
    return readStringBody('\'', data, size);
  }
  return false;
}

// The text up to the closing quote. Without escapes it is a slice of the
// input, otherwise it lives in unescaped_ until the next string is read.
bool Parser::readStringBody(char quote, const char** data, size_t* size) {
  const char* start = p_;
  while (p_ < end_ && *p_ != quote && *p_ != '\\') ++p_;
  if (p_ == end_) return false;
  if (*p_ == quote) {
    *data = start;
    *size = static_cast<size_t>(p_ - start);
    ++p_;
    return true;
  }
  unescaped_.assign(start, p_);
  while (p_ < end_) {
    const char c = *p_++;
    if (c == quote) {
      *data = unescaped_.data();
      *size = unescaped_.size();
      return true;
    }
    if (c != '\\') {
      unescaped_ += c;
      continue;
    }
    if (p_ == end_) return false;
    const char e = *p_++;
    switch (e) {
      case '\\': unescaped_ += '\\'; break;
      case '/': unescaped_ += '/'; break;
      case 'b': unescaped_ += '\b'; break;
      case 'f': unescaped_ += '\f'; break;
      case 'n': unescaped_ += '\n'; break;
      case 'r': unescaped_ += '\r'; break;
      case 't': unescaped_ += '\t'; break;
      case 'u': readUnicodeEscape(); break;
      default:
        if (e != quote) unescaped_ += '\\';
        unescaped_ += e;
    }
  }
  return false;
}

// Four characters are consumed whatever they hold; only the low byte of
// the code is kept.
void Parser::readUnicodeEscape() {
  const size_t n = std::min<size_t>(4, static_cast<size_t>(end_ - p_));
  const char* code = p_;
  p_ += n;
  unsigned long v = 0;
  if (n == 4 && readHex(code, p_, &v)) unescaped_ += static_cast<char>(v & 0xFF);
}

bool Parser::parseValue(Value* value) {
  skipSpaceAndComments();
  if (p_ == end_) return false;
  switch (*p_) {
    case '"':
    case '\'': {
      const char quote = *p_++;
      const char* data;
      size_t size;
      if (!readStringBody(quote, &data, &size)) return false;
      value->setString(data, size);
      return true;
    }
    case 't':
    case 'f': {
      const bool truth = *p_ == 't';
      if (!matchWord(truth ? "true" : "false")) return false;
      value->u_.boolean = truth;
      value->kind_ = Kind::Boolean;
      return true;
    }
    case 'n':
      if (!matchWord("null")) return false;
      value->kind_ = Kind::Null;
      return true;
    case ',':
      // An empty value before a comma reads as Null.
      value->kind_ = Kind::Null;
      return true;
    case '[':
    case '{':
      return parseArrayOrObject(value);
    default: {
      Number n;
      const char* stop = readNumber(p_, end_, &n);
      if (stop == nullptr) return false;
      p_ = stop;
      value->u_.number = n;
      value->kind_ = Kind::Number;
      return true;
    }
  }
}

// A failed array attempt is followed by an object attempt from wherever
// it stopped.
bool Parser::parseArrayOrObject(Value* value) {
  if (*p_ == '[') {
    value->setArray(Array());
    if (parseArray(&value->u_.array)) return true;
    value->destroy();
  }
  value->setObject(Object());
  if (parseObject(&value->u_.object)) return true;
  value->destroy();
  return false;
}

bool Parser::parseArray(Array* array) {
  DepthGuard guard(&depth_);
  if (!guard.ok() || !matchChar('[')) return false;
  if (matchChar(']')) return true;
  const size_t base = values_.size();
  for (;;) {
    Value v;
    if (!parseValue(&v)) break;
    values_.push_back(std::move(v));
    if (!matchChar(',')) break;
  }
  const bool ok = matchChar(']');
  finishArray(array, base);
  return ok;
}

bool Parser::parseObject(Object* object) {
  DepthGuard guard(&depth_);
  if (!guard.ok() || !matchChar('{')) return false;
  if (matchChar('}')) return true;
  const size_t base = members_.size();
  bool sorted = true;
  bool failed = false;
  for (;;) {
    const char* data;
    size_t size;
    if (!parseQuoted(&data, &size)) {
      failed = !peekIs('}');
      break;
    }
    String key(data, size);
    if (!matchChar(':')) {
      failed = true;
      break;
    }
    Value v;
    if (!parseValue(&v)) break;
    if (sorted && members_.size() > base && !keyLess(members_.back().first, key)) sorted = false;
    members_.emplace_back(std::move(key), std::move(v));
    if (!matchChar(',')) break;
  }
  const bool ok = !failed && matchChar('}');
  finishObject(object, base, sorted);
  return ok;
}

void Parser::finishArray(Array* array, size_t base) {
  if (base == 0 && array->values_.empty()) {
    // The bottom of the stack (usually the one big list of an answer) is
    // handed over whole rather than copied: no second buffer at the peak.
    array->values_.swap(values_);
    return;
  }
  auto first = values_.begin() + static_cast<std::ptrdiff_t>(base);
  array->values_.reserve(array->values_.size() + (values_.size() - base));
  std::move(first, values_.end(), std::back_inserter(array->values_));
  values_.erase(first, values_.end());
}

// Moves the members into the object in key order, keeping the last of
// duplicate keys; each member moves once.
void Parser::finishObject(Object* object, size_t base, bool sorted) {
  const size_t n = members_.size() - base;
  Object::Member* gathered = members_.data() + base;
  if (sorted) {
    object->members_.reserve(n);
    for (size_t i = 0; i < n; ++i) object->members_.push_back(std::move(gathered[i]));
  } else {
    std::uint32_t small[32];
    std::vector<std::uint32_t> large;
    std::uint32_t* order = small;
    if (n > 32) {
      large.resize(n);
      order = large.data();
    }
    for (size_t i = 0; i < n; ++i) order[i] = static_cast<std::uint32_t>(i);
    sortIndices(gathered, order, order + n);
    size_t unique = 0;
    for (size_t i = 0; i < n; ++i)
      if (i + 1 == n || gathered[order[i]].first != gathered[order[i + 1]].first) order[unique++] = order[i];
    object->members_.reserve(unique);
    for (size_t i = 0; i < unique; ++i) object->members_.push_back(std::move(gathered[order[i]]));
  }
  members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(base), members_.end());
}

}  // namespace internal
}  // namespace jsonxx
