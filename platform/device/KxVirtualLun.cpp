#include "KxVirtualLun.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "KxDevice.h"
#include "KxDeviceBackends.h"

namespace {

constexpr unsigned char kInquiry = 0x12;
constexpr unsigned char kTestUnitReady = 0x00;

struct Lun {
  std::vector<unsigned char> standard;
  std::vector<unsigned char> page83;
  KxVirtualScsiResponder responder;  // set: answers everything
};

class Registry {
 public:
  static Registry& instance() {
    static Registry* registry = new Registry();  // never destroyed: usable at exit
    return *registry;
  }

  void put(const std::string& name, std::shared_ptr<const Lun> lun) {
    std::lock_guard<std::mutex> lock(mutex_);
    luns_[name] = std::move(lun);
  }
  bool erase(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    return luns_.erase(name) != 0;
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    luns_.clear();
  }
  std::shared_ptr<const Lun> find(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = luns_.find(name);
    return it == luns_.end() ? nullptr : it->second;
  }
  std::vector<std::string> names() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const auto& entry : luns_) out.push_back(entry.first);
    return out;  // std::map keeps them sorted
  }

 private:
  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<const Lun>> luns_;
};

int checkCondition(CZuError& error, const char* what) {
  error.Set(-1, std::string("SCSI status 0x02 (CHECK CONDITION), sense key 0x05 "
                            "(ILLEGAL REQUEST): ") + what);
  return -1;
}

// Copies as much of the page as both the allocation length and the buffer
// allow.
int answer(const std::vector<unsigned char>& page, const KxVirtualScsiCommand& c) {
  int allocation = (c.cdb[3] << 8) | c.cdb[4];
  size_t n = std::min({page.size(), static_cast<size_t>(allocation),
                       static_cast<size_t>(c.dataLen)});
  if (n > 0) std::memcpy(c.data, page.data(), n);
  return static_cast<int>(n);
}

std::vector<unsigned char> supportedPages() { return {0x00, 0x00, 0x00, 0x02, 0x00, 0x83}; }

int answerInquiry(const Lun& lun, const KxVirtualScsiCommand& c, CZuError& error) {
  if (c.cdbLen < 6) return checkCondition(error, "INQUIRY CDB shorter than 6 bytes");
  if (c.direction != kKxScsiDataIn) {
    error.Set(-1, "INQUIRY needs a data-in transfer");
    return -1;
  }
  bool evpd = (c.cdb[1] & 0x01) != 0;
  unsigned char page = c.cdb[2];
  if (!evpd) {
    if (page != 0) return checkCondition(error, "page code without EVPD");
    return answer(lun.standard, c);
  }
  if (page == 0x00) return answer(supportedPages(), c);
  if (page == 0x83) return answer(lun.page83, c);
  return checkCondition(error, "VPD page not supported");
}

class VirtualLunDevice : public KxDevice, public KxDeviceScsiIface {
 public:
  VirtualLunDevice(std::string name, std::shared_ptr<const Lun> lun)
      : name_(std::move(name)), lun_(std::move(lun)) {}

  KxDeviceIface* QueryInterface(const char* name) override {
    if (name != nullptr && std::strcmp(name, kKxDeviceScsiIface) == 0) return this;
    return nullptr;
  }
  std::string GetName() const override { return name_; }

  int Command(const unsigned char* cdb, int cdbLen, unsigned char* data, int dataLen, int,
              int direction, int, int, int timeoutSec, CZuError& error) override {
    if (cdb == nullptr || cdbLen <= 0 || dataLen < 0 || (data == nullptr && dataLen > 0)) {
      error.Set(-1, "Invalid SCSI command arguments");
      return -1;
    }
    KxVirtualScsiCommand c{cdb, cdbLen, data, dataLen, direction, timeoutSec};
    if (lun_->responder) return lun_->responder(c, error);
    if (cdb[0] == kInquiry) return answerInquiry(*lun_, c, error);
    if (cdb[0] == kTestUnitReady) return 0;
    return checkCondition(error, "operation code not supported");
  }

 private:
  std::string name_;
  std::shared_ptr<const Lun> lun_;
};

}  // namespace

namespace kxplatform {

void registerVirtualLun(const std::string& name, const std::vector<unsigned char>& standardInquiry,
                        const std::vector<unsigned char>& page83) {
  if (name.empty()) return;
  auto lun = std::make_shared<Lun>();
  lun->standard = standardInquiry;
  lun->page83 = page83;
  Registry::instance().put(name, std::move(lun));
}

void registerVirtualLun(const std::string& name, KxVirtualScsiResponder responder) {
  if (name.empty() || !responder) return;
  auto lun = std::make_shared<Lun>();
  lun->responder = std::move(responder);
  Registry::instance().put(name, std::move(lun));
}

bool unregisterVirtualLun(const std::string& name) { return Registry::instance().erase(name); }

void clearVirtualLuns() { Registry::instance().clear(); }

bool isVirtualLun(const std::string& name) { return Registry::instance().find(name) != nullptr; }

std::vector<std::string> virtualLunNames() { return Registry::instance().names(); }

namespace detail {

KxDeviceRef openVirtualLun(const std::string& name) {
  std::shared_ptr<const Lun> lun = Registry::instance().find(name);
  if (!lun) return nullptr;
  return std::make_shared<VirtualLunDevice>(name, std::move(lun));
}

}  // namespace detail
}  // namespace kxplatform
