// Converting a picture into a firmware logo file: what `zarpo2-cli convert` and the
// viewer's Export As share. The picture is the loaded logo (or a frame of it) or a file
// (read_picture_file, through which replace and the viewer's Replace window read theirs
// too); the file is encoded (encode/), read back through detection and the decoders to
// check that it shows the encoded picture, then written through a temporary file renamed
// into place, never over the input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/load_context.h"
#include "encode/encode_logo.h"
#include "pipeline/front_end.h"
#include "pipeline/ui_strings.h"

// True when the file starts with the PNG signature.
bool is_png_file(const std::string& path);

// Reads a PNG picture (any colour type, as 8-bit RGB: 16-bit samples keep their high byte,
// transparency is dropped); false, with why, for a damaged or truncated file or one larger
// than a load accepts (checked before its pixels are read).
bool read_png_picture(const std::string& path, SourcePicture& out, std::string& why);

// The loaded logo as a picture to encode: its own palette and indices where its decoder
// keeps the palette, its cells' colours for a character-cell logo; `frame` picks a frame
// of a multi-frame logo. false, with why, when there is no such picture.
bool loaded_picture(unsigned frame, SourcePicture& out, std::string& why);

// The 70-byte Award mark that ends the loaded logo's file when that is an EPA (the mark
// alone, when the file is only the mark); empty otherwise.
std::vector<std::uint8_t> loaded_epa_mark();

// Reads the picture to encode from the file at path, as convert, replace and the viewer's
// Replace window take one: a PNG picture, or frame `frame` of any logo zarpo2 loads (the
// JPEG and BMP pictures among them), decoded on its own, apart from the viewer's loaded
// logo; epaMark gets the 70-byte mark of an EPA logo. load carries the messages (its input
// is replaced); frontEnd and strings serve the decoders as in decode_logo. false, with why:
// the file cannot be opened (NOT_A_REGULAR_FILE, or "cannot open: " and the system's
// reason), is of no known format (strings' unknownType), or holds no such picture.
bool read_picture_file(const std::string& path, unsigned frame, LoadContext& load, FrontEnd& frontEnd,
                       const UiStrings& strings, SourcePicture& out, std::vector<std::uint8_t>& epaMark,
                       std::string& why);

// Encodes the picture as options ask and checks the result by decoding it as a file
// would be loaded; the refusal (or the mismatch) is in the result's refusal.
EncodedLogo encode_checked(const SourcePicture& source, const EncodeOptions& options);

// Writes bytes to path through a temporary file renamed into place; never over input (the
// same file however reached: links followed, two names of one inode). false, with why.
bool write_logo_file(const std::string& path, const std::string& input, const std::vector<std::uint8_t>& bytes,
                     std::string& why);

// The name Export As proposes for the loaded file and target: the input's path up to its
// last dot, then the target's extension ("logo.bin" and PG: "logo.pg"); when that is the
// input itself, "-TARGET" goes before the extension.
std::string export_file_name(const std::string& input, const TargetInfo& target);
