#include "jsonxx.h"

#include <algorithm>
#include <cstdio>
#include <istream>
#include <iterator>
#include <new>

#include "jsonxx_parser.h"
#include "jsonxx_writer.h"

namespace jsonxx {
namespace internal {

void failPrecondition(const char* expression, int line, const std::string& detail) {
  std::fprintf(stderr, "[JSONXX] expression '%s' failed at %s:%d -> \n", expression, "jsonxx",
               line);
  std::string what = "jsonxx: expression '";
  what += expression;
  what += "' failed";
  if (!detail.empty()) what += " (" + detail + ")";
  throw PreconditionError(what);
}

namespace {

// Each resets the target, parses text into it and tells how much was read.
bool parseInto(Value* value, const std::string& text, size_t* consumed) {
  value->reset();
  Parser parser(text.data(), text.data() + text.size());
  Value parsed;
  const bool ok = parser.parseValue(&parsed);
  *consumed = parser.consumed();
  if (ok) *value = std::move(parsed);
  return ok;
}

bool parseInto(Array* array, const std::string& text, size_t* consumed) {
  array->reset();
  Parser parser(text.data(), text.data() + text.size());
  const bool ok = parser.parseArray(array);
  *consumed = parser.consumed();
  return ok;
}

bool parseInto(Object* object, const std::string& text, size_t* consumed) {
  object->reset();
  Parser parser(text.data(), text.data() + text.size());
  const bool ok = parser.parseObject(object);
  *consumed = parser.consumed();
  return ok;
}

template <typename Target>
bool parseText(Target* target, const std::string& text) {
  size_t consumed;
  return parseInto(target, text, &consumed);
}

std::string readAll(std::istream& input) {
  return std::string((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
}

// Streams are read to their end; a seekable one is put back just after
// the part the parse consumed.
template <typename Target>
bool parseStream(Target* target, std::istream& input) {
  const std::streampos start = input.tellg();
  const std::string text = readAll(input);
  size_t consumed = 0;
  const bool ok = parseInto(target, text, &consumed);
  if (start != std::streampos(-1)) {
    input.clear();
    input.seekg(start + static_cast<std::streamoff>(consumed));
  } else {
    input.setstate(std::ios::eofbit);
  }
  return ok;
}

size_t skipLowBytes(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  return i;
}

}  // namespace
}  // namespace internal

// ---- Value ----

Value::Value(const String& s) : kind_(internal::Kind::String) { new (&u_.string) String(s); }
Value::Value(String&& s) noexcept : kind_(internal::Kind::String) {
  new (&u_.string) String(std::move(s));
}
Value::Value(const char* s) : kind_(internal::Kind::String) { new (&u_.string) String(s); }
Value::Value(const Array& a) : kind_(internal::Kind::Array) { new (&u_.array) Array(a); }
Value::Value(Array&& a) noexcept : kind_(internal::Kind::Array) {
  new (&u_.array) Array(std::move(a));
}
Value::Value(const Object& o) : kind_(internal::Kind::Object) { new (&u_.object) Object(o); }
Value::Value(Object&& o) noexcept : kind_(internal::Kind::Object) {
  new (&u_.object) Object(std::move(o));
}

Value::Value(const Value& other) : kind_(internal::Kind::Invalid) { import(other); }

void Value::setString(String&& s) noexcept {
  new (&u_.string) String(std::move(s));
  kind_ = internal::Kind::String;
}

void Value::setString(const char* data, size_t size) {
  new (&u_.string) String(data, size);
  kind_ = internal::Kind::String;
}

void Value::setArray(Array&& a) noexcept {
  new (&u_.array) Array(std::move(a));
  kind_ = internal::Kind::Array;
}

void Value::setObject(Object&& o) noexcept {
  new (&u_.object) Object(std::move(o));
  kind_ = internal::Kind::Object;
}

void Value::reset() noexcept {
  switch (kind_) {
    case internal::Kind::String: String().swap(u_.string); break;
    case internal::Kind::Array: Array::Container().swap(u_.array.values_); break;
    case internal::Kind::Object:
      Object::Map().swap(u_.object.members_);
      u_.object.pending_.reset();
      break;
    default: return;
  }
  released_ = true;
}

// Each import copies before destroying, so x may live inside this value.
void Value::import(const Number& n) {
  destroy();
  kind_ = internal::Kind::Number;
  u_.number = n;
}

void Value::import(const String& s) {
  String copy(s);
  destroy();
  setString(std::move(copy));
}

void Value::import(const Boolean& b) {
  destroy();
  kind_ = internal::Kind::Boolean;
  u_.boolean = b;
}

void Value::import(const Null&) {
  destroy();
  kind_ = internal::Kind::Null;
}

void Value::import(const Array& a) {
  Array copy(a);
  destroy();
  setArray(std::move(copy));
}

void Value::import(const Object& o) {
  Object copy(o);
  destroy();
  setObject(std::move(copy));
}

void Value::import(const Value& other) {
  if (&other == this) return;
  // Read first: other may live inside this value.
  const bool released = other.released_;
  switch (other.kind_) {
    case internal::Kind::Number: import(other.u_.number); break;
    case internal::Kind::Boolean: import(other.u_.boolean); break;
    case internal::Kind::Null: import(Null()); break;
    case internal::Kind::String: import(other.u_.string); break;
    case internal::Kind::Array: import(other.u_.array); break;
    case internal::Kind::Object: import(other.u_.object); break;
    case internal::Kind::Invalid: destroy(); break;
    default: internal::failPrecondition("!\"not implemented\"", __LINE__);
  }
  // A released payload stays released in the copy.
  released_ = released;
}

bool Value::parse(const String& text) { return internal::parseText(this, text); }

bool Value::parse(std::istream& input) { return internal::parseStream(this, input); }

// ---- Array ----

Array& Array::operator=(const Array& other) {
  if (this != &other) values_ = other.values_;
  return *this;
}

Array& Array::operator=(const Value& value) {
  Value copy(value);
  values_.clear();
  values_.push_back(std::move(copy));
  return *this;
}

Array& Array::operator<<(const Value& value) {
  values_.push_back(value);
  return *this;
}

Array& Array::operator<<(const Array& other) {
  const size_t n = other.values_.size();
  values_.reserve(values_.size() + n);
  for (size_t i = 0; i < n; ++i) values_.push_back(other.values_[i]);
  return *this;
}

bool Array::parse(const String& text) { return internal::parseText(this, text); }

bool Array::parse(std::istream& input) { return internal::parseStream(this, input); }

String Array::json() const { return internal::Writer::json(*this); }

// ---- Object ----

namespace {

bool memberKeyLess(const Object::Member& m, const String& key) { return m.first < key; }

}  // namespace

const Value* Object::find(const String& key) const {
  auto it = std::lower_bound(members_.begin(), members_.end(), key, memberKeyLess);
  return it != members_.end() && it->first == key ? &it->second : nullptr;
}

Value* Object::find(const String& key) {
  return const_cast<Value*>(static_cast<const Object*>(this)->find(key));
}

Object& Object::operator=(const Object& other) {
  pending_.reset();
  if (this != &other) members_ = other.members_;
  return *this;
}

void Object::import(const String& key, const Value& value) {
  pending_.reset();
  Value copy(value);
  auto it = std::lower_bound(members_.begin(), members_.end(), key, memberKeyLess);
  if (it != members_.end() && it->first == key) {
    it->second = std::move(copy);
  } else {
    members_.emplace(it, key, std::move(copy));
  }
}

// A sorted merge in which other's value wins for keys in both.
void Object::import(const Object& other) {
  pending_.reset();
  Map merged;
  merged.reserve(members_.size() + other.members_.size());
  auto mine = members_.begin();
  for (const Member& theirs : other.members_) {
    while (mine != members_.end() && mine->first < theirs.first) merged.push_back(std::move(*mine++));
    if (mine != members_.end() && mine->first == theirs.first) ++mine;
    merged.push_back(theirs);
  }
  std::move(mine, members_.end(), std::back_inserter(merged));
  members_.swap(merged);
}

Object& Object::operator<<(const Value& value) {
  if (!pending_) {
    pending_.reset(new String(value.get<String>()));
    return *this;
  }
  const String key = std::move(*pending_);
  import(key, value);
  return *this;
}

Object& Object::operator<<(const Object& other) {
  const String key = pending_ ? std::move(*pending_) : String();
  import(key, Value(other));
  return *this;
}

bool Object::parse(const String& text) { return internal::parseText(this, text); }

bool Object::parse(std::istream& input) { return internal::parseStream(this, input); }

String Object::json() const { return internal::Writer::json(*this); }

String Object::write(unsigned int format) const {
  if (format != 0) internal::failPrecondition("!\"not implemented\"", __LINE__, "XML export");
  return json();
}

// ---- free functions ----

bool validate(const String& text) {
  const size_t start = internal::skipLowBytes(text);
  if (start == text.size()) return false;
  internal::Parser parser(text.data() + start, text.data() + text.size());
  if (text[start] == '{') {
    Object object;
    return parser.parseObject(&object);
  }
  if (text[start] == '[') {
    Array array;
    return parser.parseArray(&array);
  }
  return false;
}

bool validate(std::istream& input) { return validate(internal::readAll(input)); }

String reformat(const String& text) {
  Object object;
  if (object.parse(text)) return object.json();
  Array array;
  if (array.parse(text)) return array.json();
  return String();
}

String reformat(std::istream& input) { return reformat(internal::readAll(input)); }

}  // namespace jsonxx
