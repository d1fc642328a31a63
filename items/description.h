// The fixed-size record of an item description file (*.MCR): item name,
// target application, version and the button picture. The bytes come from
// files anyone can write, so every field is read within the bytes there
// are. No platform headers: the fuzzer builds this natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace items {

constexpr size_t kDescriptionSize = 9167;
constexpr size_t kNameOffset = 20, kNameSize = 64;
constexpr size_t kAppOffset = 84, kAppSize = 64;
constexpr size_t kTargetOffset = 148, kTargetSize = 16;
constexpr size_t kVersionOffset = 164;
constexpr size_t kDibOffset = 184;

struct ItemDescription {
    std::string name, application, target;
    uint32_t version = 0;
    bool complete = false;  // all 9167 bytes were read
};
ItemDescription ParseItemDescription(const uint8_t* data, size_t size);

// Text of a fixed-width field up to its first zero byte, cut at the field's
// width and at the end of the data.
std::string DescriptionField(const uint8_t* data, size_t size, size_t offset, size_t width);

// The button picture: a packed DIB of 2 x 2 cells of 59 x 33 pixels at
// offset 184. The record is one byte short of a full 118 x 66 8-bit DIB
// (its last byte is row padding), so a zero byte is added. Empty when the
// bytes hold no sound DIB of that size.
std::vector<uint8_t> ButtonPicture(const uint8_t* data, size_t size);

}  // namespace items
