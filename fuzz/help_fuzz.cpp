// Fuzz target: a compiled help file as the viewer gets it from disk. A file
// that parses must also survive the viewer's keyword lookups and write back
// to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "help/hlpfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    hlp::File file;
    if (!hlp::Parse(bytes.data(), bytes.size(), &file)) return 0;
    for (const hlp::Topic& t : file.topics)
        for (const std::string& k : t.keywords) hlp::FindKeyword(file, k.substr(0, 2));
    if (hlp::Write(file) != bytes) std::abort();
    return 0;
}
