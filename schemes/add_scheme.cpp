#include "add_scheme.h"

#include "textfile/codepage936.h"

AddOutcome AppendScheme(AppendFile& file, std::wstring_view name, const AddressFields& fields, TextEncoding encoding) {
    Codepage936 codepage;
    EncodedBlock block = EncodeSchemeBlock(name, fields, codepage, encoding);
    if (block.problem != EncodedBlock::Problem::None) {
        (void)file.Close();
        return {AddOutcome::Kind::Refused, std::move(block), {}};
    }
    const Status written = file.Append(block.bytes);
    const Status closed = file.Close();
    if (!written.ok()) return {AddOutcome::Kind::WriteFailed, {}, written.detail()};
    if (!closed.ok()) return {AddOutcome::Kind::CloseFailed, {}, closed.detail()};
    return {};
}
