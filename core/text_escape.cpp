#include "core/text_escape.h"

namespace {

constexpr unsigned char FIRST_PRINTABLE = 0x20;
constexpr unsigned char DELETE = 0x7F;

void append_escape(std::string& out, unsigned char c)
{
    static constexpr char DIGITS[] = "0123456789abcdef";
    out += "\\x";
    out += DIGITS[c >> 4];
    out += DIGITS[c & 0x0F];
}

}  // namespace

std::size_t utf8_sequence(std::string_view text, std::size_t i)
{
    auto byte = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
    auto within = [](unsigned v, unsigned low, unsigned high) { return v >= low && v <= high; };
    const unsigned b0 = byte(i), b1 = byte(i + 1), b2 = byte(i + 2), b3 = byte(i + 3);
    if (b0 < 0x80)
        return 1;
    if (within(b0, 0xC2, 0xDF))
        return within(b1, 0x80, 0xBF) ? 2 : 0;
    if (within(b0, 0xE0, 0xEF)) {
        unsigned low = b0 == 0xE0 ? 0xA0 : 0x80, high = b0 == 0xED ? 0x9F : 0xBF;
        return within(b1, low, high) && within(b2, 0x80, 0xBF) ? 3 : 0;
    }
    if (within(b0, 0xF0, 0xF4)) {
        unsigned low = b0 == 0xF0 ? 0x90 : 0x80, high = b0 == 0xF4 ? 0x8F : 0xBF;
        return within(b1, low, high) && within(b2, 0x80, 0xBF) && within(b3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

std::string escaped_text(std::string_view text, std::string_view alsoEscaped)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = utf8_sequence(text, i);
        const auto c = static_cast<unsigned char>(text[i]);
        if (n == 0 || c < FIRST_PRINTABLE || c == DELETE ||
            (n == 1 && alsoEscaped.find(static_cast<char>(c)) != std::string_view::npos)) {
            append_escape(out, c);
            ++i;
            continue;
        }
        out.append(text, i, n);
        i += n;
    }
    return out;
}

std::string escaped_line(std::string_view text)
{
    if (!text.empty() && text.back() == '\n')
        return escaped_text(text.substr(0, text.size() - 1)) + "\n";
    return escaped_text(text);
}
