// FlashArray hosts and connections: read hosts, match local HBAs, connect,
// list and remove a volume's connections.
#include <cctype>

#include "CZuString.h"
#include "PUREStorageAPI.h"
#include "RestText.h"

namespace {

bool contains(const std::vector<std::string>& list, const std::string& item) {
  for (const std::string& s : list) {
    if (s == item) return true;
  }
  return false;
}

// "<a>/<name>/<b>/<volume>" with both names encoded.
std::string connectionPath(const char* a, const std::string& name, const char* b,
                           const std::string& volume) {
  return CZuString::Format("{1}/{2}/{3}/{4}", a, urlEncodeName(name), b, urlEncodeName(volume));
}

}  // namespace

std::string PureStorageAPI::ToLower(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool PureStorageAPI::getAllHosts(std::vector<HostInfo>& hosts) {
  resetForRequest();
  if (!rest_->get("host", "", response_)) {
    setError("Error in getting all the host details in array " + server_);
    return false;
  }
  return guarded("PureStorageAPI::getAllHosts", [&] {
    jsonxx::Array list;
    if (!list.parse(response_) || list.empty()) {
      setError("No Array Hosts returned for " + server_);
      return false;
    }
    for (const jsonxx::Value& element : list.values()) {
      const jsonxx::Object& item = element.get<jsonxx::Object>();
      HostInfo host;
      for (const char* key : {"iqn", "wwn"}) {
        if (!item.has<jsonxx::Array>(key)) continue;
        std::vector<std::string>& names = key[0] == 'i' ? host.iqns : host.wwns;
        for (const jsonxx::Value& v : item.get<jsonxx::Array>(key).values()) {
          if (v.is<jsonxx::String>()) names.push_back(ToLower(v.get<jsonxx::String>()));
        }
      }
      if (const std::string* name = stringMember(item, "name")) host.hostName = *name;
      if (const std::string* group = stringMember(item, "hgroup")) host.hostGroup = *group;
      hosts.push_back(host);
    }
    return true;
  });
}

bool PureStorageAPI::getHostInfoFromArrayV2(const std::vector<std::string>& wwpns,
                                            const std::vector<std::string>& iqns,
                                            std::set<HostInfo>& wwpnMatches,
                                            std::set<HostInfo>& iqnMatches,
                                            bool connectToHostGroup, bool useHostIfNoHostGroup) {
  const char* ctx = "getHostInfoFromArrayV2";
  std::vector<HostInfo> hosts;
  if (!getAllHosts(hosts)) {
    log(2, ctx, "Failed to get the list of hosts from the array.");
    return false;
  }
  std::set<HostInfo> candidates[2];
  std::string passed[2];
  const std::vector<std::string>* locals[2] = {&wwpns, &iqns};
  for (int kind = 0; kind < 2; ++kind) {
    for (const std::string& hba : *locals[kind]) {
      bool matched = false;
      for (const HostInfo& host : hosts) {
        if (!contains(kind == 0 ? host.wwns : host.iqns, hba)) continue;
        HostInfo match;
        match.hostName = host.hostName;
        match.hostGroup = host.hostGroup;
        match.matchedHBA = hba;
        candidates[kind].insert(match);
        matched = true;
        log(0, ctx, kind == 0 ? "Matched wwpn [%s] for host [%s] , host group [%s]"
                              : "Matched iqn [%s] for host [%s] , host group [%s]",
            hba.c_str(), host.hostName.c_str(), host.hostGroup.c_str());
      }
      if (!matched) {
        log(0, ctx, kind == 0 ? "Could not find a match for local wwpn [%s]"
                              : "Could not find a match for local iqn [%s]",
            hba.c_str());
      }
      passed[kind] += hba + ",";
    }
  }
  const std::string noMatch =
      "Ensure that mount client is properly connected to storage array and proper host / host "
      "group configuration is done on the array " +
      server_ + "\n Passed in wwpns are " + passed[0] + "\n Passed in iqns are " + passed[1];
  auto fail = [&](const std::string& text) {
    setError(text);
    log(2, ctx, "%s", errorStr_.c_str());
    return false;
  };
  if (!connectToHostGroup) {
    wwpnMatches = candidates[0];
    iqnMatches = candidates[1];
    if (wwpnMatches.empty() && iqnMatches.empty()) return fail(noMatch);
    log(1, ctx, "Succeeded returning all the matching hbas");
    return true;
  }
  log(0, ctx, "Connect to host group is true");
  std::string group;
  std::set<HostInfo>* outs[2] = {&wwpnMatches, &iqnMatches};
  for (int kind = 0; kind < 2; ++kind) {
    for (const HostInfo& c : candidates[kind]) {
      if (c.hostGroup.empty()) continue;
      if (group.empty()) group = c.hostGroup;
      if (c.hostGroup != group) continue;
      outs[kind]->insert(c);
      log(0, ctx, "Matched host group [%s] , host name [%s] , hba [%s] ", c.hostGroup.c_str(),
          c.hostName.c_str(), c.matchedHBA.c_str());
    }
  }
  if (!group.empty() && (!wwpnMatches.empty() || !iqnMatches.empty())) {
    log(1, ctx, "Succeeded in matching hbas using host group [%s]", group.c_str());
    return true;
  }
  if (group.empty() && !useHostIfNoHostGroup) {
    return fail(
        "Host group not found on array. Connect to host group option is selected.Possible "
        "solutions: 1) Check if the host is added to a host Group.If not, add host to a host "
        "group on the array. 2) Enable the array config to use host if host group is not "
        "available.");
  }
  if (candidates[0].empty() && candidates[1].empty()) return fail(noMatch);
  wwpnMatches = candidates[0];
  iqnMatches = candidates[1];
  log(1, ctx, "Succeeded returning all the matching hbas");
  return true;
}

bool PureStorageAPI::getHostInfoFromArray(std::vector<std::string>& wwpns,
                                          std::vector<std::string>& iqns, HostInfo& result,
                                          bool connectToHostGroup, bool useHostIfNoHostGroup) {
  const char* ctx = "PureStorageAPI::getHostInfoFromArray";
  std::vector<HostInfo> hosts;
  if (!getAllHosts(hosts)) {
    log(2, ctx, "Failed to get the list of Hosts from the array.");
    return false;
  }
  std::vector<HostInfo> candidates;
  for (const HostInfo& host : hosts) {
    HostInfo match;
    match.hostName = host.hostName;
    match.hostGroup = host.hostGroup;
    bool found = false;
    for (const std::string& w : wwpns) {
      if (!contains(host.wwns, w)) continue;
      match.matchedHBA = w;
      candidates.insert(candidates.begin(), match);
      log(0, ctx, "Matched wwn [%s] for Host[%s] HostGroup[%s]", w.c_str(),
          host.hostName.c_str(), host.hostGroup.c_str());
      found = true;
      break;
    }
    if (found) continue;
    for (const std::string& i : iqns) {
      if (!contains(host.iqns, i)) continue;
      match.matchedHBA = i;
      candidates.push_back(match);
      log(0, ctx, "Matched iqn [%s] for Host[%s] HostGroup[%s]", i.c_str(),
          host.hostName.c_str(), host.hostGroup.c_str());
      break;
    }
  }
  const char* notFound = "Host/Host Group with iqn or wwn not found.";
  if (!connectToHostGroup) {
    if (findHostWithoutHG(candidates, result)) return true;
    if (findHostGroup(candidates, result)) {
      result.hostGroup.clear();
      return true;
    }
    setError(notFound);
    return false;
  }
  if (findHostGroup(candidates, result)) return true;
  if (!useHostIfNoHostGroup) {
    setError(
        "Host Group not found on array. Connect to Host Group option is selected. Possible "
        "solutions: 1) Check if the Host is added to a Host Group. If not, add Host to a Host "
        "Group on the array. 2) Enable the array config to Use Host if Host Group is not "
        "available. ");
    return false;
  }
  if (findHostWithoutHG(candidates, result)) return true;
  setError(notFound);
  return false;
}

bool PureStorageAPI::findHostGroup(std::vector<HostInfo>& hosts, HostInfo& result) {
  for (const HostInfo& h : hosts) {
    if (!h.hostGroup.empty()) return result = h, true;
  }
  return false;
}

bool PureStorageAPI::findHostWithoutHG(std::vector<HostInfo>& hosts, HostInfo& result) {
  for (const HostInfo& h : hosts) {
    if (h.hostGroup.empty()) return result = h, true;
  }
  return false;
}

// kind is "host" or "hgroup"; the texts differ only in naming the group.
bool PureStorageAPI::connectVolume(const char* kind, const std::string& name,
                                   const std::string& volName) {
  const bool group = kind[0] == 'h' && kind[1] == 'g';
  const std::string prefix =
      group ? "PureStorageAPI::connectVolumeToHostGroup" : "PureStorageAPI::connectVolumeToHost";
  const std::string to = group ? "host group" : "host";
  resetForRequest();
  if (name.empty() || volName.empty()) {
    setError(group ? "Host Group Name/ Volume Name is empty" : "Host Name/ Volume Name is empty");
    return false;
  }
  if (!rest_->post(connectionPath(kind, name, "volume", volName), "", response_)) {
    std::string msg;
    const std::string tail =
        "] while connecting volume[" + volName + "] to " + to + "[" + name + "].";
    if (getErrorMsgFromResponse(response_, msg)) {
      setError(prefix + " error msg [" + msg + tail);
    } else {
      setError(prefix + " error in parsing response [" + response_ + tail);
    }
    return false;
  }
  jsonxx::Object answer;
  if (!answer.parse(response_) || answer.empty()) {
    setError("Failed to connect volume with " + to + ". Empty response returned.");
    return false;
  }
  return checkConnectionAnswer(answer, name, volName, " connect volume to " + to,
                               "Failed to connect volume to " + to, "].", "].");
}

// The answer of a connect or disconnect must name the host (or group) and
// the volume. what names the request in the texts; end closes the texts
// of a missing or empty member, mismatchEnd the text of a mismatch.
bool PureStorageAPI::checkConnectionAnswer(const jsonxx::Object& answer, const std::string& name,
                                           const std::string& volName, const std::string& what,
                                           const std::string& mismatch, const std::string& end,
                                           const std::string& mismatchEnd) {
  const std::string tail = what + " response[" + response_ + end;
  const std::string* host = stringMember(answer, "name");
  const std::string* vol = stringMember(answer, "vol");
  if (!host) return setError("Name not found in" + tail), false;
  if (!vol) return setError("Serial not found in" + tail), false;
  if (vol->empty()) return setError("Volume Name is empty in" + tail), false;
  if (host->empty()) return setError("Host Name is empty in" + tail), false;
  if (*vol != volName || *host != name) {
    setError(mismatch + " - Volume Name [" + volName + "]. Got Volume Name [" + *vol + "]" +
             "Host Name [" + name + "]. Got Host Name [" + *host + "]" + "in response [" +
             response_ + mismatchEnd);
    return false;
  }
  return true;
}

bool PureStorageAPI::connectVolumeToHost(const std::string& hostName, const std::string& volName) {
  return connectVolume("host", hostName, volName);
}

bool PureStorageAPI::connectVolumeToHostGroup(const std::string& groupName,
                                              const std::string& volName) {
  return connectVolume("hgroup", groupName, volName);
}

bool PureStorageAPI::connectVolumeToHostOrHostGroup(const HostInfo& host,
                                                    const std::string& volName,
                                                    const bool useHostGroup) {
  if (useHostGroup && !host.hostGroup.empty()) {
    return connectVolumeToHostGroup(host.hostGroup, volName);
  }
  return connectVolumeToHost(host.hostName, volName);
}

bool PureStorageAPI::getConnections(const std::string& volName, bool groups,
                                    std::vector<std::string>& out) {
  resetForRequest();
  const char* member = groups ? "hgroup" : "host";
  if (!rest_->get(restPath("volume", volName, groups ? "/hgroup" : "/host"), "", response_)) {
    setError((groups ? "Error in getting connected host group to volume ["
                     : "Error in getting hosts connected to volume [") +
             volName + "] in array " + server_);
    return false;
  }
  return guarded(groups ? "PureStorageAPI::getConnectedHostGroupsToVolume"
                        : "PureStorageAPI::getConnectedHostsToVolume",
                 [&] {
    jsonxx::Array list;
    if (!list.parse(response_) || list.empty()) {
      setError((groups ? "No host group connected to volume [ " : "No hosts connected to volume [ ") +
               volName + "] in array " + server_);
      return true;
    }
    const std::string tail = response_ + "] for volume " + volName + " in array " + server_;
    for (const jsonxx::Value& element : list.values()) {
      const jsonxx::Object& item = element.get<jsonxx::Object>();
      const std::string* vol = stringMember(item, "name");
      const std::string* name = stringMember(item, member);
      const char* fault =
          groups ? (!vol ? "Volume name not found in getting connected host groups to volume. Response ["
                  : !name ? "Host Group name not found in getting connected host group to volume. Response ["
                  : vol->empty() ? "Volume name is empty in getting connected host group to volume. Response ["
                  : name->empty() ? "Host group name is empty in getting connected host group to volume. Response ["
                                  : nullptr)
                 : (!vol ? "Volume name not found in getting connected hosts to volume. Response ["
                  : !name ? "Host Name not found in getting connected hosts to volume. Response ["
                  : vol->empty() ? "Volume Name is empty in getting connected hosts to volume. Response ["
                  : name->empty() ? "Host Name is empty in getting connected hosts to volume. Response ["
                                  : nullptr);
      if (fault != nullptr) {
        setError(fault + tail);
        return false;
      }
      if (*vol != volName) continue;
      if (groups && contains(out, *name)) continue;
      out.push_back(*name);
    }
    return true;
  });
}

bool PureStorageAPI::getConnectedHostsToVolume(const std::string& volName,
                                               std::vector<std::string>& hosts) {
  return getConnections(volName, false, hosts);
}

bool PureStorageAPI::getConnectedHostGroupsToVolume(const std::string& volName,
                                                    std::vector<std::string>& groups) {
  return getConnections(volName, true, groups);
}

bool PureStorageAPI::getConnectedHostsAndHostGroupsToVolume(const std::string& volName,
                                                            std::vector<std::string>& hosts,
                                                            std::vector<std::string>& groups) {
  return getConnectedHostsToVolume(volName, hosts) && getConnectedHostGroupsToVolume(volName, groups);
}

bool PureStorageAPI::disconnectVolume(bool groups, const std::string& volName,
                                      const std::vector<std::string>& names) {
  resetForRequest();
  if (volName.empty() || names.empty()) {
    setError(groups ? "Host Group List / Volume Name is empty" : "Host List / Volume Name is empty");
    return false;
  }
  for (const std::string& n : names) {
    resetForRequest();
    if (!rest_->del(connectionPath(groups ? "hgroup" : "host", n, "volume", volName), "",
                    response_)) {
      setError("Error in disconnecting volume[" + volName + "] to host[" + n + "] in array " +
               server_);
      return false;
    }
    jsonxx::Object answer;
    if (!answer.parse(response_) || answer.empty()) {
      setError("Failed to disconnect volume with host. Empty response returned for " + server_);
      return false;
    }
    if (!checkConnectionAnswer(answer, n, volName, " disconnect volume to host",
                               "Failed to disconnect volume to host", "] for " + server_,
                               "] in array " + server_)) {
      return false;
    }
  }
  return true;
}

bool PureStorageAPI::disConnectVolumeFromHosts(const std::string& volName,
                                               const std::vector<std::string>& hosts) {
  return disconnectVolume(false, volName, hosts);
}

bool PureStorageAPI::disConnectVolumeFromHostGroups(const std::string& volName,
                                                    const std::vector<std::string>& groups) {
  return disconnectVolume(true, volName, groups);
}

bool PureStorageAPI::disConnectVolumeFromHostsAndHostGroups(const std::string& volName,
                                                            std::vector<std::string>& hosts,
                                                            std::vector<std::string>& groups) {
  if (!hosts.empty() && !disConnectVolumeFromHosts(volName, hosts)) return false;
  if (!groups.empty() && !disConnectVolumeFromHostGroups(volName, groups)) return false;
  return true;
}

bool PureStorageAPI::isVolumeConnectedToHostOrHostGroup(const std::string& volName,
                                                        const HostInfo& host) {
  std::vector<std::string> hosts, groups;
  if (!getConnectedHostsAndHostGroupsToVolume(volName, hosts, groups)) {
    log(2, "PureStorageAPI::isVolumeConnectedToHostOrHostGroup",
        "Failed to get the list of Hosts/Host Groups connected to the volume.");
    return false;
  }
  return (!host.hostGroup.empty() && contains(groups, host.hostGroup)) ||
         contains(hosts, host.hostName);
}
