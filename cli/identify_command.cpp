// zarpo2-cli identify: detection alone, one record a file, as text or as JSON.
#include <cstdio>

#include "cli/cli_run.h"
#include "cli/commands.h"
#include "pipeline/format_registry.h"
#include "pipeline/load_pipeline.h"

namespace {

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

constexpr const char* REPLACEMENT_CHARACTER = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// A JSON string of text: valid UTF-8 as it is, each other byte as U+FFFD (then
// replaced is set), quotes, backslashes and control characters escaped.
std::string json_string(const std::string& text, bool* replaced = nullptr)
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

std::string hex_bytes(const std::string& text)
{
    static constexpr char DIGITS[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        out += DIGITS[c >> 4];
        out += DIGITS[c & 0x0F];
    }
    return out;
}

std::string json_record(const std::string& file, const LogoDescriptor& d)
{
    bool replaced = false;
    std::string name = json_string(file, &replaced);
    std::string record = "{\"file\": " + name;
    if (replaced)
        record += ", \"fileHex\": \"" + hex_bytes(file) + "\"";
    char fields[256];
    std::snprintf(fields, sizeof fields,
                  ", \"formatId\": %u, \"formatName\": %s, \"width\": %u, \"height\": %u, \"dataSize\": %u, "
                  "\"frameCount\": %u, \"colorCount\": %u}",
                  d.formatId, json_string(d.formatName ? d.formatName : "").c_str(), d.width, d.height, d.dataSize,
                  d.frameCount, d.colorCount);
    return record + fields;
}

std::string text_record(const std::string& file, const LogoDescriptor& d)
{
    char fields[256];
    std::snprintf(fields, sizeof fields, ": [%2.2u] %s, %ux%u, %u bytes, %u frame(s), %u colours", d.formatId,
                  d.formatName ? d.formatName : "", d.width, d.height, d.dataSize, d.frameCount, d.colorCount);
    return file + fields;
}

}  // namespace

int run_identify(const std::vector<std::string>& args)
{
    Arguments parsed = parse_arguments(args, {{"--json", false}, {"--verbose", false}});
    if (!parsed.error.empty())
        return usage_error(parsed.error);
    if (parsed.files.empty())
        return usage_error("identify needs at least one FILE");
    const bool json = parsed.has("--json"), verbose = parsed.has("--verbose");
    CliSink sink;
    int status = EXIT_OK;
    for (const std::string& file : parsed.files) {
        sink.input = file;
        LogoDescriptor d;
        std::string problem;
        if (!identify_logo(file, d, sink, verbose, &problem)) {
            report(file, open_problem_text(problem));
            status = EXIT_FILE_FAILED;
            continue;
        }
        if (d.formatId == FORMAT_UNKNOWN)
            status = EXIT_FILE_FAILED;
        if (!put_record(json ? json_record(file, d) : text_record(file, d)))
            return EXIT_FILE_FAILED;
    }
    return status;
}
