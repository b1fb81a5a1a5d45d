// A file system that passes every call to the real one, except the one step a test makes fail.
// A failing Write writes half of its bytes first, like a disk that fills up mid-write.
#pragma once
#include <memory>
#include <string>

#include "textfile/file_system.h"

enum class FaultStep { None, Read, OpenForAppend, Append, CreateTemp, Write, Sync, Close, Replace };

class FaultyFileSystem final : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& real) : real_(real) {}
    void FailAt(FaultStep step) { fail_ = step; }

    ReadResult ReadFile(const FilePath& path) override {
        if (fail_ == FaultStep::Read) return {ReadResult::State::Failed, {}, L"injected read fault"};
        return real_.ReadFile(path);
    }
    Status OpenForAppend(const FilePath& path, std::unique_ptr<AppendFile>& file) override {
        if (fail_ == FaultStep::OpenForAppend) return Injected();
        std::unique_ptr<AppendFile> real;
        Status status = real_.OpenForAppend(path, real);
        if (status.ok()) file = std::make_unique<FaultyAppend>(std::move(real), fail_);
        return status;
    }
    Status CreateTempFile(const FilePath& folder, FilePath& path,
                          std::unique_ptr<WritableFile>& file) override {
        if (fail_ == FaultStep::CreateTemp) return Injected();
        std::unique_ptr<WritableFile> real;
        Status status = real_.CreateTempFile(folder, path, real);
        if (status.ok()) file = std::make_unique<FaultyWritable>(std::move(real), fail_);
        return status;
    }
    Status ReplaceFile(const FilePath& source, const FilePath& target) override {
        if (fail_ == FaultStep::Replace) return Injected();
        return real_.ReplaceFile(source, target);
    }
    Status RemoveFile(const FilePath& path) override { return real_.RemoveFile(path); }

    static Status Injected() { return Status::Error(L"injected fault"); }

private:
    class FaultyAppend final : public AppendFile {
    public:
        FaultyAppend(std::unique_ptr<AppendFile> real, FaultStep fail) : real_(std::move(real)), fail_(fail) {}
        Status Append(std::string_view block) override {
            return fail_ == FaultStep::Append ? Injected() : real_->Append(block);
        }
        Status Close() override { return real_->Close(); }

    private:
        std::unique_ptr<AppendFile> real_;
        FaultStep fail_;
    };
    class FaultyWritable final : public WritableFile {
    public:
        FaultyWritable(std::unique_ptr<WritableFile> real, FaultStep fail) : real_(std::move(real)), fail_(fail) {}
        Status Write(std::string_view bytes) override {
            if (fail_ != FaultStep::Write) return real_->Write(bytes);
            (void)real_->Write(bytes.substr(0, bytes.size() / 2));
            return Injected();
        }
        Status Sync() override { return fail_ == FaultStep::Sync ? Injected() : real_->Sync(); }
        Status Close() override {
            Status status = real_->Close();
            return fail_ == FaultStep::Close ? Injected() : status;
        }

    private:
        std::unique_ptr<WritableFile> real_;
        FaultStep fail_;
    };

    FileSystem& real_;
    FaultStep fail_ = FaultStep::None;
};
