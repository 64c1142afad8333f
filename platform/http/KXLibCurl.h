// The host's HTTP client. One object is one client: its requests share one
// connection where the server keeps it alive, and its cookies live in memory
// for the life of the object (no cookie file is ever written).
//
// Configuration (kxplatform::httpSettings(), read by every KXLibCurlInit):
//   KX_HTTP_CAFILE           CA bundle to trust instead of the system one
//   KX_HTTP_INSECURE         turns peer and host-name verification off
//   KX_HTTP_CONNECT_TIMEOUT  seconds to establish a connection (default 15)
//   KX_HTTP_TIMEOUT          seconds for a whole request (default 120)
// Only https URLs are carried out; redirects are not followed.
//
// Failures (no connection, TLS verification, time-out, a status outside
// 2xx) are logged through HostLog with their reason and kept for
// GetLastError. Nothing logged carries a header value or a request body.
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

// Receives the response body instead of the client's own buffer.
typedef size_t (*KXLibCurlWriteCallback)(char* data, size_t size, size_t count, void* user);

class KXPLATFORM_API KXLibCurl {
 public:
  KXLibCurl();
  ~KXLibCurl();
  KXLibCurl(const KXLibCurl&) = delete;
  KXLibCurl& operator=(const KXLibCurl&) = delete;

  // Prepares the client (again); the connection and the cookies of an
  // earlier session are kept. contentType and the two flags are accepted
  // for the interface's sake: the header list alone decides what is sent.
  // With a callback the body goes to it and GetHttpResponse stays empty.
  // true on success.
  bool KXLibCurlInit(const std::string& contentType, bool flag1, bool flag2,
                     KXLibCurlWriteCallback callback);
  // Drops every appended header; the cookies and their name are kept.
  void KXLibCurlFreeHttpHeaderList();
  // Kind 0: a header line; an empty line is accepted and sends nothing; a
  // line holding CR or LF is refused. Kind 3: the name under which the
  // session cookies are kept in memory; naming another one forgets the
  // cookies of the previous name. Other kinds are refused. true when the
  // header was accepted.
  bool KXLibCurlAppendHeader(int kind, const std::string& text);
  // true when the request was carried out and the server answered 2xx.
  // The request carries the body as given (none when body is null or
  // bodyLength 0); flag and text are not used.
  bool KXLibCurlSendHttpReq(_http_req_type_ type, const std::string& url, const char* body,
                            size_t bodyLength, bool flag, const char* text);
  // Body of the last response (also after a failed request), NUL-terminated.
  const char* GetHttpResponse(size_t* length, bool flag);
  // The complete header line of that name as received, CR LF included
  // (name compared without regard to case), or an empty string.
  std::string GetHttpResponseHeader(const std::string& name);

  // Why the last request failed (empty after a success).
  std::string GetLastError() const;
  // HTTP status of the last response, 0 when none was received.
  long GetHttpStatus() const;

 private:
  struct Impl;
  Impl* impl_;
};

#endif  // KXPLATFORM_KXLIBCURL_H
