#include "cli/json_text.h"

#include <cstdio>

namespace {

constexpr const char* REPLACEMENT_CHARACTER = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
constexpr const char* HEX_SUFFIX = "Hex";

// Length of the valid UTF-8 sequence at text[i], or 0 when the byte there does not start
// one (overlong forms, surrogates and code points past U+10FFFF are not valid).
std::size_t utf8_sequence(const std::string& text, std::size_t i)
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

std::string hex_bytes(const std::string& text)
{
    static constexpr char DIGITS[] = "0123456789abcdef";
    std::string out = "\"";
    for (unsigned char c : text) {
        out += DIGITS[c >> 4];
        out += DIGITS[c & 0x0F];
    }
    return out + "\"";
}

}  // namespace

std::string json_string(const std::string& text, bool* replaced)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = utf8_sequence(text, i);
        if (n == 0) {
            out += REPLACEMENT_CHARACTER;
            if (replaced)
                *replaced = true;
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out.append(text, i, n);
        }
        i += n;
    }
    return out + "\"";
}

std::string json_member(const std::string& key, const std::string& value)
{
    bool replaced = false;
    std::string member = "\"" + key + "\": " + json_string(value, &replaced);
    if (replaced)
        member += ", \"" + key + HEX_SUFFIX + "\": " + hex_bytes(value);
    return member;
}

std::string json_member(const std::string& key, const std::vector<std::string>& values)
{
    bool replaced = false;
    std::string list, hexList;
    for (const std::string& value : values) {
        const char* separator = list.empty() ? "" : ", ";
        list += separator + json_string(value, &replaced);
        hexList += separator + hex_bytes(value);
    }
    std::string member = "\"" + key + "\": [" + list + "]";
    if (replaced)
        member += ", \"" + key + HEX_SUFFIX + "\": [" + hexList + "]";
    return member;
}
