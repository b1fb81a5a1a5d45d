#include "app/messages.h"

#include <gtest/gtest.h>

namespace {

// The worst boxes the commands can bring: three long Chinese answers (one in UTF-16, a NUL after
// every letter), forty long adapter names, not elevated; every difference that can come together.
TEST(FailureText, EveryBoxFitsTheScreenWholeAndNoAnswerCutsItShort) {
    std::wstring sentences;
    for (int i = 0; i < 4; ++i)
        sentences += L"系统找不到指定的文件，请检查接口名称是否正确，然后再试一次这个操作。\r\n";
    std::wstring utf16;
    for (wchar_t c : std::wstring(L"The filename is incorrect.\r\n")) utf16 += std::wstring{c, L'\0'};
    FailureCauses causes{true, false, FailureCauses::Wired::Missing,
                         std::vector<std::wstring>(40, std::wstring(99, L'网'))};
    const std::wstring line =
        L"Netsh interface ip set address Name=以太网 static 192.168.100.100  255.255.255.0  192.168.100.254 ";
    const CommandResult said{CommandResult::Outcome::Exited, 1, sentences};
    const std::vector<FailedCommand> failed = {
        {line, said}, {line, CommandResult{CommandResult::Outcome::Exited, 1, utf16 + sentences}}, {line, said}};
    const std::wstring box = DescribeCommandFailures(failed, causes, std::chrono::seconds(30));
    EXPECT_LE(BoxLines(box), kBoxLines) << BoxLines(box);
    // With the way back offered below it, room is left for the offer.
    const std::wstring offer = DescribeWayBackOffer();
    EXPECT_LE(BoxLines(DescribeCommandFailures(failed, causes, std::chrono::seconds(30), BoxLines(offer)) + offer),
              kBoxLines);
    EXPECT_NE(box.find(L"The filename is incorrect."), std::wstring::npos);
    EXPECT_TRUE(box.ends_with(L"重命名）。"));  // the causes are never cut

    const std::vector<std::wstring> five = {L"10.0.0.1", L"10.0.0.2", L"10.0.0.3",
                                            L"10.0.0.4", L"10.0.0.5", L"10.0.0.6"};
    ReadBack all;
    for (Difference::Kind kind :
         {Difference::Kind::DhcpOn, Difference::Kind::Conflict, Difference::Kind::PossibleConflict,
          Difference::Kind::WrongMask, Difference::Kind::ExtraAddress, Difference::Kind::OldGateway,
          Difference::Kind::GatewayMissing, Difference::Kind::DnsDifferent})
        all.differences.push_back({kind, five, five});
    all.differences.push_back({Difference::Kind::Unchecked, {std::wstring(300, L'x')}, {}, Field::Gateway});
    EXPECT_LE(BoxLines(DescribeReadBack(all, std::chrono::seconds(5)) + DescribeWayBackOffer()), kBoxLines);
}

}  // namespace
