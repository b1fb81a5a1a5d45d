#include "address_commands.h"

namespace {

const std::wstring kInterface(kWiredInterface);

// The restore's lines name the interface in one spelling: "name=以太网 ".
const std::wstring kRestoreOn = L"name=" + kInterface + L" ";
const std::wstring kRestoreIp = L"netsh interface ip ";

}  // namespace

std::array<std::wstring, 3> StaticCommandLines(const AddressFields& fields) {
    // Letter case and the runs of spaces differ from line to line; they are kept as they are.
    std::wstring address = L"Netsh interface ip set address Name=" + kInterface + L" static ";
    address.append(fields[Field::Ip]).append(L"  ").append(fields[Field::Mask]).append(L"  ");
    address.append(fields[Field::Gateway]).append(L" ");
    return {address, L"Netsh interface ip Set Dns Name=" + kInterface + L" static  " + fields[Field::PreferredDns],
            L"netsh interface ip add dns Name=" + kInterface + L"   " + fields[Field::AlternateDns]};
}

std::array<std::wstring, 2> DhcpCommandLines() {
    return {L"Netsh interface ip set address Name=" + kInterface + L" Source=dhcp",
            L"Netsh interface ip Set Dns Name=" + kInterface + L" Source=dhcp"};
}

namespace {

// The DNS servers in order. Run when the network may already be broken: netsh's check of each
// server (validate defaults to yes) could make a line slow or fail on an old, unreachable one.
void AddDnsLines(const std::vector<Ipv4>& servers, std::vector<std::wstring>& lines) {
    if (servers.empty()) lines.push_back(kRestoreIp + L"set dns " + kRestoreOn + L"static none");
    for (size_t i = 0; i < servers.size(); ++i)
        lines.push_back(i == 0 ? kRestoreIp + L"set dns " + kRestoreOn + L"static " + Ipv4Text(servers[0]) +
                                     L" register=primary validate=no"
                               : kRestoreIp + L"add dns " + kRestoreOn + Ipv4Text(servers[i]) + L" index=" +
                                     std::to_wstring(i + 1) + L" validate=no");
}

}  // namespace

std::vector<std::wstring> RestoreCommandLines(const Snapshot& snapshot) {
    // The apply button's own lines, so that "already enabled" counts as done here too; a DNS list
    // set by hand goes back after the address is on DHCP.
    if (snapshot.dhcp) {
        const auto dhcp = DhcpCommandLines();
        std::vector<std::wstring> lines = {dhcp[0]};
        if (snapshot.dnsHandSet)
            AddDnsLines(snapshot.dnsServers, lines);
        else
            lines.push_back(dhcp[1]);
        return lines;
    }
    std::vector<std::wstring> lines;
    for (size_t i = 0; i < snapshot.addresses.size(); ++i) {
        const UnicastAddress& a = snapshot.addresses[i];
        const std::wstring address = Ipv4Text(a.address) + L" " + Ipv4Text(MaskOf(a.prefixLength));
        lines.push_back(i == 0 ? kRestoreIp + L"set address " + kRestoreOn + L"static " + address + L" " +
                                     (snapshot.gateways.empty() ? L"none" : Ipv4Text(snapshot.gateways[0]))
                               : kRestoreIp + L"add address " + kRestoreOn + address);
    }
    for (size_t i = 1; i < snapshot.gateways.size(); ++i)
        lines.push_back(kRestoreIp + L"add address " + kRestoreOn + L"gateway=" + Ipv4Text(snapshot.gateways[i]) +
                        L" gwmetric=0");
    AddDnsLines(snapshot.dnsServers, lines);
    return lines;
}

std::wstring RemoveGatewayLine(Ipv4 gateway) {
    return L"netsh interface ipv4 delete route prefix=0.0.0.0/0 interface=" + kInterface + L" nexthop=" +
           Ipv4Text(gateway);
}

std::vector<std::wstring> CommandLinesOf(const AddressChange& change) {
    switch (change.kind) {
    case AddressChange::Kind::Static: {
        const auto lines = StaticCommandLines(change.fields);
        return {lines.begin(), lines.end()};
    }
    case AddressChange::Kind::Dhcp: {
        const auto lines = DhcpCommandLines();
        return {lines.begin(), lines.end()};
    }
    case AddressChange::Kind::Restore: return RestoreCommandLines(change.snapshot);
    case AddressChange::Kind::RemoveGateways: break;
    }
    std::vector<std::wstring> lines;
    for (Ipv4 gateway : change.gateways) lines.push_back(RemoveGatewayLine(gateway));
    return lines;
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
