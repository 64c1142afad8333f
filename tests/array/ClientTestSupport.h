// Shared set-up of the array-client tests: a host record as logger, an
// OS-utility object, the recording HTTP client reset for every test.
#ifndef KXTEST_CLIENTTESTSUPPORT_H
#define KXTEST_CLIENTTESTSUPPORT_H

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FakeHost.h"
#include "FakeHttp.h"

namespace kxtest {

inline const char kToken[] = "TOKEN-0b5e-4c1a-SECRET";

inline void queue(bool ok, const std::string& body) { kxfakehttp::queueReply({ok, body}); }

inline kxfakehttp::Request lastRequest() {
  auto all = kxfakehttp::requests();
  return all.empty() ? kxfakehttp::Request() : all.back();
}

inline size_t requestCount() { return kxfakehttp::requests().size(); }

// A connected client of type Client, logging on the util's first record.
template <typename Client>
class ClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kxfakehttp::reset();
    record_ = &util_.addRecord();
    client_ = std::make_unique<Client>(record_);
  }
  void TearDown() override {
    // The destructor's logout gets an answer of its own.
    kxfakehttp::reset();
    client_.reset();
  }

  bool connectWith(const std::string& loginAnswer, bool diag = false,
                   std::vector<std::string> headers = {}) {
    if (!client_->initialize("array1", "pureuser", kToken, &util_, diag)) return false;
    kxfakehttp::queueReply({true, loginAnswer, headers});
    return client_->connect();
  }

  FakeOSUtil util_;
  FakeSnapInfo* record_ = nullptr;
  std::unique_ptr<Client> client_;
};

}  // namespace kxtest

#endif  // KXTEST_CLIENTTESTSUPPORT_H
