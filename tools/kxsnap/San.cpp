#include "San.h"

#include <httplib.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "SimClient.h"
#include "VirtualLun.h"

namespace kxsnap {
namespace {

std::string deviceKey(const std::string& array, const std::string& serial) {
  return array + "/" + serial;
}

bool splitAddress(const std::string& address, std::string* host, int* port) {
  size_t colon = address.rfind(':');
  if (colon == std::string::npos) return false;
  *host = address.substr(0, colon);
  *port = std::atoi(address.c_str() + colon + 1);
  return *port > 0;
}

}  // namespace

San::San(std::vector<JobArray> arrays, std::string caFile, JobInitiators initiators,
         std::map<std::string, std::string> names, int nextDevice)
    : arrays_(std::move(arrays)),
      caFile_(std::move(caFile)),
      initiators_(std::move(initiators)),
      names_(std::move(names)),
      nextDevice_(nextDevice) {}

San::~San() {
  for (const SanDevice& d : devices_) withdraw(d);
}

bool San::query(const JobArray& array, std::vector<SanDevice>* out, std::string* error) const {
  std::string host;
  int port = 0;
  if (!splitAddress(array.address, &host, &port)) {
    *error = "array " + array.name + " has no address with a port: " + array.address;
    return false;
  }
  std::string target = "/sim/v1/fabric?";
  for (const auto& list : {initiators_.fc, initiators_.iscsi})
    for (const std::string& i : list) target += "initiator=" + percentEncode(i) + "&";
  httplib::SSLClient client(host, port);
  client.set_ca_cert_path(caFile_.c_str());
  client.enable_server_certificate_verification(true);
  client.set_connection_timeout(5, 0);
  client.set_read_timeout(15, 0);
  auto res = client.Get(target.c_str());
  if (!res || res->status != 200) {
    *error = "fabric view of array " + array.name + " not available (" +
             (res ? "HTTP " + std::to_string(res->status) : httplib::to_string(res.error())) + ")";
    return false;
  }
  try {
    for (const auto& e : nlohmann::json::parse(res->body)) {
      SanDevice d;
      d.array = array.name;
      d.volume = e.at("volume").get<std::string>();
      d.serial = e.at("serial").get<std::string>();
      d.port = e.at("port").get<std::string>();
      d.iscsi = d.port.rfind("iqn.", 0) == 0;
      d.lun = e.value("lun", 0);
      // A volume seen through several initiators or ports is one device.
      bool seen = std::any_of(out->begin(), out->end(), [&](const SanDevice& o) {
        return o.array == d.array && o.serial == d.serial;
      });
      if (!seen) out->push_back(std::move(d));
    }
  } catch (const std::exception& ex) {
    *error = "fabric view of array " + array.name + " is not valid: " + ex.what();
    return false;
  }
  return true;
}

std::string San::nameFor(const SanDevice& device) {
  const std::string key = deviceKey(device.array, device.serial);
  auto it = names_.find(key);
  if (it != names_.end()) return it->second;
  std::string name = "/dev/kxsd" + std::to_string(++nextDevice_);
  names_[key] = name;
  return name;
}

void San::present(const SanDevice& device) {
  registerVirtualLun(device.name, device.serial, device.port, device.iscsi, device.volume);
}

void San::withdraw(const SanDevice& device) { unregisterVirtualLun(device.name); }

bool San::refresh(const std::vector<std::string>& removeNames, std::string* error) {
  for (const std::string& name : removeNames) {
    auto it = std::find_if(devices_.begin(), devices_.end(),
                           [&](const SanDevice& d) { return d.name == name; });
    if (it == devices_.end()) continue;
    withdraw(*it);
    devices_.erase(it);
  }
  std::vector<SanDevice> visible;
  for (const JobArray& a : arrays_) {
    if (!a.kind.empty() && a.kind != "flasharray") continue;
    if (!query(a, &visible, error)) return false;
  }
  for (SanDevice& d : visible) d.name = nameFor(d);
  for (const SanDevice& old : devices_) {
    bool still = std::any_of(visible.begin(), visible.end(),
                             [&](const SanDevice& d) { return d.name == old.name; });
    if (!still) withdraw(old);
  }
  for (const SanDevice& d : visible) present(d);
  devices_ = std::move(visible);
  return true;
}

std::vector<std::string> San::deviceNames() const {
  std::vector<std::string> out;
  for (const SanDevice& d : devices_) out.push_back(d.name);
  return out;
}

const SanDevice* San::find(const std::string& name) const {
  for (const SanDevice& d : devices_)
    if (d.name == name) return &d;
  return nullptr;
}

std::string San::nameOf(const std::string& array, const std::string& volume) const {
  for (const SanDevice& d : devices_)
    if (d.array == array && d.volume == volume) return d.name;
  return std::string();
}

bool San::renumber(const std::string& from, const std::string& to) {
  for (SanDevice& d : devices_) {
    if (d.name != from) continue;
    withdraw(d);
    d.name = to;
    names_[deviceKey(d.array, d.serial)] = to;
    present(d);
    return true;
  }
  return false;
}

}  // namespace kxsnap
