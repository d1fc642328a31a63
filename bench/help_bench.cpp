// The help viewer on the manual and on hostile help files: milliseconds from
// a request until the viewer shows the file's first topic (or says it cannot
// read the file) and answers messages again; and for the biggest index, the
// time to narrow it by one typed character.
// Usage: help_bench <program dir>
#include <cstdio>
#include <string>
#include <vector>

#include "../help/hlpfile.h"
#include "../help/protocol.h"
#include "../tests/driver/gui_driver.h"

namespace {

const char kRefused[] = "ヘルプファイルを開けません";

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) && done == bytes.size();
    CloseHandle(h);
    return ok;
}

hlp::File OneTopic(const std::string& title) {
    hlp::File f;
    f.topics.resize(1);
    f.topics[0].title = title;
    f.topics[0].keywords = {"k"};
    return f;
}

struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
    std::string title;  // what the viewer shows once done
};

std::vector<Case> Cases(const std::string& manual) {
    std::vector<Case> cases;
    std::vector<uint8_t> man;
    HANDLE h = CreateFileA(manual.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        man.resize(GetFileSize(h, nullptr));
        DWORD got = 0;
        ReadFile(h, man.data(), static_cast<DWORD>(man.size()), &got, nullptr);
        CloseHandle(h);
    }
    cases.push_back({"the manual", man, "目次"});

    hlp::File runs = OneTopic("runs");
    for (int i = 0; i < 10000; ++i) {
        hlp::RunKind kinds[] = {hlp::kText, hlp::kHeading, hlp::kLink, hlp::kLineEnd};
        hlp::RunKind k = kinds[i % 4];
        runs.topics[0].runs.push_back({k, 0, k == hlp::kLineEnd ? "" : "文字 run"});
    }
    cases.push_back({"10000 runs, mixed formats", hlp::Write(runs), "runs"});

    hlp::File links = OneTopic("links");
    for (int i = 0; i < 10000; ++i) links.topics[0].runs.push_back({hlp::kLink, 0, "リンク"});
    cases.push_back({"10000 links", hlp::Write(links), "links"});

    // Links marked one by one in the rich edit, and one more than are.
    for (int n : {64, 65}) {
        hlp::File marked = OneTopic("marked");
        for (int i = 0; i < n; ++i) {
            marked.topics[0].runs.push_back({hlp::kLink, 0, "リンク"});
            marked.topics[0].runs.push_back({hlp::kText, 0, " と文字"});
        }
        cases.push_back({std::to_string(n) + " links in one paragraph", hlp::Write(marked), "marked"});
    }

    hlp::File longText = OneTopic("long");
    for (int i = 0; i < 30; ++i) longText.topics[0].runs.push_back({hlp::kText, 0, std::string(65000, 'a')});
    cases.push_back({"30 runs of 65000 letters", hlp::Write(longText), "long"});

    hlp::File lines = OneTopic("lines");
    lines.topics[0].runs.assign(400000, {hlp::kLineEnd, 0, ""});
    cases.push_back({"400000 empty lines (2 MB)", hlp::Write(lines), "lines"});

    // The text of the case before goes first: 1000 lines, the most shown.
    hlp::File after = OneTopic("after");
    after.topics[0].runs.push_back({hlp::kText, 0, std::string(20000, 'a')});
    cases.push_back({"20000 letters, after the most lines", hlp::Write(after), "after"});

    hlp::File wide = OneTopic("wide");
    for (int i = 0; i < 30; ++i) {
        std::string s;
        for (int j = 0; j < 32000; ++j) s += "\x82\xa0";
        wide.topics[0].runs.push_back({hlp::kText, 0, s});
    }
    cases.push_back({"30 runs of 32000 double-byte characters", hlp::Write(wide), "wide"});

    hlp::File index = OneTopic("index");
    index.topics[0].keywords.clear();
    for (uint32_t i = 0; i < hlp::kMaxKeywords; ++i) index.topics[0].keywords.push_back("kw" + std::to_string(i));
    cases.push_back({"8192 keywords (the most a file may have)", hlp::Write(index), "index"});

    hlp::File topics;
    topics.topics.resize(hlp::kMaxTopics);
    for (size_t i = 0; i < topics.topics.size(); ++i) topics.topics[i].title = "topic " + std::to_string(i);
    cases.push_back({"4096 topics", hlp::Write(topics), "topic 0"});

    // Written by hand: hlp::Write takes at most 65535 keywords a topic.
    std::vector<uint8_t> empty(hlp::kMagic, hlp::kMagic + 8);
    uint32_t count = 32;
    empty.insert(empty.end(), {uint8_t(count), 0, 0, 0});
    for (uint32_t t = 0; t < count; ++t) {
        empty.insert(empty.end(), {1, 0, 'T', 0xFF, 0xFF});
        empty.insert(empty.end(), 2 * 0xFFFF, 0);
        empty.insert(empty.end(), {0, 0, 0, 0});
    }
    cases.push_back({"4 MB of empty keywords", empty, kRefused});
    std::vector<uint8_t> small(empty.begin(), empty.begin() + 12 + 5 + 2 * 0xFFFF + 4);
    small[8] = 1;
    cases.push_back({"128 KB of empty keywords", small, kRefused});
    return cases;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: help_bench <program dir>\n");
        return 2;
    }
    std::string dist = argv[1];
    if (dist.back() != '\\') dist += '\\';
    std::string dir = gui::MakeProgramDir("help-bench");
    if (dir.empty() || !gui::CopyInto(dir, dist + "ZBHELP.EXE")) return 1;
    // One viewer for all cases; each file is handed to it as the program's
    // later requests are, so the figures leave out the process start.
    std::vector<Case> cases = Cases(dist + "ZELBR.HLP");
    double t0 = Now();
    gui::Program p = gui::Start(dir + "ZBHELP.EXE", "", "\"" + dist + "ZELBR.HLP\"");
    HWND viewer = nullptr;
    gui::WaitFor([&] {
        if (!viewer) viewer = gui::WaitWindow(p.pid, hlp::kViewerClass, nullptr, 0);
        return viewer && gui::ControlText(viewer, hlp::kIdTitle) == "目次";
    }, 60000, 5);
    if (!viewer) return 1;
    std::printf("help viewer: process start to the manual's contents %9.1f ms\n", Now() - t0);
    std::printf("help viewer: request to its first topic shown, painted and answering (ms)\n");
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        std::string file = dir + "CASE" + std::to_string(i) + ".HLP";
        if (!Save(file, c.bytes)) return 1;
        std::string data = file + '\0' + '\0';
        COPYDATASTRUCT cd = {hlp::kCopyDataId, static_cast<DWORD>(data.size()), &data[0]};
        DWORD_PTR ignored;
        double r0 = Now();
        SendMessageTimeoutA(viewer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd), SMTO_NORMAL, 120000, &ignored);
        bool shown = gui::WaitFor([&] { return gui::ControlText(viewer, hlp::kIdTitle) == c.title; }, 120000, 2);
        // Painted too: a rich edit may lay out its text only when it paints.
        RedrawWindow(viewer, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        bool answers = SendMessageTimeoutA(viewer, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &ignored) != 0;
        std::printf("  %-42s %9.1f%s\n", c.name.c_str(), Now() - r0, shown && answers ? "" : "  (not shown)");
        if (c.title == "index") {
            HWND list = GetDlgItem(viewer, hlp::kIdKeyList);
            double k0 = Now();
            gui::SetControlText(viewer, hlp::kIdKeyEdit, "kw1");
            gui::WaitFor([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) < LRESULT(hlp::kMaxKeywords); }, 60000, 1);
            std::printf("  %-42s %9.1f\n", "  narrowing its index to \"kw1\"", Now() - k0);
        }
    }
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    gui::WaitExit(p, 10000);
    return 0;
}
