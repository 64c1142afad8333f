#include "TestTls.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace kxtest {
namespace {

bool addExtension(X509* cert, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (ext == nullptr) return false;
  bool ok = X509_add_ext(cert, ext, -1) == 1;
  X509_EXTENSION_free(ext);
  return ok;
}

bool writePem(const std::string& path, EVP_PKEY* key, X509* cert) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return false;
  bool ok = key ? PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr) == 1
                : PEM_write_X509(f, cert) == 1;
  std::fclose(f);
  return ok;
}

}  // namespace

TestCertificate::TestCertificate() {
  char tmpl[] = "/tmp/kxtls-XXXXXX";
  if (mkdtemp(tmpl) == nullptr) return;
  dir_ = tmpl;
  cert_ = dir_ + "/cert.pem";
  key_ = dir_ + "/key.pem";
  EVP_PKEY* key = EVP_EC_gen("P-256");
  X509* cert = X509_new();
  if (key == nullptr || cert == nullptr) {
    EVP_PKEY_free(key);
    X509_free(cert);
    return;
  }
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), static_cast<long>(std::rand() & 0x7fffffff));
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 86400);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
  X509_set_issuer_name(cert, name);
  ok_ = addExtension(cert, NID_basic_constraints, "critical,CA:TRUE") &&
        addExtension(cert, NID_subject_alt_name, "IP:127.0.0.1") &&
        X509_sign(cert, key, EVP_sha256()) > 0 && writePem(key_, key, nullptr) &&
        writePem(cert_, nullptr, cert);
  EVP_PKEY_free(key);
  X509_free(cert);
}

TestCertificate::~TestCertificate() {
  std::error_code ec;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
}

}  // namespace kxtest
