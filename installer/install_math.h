// Byte counts and file attributes of the installer. Portable: no Windows
// headers, so native tests call it directly.
#pragma once

#include <cstdint>

// The size shown to the player, in tenths of 972,800 bytes (97,280 bytes a
// tenth), cut, never rounded.
inline uint32_t SizeTenths(uint32_t bytes) { return bytes / 97280u; }

// Whether a drive's free space, the product of its three figures, holds
// `needed` bytes; computed so that no figures can overflow it.
bool HasFreeSpace(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters, uint32_t needed);

// Whether the copy takes a directory entry with these attributes: none but
// read-only (0x01), archive (0x20) and normal (0x80). Directories, hidden and
// system files and everything else stay behind.
inline bool PassesCopyFilter(uint32_t attributes) { return (attributes & ~uint32_t(0xA1)) == 0; }

// The green part of a progress bar whose inside is `inner` pixels wide, after
// `copied` of `total` bytes: in steps of 65,536 bytes once the total reaches
// that. Never wider than the inside, never a division by zero: with nothing
// to count, anything copied fills the bar.
uint32_t ProgressWidth(int32_t inner, uint32_t copied, uint32_t total);
