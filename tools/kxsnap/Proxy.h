// Remote snapshot proxies. executeOnRemote(proxy) runs the job's records on
// the named proxy host: kxsnap starts itself as a child in proxy mode,
// hands it the records as JSON on a pipe, the child calls
// kxso_execSnapEngineOp with the proxy's own registrations, and the parent
// merges back what the child changed.
//
// Wire form (one JSON document each way, then end of file):
//   request  {"job": PATH, "proxy": NAME, "records": [RECORD...]}
//   response {"result": RC, "records": [RECORD...]}
// RECORD is the state-file form of a record (JobState.h).
#ifndef KXSNAP_PROXY_H
#define KXSNAP_PROXY_H

#include <string>

#include "Host.h"
#include "PluginLoader.h"

namespace kxsnap {

// Runs the host's records on the proxy; true when the child answered. The
// host's records are changed only then.
bool runOnProxy(Host& host, const std::string& proxy, const std::string& self,
                const std::string& pluginPath, const std::string& logFile, std::string* error);

// The child's side: reads the request from standard input, runs it and
// writes the response to standard output. Returns the process exit code.
int serveProxyRequest(const PluginApi& api);

}  // namespace kxsnap

#endif  // KXSNAP_PROXY_H
