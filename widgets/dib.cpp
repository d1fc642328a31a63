#include "widgets/dib.h"

namespace dib {
namespace {

uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

}  // namespace

uint32_t ColourCount(uint16_t bitCount, uint32_t clrUsed) {
    uint32_t used = clrUsed & 0xFFFF;
    if (used) return used;
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

bool Parse(const uint8_t* data, size_t size, Layout* layout) {
    if (!data || size < kInfoHeaderSize) return false;
    // Only the plain header and its later versions, which keep its fields.
    uint32_t headerSize = Get32(data);
    if (headerSize < kInfoHeaderSize || headerSize > 124 || headerSize > size) return false;
    int32_t width = int32_t(Get32(data + 4));
    int32_t height = int32_t(Get32(data + 8));
    uint16_t planes = Get16(data + 12);
    uint16_t bitCount = Get16(data + 14);
    uint32_t compression = Get32(data + 16);
    if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide) return false;
    if (planes != 1 || compression != 0) return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    uint32_t colours = ColourCount(bitCount, Get32(data + 32));
    if (colours > 256) return false;
    uint64_t stride = (uint64_t(width) * bitCount + 31) / 32 * 4;
    uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
    uint64_t bitsOffset = uint64_t(headerSize) + uint64_t(colours) * 4;
    uint64_t bitsSize = stride * rows;
    if (bitsOffset > size || bitsSize > size - bitsOffset) return false;
    layout->width = width;
    layout->height = height;
    layout->bitCount = bitCount;
    layout->colours = colours;
    layout->headerSize = headerSize;
    layout->bitsOffset = size_t(bitsOffset);
    layout->bitsSize = size_t(bitsSize);
    return true;
}

}  // namespace dib
