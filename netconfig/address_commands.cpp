#include "address_commands.h"

std::array<std::wstring, 3> StaticCommandLines(std::wstring_view ip, std::wstring_view mask, std::wstring_view gateway,
                                               std::wstring_view preferredDns, std::wstring_view alternateDns) {
    // Letter case and the runs of spaces differ from line to line; they are kept as they are.
    std::wstring address = L"Netsh interface ip set address Name=以太网 static ";
    address.append(ip).append(L"  ").append(mask).append(L"  ").append(gateway).append(L" ");
    std::wstring dns = L"Netsh interface ip Set Dns Name=以太网 static  ";
    dns.append(preferredDns);
    std::wstring addDns = L"netsh interface ip add dns Name=以太网   ";
    addDns.append(alternateDns);
    return {address, dns, addDns};
}

std::array<std::wstring, 2> DhcpCommandLines() {
    return {L"Netsh interface ip set address Name=以太网 Source=dhcp",
            L"Netsh interface ip Set Dns Name=以太网 Source=dhcp"};
}

bool HasTakenEffect(std::wstring_view line, const CommandResult& result) {
    if (result.Succeeded()) return true;
    if (result.outcome != CommandResult::Outcome::Exited || line != DhcpCommandLines()[0]) return false;
    // netsh's words on a Chinese and an English Windows, compared without their spaces.
    std::wstring said;
    for (wchar_t c : result.output)
        if (c != L' ') said += c;
    return said.find(L"已在此接口上启用DHCP") != std::wstring::npos ||
           said.find(L"DHCPisalreadyenabledonthisinterface") != std::wstring::npos;
}
