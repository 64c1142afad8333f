#include "jsonxx_writer.h"

#include <atomic>
#include <mutex>
#include <ostream>

#include "jsonxx_number.h"

namespace jsonxx {
namespace internal {
namespace {

// Replacement text per byte; an empty entry means the byte is copied.
struct EscapeTable {
  unsigned char size[256];
  char text[256][6];
};

void buildEscapes(EscapeTable* table) {
  static const char kHex[] = "0123456789abcdef";
  for (int c = 0; c < 256; ++c) {
    char* t = table->text[c];
    unsigned char n = 0;
    switch (c) {
      case '"': t[0] = '\\'; t[1] = '"'; n = 2; break;
      case '\\': t[0] = '\\'; t[1] = '\\'; n = 2; break;
      case '/': t[0] = '\\'; t[1] = '/'; n = 2; break;
      case '\b': t[0] = '\\'; t[1] = 'b'; n = 2; break;
      case '\f': t[0] = '\\'; t[1] = 'f'; n = 2; break;
      case '\n': t[0] = '\\'; t[1] = 'n'; n = 2; break;
      case '\r': t[0] = '\\'; t[1] = 'r'; n = 2; break;
      case '\t': t[0] = '\\'; t[1] = 't'; n = 2; break;
      default:
        if (c < 0x20) {
          t[0] = '\\'; t[1] = 'u'; t[2] = '0'; t[3] = '0';
          t[4] = kHex[c >> 4]; t[5] = kHex[c & 0xF];
          n = 6;
        }
    }
    table->size[c] = n;
  }
}

// Built once on first use; readers need no lock afterwards.
const EscapeTable& escapes() {
  static EscapeTable table;
  static std::atomic<bool> ready(false);
  static std::mutex lock;
  if (!ready.load(std::memory_order_acquire)) {
    std::lock_guard<std::mutex> hold(lock);
    if (!ready.load(std::memory_order_relaxed)) {
      buildEscapes(&table);
      ready.store(true, std::memory_order_release);
    }
  }
  return table;
}

// The last member's "," becomes a space: "text built so far" is what was
// appended since start.
void removeLastComma(std::string* out, size_t start) {
  const size_t n = out->size() - start;
  if (n > 2 && (*out)[out->size() - 2] == ',') (*out)[out->size() - 2] = ' ';
}

}  // namespace

void Writer::appendEscaped(std::string* out, const std::string& text) {
  const EscapeTable& table = escapes();
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const char* run = p;
    while (p < end && table.size[static_cast<unsigned char>(*p)] == 0) ++p;
    out->append(run, p);
    if (p == end) break;
    const unsigned char c = static_cast<unsigned char>(*p++);
    out->append(table.text[c], table.size[c]);
  }
}

void Writer::indent(std::string* out, int depth, const String* key) {
  out->append(static_cast<size_t>(depth), '\t');
  if (key != nullptr) {
    *out += '"';
    appendEscaped(out, *key);
    out->append("\": ", 3);
  }
}

void Writer::open(std::string* out, int depth, const String* key, char bracket) {
  indent(out, depth, key);
  *out += bracket;
  *out += '\n';
}

void Writer::close(std::string* out, size_t start, int depth, char bracket) {
  removeLastComma(out, start);
  out->append(static_cast<size_t>(depth), '\t');
  *out += bracket;
  out->append(",\n", 2);
}

void Writer::array(std::string* out, int depth, const String* key, const Array& a) {
  const size_t start = out->size();
  open(out, depth, key, '[');
  for (const Value& v : a.values()) member(out, depth + 1, nullptr, v);
  close(out, start, depth, ']');
}

void Writer::object(std::string* out, int depth, const String* key, const Object& o) {
  const size_t start = out->size();
  open(out, depth, key, '{');
  for (const Object::Member& m : o.kv_map()) member(out, depth + 1, &m.first, m.second);
  close(out, start, depth, '}');
}

void Writer::member(std::string* out, int depth, const String* key, const Value& value) {
  switch (value.kind_) {
    case Kind::Array:
      array(out, depth, key, value.u_.array);
      return;
    case Kind::Object:
      object(out, depth, key, value.u_.object);
      return;
    default:
      break;
  }
  indent(out, depth, key);
  switch (value.kind_) {
    case Kind::Number:
      appendNumber(out, value.u_.number);
      break;
    case Kind::String:
      *out += '"';
      appendEscaped(out, value.u_.string);
      *out += '"';
      break;
    case Kind::Boolean:
      out->append(value.u_.boolean ? "true" : "false");
      break;
    default:
      out->append("null", 4);
  }
  out->append(",\n", 2);
}

std::string Writer::json(const Object& o) {
  std::string out;
  object(&out, 0, nullptr, o);
  removeLastComma(&out, 0);
  return out;
}

std::string Writer::json(const Array& a) {
  std::string out;
  array(&out, 0, nullptr, a);
  removeLastComma(&out, 0);
  return out;
}

void Writer::compact(std::ostream& out, const Value& value) {
  switch (value.kind_) {
    case Kind::Number:
      out << value.u_.number;
      break;
    case Kind::String: {
      std::string text("\"");
      appendEscaped(&text, value.u_.string);
      text += '"';
      out << text;
      break;
    }
    case Kind::Boolean:
      out << (value.u_.boolean ? "true" : "false");
      break;
    case Kind::Null:
      out << "null";
      break;
    case Kind::Array:
      compact(out, value.u_.array);
      break;
    case Kind::Object:
      compact(out, value.u_.object);
      break;
    case Kind::Invalid:
      break;
  }
}

void Writer::compact(std::ostream& out, const Array& a) {
  out << '[';
  const char* separator = "";
  for (const Value& v : a.values()) {
    out << separator;
    compact(out, v);
    separator = ", ";
  }
  out << ']';
}

void Writer::compact(std::ostream& out, const Object& o) {
  out << '{';
  const char* separator = "";
  for (const Object::Member& m : o.kv_map()) {
    std::string key("\"");
    appendEscaped(&key, m.first);
    key += "\": ";
    out << separator << key;
    compact(out, m.second);
    separator = ", ";
  }
  out << '}';
}

}  // namespace internal

std::ostream& operator<<(std::ostream& stream, const Value& value) {
  internal::Writer::compact(stream, value);
  return stream;
}

std::ostream& operator<<(std::ostream& stream, const Array& array) {
  internal::Writer::compact(stream, array);
  return stream;
}

std::ostream& operator<<(std::ostream& stream, const Object& object) {
  internal::Writer::compact(stream, object);
  return stream;
}

}  // namespace jsonxx
