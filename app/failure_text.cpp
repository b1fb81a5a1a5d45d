#include "failure_text.h"

#include <algorithm>

#include "clock.h"
#include "netconfig/interface_table.h"
#include "netconfig/output_lines.h"

namespace {

constexpr size_t kOutputLines = 3;       // of each command's output
constexpr size_t kOutputLineChars = 80;  // about the box's width
constexpr size_t kCommandChars = 120;    // the box wraps a command line at its spaces
constexpr size_t kPathLineChars = 60;    // a path has no spaces to wrap at
constexpr size_t kNamesShown = 5;
constexpr std::wstring_view kCut = L"…";
constexpr std::wstring_view kOpenConnections = L"按 Win+R，输入 ncpa.cpl，回车，在“网络连接”中";

// A command line as shown: one pasted into a field may be of any length.
std::wstring Shown(const std::wstring& line) {
    return line.size() <= kCommandChars ? line : line.substr(0, kCommandChars) + std::wstring(kCut);
}

std::wstring Seconds(std::chrono::seconds bound) { return DecimalText(static_cast<unsigned long>(bound.count())); }

// The first few non-blank lines of what netsh said, each cut short, with "…" where cut.
std::wstring Excerpt(std::wstring_view said) {
    std::wstring text;
    size_t shown = 0;
    for (std::wstring_view line : OutputLines(said)) {
        while (!line.empty() && (line.back() == L' ' || line.back() == L'\t')) line.remove_suffix(1);
        if (line.empty()) continue;
        if (shown == kOutputLines) return text + std::wstring(kCut) + L"\r\n";
        text += std::wstring(line.substr(0, kOutputLineChars)) +
                std::wstring(line.size() > kOutputLineChars ? kCut : L"") + L"\r\n";
        ++shown;
    }
    return text;
}

}  // namespace

std::wstring Quoted(const std::wstring& text) { return L"\u201C" + text + L"\u201D"; }

std::wstring QuotedPath(const FilePath& path) {
    std::wstring text = L"\u201C";
    size_t column = 1;
    auto breakLine = [&] {
        text += L"\r\n";
        column = 0;
    };
    for (size_t i = 0; i < path.size();) {
        const size_t separator = path.find_first_of(L"\\/", i);
        const size_t end = separator == FilePath::npos ? path.size() : separator + 1;  // a part and its separator
        if (column > 1 && column + (end - i) > kPathLineChars) breakLine();
        for (; i < end; ++i, ++column) {
            if (column == kPathLineChars) breakLine();
            text += path[i];
        }
    }
    return text + L"\u201D";
}

std::wstring DescribeFailure(const std::wstring& line, const CommandResult& result, std::chrono::seconds bound) {
    std::wstring text = Shown(line) + L"\r\n";
    switch (result.outcome) {
    case CommandResult::Outcome::NotStarted: return text + Excerpt(result.output);
    case CommandResult::Outcome::TimedOut: text += L"超过 " + Seconds(bound) + L" 秒仍未结束，已被终止。"; break;
    case CommandResult::Outcome::Exited: text += L"退出代码 " + DecimalText(result.exitCode) + L"。"; break;
    case CommandResult::Outcome::Unknown: return text + L"已结束，但无法读取它的结果：" + Excerpt(result.output);
    }
    const std::wstring said = Excerpt(result.output);
    return text + (said.empty() ? L"\r\n" : L"netsh 的输出：\r\n" + said);
}

std::wstring DescribeNotRun(const std::wstring& line) { return Shown(line) + L"\r\n未执行：前一条命令超时。\r\n"; }

std::wstring DescribeCauses(const FailureCauses& causes, std::chrono::seconds bound) {
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
        std::wstring names;
        const size_t shown = std::min(causes.interfaces.size(), kNamesShown);
        for (size_t i = 0; i < shown; ++i) names += (i ? L"、" : L"") + Quoted(causes.interfaces[i]);
        if (shown < causes.interfaces.size()) names += L" 等 " + DecimalText(causes.interfaces.size()) + L" 个";
        text += L"· 方案总是应用到名为" + wired + L"的网卡，这台电脑没有这个名字的网卡，只有 " + names +
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
    if (causes.OnlyNetshKnows()) text += L"请查看上面 netsh 给出的原因。\r\n";
    text.resize(text.size() - 2);  // no line end after the last
    return text;
}
