// The host exception type: carries one message text.
#ifndef KXPLATFORM_KXEXCEPTION_H
#define KXPLATFORM_KXEXCEPTION_H

#include <exception>
#include <string>
#include <utility>

#include "KXPlatformConfig.h"

class KXPLATFORM_API KxException : public std::exception {
 public:
  explicit KxException(std::string message) : message_(std::move(message)) {}
  ~KxException() override;
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& GetMessage() const noexcept { return message_; }

 private:
  std::string message_;
};

#endif  // KXPLATFORM_KXEXCEPTION_H
