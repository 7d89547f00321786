// The AMIBIOSC dword checksum (see ami_image.h).
#include "romwrite/ami_image.h"

bool ami_dword_sum(RomBytes image, std::uint64_t header, std::uint32_t& sum)
{
    std::uint64_t end = header + AMI_HEADER_SIZE;
    std::uint64_t length = std::uint64_t{rom_u16(image, header + AMI_SUM_LENGTH_AT)} * AMI_SUM_UNIT;
    if (end > image.size() || length > end)
        return false;
    sum = 0;
    for (std::uint64_t at = end - length; at < end; at += 4)
        sum += rom_u32(image, at);
    return true;
}

bool ami_dword_sum_holds(RomBytes image, std::uint64_t header)
{
    std::uint32_t sum = 0;
    return ami_dword_sum(image, header, sum) && sum == 0;
}
