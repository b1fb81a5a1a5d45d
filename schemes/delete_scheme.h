// Deleting a scheme: its last name line in the scheme file gets a mark in front of it. The
// whole file is rewritten in one step, and never over what another program wrote meanwhile.
#pragma once
#include <string>
#include <string_view>

#include "recover_scheme_file.h"
#include "scheme_file.h"
#include "textfile/file_system.h"

struct DeleteOutcome {
    enum class Kind {
        Deleted,
        FileMissing,
        ReadFailed,       // why
        NoSelection,      // the name is empty and no line is exactly "name:"
        NoSuchName,       // no line is "name:" + name
        WriteFailed,      // why; the file is as it was
        Stranded,         // why; the file could not be put back: `stranded` holds the schemes
        KeepsChanging,    // another program wrote the file before every attempt
        Locked,           // why: another copy of the program is changing the file, or why no lock
        UnknownEncoding,  // the file's encoding cannot be told: it is not rewritten
    };
    Kind kind = Kind::Deleted;
    Status why = Status::Ok();
    FilePath stranded;
    FilePath leftover;  // a temporary copy of the schemes that could not be removed after a failure
    Recovery recovery;  // what the lock's recovery undid first
};

// Marks the last line "name:" + name in `file` with the mark of `when`, holding the change
// lock, so no other copy of the program changes the file meanwhile. When another program wrote
// the file since it was read, the work is done again on what it wrote, up to three reads; so
// neither change is lost.
[[nodiscard]] DeleteOutcome DeleteScheme(FileSystem& fs, const FilePath& file, std::wstring_view name,
                                         const DateTimeText& when);
