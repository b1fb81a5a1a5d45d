// A FormView that behaves like the Win32 window: setting Text1 runs Text1_Change at once,
// clearing a list clears the combo's text. Everything it is asked to do goes into `log`.
#pragma once
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "netconfig/address_fields.h"

class FakeView final : public FormView {
public:
    struct Message {
        std::wstring text;
        MessageIcon icon;
    };

    Form1* form = nullptr;
    AddressFields fields = kDefaultFields;
    std::vector<std::wstring> schemes;
    std::wstring schemeText;
    std::vector<std::wstring> adapters;
    std::vector<Message> messages;
    std::deque<std::wstring> answers;  // what the prompt returns, in turn; empty = cancel
    std::deque<bool> choices;          // what Yes/No boxes return, in turn (true: 是); empty = 否
    std::vector<std::wstring> prompts;
    std::vector<std::wstring> log;
    bool busy = false;
    bool ended = false;
    bool listingTimer = false;
    std::function<void(const Message&)> onMessage;
    std::function<void()> onPrompt;
    std::function<void()> onPause;
    std::chrono::milliseconds* ticks = nullptr;  // a clock that pauses move on

    std::wstring FieldText(Field field) const override { return fields[field]; }
    AddressFields Fields() const override { return fields; }
    void SetFieldText(Field field, const std::wstring& text) override {
        log.push_back(L"Text" + std::to_wstring(static_cast<int>(field) + 1) + L"=" + text);
        fields[field] = text;
        if (field == Field::Ip && form) form->Text1_Change();
    }
    void ClearSchemeList() override {
        log.push_back(L"ClearSchemes");
        schemes.clear();
        schemeText.clear();
    }
    void AddScheme(const std::wstring& name) override { schemes.push_back(name); }
    std::wstring SchemeText() const override { return schemeText; }
    std::vector<std::wstring> SchemeNames() const override { return schemes; }
    void ClearAdapterList() override {
        log.push_back(L"ClearAdapters");
        adapters.clear();
    }
    void AddAdapter(const std::wstring& name) override { adapters.push_back(name); }
    void ShowMessage(const std::wstring& text, MessageIcon icon) override {
        log.push_back(L"Message:" + text);
        messages.push_back({text, icon});
        if (onMessage) onMessage(messages.back());
    }
    bool AskYesNo(const std::wstring& text, bool yesByDefault) override {
        log.push_back((yesByDefault ? L"Ask(yes):" : L"Ask:") + text);
        messages.push_back({text, MessageIcon::Question});
        if (onMessage) onMessage(messages.back());
        if (choices.empty()) return false;
        const bool yes = choices.front();
        choices.pop_front();
        return yes;
    }
    std::wstring PromptText(const std::wstring& prompt, const std::wstring& title) override {
        log.push_back(L"Prompt");
        prompts.push_back(prompt + L"|" + title);
        if (onPrompt) onPrompt();
        if (answers.empty()) return {};
        std::wstring answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool Busy() const override { return busy; }
    void SetBusy(bool b) override {
        log.push_back(b ? L"Busy" : L"Idle");
        busy = b;
    }
    bool Pause(std::chrono::milliseconds duration) override {
        log.push_back(L"Pause:" + std::to_wstring(duration.count()));
        if (ticks) *ticks += duration;
        if (onPause) onPause();
        return !ended;
    }
    void EndProgram() override { ended = true; }
    bool Closing() const override { return ended; }
    void SetListingTimer(bool on) override {
        log.push_back(on ? L"TimerOn" : L"TimerOff");
        listingTimer = on;
    }

    // The user picks entry `index` of Combo1, as CBN_SELCHANGE reports it.
    void Pick(size_t index) {
        form->Combo1_Click(schemes.at(index));
        schemeText = schemes.at(index);
    }
};
