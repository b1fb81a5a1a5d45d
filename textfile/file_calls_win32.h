// The Win32 file calls the file system and the replace share: each retried while another program
// holds the file for a moment. Paths are absolute, as ReplaceFileW is given them (Wine's fails on
// relative ones).
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "file_system_win32.h"
#include "status.h"

[[nodiscard]] Status ErrorStatus(DWORD error);
[[nodiscard]] bool IsNotFound(DWORD error);
[[nodiscard]] bool Exists(const std::wstring& path);
// Known not to be there: any other failure to look (access denied, a network error) is no
// reason to move a file into its place.
[[nodiscard]] bool IsMissing(const std::wstring& path);
// Reads an open file from where it stands to its end; ERROR_SUCCESS, or why not.
[[nodiscard]] DWORD ReadToEnd(HANDLE file, std::string& bytes);

class FileCalls {
public:
    explicit FileCalls(const Win32FileCalls& calls) : calls_(calls) {}

    // Runs attempt (an error code, ERROR_SUCCESS when done) again while another program holds
    // the file, for about two seconds.
    template <class Attempt>
    [[nodiscard]] DWORD Retrying(Attempt attempt) const {
        const ULONGLONG deadline = ::GetTickCount64() + kLockPatienceMs;
        for (;;) {
            const DWORD error = attempt();
            if (error == ERROR_SUCCESS || !IsBriefLock(error) || ::GetTickCount64() >= deadline) return error;
            if (!win32::PauseWith(calls_.wait, kRetryPauseMs)) return error;
        }
    }

    [[nodiscard]] DWORD Replace(const std::wstring& replaced, const std::wstring& replacement,
                                const std::wstring& backup) const;
    // MoveFileExW with `flags`, by default replacing the target and flushed to disk.
    [[nodiscard]] Status Move(const std::wstring& from, const std::wstring& to,
                              DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) const;
    // A file that does not exist counts as removed.
    [[nodiscard]] Status Remove(const std::wstring& path) const;
    // folder\kvo + 8 hex digits + suffix, a name nothing in the folder has yet.
    [[nodiscard]] std::wstring NewName(const std::wstring& folder, std::wstring_view suffix);
    // Renames a file of ours to a new kvo*.kept.kvo name beside it, which no clean-up takes for a
    // leftover; the new path, or `path` when it could not be renamed.
    [[nodiscard]] std::wstring KeepAside(const std::wstring& path);
    [[nodiscard]] win32::Wait wait() const { return calls_.wait; }
    // Whether a file name is one NewName gives, as .tmp or .bak.
    [[nodiscard]] static bool IsOurName(std::wstring_view name);

private:
    static constexpr ULONGLONG kLockPatienceMs = 2000;  // virus scanners and indexers let go within this
    static constexpr DWORD kRetryPauseMs = 100;

    // What another program holding the file for a moment gives.
    static bool IsBriefLock(DWORD error) {
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
    }

    Win32FileCalls calls_;
    ULONGLONG sequence_ = 0;
};
