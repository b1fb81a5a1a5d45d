#include "delete_scheme.h"

#include "recover_scheme_file.h"
#include "scheme_file.h"
#include "textfile/read_lines.h"

namespace {

constexpr int kAttempts = 3;  // reads of a file another program keeps changing

}  // namespace

DeleteOutcome DeleteScheme(FileSystem& fs, const FilePath& file, std::wstring_view name, const DateTimeText& when) {
    using Kind = DeleteOutcome::Kind;
    FilePath leftover;
    const SchemeFileLock locked = LockSchemeFile(fs, file, LockWait::Patiently);
    auto done = [&](Kind kind, Status why = Status::Ok(), FilePath stranded = {}) {
        return DeleteOutcome{kind, std::move(why), std::move(stranded), leftover, locked.recovery};
    };
    if (!locked.status.ok()) return done(Kind::Locked, locked.status);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        LoadedLines loaded = ReadTextLines(fs, file);
        if (loaded.state == ReadResult::State::Missing) return done(Kind::FileMissing);
        if (loaded.state == ReadResult::State::Failed) return done(Kind::ReadFailed, loaded.error);
        if (loaded.lines.encoding() == TextEncoding::Unknown) return done(Kind::UnknownEncoding);

        const auto match = FindLastNameLine(loaded.lines, name);
        if (!match) return done(name.empty() ? Kind::NoSelection : Kind::NoSuchName);

        RewriteResult written =
            RewriteFile(fs, file, RewriteWithMarkedLine(loaded.lines, *match, EncodedDeletedMark(loaded.lines, when)),
                        loaded.lines.bytes());
        if (!written.leftover.empty()) leftover = written.leftover;
        if (written.changed) continue;
        if (!written.stranded.empty()) return done(Kind::Stranded, written.status, written.stranded);
        if (!written.ok()) return done(Kind::WriteFailed, written.status);
        return done(Kind::Deleted);
    }
    return done(Kind::KeepsChanging);
}
