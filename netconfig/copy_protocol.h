// What the window and its elevated copy say to each other. The copy is started with only a pipe's
// name and the window's process id; through the pipe the window hands it one change at a time, as
// the words ElevatedArguments writes (nothing else is ever accepted), and the copy answers with
// records: ready or refused, then for each change accepted, each line's result, done.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "address_change.h"
#include "command_runner.h"
#include "textfile/status.h"

// The first argument of the elevated copy.
inline constexpr std::wstring_view kElevatedMode = L"--netscheme-elevated";

// The words of a command line (none of the copy's has a space or a quote inside it).
[[nodiscard]] std::vector<std::wstring> CommandLineWords(std::wstring_view line);

struct CopyArguments {
    std::wstring pipe;         // \\.\pipe\netscheme- and 32 hexadecimal digits
    unsigned long window = 0;  // the window's process id
};
// The pipe's name for 16 random bytes.
[[nodiscard]] std::wstring CopyPipeName(const unsigned char (&random)[16]);
// What follows kElevatedMode on the copy's command line.
[[nodiscard]] std::wstring CopyParameters(const CopyArguments& arguments);
// Those words, parsed strictly: nothing on any doubt.
[[nodiscard]] std::optional<CopyArguments> ParseCopyArguments(const std::vector<std::wstring>& words);

// Why a copy that reached the window's pipe will not run what it is handed.
enum class CopyRefusal : std::uint32_t {
    NotTheWindow = 1,  // the pipe's server is not the process the copy was started for
    OtherProgram = 2,  // that process does not run this program's file
    CannotCheck = 3,   // that process or its file could not be looked at (the system's words)
    BadChange = 4,     // what was handed over is not a change this program writes
};
[[nodiscard]] Status StatusOf(CopyRefusal refusal, const std::wstring& detail);

struct CopyRecord {
    enum class Kind : std::uint32_t {
        Ready = 1,     // the copy accepts the window and waits for a change
        Refused = 2,   // `refusal`, with the system's words in `detail`; the copy ends
        Accepted = 3,  // the change is valid: its lines start now
        Line = 4,      // one line's `result`, in order
        Done = 5,      // every line of the change is reported (after a time-out the rest never start)
    };
    Kind kind = Kind::Ready;
    CopyRefusal refusal = CopyRefusal::CannotCheck;
    std::wstring detail{};
    CommandResult result{};
};
[[nodiscard]] std::string EncodeRecord(const CopyRecord& record);
// The whole records at the start of `bytes`, which keeps what follows them (a record not yet
// complete). False when the bytes cannot be records: the copy is not one to listen to.
[[nodiscard]] bool TakeRecords(std::string& bytes, std::vector<CopyRecord>& records);

// A change as one line of ASCII words, ended by LF; nothing for one ElevatedArguments refuses.
[[nodiscard]] std::optional<std::string> EncodeChange(const AddressChange& change);
// The line at the start of `bytes` (removed from it), parsed as strictly as the arguments were:
// nothing while it is incomplete (`bad` false) or when it is no such change (`bad` true).
[[nodiscard]] std::optional<AddressChange> TakeChange(std::string& bytes, bool& bad);
