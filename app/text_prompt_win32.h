// The modal name prompt: a prompt text, an empty edit, OK and Cancel.
#pragma once
#include <windows.h>

#include <string>

#include "resource.h"

// The typed text; empty for Cancel, Escape, the close box or a dialog that could not be shown.
// The dialog is IDD_NAME_PROMPT of the exe's resources.
[[nodiscard]] std::wstring ShowTextPrompt(HWND owner, const std::wstring& prompt, const std::wstring& title);

inline constexpr int kPromptEditId = IDC_PROMPT_EDIT;
inline constexpr int kPromptTextId = IDC_PROMPT_TEXT;
