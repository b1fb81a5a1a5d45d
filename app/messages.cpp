#include "messages.h"

#include <algorithm>
#include <array>
#include <span>

#include "box_text.h"
#include "netconfig/address_fields.h"
#include "netconfig/output_lines.h"
#include "textfile/codepage936.h"
#include "textfile/hex_text.h"

namespace {

constexpr size_t kOutputLines = 3;     // box lines of each command's output, when they fit
constexpr size_t kCommandChars = 120;  // the box wraps a command line at its spaces
constexpr std::wstring_view kOpenConnections = L"按 Win+R，输入 ncpa.cpl，回车，在“网络连接”中";

// A command line as shown: one pasted into a field may be of any length.
std::wstring Shown(const std::wstring& line) {
    const std::wstring printable = Printable(line);
    return printable.size() <= kCommandChars ? printable : printable.substr(0, kCommandChars) + L"…";
}

std::wstring Seconds(std::chrono::seconds bound) { return std::to_wstring(bound.count()); }

// The command line, then how it ended and what netsh said; ends with CR LF. `netshSaid` is set
// when netsh's own words are in it.
std::wstring DescribeFailure(const std::wstring& line, const CommandResult& result, std::chrono::seconds bound,
                             size_t budget, bool& netshSaid) {
    std::wstring text = Shown(line) + L"\r\n";
    switch (result.outcome) {
    case CommandResult::Outcome::NotStarted: return text + L"无法启动：" + Excerpt(result.output, budget);
    case CommandResult::Outcome::TimedOut: text += L"超过 " + Seconds(bound) + L" 秒仍未结束，已被终止。"; break;
    case CommandResult::Outcome::Exited: text += L"退出代码 " + std::to_wstring(result.exitCode) + L"。"; break;
    case CommandResult::Outcome::Unknown:
        return text + L"已结束，但无法读取它的结果：" + Excerpt(result.output, std::max<size_t>(budget, 1));
    case CommandResult::Outcome::Lost:
        return text + L"可能已执行，但结果不明：以管理员身份运行的本程序副本在报告结果之前就结束了。\r\n";
    }
    const std::wstring said = Excerpt(result.output, budget);
    netshSaid = netshSaid || !said.empty();
    return text + (said.empty() ? L"\r\n" : L"netsh 的输出：\r\n" + said);
}

// One line per cause, each with what to do; without a final line end.
std::wstring DescribeCauses(const FailureCauses& causes, std::chrono::seconds bound, bool netshSaid) {
    const std::wstring wired = Quoted(std::wstring(kWiredInterface));
    std::wstring text;
    if (causes.notElevated)
        text += L"· 本程序没有以管理员身份运行，不能更改网络配置：请关闭它，右键点击程序 → 以管理员身份运行。\r\n";
    if (causes.timedOut)
        text += L"· 有命令超过 " + Seconds(bound) +
                L" 秒仍未结束，已被终止，后面的命令没有执行：netsh "
                L"可能正忙，请稍后再试。\r\n";
    switch (causes.wired) {
    case FailureCauses::Wired::Missing: {
        std::vector<std::wstring> quoted;
        for (const std::wstring& name : causes.interfaces) quoted.push_back(Quoted(name));
        text += L"· 方案总是应用到名为" + wired + L"的网卡，这台电脑没有这个名字的网卡，只有 " + List(quoted) +
                L"：可以把要用的网卡改名为" + wired + L"（" + std::wstring(kOpenConnections) +
                L"右键点击网卡 → 重命名）。\r\n";
        break;
    }
    case FailureCauses::Wired::Disabled:
        text += L"· 网卡" + wired + L"已被禁用：请" + std::wstring(kOpenConnections) + L"右键点击它 → 启用。\r\n";
        break;
    case FailureCauses::Wired::Unreadable:
        text += L"· 无法读出这台电脑的网卡列表，不能判断是否有名为" + wired + L"的网卡。\r\n";
        break;
    case FailureCauses::Wired::NotAsked:
    case FailureCauses::Wired::Present: break;
    }
    if (causes.OnlyNetshKnows())
        text += netshSaid
                    ? L"请查看上面 netsh 给出的原因。\r\n"
                    : L"netsh 没有说明原因：可以在以管理员身份运行的命令提示符中执行上面的命令，查看它的提示。\r\n";
    text.resize(text.size() - 2);  // no line end after the last
    return text;
}

// How every message names the five fields.
constexpr std::array<std::wstring_view, kFieldCount> kFieldNames = {L"IP 地址", L"子网掩码", L"网关", L"首选 DNS",
                                                                    L"备用 DNS"};

std::wstring FieldName(Field field) { return std::wstring(kFieldNames[static_cast<size_t>(field)]); }

// 00-1A-2B-3C-4D-5E, as ipconfig and the adapter's label write it.
std::wstring MacText(std::span<const unsigned char> mac) {
    std::wstring text;
    for (unsigned char byte : mac) text += (text.empty() ? L"" : L"-") + HexText(byte, 2);
    return text;
}

std::wstring LeftoverNote(const FilePath& leftover) {
    if (leftover.empty()) return {};
    return L"\r\n临时文件" + QuotedPath(leftover) + L"没能删除：它只是方案文件的一份副本，可以删掉。";
}

std::wstring DescribeDhcp(const Difference& d) {
    const std::wstring wired = Quoted(std::wstring(kWiredInterface));
    const std::wstring again = L"再点一次“修改为DHCP”。";
    switch (d.kind) {
    case Difference::Kind::NoLease:
        return L"DHCP 已开启，但等了 10 秒仍没有从 DHCP 服务器得到地址" +
               (d.seen.empty() ? std::wstring(L"") : L"（只有 " + List(d.seen) + L"）") +
               L"：这个网络可能没有 DHCP 服务器，或它没有应答。";
    case Difference::Kind::DhcpOff:
        return L"DHCP 仍未开启，网卡还在使用固定地址" + (d.seen.empty() ? L"" : L" " + List(d.seen)) + L"：请稍后" +
               again;
    case Difference::Kind::DhcpStaticKept:
        return L"DHCP 已开启，但网卡仍在使用固定地址 " + List(d.seen) +
               L"：请稍后在命令提示符中运行 ipconfig 查看，仍是这个地址时" + again;
    default: break;
    }
    const std::wstring unplugged = L"网卡" + wired + L"没有连接（网线未插好，或对端设备未开机），现在无法确认。";
    switch (d.stored) {
    case StoredDhcp::On: return unplugged + L"Windows 已记下改用 DHCP；插好网线后如果仍是原来的固定地址，请" + again;
    case StoredDhcp::Off: return unplugged + L"Windows 记下的仍是固定地址，插好网线后会恢复它：请插好网线，" + again;
    case StoredDhcp::Unknown: break;
    }
    return unplugged + L"网线未插好时 Windows 常常不改用 DHCP，插好网线后又恢复原来的固定地址：请插好网线，" + again;
}

std::wstring DescribeAddress(const Difference& d, std::chrono::milliseconds waited) {
    const std::wstring asked = d.asked.empty() ? std::wstring() : Value(d.asked[0]);
    const std::wstring seconds = std::to_wstring((waited.count() + 500) / 1000);
    const std::wstring change = L"请换一个地址，或关掉占用它的设备后再点“应用方案”。";
    switch (d.kind) {
    case Difference::Kind::Conflict:
        return L"IP 地址冲突：" + asked + L" 已被网络中的另一台设备使用，Windows 没有启用它" +
               (d.seen.empty() ? L"" : L"，改用了 " + List(d.seen)) + L"。" + change;
    case Difference::Kind::PossibleConflict:
        return L"IP 地址可能冲突：等了 " + seconds + L" 秒，" + asked + L" 仍没有启用，网卡上只有 " + List(d.seen) +
               L"（169.254 开头的是 Windows 自动分配的地址）。可能网络中另一台设备已在使用它：" + change;
    case Difference::Kind::AddressMissing:
        return L"IP 地址：要求 " + asked + L"，实际" +
               (d.seen.empty() ? L"没有任何 IPv4 地址。" : L"只有 " + List(d.seen) + L"。");
    case Difference::Kind::WrongMask: return L"子网掩码：要求 " + asked + L"，实际 " + List(d.seen) + L"。";
    case Difference::Kind::StillChecking:
        return L"IP 地址 " + asked + L" 等了 " + seconds +
               L" 秒仍在检测是否与其他设备冲突，尚未启用：请稍后在命令提示符中运行 ipconfig 查看。";
    case Difference::Kind::ExtraAddress: return L"除 " + asked + L" 外还有 IP 地址 " + List(d.seen) + L"。";
    default: return {};
    }
}

std::wstring DescribeDifference(const Difference& d, std::chrono::milliseconds waited) {
    const std::wstring wired = Quoted(std::wstring(kWiredInterface));
    const std::wstring asked = d.asked.empty() ? std::wstring() : Value(d.asked[0]);
    switch (d.kind) {
    case Difference::Kind::ReadFailed:
        return L"无法读出网卡" + wired + L"现在的设置，不能确认更改已生效：" +
               CutToColumns(Printable(Words(d.why)), 2 * kBoxColumns);
    case Difference::Kind::NoAdapter:
        return L"这台电脑没有名为" + wired + L"的已启用网卡，不能确认更改已生效：它可能刚被禁用或改名（" +
               std::wstring(kOpenConnections) + L"查看）。";
    case Difference::Kind::NotConnected:
        return L"网卡" + wired + L"没有连接（网线未插好，或对端设备未开机）：设置已保存，连接后生效，现在无法确认。";
    case Difference::Kind::DhcpOff:
    case Difference::Kind::DhcpStaticKept:
    case Difference::Kind::DhcpUnplugged:
    case Difference::Kind::NoLease: return DescribeDhcp(d);
    case Difference::Kind::DhcpOn: return L"网卡仍在用 DHCP 自动获取地址，没有改为固定地址。";
    case Difference::Kind::OldGateway:
        // "if" names the interface: without it route would also remove another adapter's route.
        return L"留有旧的默认网关 " + List(d.seen) +
               L"：要删除它，请在以管理员身份运行的命令提示符中执行 route delete 0.0.0.0 mask 0.0.0.0 " +
               (d.seen.size() == 1 ? Value(d.seen[0]) : L"旧网关（每个一次）") + L" if " + asked + L"。";
    case Difference::Kind::GatewayMissing: return L"默认网关：要求 " + asked + L"，实际没有。";
    case Difference::Kind::DnsDifferent:
        return L"DNS 服务器（按顺序）：要求 " + (d.asked.empty() ? L"无" : List(d.asked)) + L"，实际 " +
               (d.seen.empty() ? L"没有" : List(d.seen)) + L"。";
    case Difference::Kind::Unchecked:
        return FieldName(d.field) + Quoted(asked) + L"不是 a.b.c.d 形式的 IPv4 地址，无法确认它是否生效。";
    default: return DescribeAddress(d, waited);
    }
}

}  // namespace

std::wstring Words(const Status& why) {
    using Reason = Status::Reason;
    switch (why.reason()) {
    case Reason::System: return why.detail();
    case Reason::IsFolder: return L"这是一个文件夹，不是文件：请把它改名或移走。";
    case Reason::ReadOnly: return L"文件带有只读属性。" + why.detail();
    case Reason::PathTooLong:
        return L"程序所在文件夹的路径太长：临时文件的完整路径有 " + std::to_wstring(why.number()) +
               L" 个字符，系统最多允许 259 个。请把程序放到路径较短的文件夹中。";
    case Reason::ChangedMeanwhile: return L"文件已被其他程序改动。";
    case Reason::LockedByAnotherCopy: return L"另一个正在运行的本程序正在修改这个方案文件。";
    case Reason::LockedByAnotherProgram: return L"方案文件正被另一个程序锁定。";
    case Reason::Incomplete: return L"系统给出的网卡信息不完整（缺少网关或前缀长度）。";
    case Reason::Unfinished: return L"读取网卡信息在等待时间内没有完成。";
    case Reason::Closing: return L"程序正在关闭。";
    case Reason::OutOfMemory: return L"内存不足。";
    case Reason::NotPlainAddress:
        return L"只有 a.b.c.d 形式的地址或空白的框才能这样以管理员身份应用，请检查五个地址框。";
    case Reason::NoAnswer: return L"以管理员身份运行的本程序副本没有应答。";
    case Reason::CopyEnded: return L"以管理员身份运行的本程序副本在接受更改之前就结束了。";
    case Reason::CopyNotForThisWindow: return L"管道另一端不是启动它的窗口。";
    case Reason::CopyOfAnotherProgram: return L"启动它的窗口运行的不是同一个程序文件。";
    case Reason::CopyCannotCheckWindow: return L"无法确认启动它的窗口：" + why.detail();
    case Reason::CopyGotNoChange: return L"收到的内容不是本程序写出的更改。";
    case Reason::ElevationDeniedToStandardUsers:
        return L"这台电脑的策略不允许标准用户获得管理员权限（用户账户控制：标准用户的提升提示行为为“自动拒绝提升请求”）"
               L"。"
               L"请让这台电脑的管理员来更改网络设置，或用管理员账户登录后右键点击程序 → 以管理员身份运行。";
    case Reason::UnsignedElevationRefused:
        return L"这台电脑的策略只允许有数字签名的程序获得管理员权限（用户账户控制：只提升已签名并验证的可执行文件），"
               L"本程序没有数字签名。请让这台电脑的管理员在以管理员身份运行的命令提示符中启动本程序。";
    }
    return why.detail();
}

std::wstring DescribeCommandFailures(const std::vector<FailedCommand>& failed, const FailureCauses& causes,
                                     std::chrono::seconds bound, size_t reserved) {
    // Less of netsh's output for each command until the whole fits.
    for (size_t budget = kOutputLines;; --budget) {
        bool netshSaid = false;
        bool copyEnded = false;  // a line before was lost with the elevated copy
        std::wstring text = L"以下命令未成功执行：\r\n";
        for (const FailedCommand& command : failed) {
            copyEnded = copyEnded || (command.result && command.result->outcome == CommandResult::Outcome::Lost);
            const std::wstring why = copyEnded ? L"以管理员身份运行的本程序副本已结束。" : L"前一条命令超时。";
            text += L"\r\n" + (command.result ? DescribeFailure(command.line, *command.result, bound, budget, netshSaid)
                                              : Shown(command.line) + L"\r\n未执行：" + why + L"\r\n");
        }
        text += L"\r\n" + DescribeCauses(causes, bound, netshSaid);
        if (budget == 0 || BoxLines(text) + reserved <= kBoxLines) return text;
    }
}

std::wstring DescribeReadBack(const ReadBack& readBack, std::chrono::milliseconds waited) {
    std::wstring text = L"命令都已执行，但检查网卡" + Quoted(std::wstring(kWiredInterface)) + L"时发现：";
    for (const Difference& difference : readBack.differences)
        text += L"\r\n· " + DescribeDifference(difference, waited);
    return text;
}

std::wstring DescribeTakenByOtherAdapter(const std::wstring& address, const std::wstring& adapter) {
    return L"IP 地址 " + Value(address) + L" 已经是这台电脑的网卡" + Quoted(Value(adapter)) +
           L"的地址：两块网卡用同一个地址，网络会不通。没有更改任何设置：请换一个地址，或先更改那块网卡的地址。";
}

std::wstring DescribeAddressAnswered(const std::wstring& address, const std::array<unsigned char, 6>& mac) {
    return L"IP 地址 " + Value(address) + L" 可能已被网络中的另一台设备使用（它的网卡物理地址是 " + MacText(mac) +
           L"）。两台设备用同一个地址，网络会不通。\r\n仍要应用这个方案吗？选“否”则不做任何更改。";
}

std::wstring DescribeAddressSeenBefore(const std::wstring& address, const std::array<unsigned char, 6>& mac) {
    return L"这台电脑以前见过使用 " + Value(address) + L" 的设备（网卡物理地址是 " + MacText(mac) +
           L"），现在不一定还在：这是以前记下的，这次没能重新询问网络。如果那台设备已经改了地址或关机，可以放心应用。"
           L"\r\n仍要应用这个方案吗？选“否”则不做任何更改。";
}

std::wstring DescribeGatewaySilent(const std::wstring& gateway) {
    return L"地址已设置好，但网关 " + Value(gateway) +
           L" 没有应答：可能网关地址填错了，也可能这个网络本来就不用网关（这时可以不管）。";
}

std::wstring DescribeWayBackOffer() {
    return L"\r\n\r\n要恢复为更改之前的设置吗？选“是”恢复，选“否”保留现在的设置。"
           L"（只恢复 IPv4 地址、子网掩码、网关和 DNS；IPv6、DNS 后缀、WINS 和跃点数本来就没有改动。）";
}

std::wstring DescribeRightsDeclined() { return L"未获得管理员权限，网络设置没有更改。"; }

std::wstring DescribeRightsNotHad(const Status& why) {
    return L"无法取得管理员权限，网络设置没有更改：" + Words(why) +
           L"\r\n请关闭本程序，右键点击程序 → 以管理员身份运行。";
}

std::wstring DescribeCopyRefused(const Status& why) {
    return L"以管理员身份运行的本程序副本拒绝执行：" + Words(why) + L"\r\n网络设置没有更改。";
}

std::wstring DescribeRightsForbidden(const Status& why) { return L"网络设置没有更改：" + Words(why); }

std::wstring DescribeNoWayBack() { return L"\r\n更改之前没能读出网卡的设置，所以无法恢复为之前的设置。"; }

std::wstring DescribeRestoreFailed(const std::wstring& problem) { return L"没能完全恢复为之前的设置。\r\n" + problem; }

std::wstring DescribeUnreadable(const FilePath& file, const Status& why, bool listEmptied) {
    return L"无法读取方案文件" + QuotedPath(file) + (listEmptied ? L"，方案列表为空。\r\n" : L"。\r\n") + Words(why);
}

std::wstring DescribeReloadFailed(const FilePath& file, const Status& why) {
    return L"修改已保存，但现在无法重新读取方案文件" + QuotedPath(file) +
           L"：列表先按这次修改显示，下次操作时会再读取。\r\n" + Words(why);
}

std::wstring DescribeDelete(const DeleteOutcome& outcome, const FilePath& file, const std::wstring& name) {
    const std::wstring quoted = QuotedPath(file);
    const std::wstring nothing = L"没有删除任何方案";
    switch (outcome.kind) {
    case DeleteOutcome::Kind::Deleted: return std::wstring(kDeleted);
    case DeleteOutcome::Kind::FileMissing: return L"找不到方案文件" + quoted + L"，" + nothing + L"。";
    case DeleteOutcome::Kind::ReadFailed:
        return L"无法读取方案文件" + quoted + L"，" + nothing + L"。\r\n" + Words(outcome.why);
    case DeleteOutcome::Kind::NoSelection: return L"请先在“选择方案”中选出要删除的方案。" + nothing + L"。";
    case DeleteOutcome::Kind::NoSuchName:
        return L"方案文件中没有名为" + Quoted(name) + L"的方案（文件可能已被改动），" + nothing + L"。";
    case DeleteOutcome::Kind::WriteFailed:
        return L"无法改写方案文件" + quoted + L"，" + nothing + L"，文件保持原样。\r\n" + Words(outcome.why) +
               LeftoverNote(outcome.leftover);
    case DeleteOutcome::Kind::Stranded:
        return L"无法改写方案文件" + quoted + L"，而且它没能放回原处。\r\n你的方案现在保存在" +
               QuotedPath(outcome.stranded) + L"中：请把这个文件改名为 " + std::wstring(kSchemeFileName) + L"。\r\n" +
               Words(outcome.why);
    case DeleteOutcome::Kind::Locked: return nothing + L"：" + Words(outcome.why) + L"请稍后再试。";
    case DeleteOutcome::Kind::UnknownEncoding: return DescribeUnknownEncoding(file);
    case DeleteOutcome::Kind::KeepsChanging:
        return L"方案文件" + quoted + L"在删除时一再被其他程序改动，" + nothing + L"。请关闭正在改动它的程序后再试。" +
               LeftoverNote(outcome.leftover);
    }
    return {};
}

std::wstring DescribeAddNotOpened(const FilePath& file, const Status& why) {
    return L"无法打开或创建方案文件" + QuotedPath(file) + L"，不能添加方案。\r\n" + Words(why);
}

std::wstring DescribeAdd(const AddOutcome& outcome, const FilePath& file) {
    const EncodedBlock& block = outcome.refusal;
    const std::wstring where = block.field ? Quoted(FieldName(*block.field)) : L"方案名称";
    switch (outcome.kind) {
    case AddOutcome::Kind::Added: return {};
    case AddOutcome::Kind::Refused:
        if (block.problem == EncodedBlock::Problem::LineBreak)
            return where + L"中含有换行符（" + DescribeCharacter(block.character) +
                   L"），它会把方案拆成错误的行。方案未保存。";
        return where + L"中含有字符 " + DescribeCharacter(block.character) +
               L"，方案文件（GBK 编码）无法保存这个字符。方案未保存。";
    case AddOutcome::Kind::WriteFailed:
        return L"无法写入方案文件" + QuotedPath(file) + L"，方案未保存，文件保持原样。\r\n" + Words(outcome.why);
    case AddOutcome::Kind::CloseFailed:
        return L"关闭方案文件" + QuotedPath(file) + L"时出错，方案可能未完整保存。\r\n" + Words(outcome.why);
    }
    return {};
}

std::wstring DescribeUnpackedFromArchive() {
    return L"本程序正从临时文件夹运行（多半是直接在压缩包里打开的）：临时文件夹会被清空，刚保存的方案会随之丢失。"
           L"\r\n请先把程序解压到一个单独的文件夹，再从那里运行。";
}

std::wstring DescribeUnknownEncoding(const FilePath& file) {
    return L"无法识别方案文件" + QuotedPath(file) +
           L"的编码（例如没有字节顺序标记的 "
           L"UTF-16），方案名称可能显示为乱码。为免损坏它，本程序不会在其中添加或删除方案："
           L"请用记事本打开它，“另存为”时把编码选为 ANSI 或 UTF-8，再重新打开本程序。";
}

std::wstring DescribeRecovery(const Recovery& recovery, const FilePath& file) {
    std::wstring text;
    if (!recovery.restoredFrom.empty() && !recovery.fromTemporary)
        text += L"上次修改方案时程序被中断（断电或被强行结束），方案文件已从备份" + QuotedPath(recovery.restoredFrom) +
                L"恢复：修改前的方案都在。\r\n";
    if (!recovery.restoredFrom.empty() && recovery.fromTemporary)
        text +=
            L"上次修改方案时程序被中断（断电或被强行结束），方案文件和它的备份都不见了，已从那次修改写好的临时文件" +
            QuotedPath(recovery.restoredFrom) + L"恢复：修改后的方案都在。\r\n";
    if (!recovery.partial.empty())
        text += L"方案文件" + QuotedPath(file) +
                L"和它的备份都不见了。上次修改被中断时留下的临时文件没有写完，已改名保留为" +
                QuotedPath(recovery.partial) +
                L"：它保存着你的方案（最后一行可能不全），请用记事本打开查看，确认后把它改名为 " +
                std::wstring(kSchemeFileName) + L"。\r\n";
    if (!recovery.unrestored.empty())
        text += L"方案文件" + QuotedPath(file) + L"不见了。上次修改被中断时留下的备份" +
                QuotedPath(recovery.unrestored) + L"没能改回原名：它保存着你的方案，请把它改名为 " +
                std::wstring(kSchemeFileName) + L"。\r\n" + Words(recovery.why) + L"\r\n";
    for (const FilePath& kept : recovery.kept)
        text += L"上次修改方案时留下的备份比现在的方案文件长，可能保存着其中没有的方案，已改名保留为" +
                QuotedPath(kept) + L"：需要时可以用记事本打开查看。\r\n";
    for (const FilePath& stuck : recovery.stuck)
        text += L"上次修改方案时留下的文件" + QuotedPath(stuck) + L"没能删除：它只是方案文件的副本，可以删掉。\r\n";
    if (!text.empty()) text.resize(text.size() - 2);
    return text;
}

std::wstring DescribeAdapterUnreadable(const Status& why) {
    return L"无法读出网卡" + Quoted(std::wstring(kWiredInterface)) + L"现在的设置：" +
           CutToColumns(Printable(Words(why)), 2 * kBoxColumns);
}

std::wstring DescribeNoWiredAdapter(const AdapterList& all) {
    const std::wstring wired = Quoted(std::wstring(kWiredInterface));
    std::vector<std::wstring> names;
    for (const AdapterList::Named& adapter : all.adapters) names.push_back(Quoted(adapter.name));
    return L"这台电脑没有名为" + wired + L"的已启用网卡" + (names.empty() ? L"" : L"，只有 " + List(names)) +
           L"：方案总是应用到" + wired + L"，可以把要用的网卡改名为" + wired + L"（" + std::wstring(kOpenConnections) +
           L"右键点击网卡 → 重命名）。";
}

std::wstring DescribeNoIpv4ToFill() {
    return L"网卡" + Quoted(std::wstring(kWiredInterface)) +
           L"现在没有 IPv4 地址（网线未插好，或还没有从 DHCP 服务器得到地址），没有可以填入的设置。";
}

std::wstring DescribeFilledFromLease() {
    return L"已填入" + Quoted(std::wstring(kWiredInterface)) +
           L"现在的设置。它现在用 DHCP 自动获取地址，填入的是这次得到的地址；保存为方案后，应用它就是固定地址。";
}

namespace {

std::wstring StateWords(AddressState state) {
    switch (state) {
    case AddressState::Preferred: return L"正在使用";
    case AddressState::Tentative: return L"正在检测是否与其他设备冲突";
    case AddressState::Duplicate: return L"与网络中的另一台设备冲突，没有启用";
    case AddressState::Other: break;
    }
    return L"已失效";
}

std::wstring AddressesOf(const std::vector<Ipv4>& addresses) {
    std::vector<std::wstring> texts;
    for (Ipv4 address : addresses) texts.push_back(Ipv4Text(address));
    return texts.empty() ? L"无" : List(texts);
}

std::wstring WiredNow(const std::wstring& name, const AdapterState& s) {
    std::wstring text = L"网卡" + Quoted(name) +
                        (s.connected ? L"：已连接" : L"：未连接（网线未插好，或对端设备未开机）") +
                        (s.dhcpEnabled ? L"，用 DHCP 自动获取地址" : L"，固定地址") + L"\r\n";
    if (s.addresses.empty()) text += L"IP 地址：无\r\n";
    for (const UnicastAddress& a : s.addresses)
        text += L"IP 地址：" + Ipv4Text(a.address) + L"，子网掩码 " + Ipv4Text(MaskOf(a.prefixLength)) + L"（" +
                StateWords(a.state) + L"）\r\n";
    text += L"默认网关：" + AddressesOf(s.gateways) + L"\r\nDNS 服务器（按顺序）：" + AddressesOf(s.dnsServers);
    if (!s.mac.empty()) text += L"\r\n网卡物理地址：" + MacText(s.mac);
    return text;
}

}  // namespace

std::wstring DescribeAdaptersNow(const AdapterList& all) {
    std::wstring text;
    for (const AdapterList::Named& adapter : all.adapters)
        if (adapter.name == kWiredInterface) text = WiredNow(adapter.name, adapter.state);
    // The addresses other adapters hold are the ones a scheme must not take (loopback aside).
    for (const AdapterList::Named& adapter : all.adapters) {
        std::vector<Ipv4> ipv4;
        for (const UnicastAddress& a : adapter.state.addresses)
            if ((a.address >> 24) != 127) ipv4.push_back(a.address);
        if (adapter.name != kWiredInterface && !ipv4.empty() && BoxLines(text) < kBoxLines)
            text += L"\r\n另一块网卡" + Quoted(Value(adapter.name)) + L"的地址：" + AddressesOf(ipv4);
    }
    return text;
}
