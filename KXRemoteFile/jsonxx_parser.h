// The permissive jsonxx parser, reading directly from a text.
#ifndef KX_JSONXX_PARSER_H_
#define KX_JSONXX_PARSER_H_

#include <cstddef>
#include <string>
#include <vector>

#include "jsonxx.h"

namespace jsonxx {
namespace internal {

// One parse over [begin, end). Members are gathered on scratch stacks and
// moved into exactly sized containers when their container closes.
class Parser {
 public:
  Parser(const char* begin, const char* end) : p_(begin), begin_(begin), end_(end) {}
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  // Each parses one item into an empty target; on failure the target keeps
  // what was read before the failure point.
  bool parseValue(Value* value);
  bool parseArray(Array* array);
  bool parseObject(Object* object);

  // Bytes read so far.
  size_t consumed() const { return static_cast<size_t>(p_ - begin_); }

 private:
  class DepthGuard;

  void skipSpace();
  bool skipComment();
  void skipSpaceAndComments();
  bool matchChar(char expected);
  bool matchWord(const char* word);
  bool peekIs(char c) const { return p_ < end_ && *p_ == c; }

  bool parseQuoted(const char** data, size_t* size);
  bool readStringBody(char quote, const char** data, size_t* size);
  void readUnicodeEscape();
  bool parseArrayOrObject(Value* value);
  void finishArray(Array* array, size_t base);
  void finishObject(Object* object, size_t base, bool sorted);

  const char* p_;
  const char* const begin_;
  const char* const end_;
  int depth_ = 0;
  std::vector<Value> values_;
  std::vector<Object::Member> members_;
  std::string unescaped_;
};

}  // namespace internal
}  // namespace jsonxx

#endif  // KX_JSONXX_PARSER_H_
