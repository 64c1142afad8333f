// A throw-away self-signed certificate for 127.0.0.1, written as PEM files
// into a fresh temporary folder that is removed again on destruction.
#ifndef KXTEST_TESTTLS_H
#define KXTEST_TESTTLS_H

#include <string>

namespace kxtest {

class TestCertificate {
 public:
  TestCertificate();
  ~TestCertificate();
  TestCertificate(const TestCertificate&) = delete;
  TestCertificate& operator=(const TestCertificate&) = delete;

  bool ok() const { return ok_; }
  const std::string& certFile() const { return cert_; }  // also the CA file to trust
  const std::string& keyFile() const { return key_; }
  const std::string& dir() const { return dir_; }

 private:
  bool ok_ = false;
  std::string dir_, cert_, key_;
};

}  // namespace kxtest

#endif  // KXTEST_TESTTLS_H
