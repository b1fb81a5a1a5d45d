#include "current_setup.h"

#include <algorithm>
#include <chrono>

#include "busy_scope.h"
#include "messages.h"

namespace {

constexpr std::chrono::seconds kReadBound{10};

}  // namespace

AddressFields FieldsOf(const AdapterState& state) {
    AddressFields fields;
    const auto usable = std::find_if(state.addresses.begin(), state.addresses.end(), [](const UnicastAddress& a) {
        return a.state == AddressState::Preferred && !IsLinkLocal(a.address);
    });
    const auto address = usable != state.addresses.end() ? usable : state.addresses.begin();
    if (address != state.addresses.end()) {
        fields[Field::Ip] = Ipv4Text(address->address);
        fields[Field::Mask] = Ipv4Text(MaskOf(address->prefixLength));
    }
    if (!state.gateways.empty()) fields[Field::Gateway] = Ipv4Text(state.gateways[0]);
    if (!state.dnsServers.empty()) fields[Field::PreferredDns] = Ipv4Text(state.dnsServers[0]);
    if (state.dnsServers.size() > 1) fields[Field::AlternateDns] = Ipv4Text(state.dnsServers[1]);
    return fields;
}

std::optional<AdapterList> CurrentSetup::ReadAll() {
    AdapterList all;
    {
        BusyScope busy(view_);
        all = reader_.ReadAll(kReadBound);
    }
    if (view_.Closing()) return std::nullopt;
    return all;
}

void CurrentSetup::Fill() {
    const std::optional<AdapterList> all = ReadAll();
    if (!all) return;
    const AdapterState* wired = all->Find(kWiredInterface);
    if (!all->read) return view_.ShowMessage(DescribeAdapterUnreadable(all->error), MessageIcon::Warning);
    if (!wired) return view_.ShowMessage(DescribeNoWiredAdapter(*all), MessageIcon::Warning);
    if (wired->addresses.empty()) return view_.ShowMessage(DescribeNoIpv4ToFill(), MessageIcon::Warning);
    const AddressFields fields = FieldsOf(*wired);
    for (Field field : kFields) view_.SetFieldText(field, fields[field]);  // Text1 first: see Text1_Change
    if (wired->dhcpEnabled) view_.ShowMessage(DescribeFilledFromLease(), MessageIcon::None);
}

void CurrentSetup::Show() {
    const std::optional<AdapterList> all = ReadAll();
    if (!all) return;
    if (!all->read) return view_.ShowMessage(DescribeAdapterUnreadable(all->error), MessageIcon::Warning);
    if (!all->Find(kWiredInterface)) return view_.ShowMessage(DescribeNoWiredAdapter(*all), MessageIcon::Warning);
    view_.ShowMessage(DescribeAdaptersNow(*all), MessageIcon::None);
}
