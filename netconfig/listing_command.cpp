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
    return {Program::Cmd, L"cmd.exe /c netsh interface show interface  >\"" + listing + L"\"", {}};
}
