// The time zone variable TZ set for a test's scope and put back after, the way each platform's C
// runtime reads it.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class TScopedZone {
public:
    explicit TScopedZone(const char* zone) {
        if (const char* was = std::getenv("TZ"))
            Saved = was;
        Set(zone);
    }
    ~TScopedZone() { Set(Saved ? Saved->c_str() : nullptr); }
    TScopedZone(const TScopedZone&) = delete;
    TScopedZone& operator=(const TScopedZone&) = delete;

private:
    static void Set(const char* zone) {
#ifdef _WIN32
        _putenv_s("TZ", zone ? zone : ""); // empty removes it
        _tzset();
#else
        if (zone)
            ::setenv("TZ", zone, 1);
        else
            ::unsetenv("TZ");
        ::tzset();
#endif
    }

    std::optional<std::string> Saved;
};
