// Checks every shipped executable in the program directory against what a
// Windows 95 OSR2 machine with a 486 or Pentium offers:
//   - each import is named in the committed list of that system's exports;
//   - GUI subsystem, subsystem and OS version 4.0, 32-bit x86;
//   - no instruction newer than the i586 in the code (read from the
//     toolchain's disassembler).
// Prints one line per fault, naming the file, and fails on any.
//
//   pe_check <exports list> <objdump> <program directory>
//   pe_check --skip <reason>        (exits 77: CTest's skip)
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// "[KERNEL32.DLL]" starts a DLL's section; each further word is a function
// it exports; "#" starts a comment.
bool ReadList(const std::string& path, std::map<std::string, std::set<std::string>>* list) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line, dll;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string w;
        while (words >> w) {
            if (w.front() == '[' && w.back() == ']') {
                dll = Upper(w.substr(1, w.size() - 2));
                (*list)[dll];
            } else if (!dll.empty()) {
                (*list)[dll].insert(w);
            } else {
                return false;
            }
        }
    }
    return !list->empty();
}

struct Image {
    std::vector<uint8_t> bytes;
    struct Section {
        uint32_t va, vsize, raw, rawSize;
    };
    std::vector<Section> sections;

    bool Has(size_t off, size_t n) const { return off <= bytes.size() && n <= bytes.size() - off; }
    uint16_t U16(size_t off) const { return static_cast<uint16_t>(bytes[off] | bytes[off + 1] << 8); }
    uint32_t U32(size_t off) const { return U16(off) | static_cast<uint32_t>(U16(off + 2)) << 16; }
    // File offset of an RVA, or SIZE_MAX when no section holds it.
    size_t Offset(uint32_t rva) const {
        for (const Section& s : sections) {
            uint32_t size = std::max(s.vsize, s.rawSize);
            if (rva >= s.va && rva - s.va < size && rva - s.va < s.rawSize) return s.raw + (rva - s.va);
        }
        return SIZE_MAX;
    }
    bool String(uint32_t rva, std::string* out) const {
        size_t off = Offset(rva);
        if (off == SIZE_MAX) return false;
        out->clear();
        for (; off < bytes.size(); ++off) {
            if (!bytes[off]) return true;
            out->push_back(static_cast<char>(bytes[off]));
            if (out->size() > 512) return false;
        }
        return false;
    }
};

struct Import {
    std::string dll, function;  // function "#n" when by ordinal
};

// Reads the headers and the import table; returns the faults found in them.
std::vector<std::string> ReadImage(const Image& img, std::vector<Import>* imports) {
    std::vector<std::string> faults;
    if (!img.Has(0, 64) || img.U16(0) != 0x5a4d) return {"not an executable (no MZ header)"};
    size_t pe = img.U32(0x3c);
    if (!img.Has(pe, 24) || img.U32(pe) != 0x4550) return {"no PE header"};
    size_t coff = pe + 4;
    if (img.U16(coff) != 0x14c) faults.push_back("machine is not 32-bit x86 (i386)");
    unsigned sectionCount = img.U16(coff + 2);
    size_t optSize = img.U16(coff + 16);
    size_t opt = coff + 20;
    if (!img.Has(opt, optSize) || optSize < 96 + 16 || img.U16(opt) != 0x10b) {
        faults.push_back("no PE32 optional header");
        return faults;
    }
    unsigned osMajor = img.U16(opt + 40), osMinor = img.U16(opt + 42);
    unsigned subMajor = img.U16(opt + 48), subMinor = img.U16(opt + 50);
    unsigned subsystem = img.U16(opt + 68);
    if (osMajor != 4 || osMinor != 0)
        faults.push_back("OS version is " + std::to_string(osMajor) + "." + std::to_string(osMinor) + ", not 4.0");
    if (subMajor != 4 || subMinor != 0)
        faults.push_back("subsystem version is " + std::to_string(subMajor) + "." + std::to_string(subMinor) +
                         ", not 4.0");
    if (subsystem != 2) faults.push_back("subsystem is " + std::to_string(subsystem) + ", not the Windows GUI (2)");
    unsigned dirCount = img.U32(opt + 92);
    size_t sectionTable = opt + optSize;
    if (!img.Has(sectionTable, sectionCount * 40u)) {
        faults.push_back("section table cut off");
        return faults;
    }
    Image& mut = const_cast<Image&>(img);
    for (unsigned i = 0; i < sectionCount; ++i) {
        size_t s = sectionTable + i * 40u;
        mut.sections.push_back({img.U32(s + 12), img.U32(s + 8), img.U32(s + 20), img.U32(s + 16)});
    }
    if (dirCount < 2) return faults;
    uint32_t importRva = img.U32(opt + 96 + 8);
    if (!importRva) return faults;
    size_t desc = img.Offset(importRva);
    for (;; desc += 20) {
        if (desc == SIZE_MAX || !img.Has(desc, 20)) {
            faults.push_back("import table runs past the file");
            break;
        }
        uint32_t lookup = img.U32(desc), nameRva = img.U32(desc + 12), thunks = img.U32(desc + 16);
        if (!lookup && !nameRva && !thunks) break;
        std::string dll;
        if (!img.String(nameRva, &dll)) {
            faults.push_back("import with an unreadable DLL name");
            break;
        }
        // Wine finds a library whose case differs from its file's only by
        // reading the whole system directory, at every start.
        if (dll.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos)
            faults.push_back("imports " + dll + " spelt in capitals, not as the system's file is");
        size_t t = img.Offset(lookup ? lookup : thunks);
        for (;; t += 4) {
            if (t == SIZE_MAX || !img.Has(t, 4)) {
                faults.push_back("imports of " + dll + " run past the file");
                break;
            }
            uint32_t v = img.U32(t);
            if (!v) break;
            std::string fn;
            if (v & 0x80000000u) fn = "#" + std::to_string(v & 0xffff);
            else if (!img.String(v + 2, &fn)) fn = "(unreadable name)";
            imports->push_back({Upper(dll), fn});
        }
    }
    return faults;
}

// Mnemonics (by prefix) of instructions the i586 does not have: the Pentium
// Pro's conditional moves and compares into flags, MMX, SSE and later.
// cpuid, rdtsc and cmpxchg8b are the Pentium's own.
const char* const kNewerMnemonics[] = {
    "cmov", "fcmov", "fcomi", "fucomi", "emms", "femms", "sysenter", "sysexit", "fxsave", "fxrstor",
    "ldmxcsr", "stmxcsr", "sfence", "lfence", "mfence", "prefetch", "clflush", "movnt", "maskmov",
    "fisttp", "popcnt", "lzcnt", "tzcnt", "movbe", "rdpmc", "xgetbv", "crc32", "vzero",
};

// objdump -d lines look like "  401000:\tmov    %eax,%ebx"; returns the faults.
std::vector<std::string> CheckInstructions(const std::string& objdump, const std::string& file) {
    std::vector<std::string> faults;
    std::string cmd = "'" + objdump + "' -d --no-show-raw-insn '" + file + "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return {"cannot run " + objdump};
    char buf[4096];
    size_t count = 0;
    while (fgets(buf, sizeof buf, p)) {
        std::string line(buf);
        size_t tab = line.find(":\t");
        if (tab == std::string::npos) continue;
        std::string insn = line.substr(tab + 2);
        while (!insn.empty() && (insn.back() == '\n' || insn.back() == '\r')) insn.pop_back();
        ++count;
        std::string mnemonic = insn.substr(0, insn.find_first_of(" \t"));
        bool bad = false;
        for (const char* m : kNewerMnemonics)
            if (mnemonic.compare(0, std::strlen(m), m) == 0) bad = true;
        // MMX, SSE and AVX registers.
        for (const char* reg : {"%mm", "%xmm", "%ymm", "%zmm"})
            if (insn.find(reg) != std::string::npos) bad = true;
        if (bad) {
            std::string addr = line.substr(0, tab);
            addr.erase(0, addr.find_first_not_of(' '));
            faults.push_back("instruction newer than the i586 at " + addr + ": " + insn);
        }
    }
    int rc = pclose(p);
    if (rc != 0 || count == 0) faults.push_back("disassembly by " + objdump + " failed");
    return faults;
}

bool Shipped(const std::string& name) {
    std::string u = Upper(name);
    for (const char* ext : {".EXE", ".BNC", ".DLL"})
        if (u.size() > 4 && u.compare(u.size() - 4, 4, ext) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--skip") {
        std::cout << "skipped: " << argv[2] << "\n";
        return 77;
    }
    if (argc != 4) {
        std::cerr << "usage: pe_check <exports list> <objdump> <program directory>\n";
        return 2;
    }
    std::map<std::string, std::set<std::string>> list;
    if (!ReadList(argv[1], &list)) {
        std::cerr << argv[1] << ": cannot read the list of exports\n";
        return 2;
    }
    std::string dir = argv[3];
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (Shipped(e->d_name)) names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    if (std::find(names.begin(), names.end(), "ZELBR.EXE") == names.end()) {
        std::cerr << dir << ": no ZELBR.EXE\n";
        return 2;
    }
    int faults = 0;
    for (const std::string& name : names) {
        std::string path = dir + "/" + name;
        std::ifstream in(path, std::ios::binary);
        Image img;
        img.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        std::vector<Import> imports;
        std::vector<std::string> found = ReadImage(img, &imports);
        for (const Import& imp : imports) {
            auto dll = list.find(imp.dll);
            if (dll == list.end())
                found.push_back("imports " + imp.dll + "!" + imp.function + ": Windows 95 has no " + imp.dll);
            else if (!dll->second.count(imp.function))
                found.push_back("imports " + imp.dll + "!" + imp.function + ": not among Windows 95's exports");
        }
        for (const std::string& f : CheckInstructions(argv[2], path)) found.push_back(f);
        for (const std::string& f : found) std::cout << name << ": " << f << "\n";
        std::cout << name << ": " << imports.size() << " imports, " << img.bytes.size() << " bytes, "
                  << (found.empty() ? "ok" : std::to_string(found.size()) + " fault(s)") << "\n";
        faults += static_cast<int>(found.size());
    }
    if (faults) std::cout << faults << " fault(s) in the shipped files\n";
    return faults ? 1 : 0;
}
