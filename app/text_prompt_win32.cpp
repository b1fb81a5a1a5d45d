// Built from an in-memory dialog template, so no resource script describes it.
#include "text_prompt_win32.h"

#include <vector>

namespace {

struct PromptState {
    const std::wstring* prompt;
    std::wstring answer;
};

class TemplateWriter {
public:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const wchar_t* s) {
        while (*s) Word(static_cast<WORD>(*s++));
        Word(0);
    }
    void AlignDword() {
        if (words_.size() % 2) Word(0);
    }
    // DLGITEMTEMPLATE with a predefined class given by its atom.
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const wchar_t* text) {
        AlignDword();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(static_cast<WORD>(x));
        Word(static_cast<WORD>(y));
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(id);
        Word(0xFFFF);
        Word(classAtom);
        Text(text);
        Word(0);  // no creation data
    }
    const DLGTEMPLATE* Get() {
        AlignDword();
        return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
    }

private:
    std::vector<WORD> words_;
};

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_INITDIALOG: {
        ::SetWindowLongPtrW(dialog, DWLP_USER, lp);
        auto* state = reinterpret_cast<PromptState*>(lp);
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
    TemplateWriter t;
    t.Dword(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.Dword(0);
    t.Word(4);  // items
    t.Word(0);
    t.Word(0);
    t.Word(250);
    t.Word(78);
    t.Word(0);  // no menu
    t.Word(0);  // default class
    t.Text(title.c_str());
    t.Word(9);
    t.Text(L"MS Shell Dlg");
    t.Item(SS_LEFT, 7, 7, 170, 40, kPromptTextId, kStaticAtom, L"");
    t.Item(WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 7, 56, 236, 14, kPromptEditId, kEditAtom, L"");
    t.Item(WS_TABSTOP | BS_DEFPUSHBUTTON, 186, 7, 57, 16, IDOK, kButtonAtom, L"确定");
    t.Item(WS_TABSTOP | BS_PUSHBUTTON, 186, 27, 57, 16, IDCANCEL, kButtonAtom, L"取消");

    PromptState state{&prompt, {}};
    const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), t.Get(), owner, PromptProc,
                                                     reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? state.answer : std::wstring();
}
