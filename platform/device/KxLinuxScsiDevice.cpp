// Linux back end of the device tree: SG_IO on the device node.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "KxDevice.h"
#include "KxDeviceBackends.h"

namespace {

std::string errnoText(int err) {
  char buf[256];
  // GNU strerror_r may return a static string instead of filling buf.
  const char* text = strerror_r(err, buf, sizeof buf);
  return text ? text : "unknown error";
}

std::string hex(unsigned value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%0*x", width, value);
  return buf;
}

std::string baseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The entries of a sysfs directory, sorted (empty when it does not exist).
std::vector<std::string> listDir(const std::string& dir) {
  std::vector<std::string> out;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return out;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] != '.') out.emplace_back(e->d_name);
  }
  closedir(d);
  std::sort(out.begin(), out.end());
  return out;
}

// Sums up a failed SG_IO: the statuses and, with fixed or descriptor
// format sense, the sense key and additional sense code.
std::string statusText(const sg_io_hdr_t& io, const unsigned char* sense) {
  std::string text = "SCSI command failed: status " + hex(io.status, 2) + ", host status " +
                     hex(io.host_status, 4) + ", driver status " + hex(io.driver_status, 4);
  if (io.sb_len_wr >= 3) {
    bool descriptor = (sense[0] & 0x7f) >= 0x72;
    unsigned key = (descriptor ? sense[1] : sense[2]) & 0x0f;
    text += ", sense key " + hex(key, 1);
    if (descriptor) {
      text += ", ASC " + hex(sense[2], 2) + ", ASCQ " + hex(sense[3], 2);
    } else if (io.sb_len_wr >= 14) {
      text += ", ASC " + hex(sense[12], 2) + ", ASCQ " + hex(sense[13], 2);
    }
  }
  return text;
}

int sgDirection(int direction) {
  switch (direction) {
    case kKxScsiNoData:
      return SG_DXFER_NONE;
    case kKxScsiDataIn:
      return SG_DXFER_FROM_DEV;
    case kKxScsiDataOut:
      return SG_DXFER_TO_DEV;
    default:
      return -1;
  }
}

class LinuxScsi : public KxDeviceScsiIface {
 public:
  explicit LinuxScsi(int fd) : fd_(fd) {}

  int Command(const unsigned char* cdb, int cdbLen, unsigned char* data, int dataLen, int,
              int direction, int, int, int timeoutSec, CZuError& error) override {
    int dxfer = sgDirection(direction);
    if (cdb == nullptr || cdbLen < 6 || cdbLen > 16 || dataLen < 0 ||
        (data == nullptr && dataLen > 0) || dxfer == -1 || timeoutSec <= 0) {
      error.Set(EINVAL, "Invalid SCSI command arguments");
      return -1;
    }
    if (dataLen == 0) dxfer = SG_DXFER_NONE;
    unsigned char sense[64] = {};
    std::vector<unsigned char> cmd(cdb, cdb + cdbLen);  // SG_IO wants a non-const CDB
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.dxfer_direction = dxfer;
    io.cmd_len = static_cast<unsigned char>(cdbLen);
    io.mx_sb_len = sizeof sense;
    io.dxfer_len = static_cast<unsigned>(dataLen);
    io.dxferp = data;
    io.cmdp = cmd.data();
    io.sbp = sense;
    io.timeout = static_cast<unsigned>(std::min(timeoutSec, INT_MAX / 1000)) * 1000u;
    if (ioctl(fd_, SG_IO, &io) < 0) {
      int err = errno;
      error.Set(err, "SG_IO failed: " + errnoText(err));
      return -1;
    }
    if ((io.info & SG_INFO_OK_MASK) != SG_INFO_OK || io.status != 0 || io.host_status != 0 ||
        io.driver_status != 0) {
      error.Set(-1, statusText(io, sense));
      return -1;
    }
    return std::max(0, dataLen - io.resid);
  }

 private:
  int fd_;
};

class LinuxDevice : public KxDevice {
 public:
  LinuxDevice(std::string name, int fd, bool scsi)
      : name_(std::move(name)), fd_(fd), scsi_(scsi), iface_(fd) {}
  ~LinuxDevice() override { close(fd_); }
  LinuxDevice(const LinuxDevice&) = delete;
  LinuxDevice& operator=(const LinuxDevice&) = delete;

  KxDeviceIface* QueryInterface(const char* name) override {
    if (scsi_ && name != nullptr && std::strcmp(name, kKxDeviceScsiIface) == 0) return &iface_;
    return nullptr;
  }
  std::string GetName() const override { return name_; }

 private:
  std::string name_;
  int fd_;
  bool scsi_;
  LinuxScsi iface_;
};

}  // namespace

namespace kxplatform {
namespace detail {

// A device-mapper node (multipath, partitions of it) has no SCSI interface
// of its own: follow its slaves down to the first sd disk.
std::string resolveScsiNode(const std::string& path, const std::string& sysBlock,
                            const std::string& devDir) {
  char real[PATH_MAX];
  if (realpath(path.c_str(), real) == nullptr) return path;
  std::string node = real;
  for (int depth = 0; depth < 8 && baseName(node).rfind("dm-", 0) == 0; ++depth) {
    std::vector<std::string> slaves = listDir(sysBlock + "/" + baseName(node) + "/slaves");
    if (slaves.empty()) break;
    auto sd = std::find_if(slaves.begin(), slaves.end(),
                           [](const std::string& s) { return s.rfind("sd", 0) == 0; });
    node = devDir + "/" + (sd != slaves.end() ? *sd : slaves.front());
  }
  return node;
}

KxDeviceRef openLinuxDevice(const std::string& name, CZuError& error) {
  std::string node = resolveScsiNode(name, "/sys/block", "/dev");
  int fd = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    int err = errno;
    std::string text = "Cannot open device " + name;
    if (node != name) text += " (" + node + ")";
    error.Set(err, text + ": " + errnoText(err));
    return nullptr;
  }
  int version = 0;
  bool scsi = ioctl(fd, SG_GET_VERSION_NUM, &version) == 0 && version >= 30000;
  try {
    return std::make_shared<LinuxDevice>(name, fd, scsi);
  } catch (...) {
    close(fd);
    throw;
  }
}

}  // namespace detail
}  // namespace kxplatform
