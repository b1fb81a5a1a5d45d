// Resource numbers, shared by app.rc and the code that loads the resources.
#pragma once

#define IDI_APP 1
#define IDR_SHORTCUTS 2
// The context menu's commands (no control has these numbers).
#define IDM_FILL 200
#define IDM_VIEW 201
#define IDD_NAME_PROMPT 100
#define IDC_PROMPT_EDIT 1001
#define IDC_PROMPT_TEXT 1002
