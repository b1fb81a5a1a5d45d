// Outcome of an operation that can fail: ok, or why not. The reason is a kind the messages word for
// the user, with the system's own words where the system gave them.
#pragma once
#include <cstddef>
#include <string>
#include <utility>

class Status {
public:
    enum class Reason {
        System,                  // the system's words say it all
        IsFolder,                // the path is a folder, not a file
        ReadOnly,                // the file has the read-only attribute
        PathTooLong,             // number(): the length a temporary file's path would have
        ChangedMeanwhile,        // another program wrote the file between the read and the write
        LockedByAnotherCopy,     // another copy of the program is changing the file
        LockedByAnotherProgram,  // the lock's name is held by something that is no copy of ours
        Incomplete,              // the system answered without the parts asked for
        Unfinished,              // it did not finish in the time allowed
        Closing,                 // the program is being closed
        OutOfMemory,
        NotPlainAddress,  // a value that is no a.b.c.d address cannot be handed to an elevated copy
        NoAnswer,         // the elevated copy did not answer
        CopyEnded,        // the elevated copy ended before it took the change
        // The elevated copy refused to run what the window handed it:
        CopyNotForThisWindow,   // the pipe's other end is not the window it was started for
        CopyOfAnotherProgram,   // that window runs another program file
        CopyCannotCheckWindow,  // that window's process or file could not be looked at (detail)
        CopyGotNoChange,        // what it was handed is no change this program writes
        // A policy refuses administrator rights to this program:
        ElevationDeniedToStandardUsers,  // ConsentPromptBehaviorUser 0
        UnsignedElevationRefused,        // ValidateAdminCodeSignatures 1
    };

    Status() = default;  // ok
    static Status Ok() { return Status(); }
    static Status Error(std::wstring detail) { return Status(Reason::System, std::move(detail), 0); }
    static Status Because(Reason reason, std::wstring detail = {}, size_t number = 0) {
        return Status(reason, std::move(detail), number);
    }

    [[nodiscard]] bool ok() const { return !failed_; }
    [[nodiscard]] Reason reason() const { return reason_; }
    [[nodiscard]] const std::wstring& detail() const { return detail_; }  // the system's words, if any
    [[nodiscard]] size_t number() const { return number_; }

private:
    Status(Reason reason, std::wstring detail, size_t number)
        : failed_(true), reason_(reason), detail_(std::move(detail)), number_(number) {}

    bool failed_ = false;
    Reason reason_ = Reason::System;
    std::wstring detail_;
    size_t number_ = 0;
};
