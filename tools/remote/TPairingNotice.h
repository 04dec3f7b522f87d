// What the operator sees at start: the pages' addresses for each network address of this computer,
// with the tokens, and QR codes of the first ones to scan.
#pragma once

#include <string>
#include <vector>

// The IPv4 addresses of the interfaces that are up, loopback last.
std::vector<std::string> LocalAddresses();

// The addresses a phone can reach the bridge on, given where it listens: every local address for
// 0.0.0.0, else the one it was given.
std::vector<std::string> PageHosts(const std::string& listenHost,
                                   const std::vector<std::string>& local);

// https://host:port/path#token=token (http:// when `tls` is off): the token in the fragment, which
// the browser never sends; the page reads it and sends it in a header.
std::string PageUrl(const std::string& host, int port, const std::string& token,
                    const std::string& path = "/", bool tls = true);

// 127.0.0.1 or ::1: only this computer's programs reach it, so plain HTTP will do. Any other
// address (127.0.0.2 included, which a test or a container may use as another host) gets TLS.
bool PlainAllowed(const std::string& host);

// The QR code of `text` in half-block characters (two modules per character row), dark modules
// drawn as the terminal's background so that it reads on a dark or light terminal alike.
// Empty when the text cannot be encoded.
std::string TerminalQrCode(const std::string& text);
