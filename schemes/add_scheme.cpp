#include "add_scheme.h"

#include "textfile/codepage936.h"

OpenedForAdd OpenForAdd(FileSystem& fs, const FilePath& file) {
    OpenedForAdd opened;
    SchemeFileLock locked = LockSchemeFile(fs, file, LockWait::Patiently);
    opened.lock = std::move(locked.lock);
    opened.recovery = std::move(locked.recovery);
    Status status = std::move(locked.status);
    if (status.ok()) status = fs.OpenForAppend(file, opened.file);
    if (!status.ok()) {
        opened.why = status;
        return opened;
    }
    opened.encoding = EncodingOf(fs.ReadFile(file).bytes);
    if (opened.encoding == TextEncoding::Unknown) {
        (void)opened.file->Close();
        opened.file.reset();
        opened.kind = OpenedForAdd::Kind::UnknownEncoding;
        return opened;
    }
    opened.kind = OpenedForAdd::Kind::Opened;
    return opened;
}

AddOutcome AppendScheme(AppendFile& file, std::wstring_view name, const AddressFields& fields, TextEncoding encoding) {
    Codepage936 codepage;
    EncodedBlock block = EncodeSchemeBlock(name, fields, codepage, encoding);
    if (block.problem != EncodedBlock::Problem::None) {
        (void)file.Close();
        return {AddOutcome::Kind::Refused, std::move(block), Status::Ok()};
    }
    const Status written = file.Append(block.bytes, LineEndOf(encoding));
    const Status closed = file.Close();
    if (!written.ok()) return {AddOutcome::Kind::WriteFailed, {}, written};
    if (!closed.ok()) return {AddOutcome::Kind::CloseFailed, {}, closed};
    return {};
}
