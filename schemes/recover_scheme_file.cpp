#include "recover_scheme_file.h"

Recovery RecoverSchemeFile(FileSystem& fs, const FilePath& file) {
    Recovery recovery;
    Leftovers leftovers = fs.FindLeftovers(file);
    if (leftovers.backups.empty() && leftovers.temporaries.empty()) return recovery;
    ReadResult now = fs.ReadFile(file);
    if (now.state == ReadResult::State::Missing && !leftovers.backups.empty()) {
        // The backup is the whole old file; a temporary file may be half written.
        const Placement placed = fs.PutInPlace(leftovers.backups.front(), file, nullptr);
        if (!placed.status.ok()) {
            recovery.unrestored = leftovers.backups.front();
            recovery.detail = placed.status.detail();
            return recovery;
        }
        recovery.restored = true;
        leftovers.backups.erase(leftovers.backups.begin());
        now = fs.ReadFile(file);
    }
    if (now.state != ReadResult::State::Ok) return recovery;  // never remove a copy while the file is not whole
    for (const auto* kind : {&leftovers.backups, &leftovers.temporaries})
        for (const FilePath& leftover : *kind)
            if (!fs.RemoveFile(leftover).ok()) recovery.stuck.push_back(leftover);
    return recovery;
}

Status LockSchemeFile(FileSystem& fs, const FilePath& file, std::unique_ptr<ChangeLock>& lock) {
    bool abandoned = false;
    Status locked = fs.LockChanges(file, true, lock, abandoned);
    if (abandoned) (void)RecoverSchemeFile(fs, file);
    return locked;
}
