// An HTTP client that carries out no request, for builds without libcurl.
#include <string>

#include "KXLibCurl.h"

struct KXLibCurl::Impl {
  std::string empty;
};

KXLibCurl::KXLibCurl() : impl_(new Impl) {}
KXLibCurl::~KXLibCurl() { delete impl_; }
bool KXLibCurl::KXLibCurlInit(const std::string&, bool, bool, KXLibCurlWriteCallback) { return false; }
void KXLibCurl::KXLibCurlFreeHttpHeaderList() {}
bool KXLibCurl::KXLibCurlAppendHeader(int, const std::string&) { return false; }
bool KXLibCurl::KXLibCurlSendHttpReq(_http_req_type_, const std::string&, const char*, size_t, bool,
                                     const char*) {
  return false;
}
const char* KXLibCurl::GetHttpResponse(size_t* length, bool) {
  if (length != nullptr) *length = 0;
  return impl_->empty.c_str();
}
std::string KXLibCurl::GetHttpResponseHeader(const std::string&) { return std::string(); }
std::string KXLibCurl::GetLastError() const { return "built without libcurl"; }
long KXLibCurl::GetHttpStatus() const { return 0; }
