// The HTTPS request layer both array clients share. It forms the URL from
// the array address, an API base path and a relative path, installs the
// header set of the array type, sends the request through the host's HTTP
// client and hands back the response body. It knows nothing about JSON.
//
// Every diagnostic goes to the logger record's logWithContext; none carries
// the API token or the password (a login body, which holds the token, is
// never logged, and any text that would carry either is masked).
#ifndef PURESTOR_KXSNAPRESTAPI_H
#define PURESTOR_KXSNAPRESTAPI_H

#include <string>

#include "ArrayTypes.h"
#include "KXSOSnapInfo.h"

class KXLibCurl;

class KXSnapRESTAPI {
 public:
  KXSnapRESTAPI();
  ~KXSnapRESTAPI();
  KXSnapRESTAPI(const KXSnapRESTAPI&) = delete;
  KXSnapRESTAPI& operator=(const KXSnapRESTAPI&) = delete;

  void setServer(const std::string& server) { server_ = server; }
  void setUserName(const std::string& user) { userName_ = user; }
  void setUserPswd(const std::string& password) { password_ = password; }
  void setToken(const std::string& token) { token_ = token; }
  void setCookieFile(const std::string& name) { cookieFile_ = name; }
  void setContentType(const std::string& line) { contentType_ = line; }
  void setRelativeBasePath(const std::string& path) { basePath_ = path; }
  void setUserAgentHeader(const std::string& line) { userAgent_ = line; }
  // Stored only when not null; while none is set, messages are dropped.
  void setLogger(KXSO::SnapInfo* logger) {
    if (logger != nullptr) logger_ = logger;
  }
  void setLogging(bool on) { logging_ = on; }
  void setArrayType(const PureArrayType& type) { arrayType_ = type; }

  const std::string& getRelativeBasePath() const { return basePath_; }
  const std::string& getSessionTokenLine() const { return sessionToken_; }
  bool isConnected() const { return connected_; }

  // reset, then the settings of a client session: address, user, token,
  // cookie-file name, standing base path and array type, with the clients'
  // content-type and user-agent lines.
  void configure(PureArrayType type, const std::string& server, const std::string& user,
                 const std::string& token, const std::string& cookieFile,
                 const std::string& basePath);

  // Clears the initialised, connected and logging flags and every setting
  // except the session-token line, the logger and the array type.
  void reset();

  // Forgets the session-token line of an earlier session, initialises the
  // HTTP client and sends the login POST; for FlashBlade keeps the
  // "x-auth-token" line of the answer (without its CR LF).
  bool connect(const std::string& relative, const std::string& body, std::string& response);
  // Sends the DELETE, then clears connected.
  bool disconnect(const std::string& relative, const std::string& body, std::string& response);

  bool get(const std::string& relative, const std::string& body, std::string& response);
  bool post(const std::string& relative, const std::string& body, std::string& response);
  bool put(const std::string& relative, const std::string& body, std::string& response);
  bool del(const std::string& relative, const std::string& body, std::string& response);
  bool patch(const std::string& relative, const std::string& body, std::string& response);

  // method: 0 get, 1 post, 2 put, 3 del, 4 patch. Refused (nothing sent)
  // before connect. A failed request still delivers a non-empty response
  // body; an empty one is a failure and leaves response unchanged.
  bool sendReq(int method, const std::string& relative, const std::string& body,
               std::string& response);

  // "https://" + server + "/" + base path + "/" + relative. Always true.
  bool formUrlPath(const std::string& relative, std::string& url);

  bool setCommonCurlHeaders();
  bool setCommonCurlHeadersForFlashBlade();

 private:
  void log(int level, const char* context, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
  bool append(int kind, const std::string& text, const char* refusal);

  KXLibCurl* http_;
  bool initialised_;
  bool connected_;
  bool connecting_;
  bool logging_;
  std::string basePath_;
  std::string contentType_;
  std::string cookieFile_;
  std::string server_;
  std::string userName_;
  std::string password_;
  std::string token_;
  std::string sessionToken_;
  std::string userAgent_;
  KXSO::SnapInfo* logger_;
  PureArrayType arrayType_;
};

#endif  // PURESTOR_KXSNAPRESTAPI_H
