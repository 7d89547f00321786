// The JSON of the records the commands print (identify --json, scan --json).
//
// Every string is valid UTF-8 whatever bytes it comes from (file names, the names stored
// in ROM images): valid UTF-8 is kept, each byte that is not part of it is written as
// U+FFFD, quotes, backslashes and control characters are escaped. A member whose value
// lost a byte that way is followed by its twin, the member's name with "Hex" appended,
// holding the exact bytes as two lower-case hex digits a byte ("fileHex", "nameHex"; for
// a list, a list of the same length). Members whose bytes are all valid UTF-8 have none.
#pragma once

#include <string>
#include <vector>

// The JSON string of text; replaced, when given, is set when a byte became U+FFFD.
std::string json_string(const std::string& text, bool* replaced = nullptr);

// "key": "value", and its "keyHex" twin when the value is not valid UTF-8.
std::string json_member(const std::string& key, const std::string& value);

// "key": ["value", ...], and its "keyHex" twin when any value is not valid UTF-8.
std::string json_member(const std::string& key, const std::vector<std::string>& values);
