// Every netsh line this program runs to change the wired interface (kWiredInterface): the apply and
// DHCP buttons' lines, a restore's and the removal of a default gateway Windows kept. Field texts
// go into the buttons' lines unchanged: no trimming, quoting or escaping (the runner hands the
// line to netsh.exe without a shell).
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "address_change.h"
#include "command_runner.h"

[[nodiscard]] std::array<std::wstring, 3> StaticCommandLines(const AddressFields& fields);
[[nodiscard]] std::array<std::wstring, 2> DhcpCommandLines();
// The lines that put the snapshot back, in order.
[[nodiscard]] std::vector<std::wstring> RestoreCommandLines(const Snapshot& snapshot);
// Removes a default gateway Windows kept, on the wired interface only.
[[nodiscard]] std::wstring RemoveGatewayLine(Ipv4 gateway);
// The change's lines, in the order they run.
[[nodiscard]] std::vector<std::wstring> CommandLinesOf(const AddressChange& change);

// Whether the interface is now as the line asked: the command succeeded, or it was the DHCP
// address line and netsh answered, with a non-zero exit, that DHCP is already enabled there.
[[nodiscard]] bool HasTakenEffect(std::wstring_view line, const CommandResult& result);
