// The netsh command lines of the apply and DHCP buttons. Field texts go in unchanged: no
// trimming, quoting or escaping (the runner hands the line to netsh.exe without a shell).
#pragma once
#include <array>
#include <string>
#include <string_view>

#include "command_runner.h"

[[nodiscard]] std::array<std::wstring, 3> StaticCommandLines(std::wstring_view ip, std::wstring_view mask,
                                                             std::wstring_view gateway, std::wstring_view preferredDns,
                                                             std::wstring_view alternateDns);
[[nodiscard]] std::array<std::wstring, 2> DhcpCommandLines();

// Whether the interface is now as the line asked: the command succeeded, or it was the DHCP
// address line and netsh answered, with a non-zero exit, that DHCP is already enabled there.
[[nodiscard]] bool HasTakenEffect(std::wstring_view line, const CommandResult& result);
