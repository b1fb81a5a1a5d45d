#include "address_change.h"

namespace {

constexpr std::wstring_view kEmpty = L"-";

// Exactly a.b.c.d as Ipv4Text writes it: no spaces, no leading zeros, nothing around it.
std::optional<Ipv4> Strict(std::wstring_view text) {
    const std::optional<Ipv4> address = ParseIpv4(text);
    if (!address || Ipv4Text(*address) != text) return std::nullopt;
    return address;
}

std::wstring Joined(const std::vector<std::wstring>& parts) {
    if (parts.empty()) return std::wstring(kEmpty);
    std::wstring text;
    for (const std::wstring& part : parts) text += (text.empty() ? L"" : L",") + part;
    return text;
}

std::vector<std::wstring_view> Split(std::wstring_view text) {
    std::vector<std::wstring_view> parts;
    if (text == kEmpty) return parts;
    for (size_t start = 0;;) {
        const size_t comma = text.find(L',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::wstring_view::npos) return parts;
        start = comma + 1;
    }
}

std::wstring AddressList(const std::vector<Ipv4>& addresses) {
    std::vector<std::wstring> texts;
    for (Ipv4 address : addresses) texts.push_back(Ipv4Text(address));
    return Joined(texts);
}

std::optional<std::vector<Ipv4>> ParseAddressList(std::wstring_view text) {
    std::vector<Ipv4> addresses;
    for (std::wstring_view part : Split(text)) {
        const std::optional<Ipv4> address = Strict(part);
        if (!address) return std::nullopt;
        addresses.push_back(*address);
    }
    return addresses;
}

// "a.b.c.d/n" with n written as to_wstring writes it, 0 to 32.
std::optional<UnicastAddress> ParsePrefixed(std::wstring_view text) {
    const size_t slash = text.find(L'/');
    if (slash == std::wstring_view::npos) return std::nullopt;
    const std::optional<Ipv4> address = Strict(text.substr(0, slash));
    const std::wstring_view length = text.substr(slash + 1);
    for (unsigned n = 0; n <= 32; ++n)
        if (address && length == std::to_wstring(n)) return UnicastAddress{*address, n};
    return std::nullopt;
}

std::optional<AddressChange> ParseStatic(const std::vector<std::wstring>& values) {
    if (values.size() != 1 + kFieldCount) return std::nullopt;
    AddressChange change{AddressChange::Kind::Static};
    for (size_t i = 0; i < kFieldCount; ++i) {
        if (values[1 + i] == kEmpty) continue;
        if (!Strict(values[1 + i])) return std::nullopt;
        change.fields[kFields[i]] = values[1 + i];
    }
    return change;
}

std::optional<AddressChange> ParseRestore(const std::vector<std::wstring>& values) {
    if (values.size() != 4) return std::nullopt;
    AddressChange change{AddressChange::Kind::Restore};
    for (std::wstring_view part : Split(values[1])) {
        const std::optional<UnicastAddress> address = ParsePrefixed(part);
        if (!address) return std::nullopt;
        change.snapshot.addresses.push_back(*address);
    }
    auto gateways = ParseAddressList(values[2]);
    auto dns = ParseAddressList(values[3]);
    if (!gateways || !dns || change.snapshot.addresses.empty()) return std::nullopt;
    change.snapshot.gateways = std::move(*gateways);
    change.snapshot.dnsServers = std::move(*dns);
    return change;
}

}  // namespace

std::optional<std::vector<std::wstring>> ElevatedArguments(const AddressChange& change) {
    switch (change.kind) {
    case AddressChange::Kind::Static: {
        std::vector<std::wstring> arguments = {L"static"};
        for (Field field : kFields) {
            const std::wstring& text = change.fields[field];
            if (!text.empty() && !Strict(text)) return std::nullopt;
            arguments.push_back(text.empty() ? std::wstring(kEmpty) : text);
        }
        return arguments;
    }
    case AddressChange::Kind::Dhcp: return std::vector<std::wstring>{L"dhcp"};
    case AddressChange::Kind::Restore: {
        if (change.snapshot.dhcp && change.snapshot.dnsHandSet)
            return std::vector<std::wstring>{L"restore-dhcp", AddressList(change.snapshot.dnsServers)};
        if (change.snapshot.dhcp) return std::vector<std::wstring>{L"restore-dhcp"};
        std::vector<std::wstring> addresses;
        for (const UnicastAddress& a : change.snapshot.addresses)
            addresses.push_back(Ipv4Text(a.address) + L"/" + std::to_wstring(a.prefixLength));
        return std::vector<std::wstring>{L"restore-static", Joined(addresses), AddressList(change.snapshot.gateways),
                                         AddressList(change.snapshot.dnsServers)};
    }
    case AddressChange::Kind::RemoveGateways: break;
    }
    return std::vector<std::wstring>{L"remove-gateways", AddressList(change.gateways)};
}

std::optional<AddressChange> ParseElevatedArguments(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) return std::nullopt;
    const std::wstring& kind = arguments[0];
    if (kind == L"static") return ParseStatic(arguments);
    if (kind == L"restore-static") return ParseRestore(arguments);
    if (arguments.size() == 1 && kind == L"dhcp") return AddressChange{AddressChange::Kind::Dhcp};
    if (arguments.size() <= 2 && kind == L"restore-dhcp") {
        AddressChange change{AddressChange::Kind::Restore};
        change.snapshot.dhcp = true;
        if (arguments.size() == 1) return change;
        // A DNS list set by hand, to go back beside the lease.
        auto dns = ParseAddressList(arguments[1]);
        if (!dns || dns->empty()) return std::nullopt;
        change.snapshot.dnsServers = std::move(*dns);
        change.snapshot.dnsHandSet = true;
        return change;
    }
    if (arguments.size() == 2 && kind == L"remove-gateways") {
        auto gateways = ParseAddressList(arguments[1]);
        if (!gateways || gateways->empty()) return std::nullopt;
        return AddressChange{AddressChange::Kind::RemoveGateways, {}, {}, std::move(*gateways)};
    }
    return std::nullopt;
}
