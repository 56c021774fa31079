// A minimal PNG writer: 8-bit grey pictures, stored without compression,
// which every viewer reads and which needs no library.
#pragma once

#include <cstdint>
#include <span>

#include "framework/core/Text.h"

// Writes the picture (rows top to bottom, one byte per pixel, 0 black) as a
// PNG file; failures throw CException.
void WriteGreyPng(const CText& path, int width, int height, std::span<const uint8_t> pixels);
