#include "file_system.h"

std::string StartOnOwnLine(std::string_view block, std::string_view tail, std::string_view lineEnd) {
    std::string bytes;
    // CR and LF are the halves of CR LF in every encoding; either ends a line.
    const size_t half = lineEnd.size() / 2;
    if (!tail.empty() && tail != lineEnd.substr(half) && tail != lineEnd.substr(0, half)) bytes = lineEnd;
    bytes += block;
    return bytes;
}

RewriteResult RewriteFile(FileSystem& fs, const FilePath& target, std::string_view bytes,
                          std::optional<std::string_view> expected) {
    RewriteResult result;
    FilePath tempPath;
    std::unique_ptr<WritableFile> temp;
    result.status = fs.CreateTempFile(ParentFolder(target), tempPath, temp);
    if (!result.ok()) return result;

    result.status = temp->Write(bytes);
    if (result.ok()) result.status = temp->Sync();
    const Status closed = temp->Close();
    if (result.ok()) result.status = closed;
    temp.reset();
    std::unique_ptr<FileHold> hold;  // from the check until the replace is done
    if (result.ok()) {
        const ReadResult now = fs.ReadAndHold(target, hold);
        if (now.state == ReadResult::State::Failed) {
            result.status = now.error;
        } else if (expected && (now.state == ReadResult::State::Missing || now.bytes != *expected)) {
            result.changed = true;
            result.status = Status::Because(Status::Reason::ChangedMeanwhile);
        }
    }
    if (result.ok()) {
        Placement placed = fs.PutInPlace(tempPath, target, std::move(hold));
        result.status = std::move(placed.status);
        result.stranded = std::move(placed.stranded);
    }
    hold.reset();  // a check that failed
    // While the target is missing the temporary file may be all that is left of it.
    if (!result.ok() && result.stranded.empty() && !fs.RemoveFile(tempPath).ok()) result.leftover = tempPath;
    return result;
}
