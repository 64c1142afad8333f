#include "RestText.h"

#include <cstdio>
#include <vector>

std::string urlEncodeName(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(name.size());
  for (unsigned char c : name) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '_' || c == '.' || c == ':';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string restPath(const char* collection, const std::string& name, const char* query) {
  return std::string(collection) + "/" + urlEncodeName(name) + (query ? query : "");
}

std::string jsonEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

std::string maskSecrets(const std::string& text,
                        std::initializer_list<const std::string*> secrets) {
  std::string out = text;
  for (const std::string* secret : secrets) {
    if (secret == nullptr || secret->empty()) continue;
    size_t pos = 0;
    while ((pos = out.find(*secret, pos)) != std::string::npos) {
      out.replace(pos, secret->size(), "****");
      pos += 4;
    }
  }
  return out;
}

std::string vformatText(const char* fmt, va_list args) {
  if (fmt == nullptr) return std::string();
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n <= 0) return std::string();
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  std::vsnprintf(buf.data(), buf.size(), fmt, args);
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string jsonNameList(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) {
    out += "\"" + jsonEscape(names[i]) + (i + 1 < names.size() ? "\", " : "\" ");
  }
  return out;
}

void logMaskedV(KXSO::SnapInfo* logger, int level, const char* context,
                const std::string& secret, const char* fmt, va_list args) {
  if (logger == nullptr) return;
  std::string text = maskSecrets(vformatText(fmt, args), {&secret});
  logger->logWithContext(level, context, "%s", text.c_str());
}
