// Win32 file access, the whole of it: the calls retried while another program holds a file for a
// moment, reads, appends, temporary files, and the replace of a rewrite with the repair of every
// failure state Microsoft documents for ReplaceFileW. Every path is made absolute first, once per
// call (Wine's ReplaceFileW fails on bare relative names).
#include "file_system_win32.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "change_lock_win32.h"
#include "file_path.h"
#include "hex_text.h"
#include "win32/system_text.h"
#include "win32/unique_handle.h"

namespace {

Status ErrorStatus(DWORD error) { return Status::Error(win32::ErrorText(error)); }

bool IsNotFound(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsMissing(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && IsNotFound(::GetLastError());
}

DWORD ReadToEnd(HANDLE file, std::string& bytes) {
    std::vector<char> buffer(65536);
    for (DWORD got = 0;; bytes.append(buffer.data(), got)) {
        if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return ::GetLastError();
        if (got == 0) return ERROR_SUCCESS;
    }
}

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

DWORD FileCalls::Replace(const std::wstring& replaced, const std::wstring& replacement,
                         const std::wstring& backup) const {
    return Retrying([&] {
        return calls_.replaceFile(replaced.c_str(), replacement.c_str(), backup.c_str(),
                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                   ? ERROR_SUCCESS
                   : ::GetLastError();
    });
}

Status FileCalls::Move(const std::wstring& from, const std::wstring& to, DWORD flags) const {
    const DWORD error =
        Retrying([&] { return calls_.moveFile(from.c_str(), to.c_str(), flags) ? ERROR_SUCCESS : ::GetLastError(); });
    return error == ERROR_SUCCESS ? Status::Ok() : ErrorStatus(error);
}

Status FileCalls::Remove(const std::wstring& path) const {
    const DWORD error = Retrying([&] {
        if (::DeleteFileW(path.c_str())) return static_cast<DWORD>(ERROR_SUCCESS);
        const DWORD e = ::GetLastError();
        return IsNotFound(e) ? static_cast<DWORD>(ERROR_SUCCESS) : e;
    });
    return error == ERROR_SUCCESS ? Status::Ok() : ErrorStatus(error);
}

std::wstring FileCalls::NewName(const std::wstring& folder, std::wstring_view suffix) {
    for (;;) {
        const ULONGLONG seed = ::GetTickCount64() * 0x9E3779B97F4A7C15ull ^
                               (static_cast<ULONGLONG>(::GetCurrentProcessId()) << 20) ^ ++sequence_;
        std::wstring name = L"kvo" + HexText(seed, 8);
        name += suffix;
        std::wstring path = JoinPath(folder, name);
        if (!Exists(path)) return path;
    }
}

std::wstring FileCalls::KeepAside(const std::wstring& path) {
    const std::wstring kept = NewName(ParentFolder(path), L".kept.kvo");
    return Move(path, kept, MOVEFILE_WRITE_THROUGH).ok() ? kept : path;
}

bool FileCalls::IsOurName(std::wstring_view name) {
    if (name.size() != 15 || !name.starts_with(L"kvo") || !(name.ends_with(L".tmp") || name.ends_with(L".bak")))
        return false;
    return std::all_of(name.begin() + 3, name.begin() + 11,
                       [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'); });
}

// ReplaceFileW rather than a move: the scheme file keeps its identity, its permissions, attributes,
// creation time and streams, where a moved-in file would get the folder's.
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

// `from` and `to` absolute; `to` exists and may be written. `hold` (of `to`, or none) is let go
// once no other program can write in between.
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

using win32::UniqueFile;

Status LastError() { return ErrorStatus(::GetLastError()); }

// Opening a folder for reading or writing is denied access; the user needs to know it is one.
Status ErrorFor(const std::wstring& path, DWORD error) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Status::Because(Status::Reason::IsFolder);
    return ErrorStatus(error);
}

std::wstring Absolute(const FilePath& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring absolute(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, absolute.data(), nullptr);
    if (length == 0 || length >= size) return path;
    absolute.resize(length);
    return absolute;
}

Status WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return LastError();
        if (written == 0) return ErrorStatus(ERROR_WRITE_FAULT);
        bytes.remove_prefix(written);
    }
    return Status::Ok();
}

// Windows refuses to write a file with the read-only attribute, administrators included; Wine
// running as root would not, so the attribute is checked here on every system alike.
Status RefuseReadOnly(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return Status::Because(Status::Reason::ReadOnly, win32::ErrorText(ERROR_ACCESS_DENIED));
    return Status::Ok();
}

Status CloseFile(UniqueFile& file) {
    const HANDLE h = file.release();
    return (h != INVALID_HANDLE_VALUE && !::CloseHandle(h)) ? LastError() : Status::Ok();
}

class Win32AppendFile final : public AppendFile {
public:
    explicit Win32AppendFile(UniqueFile file) : file_(std::move(file)) {}
    Status Append(std::string_view block, std::string_view lineEnd) override {
        LARGE_INTEGER oldLength{};
        if (!::SetFilePointerEx(file_.get(), LARGE_INTEGER{}, &oldLength, FILE_END)) return LastError();
        std::string tail(std::min<ULONGLONG>(lineEnd.size() / 2, oldLength.QuadPart), '\0');
        if (!tail.empty()) {
            LARGE_INTEGER tailStart{};
            tailStart.QuadPart = oldLength.QuadPart - static_cast<LONGLONG>(tail.size());
            DWORD got = 0;
            if (!::SetFilePointerEx(file_.get(), tailStart, nullptr, FILE_BEGIN) ||
                !::ReadFile(file_.get(), tail.data(), static_cast<DWORD>(tail.size()), &got, nullptr) ||
                got != tail.size() || !::SetFilePointerEx(file_.get(), oldLength, nullptr, FILE_BEGIN))
                return LastError();
        }
        Status status = WriteAll(file_.get(), StartOnOwnLine(block, tail, lineEnd));
        // On the disk before anyone is told it was saved.
        if (status.ok() && !::FlushFileBuffers(file_.get())) status = LastError();
        if (!status.ok()) {
            // Cut back to where the block began: a half-written block would shift every value after it.
            if (::SetFilePointerEx(file_.get(), oldLength, nullptr, FILE_BEGIN)) ::SetEndOfFile(file_.get());
        }
        return status;
    }
    Status Close() override { return CloseFile(file_); }

private:
    UniqueFile file_;
};

class Win32WritableFile final : public WritableFile {
public:
    explicit Win32WritableFile(UniqueFile file) : file_(std::move(file)) {}
    Status Write(std::string_view bytes) override { return WriteAll(file_.get(), bytes); }
    Status Sync() override { return ::FlushFileBuffers(file_.get()) ? Status::Ok() : LastError(); }
    Status Close() override { return CloseFile(file_); }

private:
    UniqueFile file_;
};

class Win32FileSystem final : public FileSystem {
public:
    explicit Win32FileSystem(const Win32FileCalls& calls) : calls_(calls) {}

    ReadResult ReadFile(const FilePath& path) override {
        return Read(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr);
    }

    ReadResult ReadAndHold(const FilePath& path, std::unique_ptr<FileHold>& hold) override {
        // Without FILE_SHARE_WRITE: another program's open for writing now fails (and it waits
        // for us), and ours waits while one has it open for writing. FILE_SHARE_DELETE: the
        // replace renames the file away with this handle still open.
        return Read(path, FILE_SHARE_READ | FILE_SHARE_DELETE, &hold);
    }

    Status OpenForAppend(const FilePath& path, std::unique_ptr<AppendFile>& file) override {
        const std::wstring absolute = Absolute(path);
        if (Status readOnly = RefuseReadOnly(absolute); !readOnly.ok()) return readOnly;
        UniqueFile handle;
        const DWORD error = calls_.Retrying([&] {
            handle.reset(::CreateFileW(absolute.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            return handle ? ERROR_SUCCESS : ::GetLastError();
        });
        if (error != ERROR_SUCCESS) return ErrorFor(absolute, error);
        file = std::make_unique<Win32AppendFile>(std::move(handle));
        return Status::Ok();
    }

    Status CreateTempFile(const FilePath& folder, FilePath& path, std::unique_ptr<WritableFile>& file) override {
        // Our own names: GetTempFileNameW writes into a fixed MAX_PATH buffer.
        const std::wstring absolute = Absolute(folder);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::wstring name = calls_.NewName(absolute, L".tmp");
            if (Status tooLong = RefuseTooLong(name); !tooLong.ok()) return tooLong;
            UniqueFile handle(
                ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (handle) {
                path = name;
                file = std::make_unique<Win32WritableFile>(std::move(handle));
                return Status::Ok();
            }
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return ErrorStatus(error);
        }
        return ErrorStatus(ERROR_FILE_EXISTS);
    }

    Placement PutInPlace(const FilePath& source, const FilePath& target, std::unique_ptr<FileHold> hold) override {
        const std::wstring from = Absolute(source);
        const std::wstring to = Absolute(target);
        if (IsMissing(to)) {
            const Status moved = calls_.Move(from, to);
            return {moved, moved.ok() ? FilePath() : from};
        }
        if (Status readOnly = RefuseReadOnly(to); !readOnly.ok()) return {readOnly, {}};
        return ReplaceInPlace(calls_, from, to, std::move(hold));
    }

    Status RemoveFile(const FilePath& path) override { return calls_.Remove(Absolute(path)); }

    Status RemoveLeftover(const FilePath& path, bool& denied) override {
        denied = false;
        if (::DeleteFileW(Absolute(path).c_str())) return Status::Ok();
        const DWORD error = ::GetLastError();
        if (IsNotFound(error)) return Status::Ok();
        denied = error == ERROR_ACCESS_DENIED;
        return ErrorStatus(error);
    }

    Status KeepAside(const FilePath& path, FilePath& kept) override {
        const std::wstring from = Absolute(path);
        kept = calls_.KeepAside(from);
        return kept == from ? LastError() : Status::Ok();
    }

    LockResult LockChanges(const FilePath& file, LockWait wait) override {
        return LockSchemeChanges(Absolute(file), wait, calls_.wait());
    }

    Leftovers FindLeftovers(const FilePath& file) override {
        const std::wstring folder = ParentFolder(Absolute(file));
        Leftovers found;
        WIN32_FIND_DATAW entry{};
        const HANDLE search = ::FindFirstFileExW(JoinPath(folder, L"kvo*").c_str(), FindExInfoBasic, &entry,
                                                 FindExSearchNameMatch, nullptr, 0);
        if (search == INVALID_HANDLE_VALUE) return found;
        do {
            const std::wstring name = entry.cFileName;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !FileCalls::IsOurName(name)) continue;
            const Leftover leftover{JoinPath(folder, name),
                                    (std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow};
            (name.ends_with(L".bak") ? found.backups : found.temporaries).push_back(leftover);
        } while (::FindNextFileW(search, &entry));
        ::FindClose(search);
        return found;
    }

private:
    class Hold final : public FileHold {
    public:
        explicit Hold(UniqueFile file) : file_(std::move(file)) {}

    private:
        UniqueFile file_;
    };

    // Reads path whole; with `hold`, the handle stays open in it afterwards.
    ReadResult Read(const FilePath& path, DWORD share, std::unique_ptr<FileHold>* hold) {
        ReadResult result;
        const std::wstring absolute = Absolute(path);
        UniqueFile file;
        const DWORD error = calls_.Retrying([&] {
            file.reset(::CreateFileW(absolute.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            return file ? ERROR_SUCCESS : ::GetLastError();
        });
        if (error != ERROR_SUCCESS) {
            result.state = IsNotFound(error) ? ReadResult::State::Missing : ReadResult::State::Failed;
            result.error = ErrorFor(absolute, error);
            return result;
        }
        if (const DWORD failed = ReadToEnd(file.get(), result.bytes); failed != ERROR_SUCCESS) {
            result.error = ErrorStatus(failed);
            result.bytes.clear();
            return result;
        }
        result.state = ReadResult::State::Ok;
        if (hold) *hold = std::make_unique<Hold>(std::move(file));
        return result;
    }

    // Beyond MAX_PATH the file calls fail, or (GetTempFileNameW under Wine) overrun their buffer.
    static Status RefuseTooLong(const std::wstring& path) {
        if (path.size() < MAX_PATH || path.starts_with(L"\\\\?\\")) return Status::Ok();
        return Status::Because(Status::Reason::PathTooLong, {}, path.size());
    }

    FileCalls calls_;
};

}  // namespace

std::unique_ptr<FileSystem> MakeWin32FileSystem(const Win32FileCalls& calls) {
    return std::make_unique<Win32FileSystem>(calls);
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() { return MakeWin32FileSystem({}); }
