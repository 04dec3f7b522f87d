#include "app/runstate/TRunFile.h"

#include "app/runstate/RunFileCalls.h"

std::string TemporaryPathOf(const std::string& path) {
    return path + ".tmp";
}

bool ReplaceWholeFile(const std::string& path, const std::string& text) {
    const std::string temporary = TemporaryPathOf(path);
    // Emptied: a temporary file left behind by a crash is simply written over.
    const runfile::THandle file = runfile::CreateEmpty(temporary);
    if (file == runfile::NoHandle)
        return false;
    // A failed write (a full disk) leaves no cut temporary file behind.
    const bool written = runfile::WriteAll(file, text) && runfile::FlushToDisk(file);
    if (!runfile::CloseKeepingError(file, written) || !runfile::MoveOver(temporary, path)) {
        runfile::RemoveKeepingError(temporary);
        return false;
    }
    return runfile::SyncDirectoryOf(path);
}

TFileRead ReadWholeFile(const std::string& path, std::string& text, std::size_t maxBytes) {
    runfile::THandle file = runfile::NoHandle;
    const TFileRead opened = runfile::OpenForReading(path, file);
    if (opened != TFileRead::Read)
        return opened;
    text.clear();
    char chunk[1024];
    bool ok = true;
    while (ok) {
        const int64_t n = runfile::ReadSome(file, chunk, sizeof chunk);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        text.append(chunk, static_cast<std::size_t>(n));
        ok = text.size() <= maxBytes;
    }
    runfile::CloseKeepingError(file, true);
    return ok ? TFileRead::Read : TFileRead::Failed;
}
