// The Windows version test of start-up. Portable, for native tests.
#pragma once

#include <cstdint>

// GetVersion's value: major version in the low byte, minor in the next.
// Windows 3.51 (0x333) and later are supported.
inline bool IsWindowsVersionSupported(uint32_t version)
{
    const uint32_t major = version & 0xFF;
    const uint32_t minor = (version >> 8) & 0xFF;
    return major * 256 + minor >= 0x333;
}
