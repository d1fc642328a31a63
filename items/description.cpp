#include "items/description.h"

#include <cstring>

#include "widgets/dib.h"

namespace items {

std::string DescriptionField(const uint8_t* data, size_t size, size_t offset, size_t width) {
    if (!data || offset >= size) return std::string();
    size_t avail = size - offset < width ? size - offset : width;
    const char* p = reinterpret_cast<const char*>(data + offset);
    size_t n = 0;
    while (n < avail && p[n]) ++n;
    return std::string(p, n);
}

ItemDescription ParseItemDescription(const uint8_t* data, size_t size) {
    ItemDescription d;
    d.name = DescriptionField(data, size, kNameOffset, kNameSize);
    d.application = DescriptionField(data, size, kAppOffset, kAppSize);
    d.target = DescriptionField(data, size, kTargetOffset, kTargetSize);
    if (data && size >= kVersionOffset + 4) std::memcpy(&d.version, data + kVersionOffset, 4);
    d.complete = size >= kDescriptionSize;
    return d;
}

std::vector<uint8_t> ButtonPicture(const uint8_t* data, size_t size) {
    if (!data || size <= kDibOffset) return {};
    // Never more than the record holds, whatever follows it in the file.
    size_t end = size < kDescriptionSize ? size : kDescriptionSize;
    std::vector<uint8_t> picture(data + kDibOffset, data + end);
    picture.push_back(0);
    dib::Layout layout;
    if (!dib::Parse(picture.data(), picture.size(), &layout) || layout.width != 118 ||
        (layout.height != 66 && layout.height != -66))
        return {};
    return picture;
}

}  // namespace items
