// The netsh command lines of the apply and DHCP buttons. Field texts go in unchanged: no
// trimming, quoting or escaping (the runner hands the line to netsh.exe without a shell).
#pragma once
#include <array>
#include <string>
#include <string_view>

#include "address_fields.h"
#include "command_runner.h"

[[nodiscard]] std::array<std::wstring, 3> StaticCommandLines(const AddressFields& fields);
[[nodiscard]] std::array<std::wstring, 2> DhcpCommandLines();

// Whether the interface is now as the line asked: the command succeeded, or it was the DHCP
// address line and netsh answered, with a non-zero exit, that DHCP is already enabled there.
[[nodiscard]] bool HasTakenEffect(std::wstring_view line, const CommandResult& result);
