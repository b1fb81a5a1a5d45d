// The window tests' main: started with the elevated copy's first argument, this program is that
// copy (a change's lines run for a test in this same exe, as the copy checks); else the tests.
#include <gtest/gtest.h>

#include "netconfig/copy_protocol.h"
#include "netconfig/elevated_copy_win32.h"

int main(int argc, char** argv) {
    const std::vector<std::wstring> words = CommandLineWords(::GetCommandLineW());
    if (words.size() > 1 && words[1] == kElevatedMode)
        return RunElevatedCopy(std::vector<std::wstring>(words.begin() + 2, words.end()));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
