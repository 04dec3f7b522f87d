// The bridge's TLS certificate: self-signed, made at the first start with GnuTLS and kept beside
// the tokens (the key with mode 0600), naming the computer's addresses and host name. It is made
// again when those change, when it comes near its end, or when its files cannot be trusted. Its
// fingerprint is what a careful operator compares with what the phone shows. GnuTLS on Linux
// (TTlsIdentity.cpp); a Windows build has no TLS library (TTlsIdentityWindows.cpp).
#pragma once

#include <chrono>
#include <string>
#include <vector>

struct TTlsIdentity {
    std::string CertificatePem;
    std::string KeyPem;
    std::string Fingerprint; // SHA-256 of the certificate, as AB:CD:...
    std::string KeyPin;      // base64 SHA-256 of the public key: how a browser is told to trust it
};

enum class TIdentityOrigin { Kept, Made, Renewed };

constexpr const char* TlsKeyFile = "remote-tls-key.pem";
constexpr const char* TlsCertificateFile = "remote-tls-cert.pem";

// Whether this build can serve TLS at all.
bool TlsSupported();

// `names`: the IP addresses and host names the certificate must name, exactly.
bool LoadOrMakeTlsIdentity(
    int dirFd, const std::vector<std::string>& names, TTlsIdentity& identity,
    TIdentityOrigin& origin, std::string& error,
    std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// The names a certificate for this computer carries: the addresses given and the host name.
std::vector<std::string> CertificateNames(const std::vector<std::string>& addresses);
