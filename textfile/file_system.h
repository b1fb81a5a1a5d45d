// The few file operations both stores need, behind an interface so that tests can make any
// step fail (CI runs as root, which permission bits do not stop).
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_path.h"
#include "status.h"

struct ReadResult {
    enum class State { Ok, Missing, Failed };
    State state = State::Failed;
    std::string bytes;
    Status error = Status::Ok();  // why, when Failed
};

// A file opened for appending. Append is one write at the end that starts on a line of its own
// (see StartOnOwnLine; `lineEnd` is CR LF in the file's encoding), flushed to the disk; if it
// fails, the file is cut back to the length it had before, so a failed append leaves no partial block.
class AppendFile {
public:
    virtual ~AppendFile() = default;
    [[nodiscard]] virtual Status Append(std::string_view block, std::string_view lineEnd) = 0;
    [[nodiscard]] virtual Status Close() = 0;
};

// A new file being written: Write, then Sync (flush to disk), then Close.
class WritableFile {
public:
    virtual ~WritableFile() = default;
    [[nodiscard]] virtual Status Write(std::string_view bytes) = 0;
    [[nodiscard]] virtual Status Sync() = 0;
    [[nodiscard]] virtual Status Close() = 0;
};

// Keeps other programs from writing a file for as long as it lives (Windows: a handle that
// shares only read and delete, so the file can still be renamed away by ReplaceFileW).
class FileHold {
public:
    virtual ~FileHold() = default;
};

// Held while this copy of the program changes a file: every other copy waits for it.
class ChangeLock {
public:
    virtual ~ChangeLock() = default;
};

// Whether taking the lock waits about two seconds for a copy that holds it, or only looks.
enum class LockWait { LookOnly, Patiently };

// The lock, or why it was not had.
struct LockResult {
    Status status = Status::Ok();
    std::unique_ptr<ChangeLock> lock;  // when status is ok
};

// One file an interrupted rewrite left, and its length.
struct Leftover {
    FilePath path;
    std::uint64_t size = 0;
};

// What an interrupted rewrite of a file can leave beside it: backups (the whole old file, put
// aside by the replace) and temporary files (a new file, perhaps half written).
struct Leftovers {
    std::vector<Leftover> backups;
    std::vector<Leftover> temporaries;
};

// How PutInPlace ended. On failure the target is whole, as it was, unless `stranded` is set: then
// the target could not be put back and that file now holds its whole contents.
struct Placement {
    Status status = Status::Ok();
    FilePath stranded;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    [[nodiscard]] virtual ReadResult ReadFile(const FilePath& path) = 0;
    // Opens path for appending, creating it empty when it is missing.
    [[nodiscard]] virtual Status OpenForAppend(const FilePath& path, std::unique_ptr<AppendFile>& file) = 0;
    // Reads path whole through a handle that then keeps other programs from writing it until
    // `hold` goes; waits first while another program holds it for a moment.
    [[nodiscard]] virtual ReadResult ReadAndHold(const FilePath& path, std::unique_ptr<FileHold>& hold) = 0;
    // Creates a new, uniquely named empty file in folder.
    [[nodiscard]] virtual Status CreateTempFile(const FilePath& folder, FilePath& path,
                                                std::unique_ptr<WritableFile>& file) = 0;
    // Puts source in target's place in one step (target may be missing) and makes it durable;
    // leaves nothing else behind when it succeeds. `hold` (of target, or none) is let go once
    // no other program can write in between any more.
    [[nodiscard]] virtual Placement PutInPlace(const FilePath& source, const FilePath& target,
                                               std::unique_ptr<FileHold> hold) = 0;
    // Removes path; a path that does not exist counts as removed.
    [[nodiscard]] virtual Status RemoveFile(const FilePath& path) = 0;
    // Removes a leftover of ours in one attempt, waiting for no other program; `denied` when the
    // system refuses it (another user's file, a read-only one).
    [[nodiscard]] virtual Status RemoveLeftover(const FilePath& path, bool& denied) = 0;
    // Renames a file of ours beside `file` out of the leftovers' pattern, so that no clean-up ever
    // removes it: before it is named to the user as the one that holds the schemes. `kept` is
    // the new name.
    [[nodiscard]] virtual Status KeepAside(const FilePath& path, FilePath& kept) = 0;
    // Takes the lock every copy of the program (of every user of the computer) takes before it
    // changes `file`. A copy that ended while it held the lock leaves it to the next one.
    [[nodiscard]] virtual LockResult LockChanges(const FilePath& file, LockWait wait) = 0;
    // Our own leftovers beside `file` (by their names: nothing else is ever touched).
    [[nodiscard]] virtual Leftovers FindLeftovers(const FilePath& file) = 0;
};

// The machine's own file system.
std::unique_ptr<FileSystem> MakeSystemFileSystem();

// What an append writes for `block` to a file whose last bytes are `tail` (as many as a character
// of the encoding takes; none when empty): a file that ends inside a line (an editor often saves
// the last line without a line end) gets `lineEnd` (CR LF) first, so the block does not run on
// from that line.
[[nodiscard]] std::string StartOnOwnLine(std::string_view block, std::string_view tail, std::string_view lineEnd);

struct RewriteResult {
    Status status = Status::Ok();
    bool changed = false;  // the target no longer held `expected`: nothing was written
    FilePath stranded;     // see Placement
    FilePath leftover;     // a temporary copy that could not be removed after a failure
    [[nodiscard]] bool ok() const { return status.ok(); }
};

// Writes bytes to a temporary file beside target, flushes it and puts it in target's place. With
// `expected`, gives up (changed) when target no longer holds exactly those bytes: the check and
// the replace happen under one FileHold, so no other program writes in between. On failure
// target is left exactly as it was and the temporary file is removed (else named in leftover),
// except where the result names a stranded file.
[[nodiscard]] RewriteResult RewriteFile(FileSystem& fs, const FilePath& target, std::string_view bytes,
                                        std::optional<std::string_view> expected = std::nullopt);
