// The delete rewrite on any file: every line but the marked one comes back byte for byte, the
// marked one is the prefix plus its old bytes, and the list loses exactly that entry.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "schemes/scheme_file.h"
#include "textfile/codepage936.h"
#include "textfile/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const SchemeInput input = SplitSchemeInput(data, size);
    Codepage936 codepage;
    const TextLines lines(input.file, codepage);
    const auto names = ListSchemeNames(lines);
    if (names.empty()) return 0;
    const std::wstring name = names[input.choice % names.size()];
    const auto marked = FindLastNameLine(lines, name);
    FUZZ_CHECK(marked.has_value());

    const std::string prefix = codepage.Encode(DeletedLinePrefix(L"2026/12/7", L"9:05:03")).bytes;
    const TextLines after(RewriteWithMarkedLine(lines, *marked, prefix), codepage);
    FUZZ_CHECK(after.count() == lines.count());
    for (size_t i = 0; i < lines.count(); ++i) {
        if (i == *marked)
            FUZZ_CHECK(after.raw(i) == prefix + std::string(lines.raw(i)));
        else
            FUZZ_CHECK(after.raw(i) == lines.raw(i));
    }

    // The same list minus the entry of the marked line (its last occurrence).
    auto expected = names;
    size_t index = 0;
    for (size_t i = 0; i < *marked; ++i) index += lines.text(i).starts_with(L"name:");
    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(index));
    FUZZ_CHECK(ListSchemeNames(after) == expected);
    return 0;
}
