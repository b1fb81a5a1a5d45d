// ReplaceFileW rather than a move: the scheme file keeps its identity, its permissions,
// attributes, creation time and streams, where a moved-in file would get the folder's.
#include "replace_file_win32.h"

#include <optional>
#include <string>

#include "file_path.h"
#include "win32/unique_handle.h"

namespace {

// Where ReplaceFileW left the two files, as Microsoft's table documents it for each outcome.
enum class Left {
    Replaced,         // success
    ReplaceRefused,   // any error but 1175-1177: both keep their names, no backup exists
    BothKeepNames,    // 1175 ERROR_UNABLE_TO_REMOVE_REPLACED, 1176 with a backup name
    OldGoneNewStays,  // 1176 without a backup name, 1177 (the old one under the backup name)
};

Left Sort(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS: return Left::Replaced;
    case ERROR_UNABLE_TO_REMOVE_REPLACED: return Left::BothKeepNames;
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:  // documented as both states: the file system tells which
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: return Left::OldGoneNewStays;
    default: return Left::ReplaceRefused;
    }
}

// Volumes without ReplaceFileW (some FAT32 and exFAT sticks, network shares): there two renames
// do it. Not an access denial: with REPLACEFILE_IGNORE_MERGE_ERRORS ReplaceFileW needs no
// WRITE_DAC, so a lasting denial means the user may not write the file, and renaming around it
// would put an unprotected file in its place.
bool CanRenameInstead(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
}

std::optional<std::string> ReadAll(const std::wstring& path) {
    win32::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file || ReadToEnd(file.get(), bytes) != ERROR_SUCCESS) return std::nullopt;
    return bytes;
}

// The end of every replace: the backup goes only while `to` holds the schemes (ours, after a
// replace that succeeded, or the same bytes as the backup); a missing `to` gets the old file back
// from the backup; else the result names the file that holds the schemes. A `to` that another
// program put there in the middle of the replace (its add creates a missing file) keeps our
// backup beside it.
Placement Settle(FileCalls& calls, Status status, const std::wstring& from, const std::wstring& to,
                 const std::wstring& backup) {
    if (!IsMissing(to)) {
        if (backup.empty() || !Exists(backup)) return {std::move(status), {}};
        const std::optional<std::string> old = status.ok() ? std::nullopt : ReadAll(backup);
        if (status.ok() || (old && old == ReadAll(to))) {
            (void)calls.Remove(backup);
            return {std::move(status), {}};
        }
        // Out of the way of the next start's clean-up, which removes backups once ui.kvo is there.
        return {std::move(status), calls.KeepAside(backup)};
    }
    if (status.ok()) status = ErrorStatus(ERROR_FILE_NOT_FOUND);
    const bool backedUp = !backup.empty() && Exists(backup);
    if (backedUp && calls.Move(backup, to).ok()) return {std::move(status), {}};
    // The user is told to rename this file: no clean-up may remove it first.
    return {std::move(status), calls.KeepAside(backedUp ? backup : from)};
}

// MoveFileExW cannot replace a file that is still open (a FileHold), but it can rename one that
// shares delete: the old file goes to the backup name first.
Placement RenameOver(FileCalls& calls, const std::wstring& from, const std::wstring& to, const std::wstring& backup,
                     std::unique_ptr<FileHold> hold) {
    const Status away = calls.Move(to, backup, 0);
    const Status moved = away.ok() ? calls.Move(from, to) : away;
    hold.reset();
    return Settle(calls, moved, from, to, away.ok() ? backup : std::wstring());
}

}  // namespace

Placement ReplaceInPlace(FileCalls& calls, const std::wstring& from, const std::wstring& to,
                         std::unique_ptr<FileHold> hold) {
    // The access ReplaceFileW opens the old file with. A file another program holds without
    // delete sharing is found here: Wine's ReplaceFileW would leave a stray file of its own.
    const DWORD probed = calls.Retrying([&] {
        win32::UniqueFile probe(::CreateFileW(to.c_str(), GENERIC_READ | DELETE | SYNCHRONIZE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return probe ? ERROR_SUCCESS : ::GetLastError();
    });
    if (probed != ERROR_SUCCESS) return {ErrorStatus(probed), {}};

    // A backup name, so that every documented failure state leaves the old file findable.
    const std::wstring backup = calls.NewName(ParentFolder(to), L".bak");
    const DWORD error = calls.Replace(to, from, backup);
    if (CanRenameInstead(error)) return RenameOver(calls, from, to, backup, std::move(hold));
    // A file removed while our handle is open is gone only once it closes: let go before
    // looking at what the replace left.
    hold.reset();
    switch (Sort(error)) {
    case Left::Replaced: return Settle(calls, Status::Ok(), from, to, backup);
    case Left::OldGoneNewStays:  // finish the move
        if (IsMissing(to) && calls.Move(from, to).ok()) return Settle(calls, Status::Ok(), from, to, backup);
        return Settle(calls, ErrorStatus(error), from, to, backup);
    case Left::ReplaceRefused:
    case Left::BothKeepNames: return Settle(calls, ErrorStatus(error), from, to, backup);
    }
    return Settle(calls, ErrorStatus(error), from, to, backup);
}
