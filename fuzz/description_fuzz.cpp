// Fuzz target: an item description file as it comes from disk, through the
// record fields, the button picture and the DIB checks the widgets rely on.
// Every byte the checks promise is readable is read, so the sanitizers see
// any promise the checks cannot keep.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "items/description.h"
#include "widgets/dib.h"

namespace {

volatile uint8_t g_sink;

// What the bitmap loader reads once a DIB has passed: the header, the colour
// table and every row of pixel bits.
void ReadLikeTheLoader(const uint8_t* data, size_t size) {
    dib::Layout l;
    if (!dib::Parse(data, size, &l)) return;
    uint8_t sum = 0;
    for (size_t i = 0; i < l.headerSize; ++i) sum ^= data[i];
    for (size_t i = 0; i < size_t(l.colours) * 4; ++i) sum ^= data[l.headerSize + i];
    for (size_t i = 0; i < l.bitsSize; ++i) sum ^= data[l.bitsOffset + i];
    g_sink = sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Copies, so reads past the input's own length are caught exactly.
    std::vector<uint8_t> bytes(data, data + size);
    items::ItemDescription d = items::ParseItemDescription(bytes.data(), bytes.size());
    g_sink = uint8_t(d.name.size() + d.application.size() + d.target.size() + d.version);
    std::vector<uint8_t> picture = items::ButtonPicture(bytes.data(), bytes.size());
    if (!picture.empty()) ReadLikeTheLoader(picture.data(), picture.size());
    // The same bytes as a bare DIB, as a bitmap resource would be.
    ReadLikeTheLoader(bytes.data(), bytes.size());
    if (size > items::kDibOffset) ReadLikeTheLoader(bytes.data() + items::kDibOffset, size - items::kDibOffset);
    return 0;
}
