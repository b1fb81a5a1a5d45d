// Win32 file access. Temporary file + FlushFileBuffers + ReplaceFileW for rewrites; Wine's
// ReplaceFileW fails on bare relative names, so every path is made absolute first.
#include <windows.h>

#include <vector>

#include "file_system.h"
#include "win32/system_text.h"
#include "win32/unique_handle.h"

namespace {

using win32::UniqueFile;

Status LastError() { return Status::Error(win32::ErrorText(::GetLastError())); }

std::wstring Absolute(const FilePath& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring absolute(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, absolute.data(), nullptr);
    if (length == 0 || length >= size) return path;
    absolute.resize(length);
    return absolute;
}

bool IsNotFound(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

Status WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return LastError();
        if (written == 0) return Status::Error(win32::ErrorText(ERROR_WRITE_FAULT));
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
    Status Append(std::string_view block) override {
        LARGE_INTEGER oldLength{};
        if (!::SetFilePointerEx(file_.get(), LARGE_INTEGER{}, &oldLength, FILE_END)) return LastError();
        Status status = WriteAll(file_.get(), block);
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
    ReadResult ReadFile(const FilePath& path) override {
        ReadResult result;
        UniqueFile file(::CreateFileW(Absolute(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD error = ::GetLastError();
            result.state = IsNotFound(error) ? ReadResult::State::Missing : ReadResult::State::Failed;
            result.error = win32::ErrorText(error);
            return result;
        }
        std::vector<char> buffer(65536);
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
                result.error = win32::ErrorText(::GetLastError());
                result.bytes.clear();
                return result;
            }
            if (got == 0) break;
            result.bytes.append(buffer.data(), got);
        }
        result.state = ReadResult::State::Ok;
        return result;
    }

    Status OpenForAppend(const FilePath& path, std::unique_ptr<AppendFile>& file) override {
        const std::wstring absolute = Absolute(path);
        if (Status readOnly = RefuseReadOnly(absolute); !readOnly.ok()) return readOnly;
        UniqueFile handle(::CreateFileW(absolute.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle) return LastError();
        file = std::make_unique<Win32AppendFile>(std::move(handle));
        return Status::Ok();
    }

    Status CreateTempFile(const FilePath& folder, FilePath& path,
                          std::unique_ptr<WritableFile>& file) override {
        wchar_t name[MAX_PATH + 1] = {};
        if (::GetTempFileNameW(Absolute(folder).c_str(), L"kvo", 0, name) == 0) return LastError();
        UniqueFile handle(::CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
        if (!handle) {
            Status status = LastError();
            ::DeleteFileW(name);
            return status;
        }
        path = name;
        file = std::make_unique<Win32WritableFile>(std::move(handle));
        return Status::Ok();
    }

    Status ReplaceFile(const FilePath& source, const FilePath& target) override {
        const std::wstring from = Absolute(source);
        const std::wstring to = Absolute(target);
        if (::GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES) return Move(from, to);
        if (Status readOnly = RefuseReadOnly(to); !readOnly.ok()) return readOnly;
        // A file another program holds open without sharing is found here, before ReplaceFileW:
        // Wine's would leave a stray temporary file of its own behind.
        {
            UniqueFile probe(::CreateFileW(to.c_str(), GENERIC_WRITE | DELETE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!probe) return LastError();
        }
        if (::ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
            return Status::Ok();
        const DWORD error = ::GetLastError();
        // This error means the old file is already gone and the new one is still under its
        // temporary name: finish the move rather than leave no scheme file at all.
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) return Move(from, to);
        return Status::Error(win32::ErrorText(error));
    }

    Status RemoveFile(const FilePath& path) override {
        if (::DeleteFileW(Absolute(path).c_str()) || IsNotFound(::GetLastError())) return Status::Ok();
        return LastError();
    }

private:
    static Status Move(const std::wstring& from, const std::wstring& to) {
        return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? Status::Ok()
                   : LastError();
    }
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem() { return std::make_unique<Win32FileSystem>(); }
