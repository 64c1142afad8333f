#include "certs.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace arraysim {

namespace {

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("certificate generation failed: ") + what);
}

PkeyPtr newKey() {
  PkeyPtr key(EVP_EC_gen("P-256"));
  check(key != nullptr, "EVP_EC_gen");
  return key;
}

void setName(X509_NAME* name, const std::string& cn) {
  check(X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("arraysim"), -1, -1,
                                   0) == 1,
        "O");
  check(X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>(cn.c_str()), -1, -1,
                                   0) == 1,
        "CN");
}

void addExt(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  check(ext != nullptr, value);
  int ok = X509_add_ext(cert, ext, -1);
  X509_EXTENSION_free(ext);
  check(ok == 1, "X509_add_ext");
}

X509Ptr newCert(const std::string& cn, EVP_PKEY* key, long days) {
  X509Ptr cert(X509_new());
  check(cert != nullptr, "X509_new");
  check(X509_set_version(cert.get(), 2) == 1, "version");
  unsigned char serial[16];
  check(RAND_bytes(serial, sizeof serial) == 1, "serial");
  serial[0] &= 0x7f;
  BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
  check(bn != nullptr && BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get())) != nullptr,
        "serial");
  BN_free(bn);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), days * 86400L);
  check(X509_set_pubkey(cert.get(), key) == 1, "pubkey");
  setName(X509_get_subject_name(cert.get()), cn);
  return cert;
}

}  // namespace

KeyPair makeCa(const std::string& common_name) {
  KeyPair ca;
  ca.key = newKey();
  ca.cert = newCert(common_name, ca.key.get(), 3650);
  check(X509_set_issuer_name(ca.cert.get(), X509_get_subject_name(ca.cert.get())) == 1, "issuer");
  addExt(ca.cert.get(), ca.cert.get(), NID_basic_constraints, "critical,CA:TRUE");
  addExt(ca.cert.get(), ca.cert.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
  addExt(ca.cert.get(), ca.cert.get(), NID_subject_key_identifier, "hash");
  check(X509_sign(ca.cert.get(), ca.key.get(), EVP_sha256()) > 0, "sign CA");
  return ca;
}

KeyPair makeServerCert(const KeyPair& ca, const std::string& common_name) {
  KeyPair kp;
  kp.key = newKey();
  kp.cert = newCert(common_name, kp.key.get(), 825);
  check(X509_set_issuer_name(kp.cert.get(), X509_get_subject_name(ca.cert.get())) == 1, "issuer");
  addExt(kp.cert.get(), ca.cert.get(), NID_basic_constraints, "critical,CA:FALSE");
  addExt(kp.cert.get(), ca.cert.get(), NID_key_usage, "critical,digitalSignature,keyAgreement");
  addExt(kp.cert.get(), ca.cert.get(), NID_ext_key_usage, "serverAuth");
  addExt(kp.cert.get(), ca.cert.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
  addExt(kp.cert.get(), ca.cert.get(), NID_subject_key_identifier, "hash");
  addExt(kp.cert.get(), ca.cert.get(), NID_authority_key_identifier, "keyid:always");
  check(X509_sign(kp.cert.get(), ca.key.get(), EVP_sha256()) > 0, "sign server");
  return kp;
}

namespace {

std::string bioText(BIO* bio) {
  char* data = nullptr;
  long n = BIO_get_mem_data(bio, &data);
  std::string out(data, static_cast<size_t>(n));
  BIO_free(bio);
  return out;
}

}  // namespace

std::string certPem(X509* cert) {
  BIO* bio = BIO_new(BIO_s_mem());
  check(bio != nullptr && PEM_write_bio_X509(bio, cert) == 1, "PEM cert");
  return bioText(bio);
}

std::string keyPem(EVP_PKEY* key) {
  BIO* bio = BIO_new(BIO_s_mem());
  check(bio != nullptr &&
            PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr) == 1,
        "PEM key");
  return bioText(bio);
}

void writeFileAtomic(const std::string& path, const std::string& text, unsigned mode) {
  std::string tmp = path + ".tmp";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) throw std::runtime_error("cannot create " + tmp);
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) {
      ::close(fd);
      throw std::runtime_error("cannot write " + tmp);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) throw std::runtime_error("cannot write " + tmp);
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    throw std::runtime_error("cannot rename " + tmp);
  }
}

}  // namespace arraysim
