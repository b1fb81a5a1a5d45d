// The modal name prompt: a prompt text, an empty edit, OK and Cancel.
#pragma once
#include <windows.h>

#include <string>

// The typed text; empty for Cancel, Escape, the close box or a dialog that could not be shown.
[[nodiscard]] std::wstring ShowTextPrompt(HWND owner, const std::wstring& prompt, const std::wstring& title);

inline constexpr int kPromptEditId = 1001;
inline constexpr int kPromptTextId = 1002;
