#include "PureStorUtilsStrings.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "HostLog.h"

namespace {

const char kParseContext[] = "PureStorUtils::::parseJSONString";
const char kPasswordName[] = "hostPassword";
const char kEngineItem[] = ",engineName:";

// [begin, end) of a text.
struct Span {
  size_t begin;
  size_t end;
};

// Where a password may sit in text: from just after the first
// "hostPassword" to the last ",engineName:" after it, or to the end. Wider
// than what ParseArrayInfo reads, so that no reading of a malformed string
// can put password bytes outside it.
bool passwordSpan(const std::string& text, Span& span) {
  const size_t key = text.find(kPasswordName);
  if (key == std::string::npos) return false;
  span.begin = key + sizeof(kPasswordName) - 1;
  const size_t engine = text.rfind(kEngineItem);
  span.end = (engine != std::string::npos && engine >= span.begin) ? engine : text.size();
  return true;
}

// text with any password replaced by "****", fit for a log line.
std::string redacted(const std::string& text) {
  Span span{};
  if (!passwordSpan(text, span)) return text;
  return text.substr(0, span.begin) + "****" + text.substr(span.end);
}

// true when the value at [begin, end) of text may hold password bytes.
bool mayHoldPassword(const std::string& text, const std::string& name, size_t begin,
                     size_t end) {
  if (name == kPasswordName) return true;
  Span span{};
  return passwordSpan(text, span) && begin < span.end && end > span.begin;
}

// The value after the first occurrence of key, up to the first of the two
// terminators found after it (first preferred). false when key or both
// terminators are missing.
bool itemValue(const std::string& text, const char* key, const char* first,
               const char* second, std::string& value) {
  const size_t at = text.find(key);
  if (at == std::string::npos) return false;
  const size_t begin = at + std::strlen(key);
  size_t end = text.find(first, begin);
  if (end == std::string::npos) end = text.find(second, begin);
  if (end == std::string::npos) return false;
  value = deformatString(text.substr(begin, end - begin));
  return true;
}

// Leading decimal digits (after optional white space and sign) as an int,
// clamped to the int range; 0 when there are none.
int leadingInt(const std::string& text) {
  const long parsed = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(parsed, INT_MIN, INT_MAX));
}

}  // namespace

SourceDeviceAttribs::SourceDeviceAttribs(const std::string& sourceDevice)
    : source(sourceDevice) {
  Parse();
}

void SourceDeviceAttribs::Parse() {
  type.clear();
  vendor.clear();
  lunuuid.clear();
  targethostname.clear();
  agentType.clear();
  isNFS = false;

  std::vector<std::string> items;
  splitByDelim(source, ',', items);
  for (std::string& item : items) {
    if (!item.empty() && item.front() == '{') item.erase(0, 1);
    if (!item.empty() && item.back() == '}') item.pop_back();
    if (item.empty()) continue;
    const size_t colon = item.find(':');
    const std::string key = item.substr(0, colon);
    const std::string value = colon == std::string::npos ? item : item.substr(colon + 1);
    if (key == "frwtype") {
      agentType = value;
    } else if (key == "vendor") {
      vendor = value;
    } else if (key == "type") {
      type = value;
    } else if (key == "lunuuid") {
      lunuuid = value;
    } else if (key == "targethostname") {
      targethostname = value;
    }
  }
  isNFS = (type == "nfs");
}

int parseJSONString(const std::string& text, const std::string& name, std::string& value) {
  HostLog log(kParseContext);
  if (text.empty() || name.empty()) {
    log.debugLvl(4, "Either JSON string or search name is empty. JSON string [%s] Name [%s]",
                 redacted(text).c_str(), name.c_str());
    return 0;
  }
  const size_t at = text.find(name);
  if (at == std::string::npos) {
    log.debugLvl(4, "Name [%s] not found in JSON string [%s]", name.c_str(),
                 redacted(text).c_str());
    return 0;
  }
  const size_t colon = text.find(':', at);
  if (colon == std::string::npos) {
    log.debugLvl(4, "Name-value separator character not found");
    return 0;
  }
  // The item ends at the first "," after the name itself, so a "," between
  // the name and its ":" means the name stood without a value.
  size_t end = text.find(',', at);
  if (end != std::string::npos && end < colon + 1) {
    log.debugLvl(4, "No value found for name [%s]", name.c_str());
    return 0;
  }
  if (end == std::string::npos) {
    end = text.find('}', colon + 1);
    if (end == std::string::npos) {
      log.debugLvl(4, "Item separator character not found");
      return 0;
    }
  }
  std::string found = text.substr(colon + 1, end - colon - 1);
  found = found.substr(0, found.find('\0'));
  // Cutting would hand out a wrong value that looks right; refuse instead.
  if (found.size() > kMaxJSONValueLength) {
    log.debugLvl(-1, "Value of name [%s] is longer than %zu bytes", name.c_str(),
                 kMaxJSONValueLength);
    return 0;
  }
  if (!mayHoldPassword(text, name, colon + 1, colon + 1 + found.size())) {
    log.debugLvl(2, "JSON value found [%s = %s]", name.c_str(), found.c_str());
  }
  value = found;
  return 1;
}

int ParseArrayInfo(const std::string& arrayInfo, std::string& arrayId, std::string& userName,
                   std::string& password, int& hostId) {
  arrayId.clear();
  userName.clear();
  password.clear();
  itemValue(arrayInfo, ",arrayId:", ",", "}", arrayId);
  itemValue(arrayInfo, ",hostUserName:", ",", "}", userName);
  itemValue(arrayInfo, ",hostPassword:", kEngineItem, "}", password);
  std::string id;
  if (itemValue(arrayInfo, "hostid:", ",", "}", id)) hostId = leadingInt(id);
  return 1;
}

int ParseSnapMetaData(const std::string& metadata, std::string& volName,
                      std::string& volSerial, std::string& snapSerial,
                      std::string& groupSnapName) {
  std::string* fields[] = {&volName, &volSerial, &snapSerial, &groupSnapName};
  for (std::string* field : fields) field->clear();
  std::vector<std::string> parts;
  splitByDelim(metadata, '|', parts);
  const size_t count = std::min(parts.size(), sizeof(fields) / sizeof(fields[0]));
  for (size_t i = 0; i < count; ++i) *fields[i] = parts[i];
  return 1;
}

std::string deformatString(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) break;  // a trailing backslash escapes nothing
    switch (text[i]) {
      case 'n': out += '\n'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      default: out += text[i]; break;
    }
  }
  return out;
}

void splitByDelim(const std::string& text, const std::string& delim,
                  std::vector<std::string>& out) {
  if (delim.empty()) {
    out.push_back(text);
    return;
  }
  size_t start = 0;
  for (size_t at; (at = text.find(delim, start)) != std::string::npos;
       start = at + delim.size()) {
    out.push_back(text.substr(start, at - start));
  }
  out.push_back(text.substr(start));
}

void splitByDelim(const std::string& text, char delim, std::vector<std::string>& out) {
  splitByDelim(text, std::string(1, delim), out);
}

std::string strToUpper(const std::string& text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}
