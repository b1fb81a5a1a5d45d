// Resource numbers, shared by app.rc and the code that loads the resources.
#pragma once

#define IDI_APP 1
#define IDD_NAME_PROMPT 100
#define IDC_PROMPT_EDIT 1001
#define IDC_PROMPT_TEXT 1002
