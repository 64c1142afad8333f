// The host string class, reduced to what the plug-in uses: placeholder
// formatting. Format puts the first argument in place of every "{1}", the
// second in place of every "{2}" and so on, inserted as they stand (no
// escaping). Inserted text is never scanned again, and a placeholder with
// no argument stays as it is.
#ifndef KXPLATFORM_CZUSTRING_H
#define KXPLATFORM_CZUSTRING_H

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "KXPlatformConfig.h"

class KXPLATFORM_API CZuString {
 public:
  template <typename... Args>
  static std::string Format(std::string_view tmpl, const Args&... args) {
    const std::vector<std::string> values{toText(args)...};
    return FormatList(tmpl, values);
  }

  static std::string FormatList(std::string_view tmpl, const std::vector<std::string>& args);

 private:
  static std::string toText(const std::string& s) { return s; }
  static std::string toText(std::string_view s) { return std::string(s); }
  static std::string toText(const char* s) { return s ? std::string(s) : std::string(); }
  template <typename T, typename = std::enable_if_t<std::is_arithmetic_v<T>>>
  static std::string toText(T v) {
    return std::to_string(v);
  }
};

#endif  // KXPLATFORM_CZUSTRING_H
