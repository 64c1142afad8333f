#include "SimClient.h"

#include <httplib.h>

#include <cctype>
#include <nlohmann/json.hpp>

namespace kxsnap {
std::string percentEncode(const std::string& text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == ':' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

namespace {

bool hostConnection(const SimArray& array, const std::string& caFile, const std::string& host,
                    const std::string& volume, bool connect, std::string* error) {
  if (array.users.empty()) return *error = "array " + array.name + " has no user", false;
  size_t colon = array.address.rfind(':');
  if (colon == std::string::npos) return *error = "bad address " + array.address, false;
  httplib::SSLClient client(array.address.substr(0, colon), std::stoi(array.address.substr(colon + 1)));
  client.set_ca_cert_path(caFile.c_str());
  client.enable_server_certificate_verification(true);
  client.set_connection_timeout(5, 0);
  client.set_read_timeout(15, 0);
  const std::string body = nlohmann::json{{"api_token", array.users.front().apiToken}}.dump();
  auto login = client.Post("/api/1.4/auth/session", body, "application/json");
  if (!login || login->status != 200) return *error = "login to " + array.name + " failed", false;
  const std::string setCookie = login->get_header_value("Set-Cookie");
  const std::string cookie = setCookie.substr(0, setCookie.find(';'));
  httplib::Headers headers{{"Cookie", cookie}};
  const std::string path = "/api/1.4/host/" + percentEncode(host) + "/volume/" +
                           percentEncode(volume);
  auto res = connect ? client.Post(path.c_str(), headers, "", "application/json")
                     : client.Delete(path.c_str(), headers);
  client.Delete("/api/1.4/auth/session", headers);
  if (!res || res->status != 200) {
    *error = std::string(connect ? "connecting " : "disconnecting ") + volume + " and host " + host +
             " on " + array.name + " failed" + (res ? ": " + res->body : "");
    return false;
  }
  return true;
}

}  // namespace

bool connectVolumeToHost(const SimArray& array, const std::string& caFile, const std::string& host,
                         const std::string& volume, std::string* error) {
  return hostConnection(array, caFile, host, volume, true, error);
}

bool disconnectVolumeFromHost(const SimArray& array, const std::string& caFile,
                              const std::string& host, const std::string& volume,
                              std::string* error) {
  return hostConnection(array, caFile, host, volume, false, error);
}

}  // namespace kxsnap
