// The written forms of jsonxx documents: the indented json() form and the
// compact stream form.
#ifndef KX_JSONXX_WRITER_H_
#define KX_JSONXX_WRITER_H_

#include <iosfwd>
#include <string>

#include "jsonxx.h"

namespace jsonxx {
namespace internal {

class Writer {
 public:
  // The json() text of a whole document.
  static std::string json(const Object& object);
  static std::string json(const Array& array);

  // The compact form.
  static void compact(std::ostream& out, const Value& value);
  static void compact(std::ostream& out, const Array& array);
  static void compact(std::ostream& out, const Object& object);

  // Appends text with quotes, backslashes, slashes and control bytes
  // escaped.
  static void appendEscaped(std::string* out, const std::string& text);

 private:
  static void member(std::string* out, int depth, const String* key, const Value& value);
  static void array(std::string* out, int depth, const String* key, const Array& array);
  static void object(std::string* out, int depth, const String* key, const Object& object);
  static void indent(std::string* out, int depth, const String* key);
  static void open(std::string* out, int depth, const String* key, char bracket);
  static void close(std::string* out, size_t start, int depth, char bracket);
};

}  // namespace internal
}  // namespace jsonxx

#endif  // KX_JSONXX_WRITER_H_
