#include "recover_scheme_file.h"

#include <algorithm>

#include "scheme_file.h"
#include "textfile/codepage936.h"

namespace {

// Random bytes, or another program's file, hold no name line.
bool HoldsSchemes(FileSystem& fs, const FilePath& path) {
    ReadResult read = fs.ReadFile(path);
    if (read.state != ReadResult::State::Ok) return false;
    Codepage936 codepage;
    return !ListSchemeNames(TextLines(std::move(read.bytes), codepage)).empty();
}

// The longest backup that reads as a scheme file goes back in `file`'s place; every other stays.
void Restore(FileSystem& fs, const FilePath& file, std::vector<Leftover>& backups, Recovery& recovery) {
    std::sort(backups.begin(), backups.end(), [](const Leftover& a, const Leftover& b) { return a.size > b.size; });
    const auto best =
        std::find_if(backups.begin(), backups.end(), [&](const Leftover& b) { return HoldsSchemes(fs, b.path); });
    if (best == backups.end()) return;
    const Placement placed = fs.PutInPlace(best->path, file, nullptr);
    if (!placed.status.ok()) {
        // Named to the user as the file that holds the schemes: out of every clean-up's way first.
        FilePath kept;
        recovery.unrestored = fs.KeepAside(best->path, kept).ok() ? kept : best->path;
        recovery.why = placed.status;
        return;
    }
    recovery.restoredFrom = best->path;
    backups.erase(best);
}

void Remove(FileSystem& fs, const FilePath& leftover, Recovery& recovery) {
    bool denied = false;
    if (!fs.RemoveLeftover(leftover, denied).ok() && !denied) recovery.stuck.push_back(leftover);
}

}  // namespace

Recovery RecoverSchemeFile(FileSystem& fs, const FilePath& file) {
    Recovery recovery;
    Leftovers leftovers = fs.FindLeftovers(file);
    if (leftovers.backups.empty() && leftovers.temporaries.empty()) return recovery;
    ReadResult now = fs.ReadFile(file);
    if (now.state == ReadResult::State::Missing) {
        Restore(fs, file, leftovers.backups, recovery);
        if (recovery.restoredFrom.empty()) return recovery;
        now = fs.ReadFile(file);
    }
    if (now.state != ReadResult::State::Ok) return recovery;  // never remove a copy while the file is not whole
    for (const Leftover& backup : leftovers.backups) {
        // An empty or cut-short file (a stick pulled during a save) must not cost the whole backup.
        FilePath kept;
        if (backup.size <= now.bytes.size())
            Remove(fs, backup.path, recovery);
        else if (fs.KeepAside(backup.path, kept).ok())
            recovery.kept.push_back(kept);
    }
    for (const Leftover& temporary : leftovers.temporaries) Remove(fs, temporary.path, recovery);
    return recovery;
}

SchemeFileLock LockSchemeFile(FileSystem& fs, const FilePath& file, LockWait wait) {
    LockResult locked = fs.LockChanges(file, wait);
    SchemeFileLock result{std::move(locked.status), std::move(locked.lock), {}};
    // Under the lock no other copy is in the middle of a change: whatever is left is stale.
    if (result.status.ok()) result.recovery = RecoverSchemeFile(fs, file);
    return result;
}
