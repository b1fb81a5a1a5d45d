// Line splitting and 936 decoding of any bytes: the raw lines, joined with the line ends they
// lost, give the input back, and no decoded text holds a line end.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "textfile/codepage936.h"
#include "textfile/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Codepage936 codepage;
    const TextLines lines(bytes, codepage);
    std::string joined;
    for (size_t i = 0; i < lines.count(); ++i) {
        FUZZ_CHECK(lines.raw(i).find_first_of("\r\n") == std::string_view::npos);
        FUZZ_CHECK(lines.text(i).find_first_of(L"\r\n") == std::wstring::npos);
        FUZZ_CHECK(lines.raw(i).empty() == lines.text(i).empty());
        joined += lines.raw(i);
        // The line ended at CR LF, LF or a lone CR (as it says), unless it is the unended last one.
        const size_t at = joined.size();
        if (lines.endsAtLoneCr(i))
            joined += '\r';
        else if (at < bytes.size() && bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n')
            joined += "\r\n";
        else if (at < bytes.size())
            joined += '\n';
    }
    FUZZ_CHECK(joined == bytes);
    return 0;
}
