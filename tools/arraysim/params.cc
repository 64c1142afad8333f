#include "params.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace arraysim {

using nlohmann::json;

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// Adds a query pair; a key given twice becomes a list of its values.
void addPair(json& values, const std::string& key, const std::string& value) {
  if (!values.contains(key)) {
    values[key] = value;
  } else if (values[key].is_array()) {
    values[key].push_back(value);
  } else {
    values[key] = json::array({values[key], value});
  }
}

void parsePairs(json& values, const std::string& text) {
  for (const auto& item : splitList(text, '&')) {
    if (item.empty()) continue;
    size_t eq = item.find('=');
    std::string key = percentDecode(item.substr(0, eq), true);
    std::string value = eq == std::string::npos ? "" : percentDecode(item.substr(eq + 1), true);
    addPair(values, key, value);
  }
}

std::string textOf(const json& v) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_boolean()) return v.get<bool>() ? "true" : "false";
  if (v.is_number()) return v.dump();
  return "";
}

}  // namespace

std::string percentDecode(std::string_view in, bool plus_as_space) {
  std::string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c == '%' && i + 2 < in.size()) {
      int hi = hexValue(in[i + 1]), lo = hexValue(in[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += (plus_as_space && c == '+') ? ' ' : c;
  }
  return out;
}

void splitTarget(const std::string& target, std::string* path, std::string* query) {
  size_t q = target.find('?');
  *path = percentDecode(target.substr(0, q), false);
  *query = q == std::string::npos ? "" : target.substr(q + 1);
}

Params Params::parse(const std::string& query, const std::string& body) {
  Params p;
  parsePairs(p.values_, query);
  if (body.empty()) return p;
  json j = json::parse(body, nullptr, false);
  if (j.is_object()) {
    for (auto it = j.begin(); it != j.end(); ++it) p.values_[it.key()] = it.value();
  } else if (j.is_discarded() && body.find('=') != std::string::npos &&
             body.find('{') == std::string::npos) {
    parsePairs(p.values_, body);
  }
  return p;
}

bool Params::has(const std::string& key) const {
  return values_.contains(key) && !values_[key].is_null();
}

std::string Params::str(const std::string& key, const std::string& def) const {
  if (!has(key)) return def;
  const json& v = values_[key];
  if (v.is_array()) return v.empty() ? def : textOf(v.back());
  return textOf(v);
}

bool Params::flag(const std::string& key) const {
  if (!has(key)) return false;
  const json& v = values_[key];
  if (v.is_boolean()) return v.get<bool>();
  return lower(str(key)) == "true";
}

std::vector<std::string> Params::list(const std::string& key) const {
  std::vector<std::string> out;
  if (!has(key)) return out;
  const json& v = values_[key];
  auto addText = [&](const json& e) {
    if (e.is_string()) {
      for (auto& s : splitList(e.get<std::string>(), ',')) {
        if (!s.empty()) out.push_back(s);
      }
    }
  };
  if (v.is_array()) {
    for (const auto& e : v) addText(e);
  } else {
    addText(v);
  }
  return out;
}

std::vector<std::string> Params::all(const std::string& key) const {
  std::vector<std::string> out;
  if (!has(key)) return out;
  const json& v = values_[key];
  if (v.is_array()) {
    for (const auto& e : v) out.push_back(textOf(e));
  } else {
    out.push_back(textOf(v));
  }
  return out;
}

std::optional<int64_t> Params::integer(const std::string& key) const {
  if (!has(key)) return std::nullopt;
  const json& v = values_[key];
  if (v.is_number_integer()) return v.get<int64_t>();
  std::string s = str(key);
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  long long n = std::strtoll(s.c_str(), &end, 10);
  if (*end != '\0') return std::nullopt;
  return n;
}

bool globMatch(std::string_view pattern, std::string_view text) {
  // Iterative matcher with one backtrack point per '*'.
  size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::optional<std::vector<FilterTerm>> parseFilter(const std::string& text) {
  std::vector<FilterTerm> terms;
  std::string rest = text;
  for (;;) {
    size_t pos = rest.find(" and ");
    std::string term = trim(rest.substr(0, pos));
    if (term.empty()) return std::nullopt;
    size_t eq = term.find('=');
    FilterTerm ft;
    if (eq == std::string::npos) {
      ft.field = term;
      ft.pattern = "true";
    } else {
      ft.field = trim(term.substr(0, eq));
      std::string v = trim(term.substr(eq + 1));
      if (v.size() >= 2 && (v.front() == '\'' || v.front() == '"') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
      } else if (v.empty()) {
        return std::nullopt;
      }
      ft.pattern = v;
    }
    if (ft.field.empty()) return std::nullopt;
    terms.push_back(ft);
    if (pos == std::string::npos) break;
    rest = rest.substr(pos + 5);
  }
  return terms;
}

bool matchesFilter(const json& view, const std::vector<FilterTerm>& terms) {
  for (const auto& t : terms) {
    const json* at = &view;
    for (const auto& part : splitList(t.field, '.')) {
      if (!at->is_object()) return false;
      auto it = at->find(part);
      if (it == at->end()) return false;
      at = &*it;
    }
    std::string value = at->is_string() ? at->get<std::string>() : at->dump();
    if (!globMatch(t.pattern, value)) return false;
  }
  return true;
}

std::vector<std::string> splitList(const std::string& text, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t pos = text.find(sep, start);
    out.push_back(text.substr(start, pos - start));
    if (pos == std::string::npos) break;
    start = pos + 1;
  }
  return out;
}

}  // namespace arraysim
