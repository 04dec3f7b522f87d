#include "tools/remote/TTlsIdentity.h"

#include "tools/remote/TOwnFile.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <gnutls/gnutls.h>
#include <gnutls/x509.h>
#include <memory>
#include <sys/random.h>
#include <unistd.h>

bool TlsSupported() {
    return true;
}

namespace {

constexpr std::chrono::hours Lifetime{24 * 397}; // what browsers accept of a server certificate
constexpr std::chrono::hours RenewBefore{24 * 30};
constexpr std::size_t MaxPem = 16384;

struct TCertificate {
    gnutls_x509_crt_t Handle = nullptr;
    TCertificate() { gnutls_x509_crt_init(&Handle); }
    ~TCertificate() { gnutls_x509_crt_deinit(Handle); }
    TCertificate(const TCertificate&) = delete;
    TCertificate& operator=(const TCertificate&) = delete;
};

struct TKey {
    gnutls_x509_privkey_t Handle = nullptr;
    TKey() { gnutls_x509_privkey_init(&Handle); }
    ~TKey() { gnutls_x509_privkey_deinit(Handle); }
    TKey(const TKey&) = delete;
    TKey& operator=(const TKey&) = delete;
};

gnutls_datum_t Datum(const std::string& text) {
    return {reinterpret_cast<unsigned char*>(const_cast<char*>(text.data())),
            static_cast<unsigned>(text.size())};
}

std::string Taken(gnutls_datum_t& datum) {
    std::string text(reinterpret_cast<const char*>(datum.data), datum.size);
    gnutls_free(datum.data);
    return text;
}

// The names the certificate carries, as text, sorted.
std::vector<std::string> NamesOf(gnutls_x509_crt_t certificate) {
    std::vector<std::string> names;
    for (unsigned i = 0;; ++i) {
        char buffer[256];
        std::size_t size = sizeof buffer;
        int type = gnutls_x509_crt_get_subject_alt_name(certificate, i, buffer, &size, nullptr);
        if (type < 0)
            break;
        if (type == GNUTLS_SAN_DNSNAME) {
            names.emplace_back(buffer, size);
        } else if (type == GNUTLS_SAN_IPADDRESS) {
            char text[INET6_ADDRSTRLEN] = {};
            inet_ntop(size == 4 ? AF_INET : AF_INET6, buffer, text, sizeof text);
            names.emplace_back(text);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool Describe(gnutls_x509_crt_t certificate, TTlsIdentity& identity) {
    unsigned char digest[32];
    std::size_t size = sizeof digest;
    if (gnutls_x509_crt_get_fingerprint(certificate, GNUTLS_DIG_SHA256, digest, &size) != 0)
        return false;
    identity.Fingerprint.clear();
    for (std::size_t i = 0; i < size; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : ":%02X", digest[i]);
        identity.Fingerprint += hex;
    }
    size = sizeof digest;
    if (gnutls_x509_crt_get_key_id(certificate, GNUTLS_KEYID_USE_SHA256, digest, &size) != 0)
        return false;
    gnutls_datum_t raw{digest, static_cast<unsigned>(size)}, pin{};
    if (gnutls_base64_encode2(&raw, &pin) != 0)
        return false;
    identity.KeyPin = Taken(pin);
    return true;
}

// The stored identity, when it is ours, whole, current and names exactly `names`.
bool Usable(int dirFd, const std::vector<std::string>& names,
            std::chrono::system_clock::time_point now, TTlsIdentity& identity, bool& present) {
    std::string error;
    bool missing = false, exposed = false, certificateMissing = false, ignored = false;
    if (!ReadOwnFile(dirFd, TlsKeyFile, MaxPem, identity.KeyPem, missing, exposed, error) ||
        !ReadOwnFile(dirFd, TlsCertificateFile, MaxPem, identity.CertificatePem, certificateMissing,
                     ignored, error))
        return false;
    present = !missing || !certificateMissing;
    if (missing || certificateMissing || exposed)
        return false;
    TCertificate certificate;
    TKey key;
    gnutls_datum_t certificateText = Datum(identity.CertificatePem);
    gnutls_datum_t keyText = Datum(identity.KeyPem);
    if (gnutls_x509_crt_import(certificate.Handle, &certificateText, GNUTLS_X509_FMT_PEM) != 0 ||
        gnutls_x509_privkey_import(key.Handle, &keyText, GNUTLS_X509_FMT_PEM) != 0)
        return false;
    unsigned char keyId[32], certificateKeyId[32];
    std::size_t keySize = sizeof keyId, certificateKeySize = sizeof certificateKeyId;
    if (gnutls_x509_privkey_get_key_id(key.Handle, GNUTLS_KEYID_USE_SHA256, keyId, &keySize) != 0 ||
        gnutls_x509_crt_get_key_id(certificate.Handle, GNUTLS_KEYID_USE_SHA256, certificateKeyId,
                                   &certificateKeySize) != 0 ||
        keySize != certificateKeySize || !std::equal(keyId, keyId + keySize, certificateKeyId))
        return false;
    auto expires = std::chrono::system_clock::from_time_t(
        gnutls_x509_crt_get_expiration_time(certificate.Handle));
    if (expires - now < RenewBefore || NamesOf(certificate.Handle) != names)
        return false;
    return Describe(certificate.Handle, identity);
}

bool Make(const std::vector<std::string>& names, std::chrono::system_clock::time_point now,
          TTlsIdentity& identity, std::string& error) {
    TKey key;
    TCertificate certificate;
    gnutls_x509_crt_t crt = certificate.Handle;
    unsigned char serial[16];
    if (getrandom(serial, sizeof serial, 0) != static_cast<ssize_t>(sizeof serial)) {
        error = "no random numbers from the system";
        return false;
    }
    serial[0] &= 0x7f; // a positive number
    const char* commonName = "Kadrant remote";
    time_t start = std::chrono::system_clock::to_time_t(now - std::chrono::hours(1));
    time_t end = std::chrono::system_clock::to_time_t(now + Lifetime);
    bool made =
        gnutls_x509_privkey_generate(key.Handle, GNUTLS_PK_ECDSA,
                                     GNUTLS_CURVE_TO_BITS(GNUTLS_ECC_CURVE_SECP256R1), 0) == 0 &&
        gnutls_x509_crt_set_version(crt, 3) == 0 &&
        gnutls_x509_crt_set_serial(crt, serial, sizeof serial) == 0 &&
        gnutls_x509_crt_set_activation_time(crt, start) == 0 &&
        gnutls_x509_crt_set_expiration_time(crt, end) == 0 &&
        gnutls_x509_crt_set_dn_by_oid(
            crt, GNUTLS_OID_X520_COMMON_NAME, 0, commonName,
            static_cast<unsigned>(std::char_traits<char>::length(commonName))) == 0 &&
        gnutls_x509_crt_set_key(crt, key.Handle) == 0 &&
        gnutls_x509_crt_set_basic_constraints(crt, 0, -1) == 0 &&
        gnutls_x509_crt_set_key_usage(crt, GNUTLS_KEY_DIGITAL_SIGNATURE) == 0 &&
        gnutls_x509_crt_set_key_purpose_oid(crt, GNUTLS_KP_TLS_WWW_SERVER, 0) == 0;
    for (const std::string& name : names) {
        unsigned char address[16];
        int result = 0;
        if (inet_pton(AF_INET, name.c_str(), address) == 1)
            result = gnutls_x509_crt_set_subject_alt_name(crt, GNUTLS_SAN_IPADDRESS, address, 4,
                                                          GNUTLS_FSAN_APPEND);
        else if (inet_pton(AF_INET6, name.c_str(), address) == 1)
            result = gnutls_x509_crt_set_subject_alt_name(crt, GNUTLS_SAN_IPADDRESS, address, 16,
                                                          GNUTLS_FSAN_APPEND);
        else
            result = gnutls_x509_crt_set_subject_alt_name(crt, GNUTLS_SAN_DNSNAME, name.data(),
                                                          static_cast<unsigned>(name.size()),
                                                          GNUTLS_FSAN_APPEND);
        made = made && result == 0;
    }
    gnutls_datum_t certificatePem{}, keyPem{};
    made = made && gnutls_x509_crt_sign2(crt, crt, key.Handle, GNUTLS_DIG_SHA256, 0) == 0 &&
           gnutls_x509_crt_export2(crt, GNUTLS_X509_FMT_PEM, &certificatePem) == 0;
    if (made)
        identity.CertificatePem = Taken(certificatePem);
    made = made && gnutls_x509_privkey_export2(key.Handle, GNUTLS_X509_FMT_PEM, &keyPem) == 0;
    if (made)
        identity.KeyPem = Taken(keyPem);
    if (!made || !Describe(crt, identity)) {
        error = "cannot make the TLS certificate";
        return false;
    }
    return true;
}

} // namespace

bool LoadOrMakeTlsIdentity(int dirFd, const std::vector<std::string>& names, TTlsIdentity& identity,
                           TIdentityOrigin& origin, std::string& error,
                           std::chrono::system_clock::time_point now) {
    std::vector<std::string> wanted = names;
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    bool present = false;
    if (Usable(dirFd, wanted, now, identity, present)) {
        origin = TIdentityOrigin::Kept;
        return true;
    }
    if (!Make(wanted, now, identity, error))
        return false;
    // The key first: a certificate is never stored beside a key it does not belong to for long,
    // and if it is, the next start makes both again.
    if (!WriteOwnFile(dirFd, TlsKeyFile, identity.KeyPem, error) ||
        !WriteOwnFile(dirFd, TlsCertificateFile, identity.CertificatePem, error))
        return false;
    origin = present ? TIdentityOrigin::Renewed : TIdentityOrigin::Made;
    return true;
}

std::vector<std::string> CertificateNames(const std::vector<std::string>& addresses) {
    std::vector<std::string> names = addresses;
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0 && host[0] != '\0')
        names.emplace_back(host);
    names.emplace_back("localhost");
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}
