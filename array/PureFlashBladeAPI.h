// The FlashBlade client (REST 1.5): session by API token header and
// session token, file-system and NFS-interface checks, file-system
// snapshots. Every failure leaves its message in getErrorStr and is logged
// at level 2 under the operation's name. Names put into query strings are
// percent-encoded (urlEncodeName), names in JSON bodies JSON-escaped; no
// error text or log line carries the API token.
#ifndef PURESTOR_PUREFLASHBLADEAPI_H
#define PURESTOR_PUREFLASHBLADEAPI_H

#include <set>
#include <string>
#include <vector>

#include "ArrayBaseAPI.h"
#include "KXSOSnapInfo.h"
#include "KXSnapRESTAPI.h"

class PureFlashBladeAPI : public ArrayBaseAPI {
 public:
  explicit PureFlashBladeAPI(KXSO::SnapInfo* logger);
  // Logs out (POST /api/logout), then destroys the transport.
  ~PureFlashBladeAPI() override;
  PureFlashBladeAPI(const PureFlashBladeAPI&) = delete;
  PureFlashBladeAPI& operator=(const PureFlashBladeAPI&) = delete;

  bool initialize(const std::string& server, const std::string& userName,
                  const std::string& apiToken, KXSO::KXOSUtil* osUtil, bool diagLogging) override;
  // POST /api/login with the "api-token" header; the answer must name the
  // user. The base path is "api/1.5" afterwards, whatever the outcome.
  bool connect() override;
  void reset() override { resetForRequest(); }
  // POST /api/logout; a failure without a response counts as success.
  bool disconnect() override;
  void setDiagLogging(bool on) override;
  std::string& getErrorStr() override { return errorStr_; }
  PureArrayType GetArrayType() override { return FLASHBLADE; }
  std::string getArrayName() override { return server_; }
  void fetchAPIVersions() override;
  const std::set<std::string>& getAPIVersions() const { return apiVersions_; }
  // Not supported on FlashBlade: false, no error text, nothing touched.
  bool getVolumeNameUsingSerialNumber(const std::string&, std::string&) override { return false; }

  bool createSnap(std::vector<PS_SnapInfo>& snaps, const std::string& suffix) override;
  bool destroySnap(PS_SnapInfo& snap) override;
  // eradicationDisabled is never set by this client.
  bool eradicateSnap(PS_SnapInfo& snap, bool& eradicationDisabled) override;
  bool checkIfSnapExistsOrNot(PS_SnapInfo& snap, bool& exists) override;
  // Whether an NFS-exported file system of that name exists (it must be
  // listed in the answer); the source name and serial are not used.
  bool checkIfVolWithSourceNameExists(const std::string& fsName, const std::string& sourceName,
                                      bool& exists, std::string& serial) override;

  // 1 when the FlashBlade has a network interface with that address that
  // serves "data", else 0.
  int CheckIfNFSNetworkInterfaceExists(const std::string& address);

  void resetForRequest();
  void resetError() { errorStr_.clear(); }
  // The "message" of the first element of the "errors" list.
  bool getErrorMsgFromResponse2(const std::string& response, std::string& msg);
  KXSnapRESTAPI* getTransport() { return rest_; }

 private:
  void setError(const std::string& text);
  // setError, then the text logged at level 2 under context; false.
  bool fail(const char* context, const std::string& text);
  void log(int level, const char* context, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
  template <typename Op>
  bool guarded(const char* what, Op op);

  KXSnapRESTAPI* rest_;
  std::string requestBody_;
  std::string response_;
  std::string errorStr_;
  std::string server_;
  std::string userName_;
  std::string apiToken_;
  bool diagLogging_;
  KXSO::SnapInfo* logger_;
  KXSO::KXOSUtil* osUtil_;
  std::set<std::string> apiVersions_;
};

#include "RestJson.h"

template <typename Op>
bool PureFlashBladeAPI::guarded(const char* what, Op op) {
  return guardJson(what, response_, server_,
                   [this, what](const std::string& t) { fail(what, t); }, op);
}

#endif  // PURESTOR_PUREFLASHBLADEAPI_H
