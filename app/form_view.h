// What Form1 needs of its window: the controls' texts and lists, message boxes, the name prompt.
// The Win32 window implements it with real controls; tests with a fake that behaves the same.
#pragma once
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "netconfig/address_fields.h"

inline constexpr std::chrono::milliseconds kListingTick{100};

enum class MessageIcon { None, Warning, Question };  // Question: a Yes/No box

class FormView {
public:
    virtual ~FormView() = default;

    // Text1 ... Text5. Setting Text1 (Field::Ip) runs Form1::Text1_Change before it returns.
    [[nodiscard]] virtual std::wstring FieldText(Field field) const = 0;
    virtual void SetFieldText(Field field, const std::wstring& text) = 0;
    [[nodiscard]] virtual AddressFields Fields() const = 0;  // the five at once

    virtual void ClearSchemeList() = 0;  // Combo1
    virtual void AddScheme(const std::wstring& name) = 0;
    [[nodiscard]] virtual std::wstring SchemeText() const = 0;                // Combo1's text
    [[nodiscard]] virtual std::vector<std::wstring> SchemeNames() const = 0;  // Combo1's entries

    virtual void ClearAdapterList() = 0;  // Combo2
    virtual void AddAdapter(const std::wstring& name) = 0;

    // Modal, OK only, the program's title.
    virtual void ShowMessage(const std::wstring& text, MessageIcon icon) = 0;
    // Modal, a warning with 是 and 否, 否 the default unless `yesByDefault`; true for 是. The close
    // box and Escape are 否.
    [[nodiscard]] virtual bool AskYesNo(const std::wstring& text, bool yesByDefault = false) = 0;
    // Modal; the typed text, or empty when the user cancels.
    [[nodiscard]] virtual std::wstring PromptText(const std::wstring& prompt, const std::wstring& title) = 0;

    // While busy the window paints and shows the wait cursor; only the exit button and the close
    // box take input.
    virtual void SetBusy(bool busy) = 0;
    [[nodiscard]] virtual bool Busy() const = 0;
    // Waits about `duration` as while busy; false when the program is being closed meanwhile.
    [[nodiscard]] virtual bool Pause(std::chrono::milliseconds duration) = 0;
    virtual void EndProgram() = 0;
    // The program is ending (the window was closed, perhaps during a wait): handlers stop.
    [[nodiscard]] virtual bool Closing() const = 0;
    // While on, Form1::ListingTick runs every kListingTick.
    virtual void SetListingTimer(bool on) = 0;
};
