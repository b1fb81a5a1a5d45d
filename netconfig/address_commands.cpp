#include "address_commands.h"

std::array<std::wstring, 3> StaticCommandLines(const AddressFields& fields) {
    // Letter case and the runs of spaces differ from line to line; they are kept as they are.
    std::wstring address = L"Netsh interface ip set address Name=以太网 static ";
    address.append(fields[Field::Ip]).append(L"  ").append(fields[Field::Mask]).append(L"  ");
    address.append(fields[Field::Gateway]).append(L" ");
    return {address, L"Netsh interface ip Set Dns Name=以太网 static  " + fields[Field::PreferredDns],
            L"netsh interface ip add dns Name=以太网   " + fields[Field::AlternateDns]};
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
