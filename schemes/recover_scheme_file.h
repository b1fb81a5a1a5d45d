// Undoing what an interrupted change (a kill, a power cut) left: the replace of a rewrite is a few
// renames, and between two of them the scheme file can be missing while our backup holds it whole.
// Runs with the change lock held, so no other copy is in the middle of a change.
#pragma once
#include <vector>

#include "textfile/file_system.h"

struct Recovery {
    FilePath restoredFrom;        // the backup that was put back as the missing scheme file
    bool fromTemporary = false;   // with restoredFrom: no backup held schemes, the rewrite's own copy did
    FilePath partial;             // a copy the rewrite did not finish, the only one with schemes: kept aside
    FilePath unrestored;          // the backup that holds the schemes, which could not be put back
    Status why = Status::Ok();    // with unrestored
    std::vector<FilePath> kept;   // backups longer than the scheme file, kept aside under these names
    std::vector<FilePath> stuck;  // leftovers of ours that could not be removed
    [[nodiscard]] bool empty() const {
        return restoredFrom.empty() && partial.empty() && unrestored.empty() && kept.empty() && stuck.empty();
    }
};

// A missing `file` gets back the longest backup that reads as a scheme file; where no backup does,
// the longest temporary copy that does (a rewrite writes whole lines: one that ends inside a line was
// cut short, and is kept aside instead, to be named to the user). Once `file` is there
// and readable, a backup goes only when `file` is at least as long (a delete only marks a line and
// an add only appends, so a newer file is never shorter); a longer one is kept aside. Temporary
// files go. Each removal is one attempt: one the system refuses (another user's) stays, unsaid.
[[nodiscard]] Recovery RecoverSchemeFile(FileSystem& fs, const FilePath& file);

// The change lock on a scheme file, and what interrupted changes left undone under it.
struct SchemeFileLock {
    Status status = Status::Ok();
    std::unique_ptr<ChangeLock> lock;  // when status is ok
    Recovery recovery;
};

// Takes the change lock on `file` and recovers under it; the add thus puts a missing file back from
// its backup before it creates a new one.
[[nodiscard]] SchemeFileLock LockSchemeFile(FileSystem& fs, const FilePath& file, LockWait wait);
