// Spells the names of the DLLs an executable imports in lower case, in
// place, and mends the header checksum. Windows matches them without regard
// to case; Wine does too, but a name whose case differs from the file's has
// it read the whole system directory to find it, a fifth of a millisecond
// per library at every start. The import libraries spell them in capitals.
// Usage: lowerimports <file.exe>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<uint8_t> g_file;

bool Fits(size_t offset, size_t size) { return offset <= g_file.size() && size <= g_file.size() - offset; }

uint32_t U16(size_t at) { return g_file[at] | g_file[at + 1] << 8; }
uint32_t U32(size_t at) { return U16(at) | U16(at + 2) << 16; }

int Fail(const char* path, const char* why) {
    std::fprintf(stderr, "lowerimports: %s: %s\n", path, why);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lowerimports <file.exe>\n");
        return 2;
    }
    const char* path = argv[1];
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) return Fail(path, "cannot read");
        g_file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!Fits(0, 64) || U16(0) != 0x5A4D) return Fail(path, "no MZ header");
    size_t pe = U32(60);
    if (!Fits(pe, 24) || U32(pe) != 0x4550) return Fail(path, "no PE header");
    size_t sections = U16(pe + 6), optSize = U16(pe + 20), opt = pe + 24;
    if (!Fits(opt, optSize) || optSize < 2) return Fail(path, "optional header cut short");
    uint32_t magic = U16(opt);
    size_t dirs = magic == 0x10b ? opt + 96 : magic == 0x20b ? opt + 112 : 0;
    if (!dirs || !Fits(dirs, 16) || dirs + 16 > opt + optSize) return Fail(path, "no import directory");
    uint32_t importRva = U32(dirs + 8);
    size_t table = opt + optSize;
    if (!Fits(table, sections * 40)) return Fail(path, "section table cut short");

    // A virtual address's place in the file, and how many bytes follow it
    // in its section; 0 when no section holds it.
    auto place = [&](uint32_t rva, size_t* left) -> size_t {
        for (size_t i = 0; i < sections; ++i) {
            size_t s = table + i * 40;
            uint32_t va = U32(s + 12), raw = U32(s + 16), at = U32(s + 20);
            if (rva >= va && rva - va < raw && Fits(at, raw)) {
                *left = raw - (rva - va);
                return at + (rva - va);
            }
        }
        return 0;
    };

    if (importRva) {
        size_t left = 0, desc = place(importRva, &left);
        if (!desc) return Fail(path, "import directory outside the sections");
        for (; left >= 20; desc += 20, left -= 20) {
            uint32_t nameRva = U32(desc + 12);
            if (!nameRva && !U32(desc + 16)) break;  // the closing, empty descriptor
            size_t nameLeft = 0, name = place(nameRva, &nameLeft);
            if (!name) return Fail(path, "an import's name outside the sections");
            for (size_t i = 0; i < nameLeft && g_file[name + i]; ++i)
                g_file[name + i] = static_cast<uint8_t>(std::tolower(g_file[name + i]));
        }
    }

    // The checksum: 16-bit words summed with their carries, the checksum
    // field left out, plus the file's length.
    size_t sumAt = opt + 64;
    if (!Fits(sumAt, 4)) return Fail(path, "no checksum field");
    uint64_t sum = 0;
    for (size_t i = 0; i < g_file.size(); i += 2) {
        if (i >= sumAt && i < sumAt + 4) continue;
        sum += i + 1 < g_file.size() ? U16(i) : g_file[i];
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    uint32_t checksum = static_cast<uint32_t>(sum + g_file.size());
    for (int i = 0; i < 4; ++i) g_file[sumAt + i] = static_cast<uint8_t>(checksum >> (8 * i));

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(g_file.data()), static_cast<std::streamsize>(g_file.size()));
    return out ? 0 : Fail(path, "cannot write");
}
