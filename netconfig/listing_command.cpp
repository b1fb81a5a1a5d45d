#include "listing_command.h"

FilePath ListingFile(const FilePath& programFolder) { return JoinPath(programFolder, kListingFileName); }

CommandLine ListingCommand(const std::wstring& programFolder) {
    // Spelt as Windows spells it, also where the tests run natively.
    const std::wstring listing = JoinPath(programFolder, kListingFileName, L'\\');
    if (programFolder.find(L'%') != std::wstring::npos)
        return {Program::Netsh, L"netsh.exe interface show interface", listing};
    // /d: no AutoRun commands from the registry (a chcp there changes the code page netsh writes
    // in); /v:off: a "!" in the folder's name is never expanded.
    return {Program::Cmd, L"cmd.exe /d /v:off /c netsh interface show interface  >\"" + listing + L"\"", {}};
}

CommandLine InterfaceListingCommand() { return {Program::Netsh, L"netsh interface show interface", {}}; }
