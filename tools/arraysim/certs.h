// A private certificate authority and the server certificates it signs,
// made with the OpenSSL C API and kept in memory; files are written for the
// clients (the CA certificate) and for inspection.
#ifndef ARRAYSIM_CERTS_H_
#define ARRAYSIM_CERTS_H_

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace arraysim {

struct X509Free {
  void operator()(X509* x) const { X509_free(x); }
};
struct PkeyFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;
using PkeyPtr = std::unique_ptr<EVP_PKEY, PkeyFree>;

struct KeyPair {
  X509Ptr cert;
  PkeyPtr key;
};

// A self-signed CA (P-256 key, SHA-256, ten years). Throws on failure.
KeyPair makeCa(const std::string& common_name);

// A server certificate for IP:127.0.0.1 and DNS:localhost, signed by `ca`.
KeyPair makeServerCert(const KeyPair& ca, const std::string& common_name);

// PEM text of a certificate or private key.
std::string certPem(X509* cert);
std::string keyPem(EVP_PKEY* key);

// Writes `text` to `path` with the given mode via a temporary file and a
// rename; throws on failure.
void writeFileAtomic(const std::string& path, const std::string& text, unsigned mode);

}  // namespace arraysim

#endif  // ARRAYSIM_CERTS_H_
