#include "model/Text.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <stdexcept>

namespace licytek {
namespace {

bool IsUndefinedCp1250Byte(unsigned char byte) {
    return byte == 0x81 || byte == 0x83 || byte == 0x88 || byte == 0x90 || byte == 0x98;
}

// One iconv conversion descriptor for the life of the call.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("iconv cannot convert between UTF-8 and Windows-1250");
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much of [in, in + inLeft) as it can, appending to `out`. Returns 0 when all
    // was converted, otherwise the errno that stopped it (EILSEQ or EINVAL) with `in` and
    // `inLeft` at the offending input.
    int Convert(char*& in, std::size_t& inLeft, std::string& out) {
        std::array<char, 16384> buffer;
        while (inLeft > 0) {
            char* outPtr = buffer.data();
            std::size_t outLeft = buffer.size();
            const std::size_t result = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            // Taken before anything else can overwrite it.
            const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
            out.append(buffer.data(), buffer.size() - outLeft);
            if (error != 0 && error != E2BIG) {
                return error;
            }
        }
        return 0;
    }

  private:
    iconv_t cd_;
};

}  // namespace

std::optional<std::string> Utf8ToCp1250(std::string_view utf8, std::size_t* badOffset) {
    std::string out;
    out.reserve(utf8.size());
    Converter converter("CP1250", "UTF-8");
    std::string input(utf8);
    char* in = input.data();
    std::size_t inLeft = input.size();
    while (converter.Convert(in, inLeft, out) != 0) {
        const auto offset = static_cast<std::size_t>(in - input.data());
        // U+0081 and its four siblings stand for the code page's undefined bytes.
        const auto lead = static_cast<unsigned char>(in[0]);
        const auto next = static_cast<unsigned char>(inLeft > 1 ? in[1] : 0);
        if (lead == 0xC2 && IsUndefinedCp1250Byte(next)) {
            out.push_back(static_cast<char>(next));
            in += 2;
            inLeft -= 2;
            continue;
        }
        if (badOffset != nullptr) {
            *badOffset = offset;
        }
        return std::nullopt;
    }
    return out;
}

std::string Cp1250ToUtf8(std::string_view cp1250) {
    std::string out;
    out.reserve(cp1250.size() + cp1250.size() / 8);
    Converter converter("UTF-8", "CP1250");
    std::string input(cp1250);
    char* in = input.data();
    std::size_t inLeft = input.size();
    while (converter.Convert(in, inLeft, out) != 0) {
        // Only the undefined bytes stop iconv; each becomes the code point of its own value.
        const auto byte = static_cast<unsigned char>(in[0]);
        out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
        out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        ++in;
        --inLeft;
    }
    return out;
}

bool Cp1250CanHold(char32_t codePoint) {
    if (codePoint < 0x80) {
        return true;
    }
    std::string utf8;
    if (codePoint < 0x800) {
        utf8 = {static_cast<char>(0xC0 | (codePoint >> 6)),
                static_cast<char>(0x80 | (codePoint & 0x3F))};
    } else if (codePoint < 0x10000) {
        utf8 = {static_cast<char>(0xE0 | (codePoint >> 12)),
                static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)),
                static_cast<char>(0x80 | (codePoint & 0x3F))};
    } else {
        return false;  // nothing beyond the Basic Multilingual Plane is in the code page
    }
    return Utf8ToCp1250(utf8).has_value();
}

std::string ToCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out.push_back('\r');
        }
        out.push_back(text[i]);
    }
    return out;
}

std::string ToLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace licytek
