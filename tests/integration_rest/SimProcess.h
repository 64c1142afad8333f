// The array simulator as a child process on loopback for one test fixture:
// started with the built-in scenario in a fresh state folder, stopped with
// SIGTERM (and the folder removed) on destruction.
#ifndef KXTEST_SIMPROCESS_H
#define KXTEST_SIMPROCESS_H

#include <sys/types.h>

#include <string>

#include <nlohmann/json.hpp>

namespace kxtest {

class SimProcess {
 public:
  SimProcess();
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool ok() const { return ok_; }
  const std::string& caFile() const { return ca_; }
  // The array of that name from arrays.json ({name, kind, address, users}).
  nlohmann::json array(const std::string& name) const;
  // "127.0.0.1:PORT" of the array.
  std::string address(const std::string& name) const;
  std::string token(const std::string& name) const;
  // GET of an admin path ("stats", "requests") on the array, parsed; a
  // null value when it fails. Uses a fresh HTTP client each time.
  nlohmann::json admin(const std::string& name, const std::string& what) const;

 private:
  bool ok_ = false;
  pid_t pid_ = -1;
  std::string dir_, ca_;
  nlohmann::json arrays_;
};

}  // namespace kxtest

#endif  // KXTEST_SIMPROCESS_H
