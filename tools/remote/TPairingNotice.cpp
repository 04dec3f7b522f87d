#include "tools/remote/TPairingNotice.h"

#include <qrencode.h>

std::vector<std::string> PageHosts(const std::string& listenHost,
                                   const std::vector<std::string>& local) {
    if (listenHost == "0.0.0.0")
        return local.empty() ? std::vector<std::string>{"127.0.0.1"} : local;
    if (listenHost == "::")
        return local.empty() ? std::vector<std::string>{"[::1]"} : local;
    if (listenHost.find(':') != std::string::npos)
        return {"[" + listenHost + "]"};
    return {listenHost};
}

std::string PageUrl(const std::string& host, int port, const std::string& token,
                    const std::string& path, bool tls) {
    return std::string(tls ? "https://" : "http://") + host + ":" + std::to_string(port) + path +
           "#token=" + token;
}

bool PlainAllowed(const std::string& host) {
    return host == "127.0.0.1" || host == "::1";
}

std::string TerminalQrCode(const std::string& text) {
    QRcode* code = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1);
    if (code == nullptr)
        return {};
    const int quiet = 2;
    const int size = code->width;
    auto dark = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= size || y >= size)
            return false;
        return (code->data[y * size + x] & 1) != 0;
    };
    // Light modules are printed as full blocks (the terminal's foreground), dark ones as blanks.
    std::string out;
    for (int y = -quiet; y < size + quiet; y += 2) {
        for (int x = -quiet; x < size + quiet; ++x) {
            bool top = !dark(x, y);
            bool bottom = y + 1 < size + quiet ? !dark(x, y + 1) : false;
            out += top && bottom ? "\u2588" : top ? "\u2580" : bottom ? "\u2584" : " ";
        }
        out += '\n';
    }
    QRcode_free(code);
    return out;
}
