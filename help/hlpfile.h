// The compiled help file: topics with keywords and a body of runs, written by
// tools/mkhelp from a marked-up text and read by the viewer. Texts are code
// page 932 bytes. Plain C++ so the build tool and host tests share the reader.
//
// Layout (little-endian):
//   "ZBHLP\x1A\x01\0", u32 topic count, then per topic:
//   u16 title length, title; u16 keyword count, per keyword u16 length, bytes;
//   u32 body length, body = runs of (u8 kind, u16 target, u16 length, bytes).
// Topic 0 is the contents page.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hlp {

const char kMagic[8] = {'Z', 'B', 'H', 'L', 'P', 0x1A, 0x01, 0x00};
// Caps that keep a hostile file from asking for huge allocations or from
// filling the viewer's index for minutes (a Windows 95 list box holds at
// most 32767 entries anyway).
const uint32_t kMaxTopics = 4096;
const uint32_t kMaxKeywords = 8192;  // in the whole file

enum RunKind : uint8_t {
    kText = 1,     // plain text on the current line
    kHeading = 2,  // a whole heading line
    kLink = 3,     // text that shows the topic `target`
    kLineEnd = 4,  // end of a line (empty text)
};

struct Run {
    RunKind kind = kText;
    uint16_t target = 0;
    std::string text;
};

struct Topic {
    std::string title;
    std::vector<std::string> keywords;
    std::vector<Run> runs;
};

struct File {
    std::vector<Topic> topics;
};

// False for anything malformed: short or long data, bad magic, unknown run
// kinds, link targets past the last topic, no topics at all, an empty
// keyword, more keywords than kMaxKeywords.
bool Parse(const uint8_t* data, size_t size, File* out);
std::vector<uint8_t> Write(const File& file);

// Topics with a keyword that starts with `key` (a partial key), in topic
// order, each once. An empty key matches nothing.
std::vector<int> FindKeyword(const File& file, const std::string& key);

}  // namespace hlp
