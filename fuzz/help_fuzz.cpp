// Fuzz target: a compiled help file as the viewer gets it from disk. A file
// that parses must also survive the viewer's keyword lookups, write back to
// the same bytes, and give every topic an RTF text that a rich edit reads as
// meant: 7-bit bytes only, balanced groups, links in order inside the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "help/hlpfile.h"
#include "help/richtext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    hlp::File file;
    if (!hlp::Parse(bytes.data(), bytes.size(), &file)) return 0;
    for (const hlp::Topic& t : file.topics)
        for (const std::string& k : t.keywords) hlp::FindKeyword(file, k.substr(0, 2));
    if (hlp::Write(file) != bytes) std::abort();
    for (const hlp::Topic& t : file.topics) {
        for (int w : {1, 2}) {
            hlp::TextMetrics m;
            m.dbcsWidth = m.lineEndWidth = w;
            hlp::RichText rt = hlp::TopicRtf(t.title, t.runs, m);
            long depth = 0;
            for (size_t i = 0; i < rt.rtf.size(); ++i) {
                unsigned char c = static_cast<unsigned char>(rt.rtf[i]);
                if (c >= 0x80 || (c < 0x20 && c != '\n')) std::abort();
                if (c == '\\') ++i;  // an escaped character or a control word
                else if (c == '{') ++depth;
                else if (c == '}' && --depth < 0) std::abort();
            }
            if (depth != 0) std::abort();
            long at = 0;
            for (const hlp::LinkSpan& l : rt.links) {
                if (l.first < at || l.last <= l.first || l.last > rt.length) std::abort();
                if (l.target < 0 || l.target >= static_cast<int>(file.topics.size())) std::abort();
                at = l.last;
            }
        }
    }
    return 0;
}
