// Adding a scheme: its seven-line block appended to the scheme file already opened for it.
#pragma once
#include <string>
#include <string_view>

#include "netconfig/address_fields.h"
#include "recover_scheme_file.h"
#include "scheme_file.h"
#include "textfile/file_system.h"

// The scheme file opened for an add under the change lock (held from the open to the close, the
// name prompt included), after what the lock's recovery undid, with the file's encoding.
struct OpenedForAdd {
    enum class Kind { Opened, NotOpened, UnknownEncoding };
    Kind kind = Kind::NotOpened;
    Status why = Status::Ok();  // with NotOpened
    std::unique_ptr<ChangeLock> lock;
    std::unique_ptr<AppendFile> file;  // with Opened
    TextEncoding encoding = TextEncoding::Codepage936;
    Recovery recovery;
};

// Creates `file` when it is missing (and no backup of it is left to put back). A file whose
// encoding cannot be told is closed again: anything appended could corrupt it.
[[nodiscard]] OpenedForAdd OpenForAdd(FileSystem& fs, const FilePath& file);

struct AddOutcome {
    enum class Kind {
        Added,
        Refused,      // `refusal` says which text holds what the file cannot: nothing written
        WriteFailed,  // why; the file is as it was
        CloseFailed,  // why; the block may not all be on disk
    };
    Kind kind = Kind::Added;
    EncodedBlock refusal;
    Status why = Status::Ok();
};

// Appends the block of `name` and `fields` to `file` (whose text is in `encoding`), and closes it
// in every case.
[[nodiscard]] AddOutcome AppendScheme(AppendFile& file, std::wstring_view name, const AddressFields& fields,
                                      TextEncoding encoding);
