#include "text_prompt_win32.h"

namespace {

struct PromptState {
    const std::wstring* prompt;
    const std::wstring* title;
    std::wstring answer;
};

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_INITDIALOG: {
        ::SetWindowLongPtrW(dialog, DWLP_USER, lp);
        auto* state = reinterpret_cast<PromptState*>(lp);
        ::SetWindowTextW(dialog, state->title->c_str());
        ::SetDlgItemTextW(dialog, kPromptTextId, state->prompt->c_str());
        // Returning FALSE keeps this focus; TRUE would move it to OK and the typing would be lost.
        ::SetFocus(::GetDlgItem(dialog, kPromptEditId));
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            auto* state = reinterpret_cast<PromptState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
            HWND edit = ::GetDlgItem(dialog, kPromptEditId);
            std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
            text.resize(static_cast<size_t>(::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
            state->answer = std::move(text);
            ::EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

std::wstring ShowTextPrompt(HWND owner, const std::wstring& prompt, const std::wstring& title) {
    PromptState state{&prompt, &title, {}};
    const INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_NAME_PROMPT), owner,
                                             PromptProc, reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? state.answer : std::wstring();
}
