// libFuzzer's entry point for every target.
#include "fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_summary(data, size);
    return 0;
}
