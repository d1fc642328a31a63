// Item set loads: how long a file holds the window, from its bytes to the
// catalogue replaced (or the file refused), for files at and far past what
// a catalogue needs. Runs under a scratch key of its own.
// Usage: itemset_bench
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/regkey.h"
#include "items/catalogue.h"
#include "items/itemedit.h"
#include "items/itemset.h"

namespace {

const char kScratch[] = "Software\\ZelbrBench\\ItemSet";
const std::string kName = std::string("HKEY_CURRENT_USER\\") + kScratch;

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

std::string Item(int i, const std::string& extra = std::string()) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "\\Measure\\%04d]\r\n\"File\"=\"ITEM%04d.BNC\"\r\n\"Select\"=dword:00000001\r\n", i, i);
    return "[" + kName + buf + extra;
}

void Load(const char* what, const std::string& text) {
    RegKey root;
    root.Create(HKEY_CURRENT_USER, kScratch);
    double t0 = Now();
    items::ItemSetFile f =
        items::ParseItemSet(std::vector<uint8_t>(text.begin(), text.end()), kName);
    double t1 = Now();
    bool applied = f.ok && items::ApplyItemSet(root.get(), f.changes);
    double t2 = Now();
    std::printf("%-44s %8.0f KB  parse %7.1f ms  apply %7.1f ms  %s", what, text.size() / 1024.0, t1 - t0, t2 - t1,
                f.ok ? (applied ? "loaded" : "NOT WRITTEN") : "refused");
    if (!f.ok) std::printf(" (line %d)", f.line);
    std::printf("\n");
}

}  // namespace

int main() {
    DeleteKeyTree(HKEY_CURRENT_USER, kScratch);
    const std::string head = "REGEDIT4\r\n\r\n[-" + kName + "\\Measure]\r\n";
    auto items = [&](int n) {
        std::string t = head;
        for (int i = 0; i < n; ++i) t += Item(i);
        return t + "\r\n";
    };
    Load("200 items", items(200));
    Load("1000 items (the start-up benchmark's)", items(1000));
    Load("1500 items (the cap)", items(1500));
    Load("1501 items", items(1501));
    // 100,000 values in one key, and as many as fit in 1 MB.
    for (int n : {4000, 100000}) {
        std::string many = head + "[" + kName + "\\Measure\\0000]\r\n";
        for (int i = 0; i < n; ++i) many += "\"" + std::to_string(i) + "\"=hex:1\r\n";
        Load((std::to_string(n) + " values in one key").c_str(), many.substr(0, (1 << 20) - 4) + "\r\n\r\n");
    }
    // 1 MB files: long comments; one long binary value; long strings.
    std::string comments = head + Item(0);
    while (comments.size() < (1 << 20) - 1200) comments += "; " + std::string(1000, 'c') + "\r\n";
    Load("1 MB, mostly comments", comments + "\r\n");
    std::string hex = head + Item(0) + "\"Blob\"=hex:00";
    while (hex.size() < (1 << 20) - 200) hex += ",\\\r\n  " + std::string("01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a");
    Load("1 MB, one binary over many lines", hex + "\r\n\r\n");
    std::string strings = head;
    for (int i = 0; strings.size() < (1 << 20) - 2000; ++i)
        strings += Item(i, "\"Note\"=\"" + std::string(1000, 'n') + "\"\r\n");
    Load("1 MB, items with 1000-byte strings", strings + "\r\n");
    // The item editor's apply through the same replacement.
    RegKey root;
    root.Create(HKEY_CURRENT_USER, kScratch);
    for (int n : {200, 1000}) {
        std::vector<items::EditEntry> list;
        for (int i = 0; i < n; ++i) list.push_back(items::EditEntry{"ITEM" + std::to_string(i) + ".BNC", i % 2 == 0});
        double t0 = Now();
        bool ok = items::RewriteMeasure(root.get(), list);
        std::printf("item editor apply, %4d items                  apply %7.1f ms  %s\n", n, Now() - t0,
                    ok ? "written" : "NOT WRITTEN");
    }
    // What start-up pays for the catalogue itself (the editor's 1000 items).
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    double t0 = Now();
    size_t read = items::ReadCatalogue(root.get(), temp).size();
    std::printf("catalogue read, %4zu entries                   read  %7.1f ms\n", read, Now() - t0);
    root.Close();
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZelbrBench");
    return 0;
}
