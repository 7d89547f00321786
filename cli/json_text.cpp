#include "cli/json_text.h"

#include <cstdio>

#include "core/text_escape.h"

namespace {

constexpr const char* REPLACEMENT_CHARACTER = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
constexpr const char* HEX_SUFFIX = "Hex";

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
