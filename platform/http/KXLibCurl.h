// The host's HTTP client. One object is one client: its requests share one
// connection where the server keeps it alive, and its cookies live in memory
// for the life of the object.
#ifndef KXPLATFORM_KXLIBCURL_H
#define KXPLATFORM_KXLIBCURL_H

#include <cstddef>
#include <string>

#include "KXPlatformConfig.h"

enum _http_req_type_ {
  HTTP_REQ_GET = 0,
  HTTP_REQ_POST = 1,
  HTTP_REQ_PUT = 2,
  HTTP_REQ_DELETE = 3,
  HTTP_REQ_HEAD = 4,
  HTTP_REQ_PATCH = 5,
};

// Header kinds of KXLibCurlAppendHeader.
enum KXLibCurlHeaderKind {
  KXCURL_HEADER_LINE = 0,    // a literal header line "Name: value"
  KXCURL_HEADER_COOKIES = 3, // the name under which session cookies are kept
};

typedef size_t (*KXLibCurlWriteCallback)(char* data, size_t size, size_t count, void* user);

class KXPLATFORM_API KXLibCurl {
 public:
  KXLibCurl();
  ~KXLibCurl();
  KXLibCurl(const KXLibCurl&) = delete;
  KXLibCurl& operator=(const KXLibCurl&) = delete;

  // Prepares the client. true on success.
  bool KXLibCurlInit(const std::string& contentType, bool flag1, bool flag2,
                     KXLibCurlWriteCallback callback);
  // Drops every appended header (cookies are kept).
  void KXLibCurlFreeHttpHeaderList();
  // true when the header was accepted. An empty kind-0 line sends nothing.
  bool KXLibCurlAppendHeader(int kind, const std::string& text);
  // true when the request was carried out and the server answered 2xx.
  bool KXLibCurlSendHttpReq(_http_req_type_ type, const std::string& url, const char* body,
                            size_t bodyLength, bool flag, const char* text);
  // Body of the last response (also after a failed request), NUL-terminated.
  const char* GetHttpResponse(size_t* length, bool flag);
  // The complete header line of that name as received (name compared
  // without regard to case), or an empty string.
  std::string GetHttpResponseHeader(const std::string& name);

 private:
  struct Impl;
  Impl* impl_;
};

#endif  // KXPLATFORM_KXLIBCURL_H
