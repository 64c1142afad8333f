// Request parameters as real arrays take them: from the query string and
// from a JSON (or form-encoded) body, the body winning for a name given in
// both. Also the small text helpers the handlers share.
#ifndef ARRAYSIM_PARAMS_H_
#define ARRAYSIM_PARAMS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace arraysim {

// Percent-decodes `in`; with `plus_as_space` a '+' becomes a blank (query
// strings). Malformed escapes are kept as they stand.
std::string percentDecode(std::string_view in, bool plus_as_space);

// Splits the raw target "PATH?QUERY" into its decoded path and raw query.
void splitTarget(const std::string& target, std::string* path, std::string* query);

class Params {
 public:
  // `query` is the raw query text, `body` the request body. A body that is a
  // JSON object contributes its members; "a=b&c=d" bodies contribute pairs.
  static Params parse(const std::string& query, const std::string& body);

  bool has(const std::string& key) const;
  // A string member, a number or bool rendered as text, or `def`.
  std::string str(const std::string& key, const std::string& def = "") const;
  // true for JSON true or the text "true" (any case).
  bool flag(const std::string& key) const;
  // A JSON list of strings, or a comma-separated text; repeated query keys
  // add up.
  std::vector<std::string> list(const std::string& key) const;
  // Every value given for a repeated query key, in order.
  std::vector<std::string> all(const std::string& key) const;
  std::optional<int64_t> integer(const std::string& key) const;
  const nlohmann::json& raw() const { return values_; }

 private:
  nlohmann::json values_ = nlohmann::json::object();
};

// Shell-style match where '*' stands for any run of characters.
bool globMatch(std::string_view pattern, std::string_view text);

// A REST 1.x filter: terms joined by " and ", each `field=VALUE` (VALUE in
// single or double quotes, '*' a wildcard) or a bare `field` meaning true.
struct FilterTerm {
  std::string field;
  std::string pattern;  // "true" for a bare field
};
std::optional<std::vector<FilterTerm>> parseFilter(const std::string& text);
// Whether every term holds for a JSON object; a field may be a dotted path
// ("nfs.enabled"), a non-string value compares as its JSON text.
bool matchesFilter(const nlohmann::json& view, const std::vector<FilterTerm>& terms);

std::vector<std::string> splitList(const std::string& text, char sep);

}  // namespace arraysim

#endif  // ARRAYSIM_PARAMS_H_
