// Fuzz target of the EFI and Tiano decompressor. An input is a 5-byte control block and a
// framed stream (compressed size, original size, lh5 blocks):
//   bytes 0-3  the output cap (little-endian), held to 1 MiB so runs stay short;
//   byte 4     bit 0: Tiano instead of EFI.
#include "codec/efi_decompress.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/output_sink.h"

namespace {

constexpr std::uint32_t MAX_OUTPUT = 1u << 20;

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    CodecControl control;
    if (!read_codec_control(data, size, MAX_OUTPUT, control))
        return "short";
    EfiCompression kind = control.flags & 1 ? EfiCompression::tiano : EfiCompression::efi;
    Unpacked out = efi_decompress(control.stream, kind, control.size);
    // Never past the cap nor the declared size.
    FUZZ_CHECK(out.bytes.size() <= control.size);
    FUZZ_CHECK(out.bytes.size() <= efi_original_size(control.stream));
    return output_summary(out.bytes) + (out.complete() ? " complete" : " " + out.problem);
}
