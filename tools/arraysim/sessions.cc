// Sessions and routing of the REST paths: FlashArray auth/session with a
// cookie under every listed API version, FlashBlade login/logout with the
// x-auth-token header, and the resource families behind them.
#include <algorithm>
#include <map>

#include "dispatch.h"
#include "handlers.h"

namespace arraysim {

using nlohmann::json;

namespace {

constexpr char kCookie[] = "session";

using Handler = Reply (*)(Call&);

bool listed(const ArrayConfig& cfg, const std::string& version) {
  return std::find(cfg.api_versions.begin(), cfg.api_versions.end(), version) !=
         cfg.api_versions.end();
}

bool looksLikeVersion(const std::string& s) {
  return !s.empty() && std::isdigit(static_cast<unsigned char>(s[0])) &&
         s.find('.') != std::string::npos;
}

std::vector<std::string> segments(const std::string& path) {
  std::vector<std::string> out;
  for (auto& s : splitList(path, '/')) {
    if (!s.empty()) out.push_back(s);
  }
  return out;
}

Reply faLogin(SimArray& arr, const Params& p) {
  const User* u = arr.userByToken(p.str("api_token"));
  if (!u) return faError("Unable to list user for API token.", "api_token");
  std::string token = arr.sessions.open(u->name);
  arr.stats.logins++;
  Reply r = jsonReply({{"username", u->name}});
  r.headers.push_back({"Set-Cookie", std::string(kCookie) + "=" + token +
                                         "; Path=/; Secure; HttpOnly"});
  return r;
}

Reply faRest(SimArray& arr, Fleet& fleet, const Incoming& in, std::vector<std::string> seg,
             Params params) {
  static const std::map<std::string, Handler> families = {
      {"volume", faVolume}, {"host", faHost},   {"hgroup", faHgroup}, {"pgroup", faPgroup},
      {"array", faArray},   {"port", faPort},   {"pod", faPod}};
  if (seg.size() == 1 && seg[0] == "api_version" && in.method == "GET") {
    return jsonReply({{"version", arr.cfg().api_versions}});
  }
  if (seg.empty() || !looksLikeVersion(seg[0])) return faError("Not found.", in.target, 404);
  if (!listed(arr.cfg(), seg[0])) return faError("Unsupported REST API version.", seg[0], 450);
  seg.erase(seg.begin());
  std::string token = cookieValue(in.cookie, kCookie);
  bool live = !token.empty() && arr.sessions.user(token).has_value();
  if (seg.size() == 2 && seg[0] == "auth" && seg[1] == "session") {
    if (in.method == "POST") return faLogin(arr, params);
    if (in.method == "DELETE" && live) {
      arr.sessions.close(token);
      arr.stats.logouts++;
      return jsonReply(json::object());
    }
  }
  if (!live) return faError("Unauthorized.", "session", 401);
  auto family = seg.empty() ? families.end() : families.find(seg[0]);
  if (family == families.end()) return faError("Not found.", in.target, 404);
  Call call{arr, fleet, in.method, std::move(seg), std::move(params)};
  return family->second(call);
}

Reply fbDenied(const std::string& path) {
  return jsonReply(
      {{"error", json::array({{{"code", 403}, {"context", path}, {"message", "Access Denied"}}})}},
      403);
}

Reply fbRest(SimArray& arr, Fleet& fleet, const Incoming& in, std::vector<std::string> seg,
             Params params, const std::string& path) {
  static const std::map<std::string, Handler> families = {
      {"file-systems", fbFileSystems},
      {"file-system-snapshots", fbFsSnapshots},
      {"network-interfaces", fbNetworkInterfaces}};
  bool live = !in.x_auth_token.empty() && arr.sessions.user(in.x_auth_token).has_value();
  if (seg.size() == 1) {
    if (seg[0] == "api_version" && in.method == "GET") {
      return jsonReply({{"versions", arr.cfg().api_versions}});
    }
    if (seg[0] == "login" && in.method == "POST") {
      const User* u = arr.userByToken(in.api_token);
      if (!u) return fbError("Invalid API token.", "api-token", 401);
      Reply r = jsonReply({{"username", u->name}});
      r.headers.push_back({"x-auth-token", arr.sessions.open(u->name)});
      arr.stats.logins++;
      return r;
    }
    if (seg[0] == "logout" && in.method == "POST") {
      if (!live) return fbDenied(path);
      arr.sessions.close(in.x_auth_token);
      arr.stats.logouts++;
      return jsonReply(json::object());
    }
  }
  if (seg.empty() || !looksLikeVersion(seg[0])) return fbError("Not found.", path, 404);
  if (!listed(arr.cfg(), seg[0])) return fbError("Unsupported REST API version.", seg[0], 450);
  if (!live) return fbDenied(path);
  seg.erase(seg.begin());
  auto family = seg.empty() ? families.end() : families.find(seg[0]);
  if (family == families.end()) return fbError("Not found.", path, 404);
  Call call{arr, fleet, in.method, std::move(seg), std::move(params)};
  return family->second(call);
}

}  // namespace

std::string cookieValue(const std::string& header, const std::string& name) {
  for (auto item : splitList(header, ';')) {
    size_t b = item.find_first_not_of(' ');
    if (b == std::string::npos) continue;
    item = item.substr(b);
    if (item.size() > name.size() && item.compare(0, name.size(), name) == 0 &&
        item[name.size()] == '=') {
      return item.substr(name.size() + 1);
    }
  }
  return "";
}

Reply routeRest(SimArray& arr, Fleet& fleet, const Incoming& in) {
  std::string path, query;
  splitTarget(in.target, &path, &query);
  bool fa = arr.cfg().kind == Kind::kFlashArray;
  if (path.rfind("/api/", 0) != 0) {
    return fa ? faError("Not found.", path, 404) : fbError("Not found.", path, 404);
  }
  Params params = Params::parse(query, in.body);
  std::vector<std::string> seg = segments(path.substr(5));
  if (fa) return faRest(arr, fleet, in, std::move(seg), std::move(params));
  return fbRest(arr, fleet, in, std::move(seg), std::move(params), path);
}

}  // namespace arraysim
