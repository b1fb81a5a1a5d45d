// POSIX file access: mkstemp, fsync, rename, fsync of the folder.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_system.h"

namespace {

std::wstring ErrorText(int error) {
    const std::string text = strerror(error);
    return std::wstring(text.begin(), text.end());
}

Status Errno() { return Status::Error(ErrorText(errno)); }

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
    Status Append(std::string_view block) override {
        const off_t oldLength = ::lseek(file_.get(), 0, SEEK_END);
        if (oldLength < 0) return Errno();
        Status status = WriteAll(file_.get(), block);
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

class PosixFileSystem final : public FileSystem {
public:
    ReadResult ReadFile(const std::filesystem::path& path) override {
        ReadResult result;
        PosixFile file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (file.get() < 0) {
            result.state = errno == ENOENT ? ReadResult::State::Missing : ReadResult::State::Failed;
            result.error = ErrorText(errno);
            return result;
        }
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
            if (got < 0) {
                if (errno == EINTR) continue;
                result.error = ErrorText(errno);
                result.bytes.clear();
                return result;
            }
            if (got == 0) break;
            result.bytes.append(buffer, static_cast<size_t>(got));
        }
        result.state = ReadResult::State::Ok;
        return result;
    }

    Status OpenForAppend(const std::filesystem::path& path, std::unique_ptr<AppendFile>& file) override {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return Errno();
        file = std::make_unique<PosixAppendFile>(fd);
        return Status::Ok();
    }

    Status CreateTempFile(const std::filesystem::path& folder, std::filesystem::path& path,
                          std::unique_ptr<WritableFile>& file) override {
        std::string name = (folder / "kvo-XXXXXX.tmp").string();
        const int fd = ::mkstemps(name.data(), 4);
        if (fd < 0) return Errno();
        path = name;
        file = std::make_unique<PosixWritableFile>(fd);
        return Status::Ok();
    }

    Status ReplaceFile(const std::filesystem::path& source, const std::filesystem::path& target) override {
        if (::rename(source.c_str(), target.c_str()) != 0) return Errno();
        // The rename itself is durable only once the folder is flushed.
        PosixFile folder(::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                                O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() >= 0) (void)::fsync(folder.get());
        return Status::Ok();
    }

    Status RemoveFile(const std::filesystem::path& path) override {
        if (::unlink(path.c_str()) == 0 || errno == ENOENT) return Status::Ok();
        return Errno();
    }
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem() { return std::make_unique<PosixFileSystem>(); }
