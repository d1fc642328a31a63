// Text editing in Notepad: starts notepad.exe, then times editing sessions
// on its edit control (pasting lines, typing, search and replace, undo,
// scrolling, reading the text back, clearing), all through messages from
// this process; half the sessions in one launch of Notepad, half in a
// second. What each step did is checked, off the clock where the session
// would not read it anyway: a step that silently did nothing would make a
// lighter workload than the reference was taken with, so the run ends
// early instead. What Notepad remembers in the registry is set aside for
// each launch. Notepad is closed without saving; its start and close are
// not timed. The run value is TypicalTotal of all the sessions (zbmodule.h).
#include <cstdio>
#include <string>

#include "zbmodule.h"

namespace {

// Measured with scripts/module-bench.sh on the reference machine (the
// development host, 2 processors, the Wine session on one), all six items
// in the same three sessions, so that 10000 means one machine for each:
// the median of the sessions' mean run values, microseconds.
// The x86_64 build runs under Wine's 64-bit loader (hosts that run no
// 32-bit code), which drives the applications at another pace: its own
// reference, from two sessions on such a host (times the workload's
// growth where it grew since).
#ifdef _WIN64
constexpr uint32_t kReference = 7280000;
#else
constexpr uint32_t kReference = 1709100;
#endif

constexpr uint32_t kSessions = 34;
constexpr uint32_t kLaunches = 2;
constexpr int kLines = 8;
constexpr int kTypedChars = 14;
constexpr int kReplacements = 4;
constexpr int kWindowHeight = 180;

std::string Line(int i) {
    char buf[128];
    std::snprintf(buf, sizeof buf,
                  "%04d 測定用の文章です。The quick brown fox jumps over %d lazy dogs.\r\n", i,
                  i * 7 % 100);
    return buf;
}

std::string EditText(HWND edit) {
    int n = int(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0));
    std::string s(size_t(n) + 1, '\0');
    int got = int(SendMessageA(edit, WM_GETTEXT, WPARAM(n + 1), LPARAM(&s[0])));
    s.resize(got > 0 ? size_t(got) : 0);
    return s;
}

void Replace(HWND edit, const std::string& text) {
    SendMessageA(edit, EM_REPLACESEL, TRUE, LPARAM(text.c_str()));
}

// Edit positions: characters in a Unicode edit control (NT's Notepad,
// Wine's), bytes in the multibyte one of Windows 95 and 98, where a
// double-byte character takes two positions.
bool g_positionsInBytes = false;

int Position(const std::string& text, size_t bytes) {
    if (g_positionsInBytes) return int(bytes);
    return MultiByteToWideChar(CP_ACP, 0, text.data(), int(bytes), nullptr, 0);
}

// One editing session on an empty edit; false when the text read back at
// the end is not what was put in.
bool Session(zb::Run& run, HWND edit) {
    // Paste the document line by line.
    std::string doc;
    for (int i = 0; i < kLines; ++i) {
        std::string line = Line(i);
        Replace(edit, line);
        doc += line;
        if (run.ShouldStop()) return false;
    }
    // Type a paragraph at the end, key by key.
    std::string typed;
    for (int i = 0; i < kTypedChars; ++i) {
        char c = "abcdefghij klmnopqrstuvwxyz."[i % 28];
        SendMessageA(edit, WM_CHAR, WPARAM(c), 1);
        typed += c;
    }
    doc += typed;
    if (run.ShouldStop()) return false;
    // Search and replace: "fox" -> "キツネ" in the first lines, from the top.
    size_t from = 0, last = 0;
    for (int i = 0; i < kReplacements; ++i) {
        size_t at = doc.find("fox", from);
        int pos = Position(doc, at);
        SendMessageA(edit, EM_SETSEL, pos, pos + 3);
        SendMessageA(edit, EM_SCROLLCARET, 0, 0);
        Replace(edit, "キツネ");
        last = at;
        doc.replace(at, 3, "キツネ");
        from = at + 6;
    }
    if (run.ShouldStop()) return false;
    // Undo the last replacement, then redo it (the edit's undo toggles).
    SendMessageA(edit, EM_UNDO, 0, 0);
    run.StopClock();
    std::string undone = doc;
    undone.replace(last, 6, "fox");
    bool undid = EditText(edit) == undone;
    run.StartClock();
    SendMessageA(edit, EM_UNDO, 0, 0);
    // Page through the document: the window shows fewer lines than it has.
    int lines = int(SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
    SendMessageA(edit, EM_SETSEL, 0, 0);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    for (int i = 0; i < lines; i += 5) SendMessageA(edit, EM_LINESCROLL, 0, 5);
    run.StopClock();
    bool scrolled = lines == kLines + 1 && SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0) > 0;
    run.StartClock();
    bool same = EditText(edit) == doc;
    SendMessageA(edit, EM_SETSEL, 0, -1);
    Replace(edit, "");
    if (!same) return run.Fail("the text in notepad is not what was typed");
    if (!undid) return run.Fail("undo did not take back the last replacement in notepad");
    if (!scrolled) return run.Fail("notepad did not scroll through the document");
    return !run.ShouldStop();
}

// One launch of Notepad: set up, warmed, `sessions` timed sessions, closed.
bool Launch(zb::Run& run, uint32_t sessions, int warmups) {
    // Every launch starts Notepad from its defaults: what it remembers
    // (window place, font, wrapping) goes aside until it has closed again.
    zb::KeptSettings kept("Software\\Microsoft\\Notepad", "Notepad");
    if (!kept.Clear()) return run.Fail("cannot set aside notepad's settings");
    zb::Process* np = run.Launch("notepad.exe");
    if (!np || !run.WaitIdle(*np)) return false;
    HWND main = run.WaitWindow(*np, "Notepad");
    if (!main) return false;
    HWND edit = FindWindowExA(main, nullptr, "Edit", nullptr);
    if (!edit) return run.Fail("notepad has no edit control");
    g_positionsInBytes = zb::Win9x() && !zb::UnicodeWindow(edit);
    // The same window on every run: how much there is to repaint depends on
    // it. Low enough that the document does not fit, so paging scrolls.
    ShowWindow(main, SW_SHOWNORMAL);
    MoveWindow(main, 40, 40, 640, kWindowHeight, TRUE);

    // Untimed sessions first, so fonts and code paths are warm.
    for (int i = 0; i < warmups; ++i)
        if (!Session(run, edit)) return false;
    if (!run.TimeMorePasses(sessions, [&](uint32_t) { return Session(run, edit); })) return false;

    // Nothing to save: no prompt on close (and should one come, it is
    // answered No).
    SendMessageA(edit, EM_SETMODIFY, FALSE, 0);
    return run.CloseDiscarding(*np, main);
}

// The sessions are shared between launches of Notepad: now and then one
// launch edits more slowly than the others for all its life (by up to a
// sixth), and the fastest quarter of the sessions then still comes from
// the others.
bool Measure(zb::Run& run) {
    for (uint32_t k = 0; k < kLaunches; ++k) {
        // More warm-up in the first launch of a measurement, which meets
        // everything cold.
        if (!Launch(run, kSessions / kLaunches, run.Index() == 0 && k == 0 ? 3 : 1)) return false;
    }
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return zb::Main(kReference, Measure);
}
