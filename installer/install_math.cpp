#include "install_math.h"

bool HasFreeSpace(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters, uint32_t needed)
{
    if (needed == 0)
        return true;
    const uint64_t clusterBytes = uint64_t(sectorsPerCluster) * bytesPerSector;
    if (clusterBytes == 0 || freeClusters == 0)
        return false;
    // clusterBytes x freeClusters >= needed, without forming the product.
    return clusterBytes >= (uint64_t(needed) + freeClusters - 1) / freeClusters;
}

uint32_t ProgressWidth(int32_t inner, uint32_t copied, uint32_t total)
{
    if (inner <= 0)
        return 0;
    uint64_t width;
    if (total == 0)
        width = copied > 0 ? uint32_t(inner) : 0;
    else if (total < 0x10000)
        width = uint64_t(inner) * copied / total;
    else
        width = uint64_t(inner) * (copied >> 16) / (total >> 16);
    // A source that grew after it was measured copies more than its total.
    return width < uint32_t(inner) ? uint32_t(width) : uint32_t(inner);
}
