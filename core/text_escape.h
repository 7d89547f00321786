// Text from files (names, member names, messages that quote them) made safe for a
// terminal and for line-based readers: every byte below 0x20, 0x7F and every byte that is
// not part of valid UTF-8 becomes \xNN (two lower-case hex digits), so a name can neither
// move the cursor, clear the screen nor start a line of its own. Valid UTF-8 is kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Length of the valid UTF-8 sequence at text[i], or 0 when the byte there does not start
// one (overlong forms, surrogates and code points past U+10FFFF are not valid).
std::size_t utf8_sequence(std::string_view text, std::size_t i);

// text with the bytes above, and any byte of alsoEscaped, written as \xNN.
std::string escaped_text(std::string_view text, std::string_view alsoEscaped = {});

// escaped_text for a message that ends its line: a final line end is kept as it is, any
// other one is escaped.
std::string escaped_line(std::string_view text);
