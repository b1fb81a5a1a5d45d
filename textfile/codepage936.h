// Code page 936 (GBK) text, converted by the platform's own converter: the Win32 API on
// Windows, iconv elsewhere. Both sides agree: the Private Use Area counts as not representable.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct EncodedText {
    std::string bytes;
    std::optional<char32_t> unrepresentable;  // the first character 936 has no bytes for
};

class Codepage936 {
public:
    Codepage936();
    ~Codepage936();
    Codepage936(const Codepage936&) = delete;
    Codepage936& operator=(const Codepage936&) = delete;

    // Never fails and loses nothing: each byte that is not part of a valid 936 character becomes
    // U+DC80..U+DCFF after its value, so different bytes never decode to the same text.
    [[nodiscard]] std::wstring Decode(std::string_view bytes);
    // Fails (unrepresentable set, bytes empty) for the first character 936 cannot represent,
    // the stand-ins for undecodable bytes included.
    [[nodiscard]] EncodedText Encode(std::wstring_view text);

private:
    // Strict whole-string conversions of the platform; false on any invalid input.
    bool PlatformDecode(std::string_view bytes, std::wstring& out);
    bool PlatformEncode(std::wstring_view text, std::string& out);

    struct Converter;
    std::unique_ptr<Converter> converter_;
};

// "U+00A5 ¥": how a message names a character.
std::wstring DescribeCharacter(char32_t c);
