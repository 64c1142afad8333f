#include "CZuError.h"

void CZuError::SetSuccess() {
  success_ = true;
  code_ = 0;
  text_.clear();
}

void CZuError::Set(int code, const std::string& text) {
  success_ = false;
  code_ = code;
  text_ = text;
}

std::string CZuError::AsString() const { return success_ ? std::string("Success") : text_; }
