// Listing and picking on any file: every listed name comes from a "name:" line, and a pick of
// any of them (or of a name no line has) assigns only the five fields.
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
    size_t nameLines = 0;
    for (size_t i = 0; i < lines.count(); ++i) nameLines += lines.text(i).starts_with(L"name:");
    FUZZ_CHECK(names.size() == nameLines);

    const std::wstring picked = names.empty() ? L"none" : names[input.choice % names.size()];
    for (const FieldWrite& write : LoadSchemeWrites(lines, picked))
        FUZZ_CHECK(static_cast<size_t>(write.field) < kFieldCount);
    if (!names.empty()) {
        const auto line = FindLastNameLine(lines, picked);
        FUZZ_CHECK(line && lines.text(*line) == L"name:" + picked);
    }
    return 0;
}
