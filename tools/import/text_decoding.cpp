#include "import/text_decoding.h"

#include "builder/utf8_text.h"

#include <cerrno>
#include <iconv.h>

namespace vesk::import {
namespace {

class Iconv {
public:
    explicit Iconv(const std::string& from) : m_handle(::iconv_open("UTF-8", from.c_str())) {}
    ~Iconv()
    {
        if (ok())
            ::iconv_close(m_handle);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_handle; }

private:
    iconv_t m_handle;
};

bool Convert(std::string_view bytes, std::size_t skipped, const std::string& from, std::string& utf8,
             std::string& problem)
{
    Iconv converter(from);
    if (!converter.ok()) {
        problem = "unknown encoding \"" + from + "\"";
        return false;
    }
    utf8.clear();
    utf8.reserve(bytes.size() * 3 / 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[65536];
    while (true) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = ::iconv(converter.get(), inLeft ? &in : nullptr, &inLeft, &out, &outLeft);
        utf8.append(buffer, static_cast<std::size_t>(out - buffer));
        if (result != static_cast<std::size_t>(-1)) {
            if (inLeft == 0)
                break;
            continue;
        }
        if (errno == E2BIG)
            continue;
        const std::size_t offset = skipped + static_cast<std::size_t>(in - bytes.data());
        problem = "byte offset " + std::to_string(offset) +
                  (errno == EINVAL ? ": the text ends inside a character of " + from
                                   : ": not a valid character of " + from);
        return false;
    }
    return true;
}

} // namespace

std::size_t FirstInvalidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t at = i;
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        if (build::DecodeUtf8(text, i) == build::kInvalidUtf8)
            return at;
    }
    return std::string_view::npos;
}

bool IsKnownEncoding(const std::string& encoding)
{
    return Iconv(encoding).ok();
}

bool DecodeText(std::string_view bytes, const std::string& encoding, std::string& utf8,
                std::string& problem)
{
    if (bytes.starts_with("\xEF\xBB\xBF") || (encoding.empty() && !bytes.starts_with("\xFF\xFE") &&
                                              !bytes.starts_with("\xFE\xFF"))) {
        const std::size_t bom = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
        const std::string_view text = bytes.substr(bom);
        if (const std::size_t bad = FirstInvalidUtf8(text); bad != std::string_view::npos) {
            problem = "byte offset " + std::to_string(bom + bad) +
                      ": not valid UTF-8 (give --encoding for another encoding)";
            return false;
        }
        utf8.assign(text);
        return true;
    }
    if (bytes.starts_with("\xFF\xFE"))
        return Convert(bytes.substr(2), 2, "UTF-16LE", utf8, problem);
    if (bytes.starts_with("\xFE\xFF"))
        return Convert(bytes.substr(2), 2, "UTF-16BE", utf8, problem);
    return Convert(bytes, 0, encoding, utf8, problem);
}

} // namespace vesk::import
