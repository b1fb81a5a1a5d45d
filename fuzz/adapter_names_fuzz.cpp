// The adapter rule on any listing: names have no spaces, and only 已启用 lines give one.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "netconfig/adapter_names.h"
#include "textfile/codepage936.h"
#include "textfile/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Codepage936 codepage;
    const TextLines lines(bytes, codepage);
    size_t enabled = 0;
    for (size_t i = 0; i < lines.count(); ++i) {
        const auto name = AdapterName(lines.text(i));
        if (!name) continue;
        ++enabled;
        FUZZ_CHECK(lines.text(i).starts_with(L"已启用"));
        FUZZ_CHECK(name->find(L' ') == std::wstring::npos);
    }
    std::wstring listing;
    for (size_t i = 0; i < lines.count(); ++i) listing += lines.text(i) + L"\n";
    FUZZ_CHECK(AdapterNames(listing).size() == enabled);
    return 0;
}
