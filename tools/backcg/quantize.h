// Colour reduction for true-colour PNGs.
#pragma once

#include <vector>

#include "png_io.h"

// Reduces `colours` to at most 256 palette entries: exactly, when the picture
// has no more colours than that, else by median cut with every pixel mapped
// to its nearest entry. Deterministic.
void Quantize(const std::vector<Rgb>& colours, std::vector<Rgb>* palette, std::vector<uint8_t>* indices);
