// jsonxx: in-memory JSON documents with a permissive parser and an indented
// writer. Used to read array REST answers and to write and read the
// remote-execution messages.
//
// Parsing accepts "//" line comments (even inside tokens), single-quoted
// strings, trailing commas and empty values (read as Null); later duplicate
// keys win and input after the closing bracket is ignored. Parsing never
// throws: it returns false and leaves what was read before the failure.
//
// Accessors with a precondition (Value::get, Object::get, Array::get) write
// "[JSONXX] expression '...' failed at jsonxx:N -> " to standard error and
// throw jsonxx::PreconditionError when it is broken. Test Object::has (or
// Array::size) first when a member may be missing or of another kind.
//
// Numbers are read and written independently of any locale (C semantics).
// Documents are not thread-safe; distinct documents may be used from
// distinct threads.
#ifndef KX_JSONXX_H_
#define KX_JSONXX_H_

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace jsonxx {

typedef double Number;
typedef bool Boolean;
typedef std::string String;
struct Null {};

class Value;
class Array;
class Object;

// Nesting depth of arrays and objects beyond which a parse fails.
constexpr int kMaxParseDepth = 512;

// A broken accessor precondition; what() names the expression (and the key
// or index concerned).
class PreconditionError : public std::logic_error {
 public:
  explicit PreconditionError(const std::string& what) : std::logic_error(what) {}
};

namespace internal {
class Parser;
class Writer;
enum class Kind : unsigned char { Number, String, Boolean, Null, Array, Object, Invalid };
template <typename T> struct KindOf;
template <> struct KindOf<Number> { static constexpr Kind value = Kind::Number; };
template <> struct KindOf<String> { static constexpr Kind value = Kind::String; };
template <> struct KindOf<Boolean> { static constexpr Kind value = Kind::Boolean; };
template <> struct KindOf<Null> { static constexpr Kind value = Kind::Null; };
template <> struct KindOf<Array> { static constexpr Kind value = Kind::Array; };
template <> struct KindOf<Object> { static constexpr Kind value = Kind::Object; };

// Writes the diagnostic line and throws PreconditionError.
[[noreturn]] void failPrecondition(const char* expression, int line,
                                   const std::string& detail = std::string());
}  // namespace internal

// An ordered sequence of owned values.
class Array {
 public:
  typedef std::vector<Value> Container;

  Array() = default;
  Array(const Array& other);
  Array(Array&& other) noexcept;
  ~Array();
  // Unless the same array: reset, then append copies.
  Array& operator=(const Array& other);
  Array& operator=(Array&& other) noexcept;
  // Reset, then the value becomes the only member.
  Array& operator=(const Value& value);

  size_t size() const;
  bool empty() const;

  // Member i as T. Preconditions: i < size() and the member's kind is T.
  template <typename T> T& get(unsigned int i);
  template <typename T> const T& get(unsigned int i) const;

  const Container& values() const { return values_; }

  // Append a copy of the value.
  Array& operator<<(const Value& value);
  void import(const Value& value) { *this << value; }
  // Append copies of every member of other (of itself: doubles the members).
  Array& operator<<(const Array& other);
  void import(const Array& other) { *this << other; }

  void reset();

  // Reset, then parse an array; trailing input is ignored.
  bool parse(const String& text);
  bool parse(std::istream& input);

  // The indented written form (tabs, sorted keys).
  String json() const;

 private:
  friend class internal::Parser;
  friend class Value;
  Container values_;
};

// A map from key to owned value, kept in byte-wise key order; one value per
// key. Beside it, the pending key of the streaming insert operator.
class Object {
 public:
  typedef std::pair<String, Value> Member;
  // Sorted by key (byte-wise), keys unique.
  typedef std::vector<Member> Map;

  Object() = default;
  // Copies the members; a copy starts without a pending key.
  Object(const Object& other);
  Object(Object&& other) noexcept;
  ~Object();
  // Clears the pending key; unless the same object: reset, then copy.
  Object& operator=(const Object& other);
  Object& operator=(Object&& other) noexcept;

  size_t size() const;
  bool empty() const;

  // True when key is present and its value is of kind T.
  template <typename T> bool has(const String& key) const;

  // The key's value as T. Precondition: has<T>(key).
  template <typename T> T& get(const String& key);
  template <typename T> const T& get(const String& key) const;

  const Map& kv_map() const { return members_; }

  // Insert a copy under key, replacing a previous value; clears the
  // pending key.
  void import(const String& key, const Value& value);
  // Clears the pending key, then replaces or inserts a copy of every member
  // of other; keys only in this object remain.
  void import(const Object& other);

  // Streaming insert: without a pending key the value must be a String and
  // becomes the pending key; with one, the value is stored under it.
  Object& operator<<(const Value& value);
  // Stores a copy of other under the pending key (the empty key when none)
  // and clears it.
  Object& operator<<(const Object& other);

  void reset();

  // Reset, then parse an object; trailing input is ignored.
  bool parse(const String& text);
  bool parse(std::istream& input);

  // The indented written form (tabs, sorted keys).
  String json() const;
  // Format 0 gives json(); the XML formats are not built (precondition
  // failure).
  String write(unsigned int format) const;

 private:
  friend class internal::Parser;
  friend class Value;
  const Value* find(const String& key) const;
  Value* find(const String& key);

  Map members_;
  std::unique_ptr<String> pending_;
};

// One JSON value: Number, String, Boolean, Null, Array, Object, or invalid
// (default-constructed, holds nothing). The value owns its payload, held in
// place; copies are deep.
class Value {
 public:
  Value() noexcept : kind_(internal::Kind::Invalid) {}
  Value(Number n) noexcept : kind_(internal::Kind::Number) { u_.number = n; }
  template <typename T, typename = std::enable_if_t<std::is_integral<T>::value &&
                                                    !std::is_same<T, bool>::value>>
  Value(T n) noexcept : Value(static_cast<Number>(n)) {}
  Value(Boolean b) noexcept : kind_(internal::Kind::Boolean) { u_.boolean = b; }
  Value(Null) noexcept : kind_(internal::Kind::Null) {}
  Value(const String& s);
  Value(String&& s) noexcept;
  Value(const char* s);
  Value(const Array& a);
  Value(Array&& a) noexcept;
  Value(const Object& o);
  Value(Object&& o) noexcept;
  Value(const Value& other);
  Value(Value&& other) noexcept { take(&other); }
  Value& operator=(const Value& other) {
    import(other);
    return *this;
  }
  Value& operator=(Value&& other) noexcept {
    if (this != &other) {
      destroy();
      take(&other);
    }
    return *this;
  }
  ~Value() { destroy(); }

  // True when the kind is T (Number, String, Boolean, Null, Array, Object).
  template <typename T> bool is() const { return kind_ == internal::KindOf<T>::value; }

  // The payload as T (Number, String, Boolean, Array, Object).
  // Precondition: is<T>(). A String, Array or Object kind whose payload was
  // released by reset() reads as empty.
  template <typename T> T& get();
  template <typename T> const T& get() const;

  // Replace the content by a copy of x. Importing a value into itself does
  // nothing; importing an invalid value makes this one invalid.
  void import(const Number& n);
  void import(const String& s);
  void import(const char* s) { import(String(s)); }
  void import(const Boolean& b);
  void import(const Null&);
  void import(const Array& a);
  void import(const Object& o);
  void import(const Value& other);

  // Releases a String, Array or Object payload; the kind stays as it was.
  void reset() noexcept;

  // True for the invalid kind and for a String, Array or Object kind
  // without payload.
  bool empty() const { return kind_ == internal::Kind::Invalid || released_; }

  // Resets, then parses one value. On failure the kind stays as it was
  // (without payload). The stream form reads the stream to its end and,
  // when the stream is seekable, leaves it just after the parsed value.
  bool parse(const String& text);
  bool parse(std::istream& input);

 private:
  friend class internal::Parser;
  friend class internal::Writer;
  // Ends the payload's lifetime and leaves the value invalid.
  void destroy() noexcept {
    switch (kind_) {
      case internal::Kind::String: u_.string.~String(); break;
      case internal::Kind::Array: u_.array.~Array(); break;
      case internal::Kind::Object: u_.object.~Object(); break;
      default: break;
    }
    kind_ = internal::Kind::Invalid;
    released_ = false;
  }
  // Moves other's content here (this holds nothing) and leaves other
  // invalid.
  void take(Value* other) noexcept;
  // These construct a payload in a value that holds nothing.
  void setString(String&& s) noexcept;
  void setString(const char* data, size_t size);
  void setArray(Array&& a) noexcept;
  void setObject(Object&& o) noexcept;

  internal::Kind kind_;
  // A String, Array or Object kind whose payload reset() released.
  bool released_ = false;
  union Payload {
    Payload() noexcept : number(0) {}
    ~Payload() {}
    Number number;
    Boolean boolean;
    // Each alive exactly while the kind says so.
    String string;
    Array array;
    Object object;
  } u_;
};

// True when text, after leading bytes at or below the space, starts with
// "{" or "[" and parses as an object or array.
bool validate(const String& text);
bool validate(std::istream& input);

// json() of the object or array that text holds; empty on failure.
String reformat(const String& text);
String reformat(std::istream& input);

// Compact form: {"key": value, ...} and [value, ...]; numbers with the
// stream's precision; an invalid value writes nothing.
std::ostream& operator<<(std::ostream& stream, const Value& value);
std::ostream& operator<<(std::ostream& stream, const Array& array);
std::ostream& operator<<(std::ostream& stream, const Object& object);

// ---- inline definitions ----

inline Array::Array(const Array& other) : values_(other.values_) {}
inline Array::Array(Array&& other) noexcept : values_(std::move(other.values_)) {}
inline Array::~Array() = default;
inline Array& Array::operator=(Array&& other) noexcept {
  values_ = std::move(other.values_);
  return *this;
}
inline size_t Array::size() const { return values_.size(); }
inline bool Array::empty() const { return values_.empty(); }
inline void Array::reset() { values_.clear(); }

inline Object::Object(const Object& other) : members_(other.members_) {}
inline Object::Object(Object&& other) noexcept
    : members_(std::move(other.members_)), pending_(std::move(other.pending_)) {}
inline Object::~Object() = default;
inline Object& Object::operator=(Object&& other) noexcept {
  members_ = std::move(other.members_);
  pending_ = std::move(other.pending_);
  return *this;
}
inline size_t Object::size() const { return members_.size(); }
inline bool Object::empty() const { return members_.empty(); }
inline void Object::reset() { members_.clear(); }

inline void Value::take(Value* other) noexcept {
  kind_ = other->kind_;
  released_ = other->released_;
  switch (kind_) {
    case internal::Kind::String: new (&u_.string) String(std::move(other->u_.string)); break;
    case internal::Kind::Array: new (&u_.array) Array(std::move(other->u_.array)); break;
    case internal::Kind::Object: new (&u_.object) Object(std::move(other->u_.object)); break;
    default: u_.number = other->u_.number; break;
  }
  other->destroy();
}

// ---- accessor templates ----

template <> inline Number& Value::get<Number>() {
  if (kind_ != internal::Kind::Number) internal::failPrecondition("is<Number>()", __LINE__);
  return u_.number;
}
template <> inline const Number& Value::get<Number>() const {
  if (kind_ != internal::Kind::Number) internal::failPrecondition("is<Number>()", __LINE__);
  return u_.number;
}
template <> inline Boolean& Value::get<Boolean>() {
  if (kind_ != internal::Kind::Boolean) internal::failPrecondition("is<Boolean>()", __LINE__);
  return u_.boolean;
}
template <> inline const Boolean& Value::get<Boolean>() const {
  if (kind_ != internal::Kind::Boolean) internal::failPrecondition("is<Boolean>()", __LINE__);
  return u_.boolean;
}
template <> inline String& Value::get<String>() {
  if (kind_ != internal::Kind::String) internal::failPrecondition("is<String>()", __LINE__);
  released_ = false;
  return u_.string;
}
template <> inline const String& Value::get<String>() const {
  if (kind_ != internal::Kind::String) internal::failPrecondition("is<String>()", __LINE__);
  return u_.string;
}
template <> inline Array& Value::get<Array>() {
  if (kind_ != internal::Kind::Array) internal::failPrecondition("is<Array>()", __LINE__);
  released_ = false;
  return u_.array;
}
template <> inline const Array& Value::get<Array>() const {
  if (kind_ != internal::Kind::Array) internal::failPrecondition("is<Array>()", __LINE__);
  return u_.array;
}
template <> inline Object& Value::get<Object>() {
  if (kind_ != internal::Kind::Object) internal::failPrecondition("is<Object>()", __LINE__);
  released_ = false;
  return u_.object;
}
template <> inline const Object& Value::get<Object>() const {
  if (kind_ != internal::Kind::Object) internal::failPrecondition("is<Object>()", __LINE__);
  return u_.object;
}

template <typename T> T& Array::get(unsigned int i) {
  if (i >= values_.size())
    internal::failPrecondition("i < size()", __LINE__, "index " + std::to_string(i));
  return values_[i].get<T>();
}
template <typename T> const T& Array::get(unsigned int i) const {
  if (i >= values_.size())
    internal::failPrecondition("i < size()", __LINE__, "index " + std::to_string(i));
  return values_[i].get<T>();
}

template <typename T> bool Object::has(const String& key) const {
  const Value* v = find(key);
  return v != nullptr && v->is<T>();
}
template <typename T> T& Object::get(const String& key) {
  Value* v = find(key);
  if (v == nullptr || !v->is<T>())
    internal::failPrecondition("has<T>(key)", __LINE__, "key \"" + key + "\"");
  return v->get<T>();
}
template <typename T> const T& Object::get(const String& key) const {
  const Value* v = find(key);
  if (v == nullptr || !v->is<T>())
    internal::failPrecondition("has<T>(key)", __LINE__, "key \"" + key + "\"");
  return v->get<T>();
}

}  // namespace jsonxx

#endif  // KX_JSONXX_H_
