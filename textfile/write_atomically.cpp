#include "file_system.h"

Status WriteFileAtomically(FileSystem& fs, const FilePath& target, std::string_view bytes) {
    FilePath tempPath;
    std::unique_ptr<WritableFile> temp;
    Status status = fs.CreateTempFile(ParentFolder(target), tempPath, temp);
    if (!status.ok()) return status;

    status = temp->Write(bytes);
    if (status.ok()) status = temp->Sync();
    const Status closed = temp->Close();
    if (status.ok()) status = closed;
    temp.reset();
    if (status.ok()) status = fs.ReplaceFile(tempPath, target);
    if (!status.ok()) (void)fs.RemoveFile(tempPath);
    return status;
}
