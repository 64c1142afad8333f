#include "FakeHost.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "KXPlatformConfig.h"

namespace kxtest {

std::string FakeSnapInfo::meta(short type) const {
  auto it = state().metadata.find(type);
  return it == state().metadata.end() ? std::string() : it->second;
}

size_t FakeSnapInfo::logCount(const std::string& text) const {
  return static_cast<size_t>(
      std::count_if(state().log.begin(), state().log.end(), [&](const kxhost::LogLine& line) {
        return line.text.find(text) != std::string::npos;
      }));
}

FakeOSUtil::FakeOSUtil(int records) {
  for (int i = 0; i < records; ++i) addRecord();
}

FakeOSUtil::FakeOSUtil(std::shared_ptr<kxhost::ArrayRegistry> registry, int records)
    : kxhost::ModelOSUtil(std::move(registry)) {
  for (int i = 0; i < records; ++i) addRecord();
}

std::unique_ptr<kxhost::ModelSnapInfo> FakeOSUtil::newRecord() {
  return std::make_unique<FakeSnapInfo>(&arrays());
}

FakeSnapInfo& FakeOSUtil::addRecord() {
  return static_cast<FakeSnapInfo&>(kxhost::ModelOSUtil::addRecord());
}

FakeSnapInfo& FakeOSUtil::record(size_t i) {
  if (i >= jobRecords().size()) throw std::out_of_range("FakeOSUtil::record: no such record");
  auto* fake = dynamic_cast<FakeSnapInfo*>(jobRecords()[i]);
  if (fake == nullptr) throw std::logic_error("FakeOSUtil::record: not a FakeSnapInfo");
  return *fake;
}

int FakeOSUtil::addArray(const std::string& name, const std::string& info,
                         const std::vector<std::string>& aliases, const std::string& vendor) {
  kxhost::ArrayEntry entry;
  entry.name = name;
  entry.info = info;
  entry.aliases = aliases;
  entry.vendor = vendor;
  return kxhost::ModelOSUtil::addArray(std::move(entry));
}

LogCapture::LogCapture()
    : previousFile_(kxplatform::logFile()), previousLevel_(kxplatform::logLevel()) {
  const char* dir = getenv("TMPDIR");
  std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/kxtest-log-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) throw std::runtime_error("LogCapture: cannot create a temporary file");
  close(fd);
  path_ = name.data();
  kxplatform::setLogFile(path_);
  kxplatform::setLogLevel(4);
}

LogCapture::~LogCapture() {
  kxplatform::setLogFile(previousFile_);
  kxplatform::setLogLevel(previousLevel_);
  unlink(path_.c_str());
}

std::string LogCapture::text() const {
  std::ifstream in(path_);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> LogCapture::lines() const {
  std::vector<std::string> out;
  std::istringstream in(text());
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

bool LogCapture::contains(const std::string& text) const { return count(text) > 0; }

size_t LogCapture::count(const std::string& text) const {
  const std::vector<std::string> all = lines();
  return static_cast<size_t>(std::count_if(all.begin(), all.end(), [&](const std::string& l) {
    return l.find(text) != std::string::npos;
  }));
}

void LogCapture::clear() { std::ofstream(path_, std::ios::trunc).close(); }

SleepRecorder::SleepRecorder() : shared_(std::make_shared<Shared>()) {
  std::shared_ptr<Shared> shared = shared_;
  kxplatform::setSleepHook([shared](unsigned int ms, const char* file, int line) {
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->calls.push_back({ms, file ? file : "", line});
  });
}

SleepRecorder::~SleepRecorder() { kxplatform::setSleepHook(kxplatform::SleepHook()); }

std::vector<SleepRecorder::Sleep> SleepRecorder::calls() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->calls;
}

std::vector<unsigned int> SleepRecorder::sleeps() const {
  std::vector<unsigned int> out;
  for (const Sleep& s : calls()) out.push_back(s.milliseconds);
  return out;
}

size_t SleepRecorder::count() const { return calls().size(); }

unsigned long long SleepRecorder::totalMs() const {
  unsigned long long total = 0;
  for (unsigned int ms : sleeps()) total += ms;
  return total;
}

}  // namespace kxtest
