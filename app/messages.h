// Every sentence the user reads: the welcome, the prompt, and what a change of the scheme file, a
// command or the read-back of the adapter came to, as functions from outcome values to text.
// Each piece is bounded with box_text (a few lines of netsh's output, long paths broken into
// lines, a few names), so that every box fits the screen.
#pragma once
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "box_text.h"
#include "netconfig/adapter_reader.h"
#include "netconfig/command_runner.h"
#include "netconfig/failure_causes.h"
#include "netconfig/read_back.h"
#include "schemes/add_scheme.h"
#include "schemes/delete_scheme.h"
#include "schemes/recover_scheme_file.h"
#include "textfile/file_path.h"

inline constexpr std::wstring_view kWelcome = L"欢迎使用，欢迎指正，不定时更新。\r\n一处保存，随处切换。";
inline constexpr std::wstring_view kAddPrompt = L"输入 当前方案 的名称";  // the prompt's text and its title
inline constexpr std::wstring_view kConfigured = L"配置成功";
inline constexpr std::wstring_view kDeleted = L"删除成功！";
inline constexpr std::wstring_view kRestored = L"已恢复为之前的设置";
// The window's context menu: the setup 以太网 has now, put into the fields or shown.
inline constexpr std::wstring_view kMenuFill = L"填入“以太网”的当前设置\tCtrl+P";
inline constexpr std::wstring_view kMenuView = L"查看“以太网”的当前设置";

struct FailedCommand {
    std::wstring line;
    // None: not started, since the one before it hung or the elevated copy that ran it ended.
    std::optional<CommandResult> result;
};

// The whole box: each failed command with how it ended and what netsh said, then the likely
// causes, each with what to do; `reserved` box lines are left for what is added after it.
[[nodiscard]] std::wstring DescribeCommandFailures(const std::vector<FailedCommand>& failed,
                                                   const FailureCauses& causes, std::chrono::seconds bound,
                                                   size_t reserved = 0);

// The box after commands that all ran, when 以太网 is not as asked: one line per difference.
[[nodiscard]] std::wstring DescribeReadBack(const ReadBack& readBack, std::chrono::milliseconds waited);

// Before a static setup: another adapter of this computer has the address; nothing was run.
[[nodiscard]] std::wstring DescribeTakenByOtherAdapter(const std::wstring& address, const std::wstring& adapter);
// Before a static setup: a device answered for the address; the question whether to go on.
[[nodiscard]] std::wstring DescribeAddressAnswered(const std::wstring& address,
                                                   const std::array<unsigned char, 6>& mac);
// Before a static setup: only this computer's cache remembers a device with the address, which may
// be gone; the question whether to go on.
[[nodiscard]] std::wstring DescribeAddressSeenBefore(const std::wstring& address,
                                                     const std::array<unsigned char, 6>& mac);
// After a static setup that took effect: its gateway did not answer.
[[nodiscard]] std::wstring DescribeGatewaySilent(const std::wstring& gateway);
// Added to a box that names a problem: the question whether to put the previous setup back.
[[nodiscard]] std::wstring DescribeWayBackOffer();
// Added instead where the setup before the change could not be read.
[[nodiscard]] std::wstring DescribeNoWayBack();
// The prompt for administrator rights was declined: nothing was changed.
[[nodiscard]] std::wstring DescribeRightsDeclined();
// Administrator rights could not be asked for or had: the system's reason and what to do.
[[nodiscard]] std::wstring DescribeRightsNotHad(const Status& why);
// The elevated copy reached the window and would not run the change (why): nothing was changed.
[[nodiscard]] std::wstring DescribeCopyRefused(const Status& why);
// A policy of this computer refuses the program administrator rights (why, and what to do).
[[nodiscard]] std::wstring DescribeRightsForbidden(const Status& why);
// A restore that did not bring the previous setup back: `problem` says what differs or failed.
[[nodiscard]] std::wstring DescribeRestoreFailed(const std::wstring& problem);

// 以太网 as it is now: the adapters could not be read (why).
[[nodiscard]] std::wstring DescribeAdapterUnreadable(const Status& why);
// There is no adapter named 以太网 among `all`, which are named, and how to rename one.
[[nodiscard]] std::wstring DescribeNoWiredAdapter(const AdapterList& all);
// 以太网 has no IPv4 address to put into the fields.
[[nodiscard]] std::wstring DescribeNoIpv4ToFill();
// The fields hold 以太网's lease from DHCP: kept as a scheme, it becomes a fixed setup.
[[nodiscard]] std::wstring DescribeFilledFromLease();
// What a user checks of 以太网 now, and one line for each other adapter with an IPv4 address.
[[nodiscard]] std::wstring DescribeAdaptersNow(const AdapterList& all);

// Why something failed, in the user's words (the system's own where it gave them).
[[nodiscard]] std::wstring Words(const Status& why);
// The scheme file could not be read; `listEmptied` when Combo1 was emptied for it.
[[nodiscard]] std::wstring DescribeUnreadable(const FilePath& file, const Status& why, bool listEmptied);
// A change was saved but the file could not be read again just then.
[[nodiscard]] std::wstring DescribeReloadFailed(const FilePath& file, const Status& why);
// A delete that did not end in Deleted; `name` is the one asked for.
[[nodiscard]] std::wstring DescribeDelete(const DeleteOutcome& outcome, const FilePath& file, const std::wstring& name);
// The file could not be opened for an add.
[[nodiscard]] std::wstring DescribeAddNotOpened(const FilePath& file, const Status& why);
// An add that did not end in Added.
[[nodiscard]] std::wstring DescribeAdd(const AddOutcome& outcome, const FilePath& file);
// A scheme file whose encoding cannot be told: listed as well as it can be, never changed.
[[nodiscard]] std::wstring DescribeUnknownEncoding(const FilePath& file);
// After an add from a folder that is emptied (the exe unpacked from an archive to run).
[[nodiscard]] std::wstring DescribeUnpackedFromArchive();
// What the start-up undid or could not; empty when there was nothing.
[[nodiscard]] std::wstring DescribeRecovery(const Recovery& recovery, const FilePath& file);
