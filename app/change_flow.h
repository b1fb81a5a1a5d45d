// A change of 以太网's IPv4 setup from the click to its last box, in the order it happens: look at
// the adapters (the snapshot to go back to, and whether a static setup may go ahead), run the lines,
// read 以太网 back, ask the gateway, and where the change left things worse offer the way back and
// run it. Every line of one click runs in one session of the change runner.
#pragma once
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "clock.h"
#include "form_view.h"
#include "netconfig/adapter_reader.h"
#include "netconfig/change_runner.h"
#include "netconfig/failure_causes.h"
#include "netconfig/read_back.h"
#include "netconfig/way_back.h"

class ChangeFlow {
public:
    ChangeFlow(FormView& view, ChangeRunner& changes, CommandRunner& runner, AdapterReader& reader, const Clock& clock);

    // `asked`: the five field texts of 应用方案; none: 修改为DHCP.
    void Run(const std::optional<AddressFields>& asked);

private:
    // How a change ended, for its box. No text: the window closed meanwhile, nothing is said.
    struct Outcome {
        std::wstring text;
        bool configured = false;  // 以太网 is as asked: "配置成功"
        bool worse = false;       // the adapter was left worse than before: the way back is offered
    };
    // The last read of a read-back, what it came to and how long it took.
    struct Checked {
        AdapterRead last;
        ReadBack readBack;
        std::chrono::milliseconds waited{0};
    };

    // Reads every adapter: the snapshot (none where it could not be read). False when the change
    // must not go ahead: the window closed, another adapter has the address, or a device answers
    // for it and the user says 否.
    [[nodiscard]] bool LookFirst(const std::optional<AddressFields>& asked, std::optional<Snapshot>& before);
    // Runs the change's lines, reads 以太网 back (as asked, or on DHCP), then asks the gateway.
    [[nodiscard]] Outcome Change(ChangeSession& session, const std::optional<AddressFields>& asked,
                                 const std::optional<Snapshot>& before);
    // The box for a run whose lines did not all take effect, or whose rights could not be had; none
    // when every line did. `before`: the way back that may be offered below it (null: none follows).
    [[nodiscard]] std::optional<Outcome> Failed(const ChangeRun& run, const std::optional<Snapshot>* before);
    // Whether 以太网 now differs from `before` (or `before` is not known).
    [[nodiscard]] bool ChangedSince(const std::optional<Snapshot>& before);
    // Whether the gateway answers an ARP question from the new address on 以太网 (or cannot be
    // asked here).
    [[nodiscard]] bool GatewayAnswers(Ipv4 gateway, Ipv4 source, unsigned long interfaceIndex);
    // Shows how the change ended, with the way back to `before` where it left things worse.
    void Report(ChangeSession& session, const Outcome& outcome, const std::optional<AddressFields>& asked,
                const std::optional<Snapshot>& before);
    // Puts `before` back and says how that went; `asked`: what the change set.
    void Restore(ChangeSession& session, const Snapshot& before, const std::optional<AddressFields>& asked);
    // What went wrong with a restore; empty when 以太网 is as before.
    [[nodiscard]] std::wstring RestoreProblem(ChangeSession& session, const Snapshot& before,
                                              const std::optional<AddressFields>& asked);
    [[nodiscard]] ChangeRun RunLines(ChangeSession& session, const AddressChange& change);
    // Why commands failed, as far as where they ran and a fresh interface listing tell.
    [[nodiscard]] FailureCauses LikelyCauses(bool timedOut, bool elevated);
    void Warn(const std::wstring& text);
    // Reads 以太网 until `compare` finds nothing to wait for, or for `patience`.
    [[nodiscard]] Checked ReadBackAdapter(const std::function<ReadBack(const AdapterRead&)>& compare,
                                          std::chrono::milliseconds patience);

    FormView& view_;
    ChangeRunner& changes_;
    CommandRunner& runner_;
    AdapterReader& reader_;
    const Clock& clock_;
};
