#include "controlpipe/ControlPipeName.h"

#include <cstdint>
#include <cstdio>

namespace controlpipe {

std::string PipeNameFor(const std::string& workingDirectory) {
    // FNV-1a over the path as Windows compares it; a trailing separator names the same folder.
    std::string path = workingDirectory;
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    uint64_t hash = 14695981039346656037ull;
    for (char c : path) {
        if (c == '/')
            c = '\\';
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "\\\\.\\pipe\\kadrant-control-%016llx",
                  static_cast<unsigned long long>(hash));
    return name;
}

} // namespace controlpipe
