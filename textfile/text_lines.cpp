#include "text_lines.h"

#include <cstring>

#include "codepage936.h"
#include "utf8.h"

TextLines::TextLines(std::string bytes, Codepage936& codepage) : bytes_(std::move(bytes)) {
    // LF never occurs inside a 936 double-byte character (trail bytes are 0x40 and up), so the
    // raw bytes can be split before decoding.
    const char* data = bytes_.data();
    const size_t size = bytes_.size();
    size_t start = 0;
    while (start < size) {
        const void* found = std::memchr(data + start, '\n', size - start);
        const size_t end = found ? static_cast<size_t>(static_cast<const char*>(found) - data) : size;
        size_t length = end - start;
        if (found && length > 0 && data[end - 1] == '\r') --length;
        spans_.push_back({start, length});
        start = found ? end + 1 : size;
    }
    texts_.reserve(spans_.size());
    encoding_ = EncodingOf(bytes_);
    for (size_t i = 0; i < spans_.size(); ++i) {
        std::string_view line = raw(i);
        if (encoding_ == TextEncoding::Codepage936) {
            texts_.push_back(codepage.Decode(line));
            continue;
        }
        if (i == 0) line.remove_prefix(kUtf8Mark.size());  // the mark is no part of the first line's text
        texts_.push_back(DecodeUtf8(line));
    }
}
