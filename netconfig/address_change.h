// One change of the adapter's IPv4 setup, as values: what a handler asks for, what its netsh lines
// are built from, and all that an elevated copy of the program is handed (never a command line).
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "address_fields.h"
#include "way_back.h"

struct AddressChange {
    enum class Kind { Static, Dhcp, Restore, RemoveGateways };
    Kind kind = Kind::Dhcp;
    AddressFields fields{};        // Static: the five field texts
    Snapshot snapshot{};           // Restore
    std::vector<Ipv4> gateways{};  // RemoveGateways
};

// The arguments that hand the change to an elevated copy: the kind, then dotted IPv4 values ("-"
// for an empty field). Nothing for a static change with a field that is neither.
[[nodiscard]] std::optional<std::vector<std::wstring>> ElevatedArguments(const AddressChange& change);
// The change those arguments stand for; nothing on any doubt: an unknown kind, too many or too few
// values, a value that is not exactly as ElevatedArguments writes it.
[[nodiscard]] std::optional<AddressChange> ParseElevatedArguments(const std::vector<std::wstring>& arguments);
