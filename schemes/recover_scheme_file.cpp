#include "recover_scheme_file.h"

#include <algorithm>

#include "scheme_file.h"
#include "textfile/codepage936.h"
#include "textfile/text_encoding.h"
#include "textfile/text_lines.h"

namespace {

// Random bytes, or another program's file, hold no name line.
bool HoldsSchemes(const ReadResult& read) {
    if (read.state != ReadResult::State::Ok) return false;
    Codepage936 codepage;
    return !ListSchemeNames(TextLines(read.bytes, codepage)).empty();
}

// A rewrite ends every line it writes: a copy that ends inside a line was cut short.
bool EndsAtLineEnd(std::string_view bytes) {
    const std::string_view lineEnd = LineEndOf(ReadingEncodingOf(bytes));
    const size_t half = lineEnd.size() / 2;
    return bytes.ends_with(lineEnd.substr(half)) || bytes.ends_with(lineEnd.substr(0, half));
}

// Renames a file of ours out of every clean-up's way, before it is named to the user.
FilePath KeptAside(FileSystem& fs, const FilePath& path) {
    FilePath kept;
    return fs.KeepAside(path, kept).ok() ? kept : path;
}

// The longest of `leftovers` that reads as a scheme file goes back in `file`'s place (with `whole`
// only where it does not end inside a line: else it is kept aside); every other stays.
void Restore(FileSystem& fs, const FilePath& file, std::vector<Leftover>& leftovers, bool whole, Recovery& recovery) {
    std::sort(leftovers.begin(), leftovers.end(), [](const Leftover& a, const Leftover& b) { return a.size > b.size; });
    ReadResult read;
    const auto best = std::find_if(leftovers.begin(), leftovers.end(), [&](const Leftover& l) {
        read = fs.ReadFile(l.path);
        return HoldsSchemes(read);
    });
    if (best == leftovers.end()) return;
    const FilePath path = best->path;
    leftovers.erase(best);
    if (whole && !EndsAtLineEnd(read.bytes)) {
        recovery.partial = KeptAside(fs, path);
        return;
    }
    const Placement placed = fs.PutInPlace(path, file, nullptr);
    if (!placed.status.ok()) {
        recovery.unrestored = KeptAside(fs, path);
        recovery.why = placed.status;
        return;
    }
    recovery.restoredFrom = path;
    recovery.fromTemporary = whole;
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
        Restore(fs, file, leftovers.backups, false, recovery);
        if (recovery.restoredFrom.empty() && recovery.unrestored.empty())
            Restore(fs, file, leftovers.temporaries, true, recovery);
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
