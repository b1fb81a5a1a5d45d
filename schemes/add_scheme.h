// Adding a scheme: its seven-line block appended to the scheme file already opened for it.
#pragma once
#include <string>
#include <string_view>

#include "address_fields.h"
#include "scheme_file.h"
#include "textfile/file_system.h"

struct AddOutcome {
    enum class Kind {
        Added,
        Refused,      // `refusal` says which text holds what the file cannot: nothing written
        WriteFailed,  // detail; the file is as it was
        CloseFailed,  // detail; the block may not all be on disk
    };
    Kind kind = Kind::Added;
    EncodedBlock refusal;
    std::wstring detail;
};

// Appends the block of `name` and `fields` to `file` (whose text is in `encoding`), and closes it
// in every case.
[[nodiscard]] AddOutcome AppendScheme(AppendFile& file, std::wstring_view name, const AddressFields& fields,
                                      TextEncoding encoding);
