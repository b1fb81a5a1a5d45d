// iconv's "CP936" with neither //TRANSLIT nor //IGNORE: it stops at what it cannot convert.
#include <errno.h>
#include <iconv.h>

#include "codepage936.h"

struct Codepage936::Converter {
    iconv_t decode = iconv_open("WCHAR_T", "CP936");
    iconv_t encode = iconv_open("CP936", "WCHAR_T");
    ~Converter() {
        if (decode != reinterpret_cast<iconv_t>(-1)) iconv_close(decode);
        if (encode != reinterpret_cast<iconv_t>(-1)) iconv_close(encode);
    }
};

namespace {

// Runs cd over input into out; false on any invalid or incomplete input.
template <class In, class Out>
bool Convert(iconv_t cd, const In* input, size_t inputCount, Out& out) {
    out.clear();
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (inputCount == 0) return true;

    auto* in = const_cast<char*>(reinterpret_cast<const char*>(input));
    size_t inLeft = inputCount * sizeof(In);
    std::string buffer(inLeft * 4 + 16, '\0');
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
    const size_t produced = buffer.size() - outLeft;
    using Unit = typename Out::value_type;
    out.assign(reinterpret_cast<const Unit*>(buffer.data()), produced / sizeof(Unit));
    return true;
}

}  // namespace

Codepage936::Codepage936() : converter_(std::make_unique<Converter>()) {}
Codepage936::~Codepage936() = default;

bool Codepage936::PlatformDecode(std::string_view bytes, std::wstring& out) {
    return Convert(converter_->decode, bytes.data(), bytes.size(), out);
}

bool Codepage936::PlatformEncode(std::wstring_view text, std::string& out) {
    return Convert(converter_->encode, text.data(), text.size(), out);
}
