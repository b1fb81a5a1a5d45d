#include "listing_command.h"

std::wstring FileInFolder(const std::wstring& programFolder, std::wstring_view name) {
    std::wstring path = programFolder;
    if (path.empty() || (path.back() != L'\\' && path.back() != L'/')) path += L'\\';
    path += name;
    return path;
}

CommandLine ListingCommand(const std::wstring& programFolder) {
    const std::wstring listing = FileInFolder(programFolder, kListingFileName);
    if (programFolder.find(L'%') != std::wstring::npos)
        return {Program::Netsh, L"netsh.exe interface show interface", listing};
    // /d: no AutoRun commands from the registry (a chcp there changes the code page netsh writes
    // in); /v:off: a "!" in the folder's name is never expanded.
    return {Program::Cmd, L"cmd.exe /d /v:off /c netsh interface show interface  >\"" + listing + L"\"", {}};
}
