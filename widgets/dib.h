// Reading a packed DIB (header, colour table, pixel bits) from bytes that
// may come from a file anyone can write. Plain C++ with no platform
// headers, so the same code runs natively under the fuzzer.
#pragma once
#include <cstddef>
#include <cstdint>

namespace dib {

constexpr size_t kInfoHeaderSize = 40;
constexpr int32_t kMaxSide = 16384;  // far beyond any button picture

struct Layout {
    int32_t width = 0;
    int32_t height = 0;  // as stored: negative for top-down rows
    uint16_t bitCount = 0;
    uint32_t colours = 0;      // colour table entries
    size_t headerSize = 0;     // bytes before the colour table
    size_t bitsOffset = 0;     // from the start of the DIB
    size_t bitsSize = 0;       // rows padded to four bytes
};

// Colour table entries: the low 16 bits of the used-colour count when set,
// else the full table of a 1, 4 or 8-bit DIB, else none.
uint32_t ColourCount(uint16_t bitCount, uint32_t clrUsed);

// False unless the header is a plain uncompressed one of sane size and the
// colour table and every row of pixel bits lie inside the size bytes.
bool Parse(const uint8_t* data, size_t size, Layout* layout);

}  // namespace dib
