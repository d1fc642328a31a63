// WordPad's format commands, read from the shortcut keys in its own
// executable: every WordPad has Ctrl+B, Ctrl+I, Ctrl+U for bold, italic and
// underline and Ctrl+L, Ctrl+E, Ctrl+R for the alignments, but each numbers
// the commands behind them its own way. Sending the command a shortcut key
// sends is what pressing the key does. Plain bytes in, so tests can feed a
// file by hand; a damaged file gives no commands and never a read past it.
#pragma once
#include <cstdint>
#include <string>

namespace wordpad {

struct FormatCommands {
    uint16_t bold = 0, italic = 0, underline = 0, left = 0, centre = 0, right = 0;
    bool Complete() const { return bold && italic && underline && left && centre && right; }
};

namespace detail {

inline bool U16(const std::string& b, uint64_t at, uint32_t* v) {
    if (at + 2 > b.size()) return false;
    *v = uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8;
    return true;
}

inline bool U32(const std::string& b, uint64_t at, uint32_t* v) {
    uint32_t lo, hi;
    if (!U16(b, at, &lo) || !U16(b, at + 2, &hi)) return false;
    *v = lo | hi << 16;
    return true;
}

struct Image {
    const std::string& b;
    uint64_t sections = 0;
    uint32_t count = 0;
    // File offset of an address in the image; false outside every section.
    bool Offset(uint32_t rva, uint32_t size, uint64_t* out) const {
        for (uint32_t i = 0; i < count; ++i) {
            uint64_t s = sections + 40ull * i;
            uint32_t vsize, va, rawSize, raw;
            if (!U32(b, s + 8, &vsize) || !U32(b, s + 12, &va) || !U32(b, s + 16, &rawSize) ||
                !U32(b, s + 20, &raw))
                return false;
            if (rva >= va && uint64_t(rva) + size <= uint64_t(va) + rawSize) {
                *out = uint64_t(raw) + (rva - va);
                return *out + size <= b.size();
            }
        }
        return false;
    }
};

// The entries of a resource directory at offset dir: (id, offset) pairs.
template <class F>
bool Entries(const std::string& b, uint64_t dir, F each) {
    uint32_t named, ids;
    if (!U16(b, dir + 12, &named) || !U16(b, dir + 14, &ids)) return false;
    for (uint32_t i = 0; i < named + ids; ++i) {
        uint32_t id, off;
        if (!U32(b, dir + 16 + 8ull * i, &id) || !U32(b, dir + 20 + 8ull * i, &off)) return false;
        if (!each(id, off)) return false;
    }
    return true;
}

// One accelerator table: entries of 8 bytes, the last flagged 0x80.
inline FormatCommands FromTable(const std::string& b, uint64_t at, uint32_t size) {
    FormatCommands c;
    for (uint32_t i = 0; i + 8 <= size && i < 8 * 1024; i += 8) {
        uint32_t flags, key, id;
        if (!U16(b, at + i, &flags) || !U16(b, at + i + 2, &key) || !U16(b, at + i + 4, &id)) break;
        // FVIRTKEY | FCONTROL, without FSHIFT or FALT.
        if ((flags & 0x1D) == 0x09) {
            uint16_t cmd = uint16_t(id);
            switch (key) {
                case 'B': c.bold = cmd; break;
                case 'I': c.italic = cmd; break;
                case 'U': c.underline = cmd; break;
                case 'L': c.left = cmd; break;
                case 'E': c.centre = cmd; break;
                case 'R': c.right = cmd; break;
                default: break;
            }
        }
        if (flags & 0x80) break;
    }
    return c;
}

}  // namespace detail

// The commands of the accelerator table in the language nearest to lang
// (the same language, then the same primary language, then neutral or
// English, then any) among the tables that have all six.
inline bool FormatCommandsFromExe(const std::string& b, uint16_t lang, FormatCommands* out) {
    using namespace detail;
    *out = FormatCommands();
    uint32_t pe, sig, nsec, optSize, magic;
    if (b.size() < 64 || b[0] != 'M' || b[1] != 'Z' || !U32(b, 0x3C, &pe) || !U32(b, pe, &sig) ||
        sig != 0x4550 || !U16(b, pe + 6, &nsec) || !U16(b, pe + 20, &optSize) ||
        !U16(b, pe + 24, &magic))
        return false;
    uint64_t opt = uint64_t(pe) + 24;
    uint64_t dirs = opt + (magic == 0x20B ? 112 : 96);
    uint32_t rsrcRva, rsrcSize, ndirs;
    if (!U32(b, opt + (magic == 0x20B ? 108 : 92), &ndirs) || ndirs < 3 ||
        !U32(b, dirs + 16, &rsrcRva) || !U32(b, dirs + 20, &rsrcSize) || !rsrcRva)
        return false;
    Image img{b, opt + optSize, nsec};
    uint64_t root;
    if (!img.Offset(rsrcRva, 16, &root)) return false;
    int best = -1;
    FormatCommands found;
    auto sub = [&](uint32_t off, uint64_t* at) {
        return (off & 0x80000000u) && img.Offset(rsrcRva + (off & 0x7FFFFFFFu), 16, at);
    };
    bool ok = Entries(b, root, [&](uint32_t type, uint32_t typeOff) {
        uint64_t names;
        if (type != 9 || !sub(typeOff, &names)) return true;  // RT_ACCELERATOR only
        return Entries(b, names, [&](uint32_t, uint32_t nameOff) {
            uint64_t langs;
            if (!sub(nameOff, &langs)) return true;
            return Entries(b, langs, [&](uint32_t l, uint32_t dataOff) {
                uint64_t entry, data;
                uint32_t rva, size;
                if ((dataOff & 0x80000000u) || !img.Offset(rsrcRva + dataOff, 16, &entry) ||
                    !U32(b, entry, &rva) || !U32(b, entry + 4, &size) ||
                    !img.Offset(rva, size, &data))
                    return true;
                FormatCommands c = FromTable(b, data, size);
                if (!c.Complete()) return true;
                int score = l == lang                        ? 3
                            : (l & 0x3FF) == (lang & 0x3FFu) ? 2
                            : (l & 0x3FF) == 0 || (l & 0x3FF) == 9 ? 1
                                                                   : 0;
                if (score > best) best = score, found = c;
                return true;
            });
        });
    });
    if (!ok || best < 0) return false;
    *out = found;
    return true;
}

}  // namespace wordpad
