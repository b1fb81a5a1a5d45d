// The lines of a text file, each kept as its raw bytes next to its decoded text, so a rewrite
// can give back every line it did not change byte for byte. Decoded in code page 936, or as UTF-8
// when the file starts with UTF-8's byte order mark (which stays in the first line's bytes).
// Lines end at LF with one CR before it dropped; a lone CR stays in the line; a last line
// without a line end is still a line; an empty file has no lines.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "utf8.h"

class TextLines {
public:
    TextLines() = default;
    TextLines(std::string bytes, Codepage936& codepage);

    [[nodiscard]] const std::string& bytes() const { return bytes_; }  // the whole file as read
    [[nodiscard]] size_t size() const { return spans_.size(); }
    [[nodiscard]] bool empty() const { return spans_.empty(); }
    [[nodiscard]] TextEncoding encoding() const { return encoding_; }  // for what is written into it
    [[nodiscard]] const std::wstring& text(size_t i) const { return texts_[i]; }
    [[nodiscard]] std::string_view raw(size_t i) const {
        return std::string_view(bytes_).substr(spans_[i].offset, spans_[i].length);
    }

private:
    struct Span {
        size_t offset;
        size_t length;
    };
    std::string bytes_;
    std::vector<Span> spans_;
    std::vector<std::wstring> texts_;
    TextEncoding encoding_ = TextEncoding::Codepage936;
};

inline constexpr std::string_view kLineEnd = "\r\n";
