// Document editing in WordPad: starts wordpad.exe, then times editing
// sessions on its rich edit control: pasting paragraphs from the clipboard,
// typing, bold, italic and underline on selections and paragraph alignment
// through the commands WordPad's shortcut keys send (their numbers read from
// its executable: Windows 95/98 and Wine number them differently), undo,
// copying the document back out to check it, clearing. The copy's text and, off the clock, its RTF must show
// every step's effect: a WordPad that ignored the format commands would do
// a lighter workload than the reference was taken with, so the run ends
// early instead. Text goes through the clipboard, as a user's would:
// rich edit controls take no text by message from another process
// reliably. The clipboard's text is put back afterwards, and what WordPad
// remembers in the registry is set aside for the run. WordPad is closed
// without saving; its start and close are not timed. The run value is the
// sessions' TypicalTotal (zbmodule.h).
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "accel.h"
#include "formatcheck.h"
#include "zbmodule.h"

namespace {

using namespace wordpad;

// Measured with scripts/module-bench.sh on the reference machine (the
// development host, 2 processors, the Wine session on one), all six items
// in the same three sessions, so that 10000 means one machine for each:
// the median of the sessions' mean run values, microseconds.
// The x86_64 build runs under Wine's 64-bit loader (hosts that run no
// 32-bit code), which drives the applications at another pace: its own
// reference, from two sessions on such a host (times the workload's
// growth where it grew since). Both were taken with 34 sessions a run and
// are doubled for 68: the value is the fastest quarter's mean times the
// sessions, so it grows with them and nothing else.
#ifdef _WIN64
constexpr uint32_t kReference = 11401200;
#else
constexpr uint32_t kReference = 3487000;
#endif

// With 34 sessions the fastest quarter (9) still swung by 2-2.5 % from run
// to run with the host held still; 68 bring it to 1-1.6 %.
constexpr uint32_t kSessions = 68;
constexpr int kParagraphs = 8;
constexpr int kTypedChars = 20;

// The frames of the WordPads this item knows: Windows 95 and 98 ("WordPadClass")
// and Wine's ("WORDPADTOP"). Their format commands come from their own
// shortcut keys (accel.h).
const char* const kFrameClasses[] = {"WordPadClass", "WORDPADTOP"};

FormatCommands g_cmd;
UINT g_rtfFormat = 0;  // the clipboard format "Rich Text Format"

std::string FindWordPad() {
    // Where Windows says it is, then where Windows 95 and 98 ("Accessories")
    // and NT put it.
    char buf[MAX_PATH + 1];
    LONG size = sizeof buf;
    if (RegQueryValueA(HKEY_LOCAL_MACHINE,
                       "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WORDPAD.EXE", buf,
                       &size) == ERROR_SUCCESS &&
        zb::FileExists(buf))
        return buf;
    size = sizeof buf;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, "wrifile\\shell\\open\\command", buf, &size) ==
        ERROR_SUCCESS) {
        std::string cmd = buf;
        std::string exe;
        if (!cmd.empty() && cmd[0] == '"')
            exe = cmd.substr(1, cmd.find('"', 1) - 1);
        else
            exe = cmd.substr(0, cmd.find(' '));
        if (zb::FileExists(exe)) return exe;
    }
    std::string programFiles = zb::ProgramFilesDir();
    for (const char* rel : {"Accessories\\WORDPAD.EXE", "Windows NT\\Accessories\\wordpad.exe"}) {
        std::string path = programFiles + rel;
        if (zb::FileExists(path)) return path;
    }
    return "";
}

std::string Paragraph() {
    return "第1段落: 文書編集の測定です。ワードパッドに段落を貼り付け、書式を付けて、元に戻します。"
           "Paragraph 1 of the sample document.\r\n";
}

// Rich edit text without the paragraph marks' form: CR LF or CR alike.
std::string Plain(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != '\r') out += c;
    return out;
}

bool PutClipboardText(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
    bool ok = false;
    if (h) {
        std::memcpy(GlobalLock(h), text.c_str(), text.size() + 1);
        GlobalUnlock(h);
        ok = SetClipboardData(CF_TEXT, h) != nullptr;
        if (!ok) GlobalFree(h);
    }
    CloseClipboard();
    return ok;
}

bool GetClipboardText(std::string* text, UINT format = CF_TEXT) {
    text->clear();
    if (!OpenClipboard(nullptr)) return false;
    HANDLE h = GetClipboardData(format);
    const char* p = h ? static_cast<const char*>(GlobalLock(h)) : nullptr;
    if (p) {
        size_t n = 0, most = GlobalSize(h);
        while (n < most && p[n]) ++n;
        *text = std::string(p, n);
        GlobalUnlock(h);
    }
    CloseClipboard();
    return p != nullptr;
}

BOOL CALLBACK FindRichEditProc(HWND c, LPARAM lp) {
    char cls[64] = "";
    if (GetClassNameA(c, cls, sizeof cls) && _strnicmp(cls, "RichEdit", 8) == 0) {
        *reinterpret_cast<HWND*>(lp) = c;
        return FALSE;
    }
    return TRUE;
}

// The rich edit control in WordPad's frame, whatever its class version
// ("RICHEDIT" on Windows 95, "RichEdit20A" and later elsewhere), at any
// depth: an MFC frame holds its view among its bars.
HWND FindRichEdit(HWND main) {
    HWND found = nullptr;
    EnumChildWindows(main, FindRichEditProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

// What the shortcut key would send to the frame (high word 1: an accelerator).
void Command(HWND main, uint16_t id) {
    SendMessageA(main, WM_COMMAND, MAKEWPARAM(id, 1), 0);
}

// Rich edit positions: characters, but bytes in the multibyte rich edit
// 1.0 ("RICHEDIT") of Windows 95, where a double-byte character takes two.
bool g_positionsInBytes = false;

int CharCount(const std::string& text, size_t bytes) {
    if (g_positionsInBytes) return int(bytes);
    return MultiByteToWideChar(CP_ACP, 0, text.data(), int(bytes), nullptr, 0);
}

// After the clipboard changed hands: under Wine its desktop process now
// hands the X selection over, work of neither WordPad nor ours that would
// otherwise share the processor with the timed part. Off the clock.
void Settle() {
    Sleep(20);
}

// Repainting what the session changed is WordPad's work too: done now,
// while the clock runs, rather than whenever WordPad next gets round to
// it, which may be in an untimed pause (and the pass then looks fast).
void FinishPainting(HWND main) {
    RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// One session on an empty document, with the paragraph on the clipboard.
// The clipboard is filled off the clock, once per session: in Wine every
// change of its owner goes through the X server, which has nothing to do
// with WordPad and varies a lot.
bool Session(zb::Run& run, HWND main, HWND edit) {
    const std::string paragraph = Paragraph();
    run.StopClock();
    bool put = PutClipboardText(paragraph);
    Settle();
    run.StartClock();
    if (!put) return run.Fail("cannot use the clipboard");
    std::string doc;
    for (int i = 0; i < kParagraphs; ++i) {
        SendMessageA(edit, WM_PASTE, 0, 0);
        doc += paragraph;
    }
    if (run.ShouldStop()) return false;
    for (int i = 0; i < kTypedChars; ++i) {
        char c = "Typing into WordPad. "[i % 21];
        SendMessageA(edit, WM_CHAR, WPARAM(c), 1);
        doc += c;
    }
    if (run.ShouldStop()) return false;
    // Format a word in every paragraph and align the paragraphs in turn.
    // Positions count characters; rich edit paragraphs end in one.
    std::string flat = Plain(doc);
    size_t at = 0;
    for (int i = 0; i < kParagraphs; ++i) {
        at = flat.find("測定", at);
        int pos = CharCount(flat, at);
        SendMessageA(edit, EM_SETSEL, pos, pos + 2);
        Command(main, i % 3 == 0 ? g_cmd.bold : i % 3 == 1 ? g_cmd.italic : g_cmd.underline);
        Command(main, i % 3 == 0 ? g_cmd.centre : i % 3 == 1 ? g_cmd.right : g_cmd.left);
        at += 4;
    }
    if (run.ShouldStop()) return false;
    // Undo the last two format changes, copy everything out, clear.
    SendMessageA(edit, EM_UNDO, 0, 0);
    SendMessageA(edit, EM_UNDO, 0, 0);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_COPY, 0, 0);
    FinishPainting(main);
    // Reading the copy back, as text and as the RTF that holds the
    // formatting, is our check, not the user's work: off the clock. Each
    // read goes through the X server, whose pace varies a lot.
    run.StopClock();
    std::string got;
    bool same = GetClipboardText(&got) && Plain(got) == flat;
    std::string rtf;
    bool formatted = GetClipboardText(&rtf, g_rtfFormat);
    Formatting found = Found(rtf);
    formatted = formatted && found == Expected(kParagraphs);
    Settle();
    run.StartClock();
    SendMessageA(edit, WM_CLEAR, 0, 0);
    FinishPainting(main);
    if (!same) return run.Fail("the text in wordpad is not what was typed");
    if (!formatted)
        return run.Fail(("the formatting did not take effect in wordpad: " + Describe(found) +
                         " instead of " + Describe(Expected(kParagraphs)))
                            .c_str());
    return !run.ShouldStop();
}

bool KnownFrame(HWND main) {
    char cls[64] = "";
    if (!GetClassNameA(main, cls, sizeof cls)) return false;
    for (const char* known : kFrameClasses)
        if (lstrcmpiA(cls, known) == 0) return true;
    return false;
}

bool Measure(zb::Run& run) {
    std::string exe = FindWordPad();
    if (exe.empty()) return run.Fail("wordpad.exe not found");
    std::string image;
    if (!zb::ReadFileBytes(exe, &image) ||
        !FormatCommandsFromExe(image, LANGIDFROMLCID(GetUserDefaultLCID()), &g_cmd))
        return run.Fail("wordpad has no shortcut keys for bold, italic, underline and alignment");
    image.clear();
    g_rtfFormat = RegisterClipboardFormatA("Rich Text Format");
    if (!g_rtfFormat) return run.Fail("cannot use the clipboard");

    // Every run starts WordPad from its defaults: what it remembers (window
    // place, bars, wrapping) goes aside until it has closed again.
    zb::KeptSettings kept("Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad",
                          "Wordpad");
    if (!kept.Clear()) return run.Fail("cannot set aside wordpad's settings");

    zb::Process* wp = run.Launch("\"" + exe + "\"");
    if (!wp || !run.WaitIdle(*wp)) return false;
    HWND main = run.WaitWindow(*wp, nullptr);
    if (!main) return false;
    if (!KnownFrame(main)) return run.Fail("not a wordpad this item knows");
    // The editor comes a moment after the frame.
    HWND edit = nullptr;
    if (!run.WaitUntil([&] { return (edit = FindRichEdit(main)) != nullptr; }, "wordpad's editor"))
        return false;
    char editClass[64] = "";
    GetClassNameA(edit, editClass, sizeof editClass);
    g_positionsInBytes =
        zb::Win9x() && lstrcmpiA(editClass, "RICHEDIT") == 0 && !zb::UnicodeWindow(edit);
    // The same window on every run: how much there is to repaint depends on it.
    ShowWindow(main, SW_SHOWNORMAL);
    MoveWindow(main, 40, 40, 640, 440, TRUE);

    std::string saved;
    bool hadText = GetClipboardText(&saved);
    // Untimed sessions first, as many in every run: each run starts a new
    // WordPad, and one was not enough to warm it.
    bool ok = true;
    for (int i = 0; ok && i < 3; ++i) ok = Session(run, main, edit);
    ok = ok && run.TimePasses(kSessions, [&](uint32_t) { return Session(run, main, edit); });
    if (hadText)
        PutClipboardText(saved);
    else if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    if (!ok) return false;
    // Nothing to save: no prompt on close (and should one come, it is
    // answered No).
    SendMessageA(edit, EM_SETMODIFY, FALSE, 0);
    return run.CloseDiscarding(*wp, main);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return zb::Main(kReference, Measure);
}
