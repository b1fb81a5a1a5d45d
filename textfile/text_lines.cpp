#include "text_lines.h"

#include "codepage936.h"

namespace {

// Where each line of a one-byte-unit file lies. Neither CR nor LF occurs inside a 936 double-byte
// character (trail bytes are 0x40 and up) nor inside a UTF-8 sequence, so the raw bytes can be
// split before decoding.
void SplitBytes(const std::string& bytes, size_t start, std::vector<TextLines::Span>& spans) {
    while (start < bytes.size()) {
        const size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            spans.push_back({start, bytes.size() - start});
            return;
        }
        const bool crLf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
        spans.push_back({start, end - start, bytes[end] == '\r' && !crLf});
        start = end + (crLf ? 2 : 1);
    }
}

// The same in two-byte units: CR and LF are whole units at even offsets from the start.
void SplitUnits(const std::string& bytes, size_t start, bool bigEndian, std::vector<TextLines::Span>& spans) {
    const auto is = [&](size_t at, char c) {
        return at + 1 < bytes.size() && bytes[at + (bigEndian ? 1 : 0)] == c && bytes[at + (bigEndian ? 0 : 1)] == '\0';
    };
    size_t line = start, at = start;
    for (; at + 1 < bytes.size(); at += 2) {
        if (!is(at, '\n') && !is(at, '\r')) continue;
        const bool crLf = is(at, '\r') && is(at + 2, '\n');
        spans.push_back({line, at - line, is(at, '\r') && !crLf});
        if (crLf) at += 2;
        line = at + 2;
    }
    if (line < bytes.size()) spans.push_back({line, bytes.size() - line});
}

}  // namespace

TextLines::TextLines(std::string bytes, Codepage936& codepage)
    : bytes_(std::move(bytes)), encoding_(EncodingOf(bytes_)), reading_(ReadingEncodingOf(bytes_)) {
    // The mark is no part of the first line's text, but stays in its raw bytes.
    const size_t mark = markLength();
    if (reading_ == TextEncoding::Utf16Le || reading_ == TextEncoding::Utf16Be)
        SplitUnits(bytes_, mark, reading_ == TextEncoding::Utf16Be, spans_);
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
        texts_.push_back(DecodeText(reading_, line, codepage));
    }
}

size_t TextLines::markLength() const { return MarkLength(reading_, bytes_); }
