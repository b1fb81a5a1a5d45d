// Win32 file access. Temporary file + FlushFileBuffers + ReplaceFileW for rewrites; every path is
// made absolute first, once per call (Wine's ReplaceFileW fails on bare relative names).
#include "file_system_win32.h"

#include <algorithm>
#include <vector>

#include "change_lock_win32.h"
#include "file_calls_win32.h"
#include "replace_file_win32.h"
#include "win32/system_text.h"
#include "win32/unique_handle.h"

namespace {

using win32::UniqueFile;

Status LastError() { return ErrorStatus(::GetLastError()); }

// Opening a folder for reading or writing is denied access; the user needs to know it is one.
std::wstring ErrorTextFor(const std::wstring& path, DWORD error) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return L"这是一个文件夹，不是文件：请把它改名或移走。";
    return win32::ErrorText(error);
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
        return Status::Error(L"文件带有只读属性。" + win32::ErrorText(ERROR_ACCESS_DENIED));
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
        if (error != ERROR_SUCCESS) return Status::Error(ErrorTextFor(absolute, error));
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

    Status LockChanges(const FilePath& file, bool wait, std::unique_ptr<ChangeLock>& lock, bool& abandoned) override {
        return LockSchemeChanges(Absolute(file), wait, calls_.wait(), lock, abandoned);
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
            result.error = ErrorTextFor(absolute, error);
            return result;
        }
        if (const DWORD failed = ReadToEnd(file.get(), result.bytes); failed != ERROR_SUCCESS) {
            result.error = win32::ErrorText(failed);
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
        return Status::Error(L"程序所在文件夹的路径太长：临时文件的完整路径有 " + std::to_wstring(path.size()) +
                             L" 个字符，系统最多允许 " + std::to_wstring(MAX_PATH - 1) +
                             L" 个。请把程序放到路径较短的文件夹中。");
    }

    FileCalls calls_;
};

}  // namespace

std::unique_ptr<FileSystem> MakeWin32FileSystem(const Win32FileCalls& calls) {
    return std::make_unique<Win32FileSystem>(calls);
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() { return MakeWin32FileSystem({}); }
