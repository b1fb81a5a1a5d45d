// POSIX file access: mkstemp, fsync, rename, fsync of the folder.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "file_system.h"

namespace {

std::wstring ErrorText(int error) {
    const std::string text = strerror(error);
    return std::wstring(text.begin(), text.end());
}

Status Errno() { return Status::Error(ErrorText(errno)); }

std::string Utf8(const FilePath& path) {
    std::string out;
    for (wchar_t wc : path) {
        const auto c = static_cast<char32_t>(wc);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

FilePath Wide(const std::string& utf8) {
    FilePath out;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (size_t k = 1; k < length && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out += static_cast<wchar_t>(c);
        i += length;
    }
    return out;
}

Status WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return Errno();
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return Status::Ok();
}

class PosixFile {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;
    ~PosixFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    Status Close() {
        const int fd = fd_;
        fd_ = -1;
        return (fd >= 0 && ::close(fd) != 0) ? Errno() : Status::Ok();
    }

private:
    int fd_;
};

class PosixAppendFile final : public AppendFile {
public:
    explicit PosixAppendFile(int fd) : file_(fd) {}
    Status Append(std::string_view block, std::string_view lineEnd) override {
        const off_t oldLength = ::lseek(file_.get(), 0, SEEK_END);
        if (oldLength < 0) return Errno();
        std::string tail(std::min(lineEnd.size() / 2, static_cast<size_t>(oldLength)), '\0');
        if (!tail.empty() && ::pread(file_.get(), tail.data(), tail.size(),
                                     oldLength - static_cast<off_t>(tail.size())) != static_cast<ssize_t>(tail.size()))
            return Errno();
        Status status = WriteAll(file_.get(), StartOnOwnLine(block, tail, lineEnd));
        // On the disk before anyone is told it was saved.
        if (status.ok() && ::fsync(file_.get()) != 0) status = Errno();
        if (!status.ok()) (void)::ftruncate(file_.get(), oldLength);
        return status;
    }
    Status Close() override { return file_.Close(); }

private:
    PosixFile file_;
};

class PosixWritableFile final : public WritableFile {
public:
    explicit PosixWritableFile(int fd) : file_(fd) {}
    Status Write(std::string_view bytes) override { return WriteAll(file_.get(), bytes); }
    Status Sync() override { return ::fsync(file_.get()) == 0 ? Status::Ok() : Errno(); }
    Status Close() override { return file_.Close(); }

private:
    PosixFile file_;
};

// POSIX has no share modes: the hold is an open descriptor that keeps nobody out.
class PosixHold final : public FileHold {
public:
    explicit PosixHold(int fd) : file_(fd) {}

private:
    PosixFile file_;
};

class PosixFileSystem final : public FileSystem {
public:
    ReadResult ReadFile(const FilePath& path) override {
        std::unique_ptr<FileHold> hold;
        return ReadAndHold(path, hold);
    }

    ReadResult ReadAndHold(const FilePath& path, std::unique_ptr<FileHold>& hold) override {
        ReadResult result;
        const int fd = ::open(Utf8(path).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            result.state = errno == ENOENT ? ReadResult::State::Missing : ReadResult::State::Failed;
            result.error = Status::Error(ErrorText(errno));
            return result;
        }
        auto held = std::make_unique<PosixHold>(fd);
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0) {
                if (errno == EINTR) continue;
                result.error = Status::Error(ErrorText(errno));
                result.bytes.clear();
                return result;
            }
            if (got == 0) break;
            result.bytes.append(buffer, static_cast<size_t>(got));
        }
        result.state = ReadResult::State::Ok;
        hold = std::move(held);
        return result;
    }

    Status OpenForAppend(const FilePath& path, std::unique_ptr<AppendFile>& file) override {
        const int fd = ::open(Utf8(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return Errno();
        file = std::make_unique<PosixAppendFile>(fd);
        return Status::Ok();
    }

    Status CreateTempFile(const FilePath& folder, FilePath& path, std::unique_ptr<WritableFile>& file) override {
        std::string name = Utf8(JoinPath(folder.empty() ? FilePath(L".") : folder, L"kvo-XXXXXX.tmp"));
        const int fd = ::mkstemps(name.data(), 4);
        if (fd < 0) return Errno();
        path = Wide(name);
        file = std::make_unique<PosixWritableFile>(fd);
        return Status::Ok();
    }

    Placement PutInPlace(const FilePath& source, const FilePath& target, std::unique_ptr<FileHold>) override {
        // rename replaces in one step: the target is the old file or the new one, never missing.
        if (::rename(Utf8(source).c_str(), Utf8(target).c_str()) != 0) return {Errno(), {}};
        // The rename itself is durable only once the folder is flushed.
        const FilePath parent = ParentFolder(target);
        PosixFile folder(::open(parent.empty() ? "." : Utf8(parent).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() >= 0) (void)::fsync(folder.get());
        return {};
    }

    Status RemoveFile(const FilePath& path) override {
        if (::unlink(Utf8(path).c_str()) == 0 || errno == ENOENT) return Status::Ok();
        return Errno();
    }

    Status RemoveLeftover(const FilePath& path, bool& denied) override {
        denied = false;
        if (::unlink(Utf8(path).c_str()) == 0 || errno == ENOENT) return Status::Ok();
        denied = errno == EACCES || errno == EPERM;
        return Errno();
    }

    // link then unlink: a rename would replace a file of that name.
    Status KeepAside(const FilePath& path, FilePath& kept) override {
        kept = path + L".kept.kvo";
        if (::link(Utf8(path).c_str(), Utf8(kept).c_str()) != 0) return Errno();
        (void)::unlink(Utf8(path).c_str());
        return Status::Ok();
    }

    // An flock on the folder: it goes with the process.
    LockResult LockChanges(const FilePath& file, LockWait wait) override {
        const FilePath parent = ParentFolder(file);
        auto folder = std::make_unique<FolderLock>(
            ::open(parent.empty() ? "." : Utf8(parent).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder->get() < 0) return {Errno(), nullptr};
        for (int attempt = 0; ::flock(folder->get(), LOCK_EX | LOCK_NB) != 0; ++attempt) {
            if (errno != EWOULDBLOCK) return {Errno(), nullptr};
            if (wait == LockWait::LookOnly || attempt == 20)
                return {Status::Because(Status::Reason::LockedByAnotherCopy), nullptr};
            ::usleep(100000);
        }
        return {Status::Ok(), std::move(folder)};
    }

    Leftovers FindLeftovers(const FilePath& file) override {
        Leftovers found;
        const FilePath parent = ParentFolder(file);
        DIR* folder = ::opendir(parent.empty() ? "." : Utf8(parent).c_str());
        if (!folder) return found;
        while (const dirent* entry = ::readdir(folder)) {
            const std::string name = entry->d_name;  // mkstemps' kvo-XXXXXX.tmp
            if (name.size() != 14 || !name.starts_with("kvo-") || !name.ends_with(".tmp")) continue;
            const FilePath path = JoinPath(parent, Wide(name));
            struct stat info {};
            found.temporaries.push_back(
                {path, ::stat(Utf8(path).c_str(), &info) == 0 ? std::uint64_t(info.st_size) : 0});
        }
        ::closedir(folder);
        return found;
    }

private:
    class FolderLock final : public ChangeLock, public PosixFile {
    public:
        using PosixFile::PosixFile;
    };
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem() { return std::make_unique<PosixFileSystem>(); }
