#include "tools/remote/TTlsIdentity.h"

// Debian has no GnuTLS for Windows: this build serves plain HTTP only, on loopback unless told
// otherwise (main.cpp says what that costs).
bool TlsSupported() {
    return false;
}

bool LoadOrMakeTlsIdentity(int, const std::vector<std::string>&, TTlsIdentity&, TIdentityOrigin&,
                           std::string& error, std::chrono::system_clock::time_point) {
    error = "this build has no TLS";
    return false;
}

std::vector<std::string> CertificateNames(const std::vector<std::string>& addresses) {
    return addresses;
}
