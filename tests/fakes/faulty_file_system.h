// A file system that passes every call to the real one, except the one step a test makes fail.
// A failing Write writes half of its bytes first, like a disk that fills up mid-write.
// `onStep` sees every step before it happens (a test can end the process there).
#pragma once
#include <functional>
#include <set>
#include <memory>
#include <string>

#include "textfile/file_system.h"

enum class FaultStep { None, Read, OpenForAppend, Append, CreateTemp, Write, Sync, Close, Hold, Replace, Remove, Lock };

class FaultyFileSystem final : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& real) : real_(real) {}
    void FailAt(FaultStep step) { fail_ = {step}; }
    void AlsoFailAt(FaultStep step) { fail_.insert(step); }
    std::function<void(FaultStep)> onStep;

    ReadResult ReadFile(const FilePath& path) override {
        Step(FaultStep::Read);
        if (Fails(FaultStep::Read)) return {ReadResult::State::Failed, {}, Status::Error(L"injected read fault")};
        return real_.ReadFile(path);
    }
    ReadResult ReadAndHold(const FilePath& path, std::unique_ptr<FileHold>& hold) override {
        Step(FaultStep::Hold);
        if (Fails(FaultStep::Hold)) return {ReadResult::State::Failed, {}, Status::Error(L"injected fault")};
        return real_.ReadAndHold(path, hold);
    }
    Status OpenForAppend(const FilePath& path, std::unique_ptr<AppendFile>& file) override {
        Step(FaultStep::OpenForAppend);
        if (Fails(FaultStep::OpenForAppend)) return Injected();
        std::unique_ptr<AppendFile> real;
        Status status = real_.OpenForAppend(path, real);
        if (status.ok()) file = std::make_unique<FaultyAppend>(std::move(real), *this);
        return status;
    }
    Status CreateTempFile(const FilePath& folder, FilePath& path, std::unique_ptr<WritableFile>& file) override {
        Step(FaultStep::CreateTemp);
        if (Fails(FaultStep::CreateTemp)) return Injected();
        std::unique_ptr<WritableFile> real;
        Status status = real_.CreateTempFile(folder, path, real);
        if (status.ok()) file = std::make_unique<FaultyWritable>(std::move(real), *this);
        return status;
    }
    Placement PutInPlace(const FilePath& source, const FilePath& target, std::unique_ptr<FileHold> hold) override {
        Step(FaultStep::Replace);
        if (Fails(FaultStep::Replace)) return {Injected(), {}};
        return real_.PutInPlace(source, target, std::move(hold));
    }
    Status RemoveFile(const FilePath& path) override {
        Step(FaultStep::Remove);
        return Fails(FaultStep::Remove) ? Injected() : real_.RemoveFile(path);
    }
    LockResult LockChanges(const FilePath& file, LockWait wait) override {
        Step(FaultStep::Lock);
        if (Fails(FaultStep::Lock)) return {Injected(), nullptr};
        return real_.LockChanges(file, wait);
    }
    Status RemoveLeftover(const FilePath& path, bool& denied) override {
        Step(FaultStep::Remove);
        return Fails(FaultStep::Remove) ? Injected() : real_.RemoveLeftover(path, denied);
    }
    Status KeepAside(const FilePath& path, FilePath& kept) override { return real_.KeepAside(path, kept); }
    Leftovers FindLeftovers(const FilePath& file) override { return real_.FindLeftovers(file); }

    static Status Injected() { return Status::Error(L"injected fault"); }

private:
    bool Fails(FaultStep step) const { return fail_.count(step) != 0; }
    void Step(FaultStep step) const {
        if (onStep) onStep(step);
    }

    class FaultyAppend final : public AppendFile {
    public:
        FaultyAppend(std::unique_ptr<AppendFile> real, const FaultyFileSystem& fs) : real_(std::move(real)), fs_(fs) {}
        Status Append(std::string_view block, std::string_view lineEnd) override {
            fs_.Step(FaultStep::Append);
            return fs_.Fails(FaultStep::Append) ? Injected() : real_->Append(block, lineEnd);
        }
        Status Close() override { return real_->Close(); }

    private:
        std::unique_ptr<AppendFile> real_;
        const FaultyFileSystem& fs_;
    };
    class FaultyWritable final : public WritableFile {
    public:
        FaultyWritable(std::unique_ptr<WritableFile> real, const FaultyFileSystem& fs)
            : real_(std::move(real)), fs_(fs) {}
        Status Write(std::string_view bytes) override {
            fs_.Step(FaultStep::Write);
            if (!fs_.Fails(FaultStep::Write)) return real_->Write(bytes);
            (void)real_->Write(bytes.substr(0, bytes.size() / 2));
            return Injected();
        }
        Status Sync() override {
            fs_.Step(FaultStep::Sync);
            return fs_.Fails(FaultStep::Sync) ? Injected() : real_->Sync();
        }
        Status Close() override {
            fs_.Step(FaultStep::Close);
            Status status = real_->Close();
            return fs_.Fails(FaultStep::Close) ? Injected() : status;
        }

    private:
        std::unique_ptr<WritableFile> real_;
        const FaultyFileSystem& fs_;
    };

    FileSystem& real_;
    std::set<FaultStep> fail_;
};
