// The FlashArray client (REST 1.x): session by API token and cookie, volume
// snapshots, volumes and clones, hosts and connections, protection groups,
// array information and pods. Every operation starts from a clean request
// (resetForRequest) and reports failure through getErrorStr.
//
// Names put into request paths and query strings are percent-encoded
// outside letters, digits, "-", "_", "." and ":" (urlEncodeName); names put
// into JSON bodies are JSON-escaped. Error texts never carry the API token.
// The standing base path is "api/1.4"; operations that need another version
// set it back afterwards, except getCloneVolumes and
// getDestroyedVolumesForClone on success (their callers go on under 1.7).
#ifndef PURESTOR_PURESTORAGEAPI_H
#define PURESTOR_PURESTORAGEAPI_H

#include <set>
#include <string>
#include <vector>

#include "ArrayBaseAPI.h"
#include "KXSOSnapInfo.h"
#include "KXSnapRESTAPI.h"
#include "jsonxx.h"

class PureStorageAPI : public ArrayBaseAPI {
 public:
  // logger receives every message; it may be null, but then initialize
  // refuses.
  explicit PureStorageAPI(KXSO::SnapInfo* logger);
  // Logs out (DELETE auth/session), then destroys the transport.
  ~PureStorageAPI() override;
  PureStorageAPI(const PureStorageAPI&) = delete;
  PureStorageAPI& operator=(const PureStorageAPI&) = delete;

  // ---- session ----
  bool initialize(const std::string& server, const std::string& userName,
                  const std::string& apiToken, KXSO::KXOSUtil* osUtil, bool diagLogging) override;
  // POST auth/session with the token; the answer must name the user.
  bool connect() override;
  void reset() override { resetForRequest(); }
  // DELETE auth/session; the transport is reset either way.
  bool disconnect() override;
  void setDiagLogging(bool on) override;
  std::string& getErrorStr() override { return errorStr_; }
  PureArrayType GetArrayType() override { return FLASHARRAY; }
  std::string getArrayName() override { return server_; }
  // GET /api/api_version into the version set; empty on failure.
  void fetchAPIVersions() override;
  const std::set<std::string>& getAPIVersions() const { return apiVersions_; }
  void resetForRequest();
  void resetError() { errorStr_.clear(); }
  // The "msg" of the first element of an error list.
  bool getErrorMsgFromResponse(const std::string& response, std::string& msg);
  // The client's own options record (the FlashArray client cache fills it).
  PureStorArrayConfigs& getPureArrayConfigs() { return pureConfigs_; }
  KXSnapRESTAPI* getTransport() { return rest_; }

  // ---- volume snapshots ----
  bool createSnap(std::vector<PS_SnapInfo>& snaps, const std::string& suffix) override;
  bool renameSnap(const std::string& oldName, const std::string& newName);
  bool checkIfSnapExistsOrNot(PS_SnapInfo& snap, bool& exists) override;
  bool destroySnap(PS_SnapInfo& snap) override;
  bool eradicateSnap(PS_SnapInfo& snap, bool& eradicationDisabled) override;
  // The DELETE of volumes, snapshots: relative is the path as sent.
  bool destroyOrEradicate(const std::string& name, const std::string& relative,
                          bool& eradicationDisabled);
  bool getSnapSerialNum(const std::string& snapName, std::string& serial);

  // ---- volumes and clones ----
  bool createVolumeFromSnap(PS_SnapInfo& snap, const std::string& unused, bool overwrite);
  bool createVolumesFromSnap(std::vector<PS_SnapInfo>& snaps, const std::string& unused);
  bool checkIfVolumeExists(const PS_SnapInfo& snap, bool& exists, bool nameOnly);
  bool checkIfVolWithSourceNameExists(const std::string& volName, const std::string& sourceName,
                                      bool& exists, std::string& serial) override;
  bool destroyVolume(PS_SnapInfo& snap, bool nameOnly);
  bool eradicateVolume(PS_SnapInfo& snap, bool& eradicationDisabled);
  // 1.7 filter when the version set holds "1.7", else the 1.4 list.
  bool getVolumeNameUsingSerialNumber(const std::string& serial, std::string& volName) override;
  bool getVolumeNameUsingSerialNumber_1_4(const std::string& serial, std::string& volName);
  bool getVolumeNameUsingSerialNumber_1_7(const std::string& serial, std::string& volName);
  bool getCloneVolumes(const std::string& prefix, std::vector<VolumeInfo>& clones);
  bool getDestroyedVolumesForClone(const std::string& prefix, std::vector<VolumeInfo>& clones);
  bool GetCloneNameToUse(const std::string& prefix, std::string sourceVolName,
                         std::string& cloneName, std::string& cloneSerial, bool& cloneExists,
                         bool& needsResync);
  bool RecoverVolume(const std::string& volName);

  // ---- hosts and connections ----
  bool getAllHosts(std::vector<HostInfo>& hosts);
  bool getHostInfoFromArrayV2(const std::vector<std::string>& wwpns,
                              const std::vector<std::string>& iqns,
                              std::set<HostInfo>& wwpnMatches, std::set<HostInfo>& iqnMatches,
                              bool connectToHostGroup, bool useHostIfNoHostGroup);
  bool getHostInfoFromArray(std::vector<std::string>& wwpns, std::vector<std::string>& iqns,
                            HostInfo& result, bool connectToHostGroup, bool useHostIfNoHostGroup);
  bool findHostGroup(std::vector<HostInfo>& hosts, HostInfo& result);
  bool findHostWithoutHG(std::vector<HostInfo>& hosts, HostInfo& result);
  bool connectVolumeToHost(const std::string& hostName, const std::string& volName);
  bool connectVolumeToHostGroup(const std::string& groupName, const std::string& volName);
  bool connectVolumeToHostOrHostGroup(const HostInfo& host, const std::string& volName,
                                      const bool useHostGroup);
  bool getConnectedHostsToVolume(const std::string& volName, std::vector<std::string>& hosts);
  bool getConnectedHostGroupsToVolume(const std::string& volName,
                                      std::vector<std::string>& groups);
  bool getConnectedHostsAndHostGroupsToVolume(const std::string& volName,
                                              std::vector<std::string>& hosts,
                                              std::vector<std::string>& groups);
  bool disConnectVolumeFromHosts(const std::string& volName,
                                 const std::vector<std::string>& hosts);
  bool disConnectVolumeFromHostGroups(const std::string& volName,
                                      const std::vector<std::string>& groups);
  bool disConnectVolumeFromHostsAndHostGroups(const std::string& volName,
                                              std::vector<std::string>& hosts,
                                              std::vector<std::string>& groups);
  bool isVolumeConnectedToHostOrHostGroup(const std::string& volName, const HostInfo& host);
  static std::string ToLower(const std::string& text);

  // ---- protection groups ----
  bool checkIfPrGroupExists(const std::string& group, bool& exists, PS_ProtectionGroup& out);
  bool createProtectionGroup(const std::vector<std::string>& volumes, const std::string& target,
                             const std::string& group, std::string& source);
  bool updateReplicationStatus(const std::string& group, const bool allowed);
  bool updatePrGroupVolumes(const std::string& group, const std::vector<std::string>& add,
                            const std::vector<std::string>& remove);
  bool createPrGroupSnap(const std::string& group, const std::string& suffix,
                         std::string& snapName);
  bool checkIfPrGroupSnapExistsOrNot(const std::string& groupSnap, bool& exists);
  bool destroyProtectionGroupSnap(const std::string& groupSnap);
  bool eradicateProtectionGroupSnap(const std::string& groupSnap, bool& eradicationDisabled);
  bool destroyOrEradicatePrGroupSnap(const std::string& name, const std::string& relative,
                                     bool& eradicationDisabled);

  // ---- array information and pods ----
  bool getArrayPorts(std::vector<std::string>& ports);
  bool getArrayDisplayName(std::string& name);
  bool getArraySerialNumber(std::string& serial, std::string& version);
  bool GetPodInfo(const std::string& podName, std::vector<PodArrayInfo>& arrays);

 private:
  // Stores text as the error, with the token masked.
  void setError(const std::string& text);
  void log(int level, const char* context, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
  // Runs op with broken JSON preconditions turned into an error (RestJson.h).
  template <typename Op>
  bool guarded(const char* what, Op op);
  // GET "array" as a non-empty object; prefix starts the empty-answer text.
  bool getArrayObject(const std::string& prefix, jsonxx::Object& answer);
  bool checkDeleteAnswer(const std::string& name, bool fullMismatchText);
  bool getVolumeList(const char* context, const std::string& relative, const char* noneFmt,
                     const char* noneQualifiedFmt, const std::string& prefix,
                     std::vector<VolumeInfo>& out);
  bool connectVolume(const char* kind, const std::string& name, const std::string& volName);
  bool checkConnectionAnswer(const jsonxx::Object& answer, const std::string& name,
                             const std::string& volName, const std::string& what,
                             const std::string& mismatch, const std::string& end,
                             const std::string& mismatchEnd);
  bool getConnections(const std::string& volName, bool groups, std::vector<std::string>& out);
  bool disconnectVolume(bool groups, const std::string& volName,
                        const std::vector<std::string>& names);

  KXSnapRESTAPI* rest_;
  std::string requestBody_;
  std::string response_;
  std::string errorStr_;
  std::string cookieFile_;
  std::string server_;
  std::string userName_;
  std::string apiToken_;
  bool diagLogging_;
  KXSO::SnapInfo* logger_;
  KXSO::KXOSUtil* osUtil_;
  std::set<std::string> apiVersions_;
  PureStorArrayConfigs pureConfigs_;
};

// Request bodies of the FlashArray client (names JSON-escaped).
void buildJSONBodyForSessionCreate(const std::string& apiToken, std::string& body);
void buildJSONBodyForSnapCreate(const std::vector<PS_SnapInfo>& snaps, const std::string& suffix,
                                std::string& body);
void buildJSONBodyForSnapRename(const std::string& newName, std::string& body);
void buildJSONBodyForCreateVolFromSnap(const std::string& snapName, bool overwrite,
                                       std::string& body);
void buildJSONBodyForCreateProtectionGroup(const std::vector<std::string>& volumes,
                                           const std::string& target, std::string& body);
void buildJSONBodyForUpdateProtectionGroup(const std::vector<std::string>& add,
                                           const std::vector<std::string>& remove,
                                           std::string& body);
void buildJSONBodyForPrGroupSnapCreate(const std::string& group, const std::string& suffix,
                                       std::string& body);


#include "RestJson.h"

template <typename Op>
bool PureStorageAPI::guarded(const char* what, Op op) {
  return guardJson(what, response_, server_, [this](const std::string& t) { setError(t); }, op);
}

#endif  // PURESTOR_PURESTORAGEAPI_H
