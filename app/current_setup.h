// 以太网 as it is now, for the user: its setup put into the five fields (to keep it as a scheme,
// the commonest way schemes are born), or shown in one box. Read through the adapter reader, the
// window painting meanwhile; nothing runs and no rights are asked for.
#pragma once
#include <optional>

#include "form_view.h"
#include "netconfig/adapter_reader.h"

// The five field texts 以太网's state gives: its first usable IPv4 address (in use, not 169.254;
// else the first it has) with that address's mask, the first default gateway, the first and second
// DNS servers; empty where it has none.
[[nodiscard]] AddressFields FieldsOf(const AdapterState& state);

class CurrentSetup {
public:
    CurrentSetup(FormView& view, AdapterReader& reader) : view_(view), reader_(reader) {}

    // 填入“以太网”的当前设置 (Ctrl+P): the fields get it, the address first, so the gateway the
    // address suggests gives way to the real one. A box only where something needs saying.
    void Fill();
    // 查看“以太网”的当前设置: one box with what a user checks, and the other adapters' IPv4 addresses.
    void Show();

private:
    // Every adapter, read while busy; none when the window closed meanwhile.
    [[nodiscard]] std::optional<AdapterList> ReadAll();

    FormView& view_;
    AdapterReader& reader_;
};
