#include "text_lines.h"

#include <cstring>

#include "codepage936.h"

namespace {

// Where each line of a one-byte-unit file lies. LF never occurs inside a 936 double-byte character
// (trail bytes are 0x40 and up) nor inside a UTF-8 sequence, so the raw bytes can be split before
// decoding.
void SplitBytes(const std::string& bytes, size_t start, std::vector<TextLines::Span>& spans) {
    const char* data = bytes.data();
    const size_t size = bytes.size();
    while (start < size) {
        const void* found = std::memchr(data + start, '\n', size - start);
        const size_t end = found ? static_cast<size_t>(static_cast<const char*>(found) - data) : size;
        size_t length = end - start;
        if (found && length > 0 && data[end - 1] == '\r') --length;
        spans.push_back({start, length});
        start = found ? end + 1 : size;
    }
}

// The same in two-byte units: LF and CR are whole units at even offsets from the start.
void SplitUnits(const std::string& bytes, size_t start, bool bigEndian, std::vector<TextLines::Span>& spans) {
    const auto is = [&](size_t at, char c) {
        return bytes[at + (bigEndian ? 1 : 0)] == c && bytes[at + (bigEndian ? 0 : 1)] == '\0';
    };
    size_t line = start, at = start;
    for (; at + 1 < bytes.size(); at += 2) {
        if (!is(at, '\n')) continue;
        const size_t length = at - line >= 2 && is(at - 2, '\r') ? at - 2 - line : at - line;
        spans.push_back({line, length});
        line = at + 2;
    }
    if (line < bytes.size()) spans.push_back({line, bytes.size() - line});
}

}  // namespace

TextLines::TextLines(std::string bytes, Codepage936& codepage)
    : bytes_(std::move(bytes)), encoding_(EncodingOf(bytes_)) {
    // The mark is no part of the first line's text, but stays in its raw bytes.
    const size_t mark = MarkLength(encoding_, bytes_);
    if (encoding_ == TextEncoding::Utf16Le || encoding_ == TextEncoding::Utf16Be)
        SplitUnits(bytes_, mark, encoding_ == TextEncoding::Utf16Be, spans_);
    else
        SplitBytes(bytes_, mark, spans_);
    if (mark && !spans_.empty()) {
        spans_[0].offset = 0;
        spans_[0].length += mark;
    }
    texts_.reserve(spans_.size());
    for (size_t i = 0; i < spans_.size(); ++i) {
        std::string_view line = raw(i);
        if (i == 0) line.remove_prefix(mark);
        texts_.push_back(DecodeText(encoding_, line, codepage));
    }
}

size_t TextLines::markLength() const { return MarkLength(encoding_, bytes_); }
