// The host error object: a success flag, a numeric code and a readable
// text. Device operations set it on failure; callers read AsString.
#ifndef KXPLATFORM_CZUERROR_H
#define KXPLATFORM_CZUERROR_H

#include <string>

#include "KXPlatformConfig.h"

class KXPLATFORM_API CZuError {
 public:
  // Starts as success.
  CZuError() = default;

  // Back to success: code 0, empty text.
  void SetSuccess();
  // Failure with a code (an errno value or another non-zero number) and text.
  void Set(int code, const std::string& text);

  bool IsSuccess() const { return success_; }
  int Code() const { return code_; }
  // The failure text; "Success" when there was no failure.
  std::string AsString() const;

 private:
  bool success_ = true;
  int code_ = 0;
  std::string text_;
};

#endif  // KXPLATFORM_CZUERROR_H
