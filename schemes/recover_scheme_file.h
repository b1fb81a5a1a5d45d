// Undoing what an interrupted change (a kill, a power cut) left: the replace of a rewrite is a few
// renames, and between two of them the scheme file can be missing while our backup holds it whole.
// Runs with the change lock held, so no other copy is in the middle of a change.
#pragma once
#include <vector>

#include "textfile/file_system.h"

struct Recovery {
    bool restored = false;        // the scheme file was missing and its backup is back
    FilePath unrestored;          // the backup that holds the schemes, which could not be put back
    std::wstring detail;          // with unrestored: why
    std::vector<FilePath> stuck;  // leftovers of ours that could not be removed
};

// A missing `file` gets its newest backup back; once `file` is there and readable, every leftover
// of ours beside it is stale and goes.
[[nodiscard]] Recovery RecoverSchemeFile(FileSystem& fs, const FilePath& file);

// The change lock on `file`, waited for; after a copy that died holding it (perhaps in the middle
// of a change), what that copy left is undone first.
[[nodiscard]] Status LockSchemeFile(FileSystem& fs, const FilePath& file, std::unique_ptr<ChangeLock>& lock);
