// The lines of a text file, each kept as its raw bytes next to its decoded text, so a rewrite
// can give back every line it did not change byte for byte. Decoded in the file's encoding (see
// ReadingEncodingOf); a byte order mark stays in the first line's bytes, out of its text. CR LF, LF
// and a lone CR (old Mac files, which Notepad keeps) each end a line; a last line without a line
// end is still a line; an empty file (or one of a mark alone) has no lines.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text_encoding.h"

class TextLines {
public:
    TextLines() = default;
    TextLines(std::string bytes, Codepage936& codepage);

    [[nodiscard]] const std::string& bytes() const { return bytes_; }  // the whole file as read
    [[nodiscard]] size_t count() const { return spans_.size(); }       // lines
    [[nodiscard]] bool empty() const { return spans_.empty(); }
    [[nodiscard]] TextEncoding encoding() const { return encoding_; }  // for what is written into it
    [[nodiscard]] size_t markLength() const;                           // the first line's bytes begin with it
    [[nodiscard]] std::string_view lineEnd() const { return LineEndOf(encoding_); }
    [[nodiscard]] const std::wstring& text(size_t i) const { return texts_[i]; }
    [[nodiscard]] std::string_view raw(size_t i) const {
        return std::string_view(bytes_).substr(spans_[i].offset, spans_[i].length);
    }
    // Whether line i ended at a lone CR, which a rewrite gives back as it was.
    [[nodiscard]] bool endsAtLoneCr(size_t i) const { return spans_[i].loneCr; }

    struct Span {
        size_t offset;
        size_t length;
        bool loneCr = false;
    };

private:
    std::string bytes_;
    std::vector<Span> spans_;
    TextEncoding encoding_ = TextEncoding::Codepage936;
    TextEncoding reading_ = TextEncoding::Codepage936;
    std::vector<std::wstring> texts_;
};
