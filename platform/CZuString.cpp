#include "CZuString.h"

std::string CZuString::FormatList(std::string_view tmpl, const std::vector<std::string>& args) {
  std::string out;
  out.reserve(tmpl.size() + 64);
  size_t i = 0;
  while (i < tmpl.size()) {
    if (tmpl[i] == '{') {
      size_t j = i + 1;
      size_t index = 0;
      while (j < tmpl.size() && j - i <= 9 && tmpl[j] >= '0' && tmpl[j] <= '9') {
        index = index * 10 + static_cast<size_t>(tmpl[j] - '0');
        ++j;
      }
      if (j > i + 1 && j < tmpl.size() && tmpl[j] == '}' && index >= 1 && index <= args.size()) {
        out += args[index - 1];
        i = j + 1;
        continue;
      }
    }
    out += tmpl[i++];
  }
  return out;
}
