// ZBHELP.EXE: shows a help file written by tools/mkhelp. A window with the
// contents, the keyword index (typing filters it) and the topic text, whose
// links show other topics. See help/protocol.h for how the program drives it.
// Only ANSI calls and what Windows 95 has: its Rich Edit 1.0 shows the text
// where Rich Edit 2.0 is missing.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/kernelproc.h"
#include "help/hlpfile.h"
#include "help/protocol.h"
#include "help/richtext.h"

namespace {

const char kCaption[] = "ｸﾛﾉﾗﾝ ﾍﾙﾌﾟ";
const char kFace[] = "ＭＳ Ｐゴシック";
const int kPane = 210;  // width of the left pane
const int kGap = 6;
// Help files are small; a bigger file is not one of ours.
const DWORD kMaxFileSize = 2u * 1024 * 1024;
// Rich Edit 2.0 marks links one message each, and Wine's lays out the
// paragraph again for each: a topic with more links than a manual page has
// keeps the underline and our own hit test instead.
const size_t kMaxMarkedLinks = 64;
// Set to "1", the viewer takes Rich Edit 1.0 even where 2.0 is installed,
// so the Windows 95 path runs under test.
const char kOnlyRichEdit10[] = "ZBHELP_RICHEDIT10";

// Posted to the viewer window: a request taken from WM_COPYDATA (lParam: a
// Pending), a link's topic (wParam).
const UINT kMsgRequest = WM_APP + 1;
const UINT kMsgShowTopic = WM_APP + 2;

struct Pending {
    std::string path, key;
};

struct Viewer {
    HWND wnd = nullptr;
    HWND contents = nullptr, keyLabel = nullptr, keyEdit = nullptr, keyList = nullptr, contentsLabel = nullptr;
    HWND back = nullptr, title = nullptr, text = nullptr;
    HFONT font = nullptr;
    bool richEdit2 = false;    // the text view is Rich Edit 2.0 (else 1.0)
    bool markedLinks = false;  // the shown links carry CFE_LINK, so EN_LINK reports clicks
    hlp::TextMetrics metrics;
    std::string path;
    hlp::File file;
    bool loaded = false;
    int current = -1;
    std::vector<int> history;
    std::vector<hlp::LinkSpan> links;
};

Viewer g;
HANDLE g_owner = nullptr;  // the program's process, when it started us
volatile LONG g_ownerGone = 0;
HWND volatile g_mainWnd = nullptr;  // for the owner's watch, once it exists

// Parses `"file" [-key "keyword"] [-owner n]`; quotes and spaces are never
// trail bytes in code page 932, so a plain byte scan is safe.
std::vector<std::string> SplitArgs(const char* line) {
    std::vector<std::string> args;
    const char* p = line;
    while (*p) {
        while (*p == ' ' || *p == '\t') ++p;
        if (!*p) break;
        std::string arg;
        if (*p == '"') {
            ++p;
            while (*p && *p != '"') arg += *p++;
            if (*p) ++p;
        } else {
            while (*p && *p != ' ' && *p != '\t') arg += *p++;
        }
        args.push_back(arg);
    }
    return args;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(h, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size <= kMaxFileSize;
    if (ok) {
        bytes->resize(size);
        DWORD read = 0;
        ok = size == 0 || (ReadFile(h, bytes->data(), size, &read, nullptr) && read == size);
    }
    CloseHandle(h);
    return ok;
}

// ---- The text view ----

struct StreamSource {
    const std::string* rtf;
    size_t at;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
    StreamSource* src = reinterpret_cast<StreamSource*>(cookie);
    size_t n = std::min(static_cast<size_t>(cb > 0 ? cb : 0), src->rtf->size() - src->at);
    std::memcpy(buf, src->rtf->data() + src->at, n);
    src->at += n;
    *done = static_cast<LONG>(n);
    return 0;
}

// Replaces the whole text: one message however long the topic.
void StreamIn(const std::string& rtf) {
    StreamSource src = {&rtf, 0};
    EDITSTREAM es = {};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
    es.pfnCallback = ReadRtf;
    SendMessageA(g.text, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
}

LONG TextLength() {
    CHARRANGE all = {0, -1};
    SendMessageA(g.text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    SendMessageA(g.text, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&all));
    return all.cpMax;
}

// How this rich edit counts positions (1.0 counts a line end as two, and
// may count a double-byte character as two), asked of the control itself.
hlp::TextMetrics ProbeMetrics() {
    StreamIn(hlp::ProbeRtf(hlp::kProbePlain));
    LONG plain = TextLength();
    StreamIn(hlp::ProbeRtf(hlp::kProbeDbcs));
    LONG dbcs = TextLength() - plain;
    StreamIn(hlp::ProbeRtf(hlp::kProbeLineEnd));
    LONG lineEnd = TextLength() - plain;
    hlp::TextMetrics m;
    m.dbcsWidth = dbcs == 2 ? 2 : 1;
    m.lineEndWidth = lineEnd == 2 ? 2 : 1;
    SetWindowTextA(g.text, "");
    return m;
}

void MarkLinks() {
    g.markedLinks = g.richEdit2 && g.links.size() <= kMaxMarkedLinks;
    if (!g.markedLinks) return;
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_LINK;
    cf.dwEffects = CFE_LINK;
    for (const hlp::LinkSpan& l : g.links) {
        CHARRANGE r = {l.first, l.last};
        SendMessageA(g.text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
        SendMessageA(g.text, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    }
}

void ShowRuns(const std::string& title, const std::vector<hlp::Run>& runs) {
    hlp::RichText rt = hlp::TopicRtf(title, runs, g.metrics);
    SendMessageA(g.text, WM_SETREDRAW, FALSE, 0);
    StreamIn(rt.rtf);
    g.links = std::move(rt.links);
    MarkLinks();
    CHARRANGE top = {0, 0};
    SendMessageA(g.text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&top));
    SendMessageA(g.text, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g.text, nullptr, TRUE);
    SetWindowTextA(g.title, title.c_str());
}

// The link at character position cp, or -1.
int LinkAt(LONG cp) {
    auto after = std::upper_bound(g.links.begin(), g.links.end(), cp,
                                  [](LONG c, const hlp::LinkSpan& l) { return c < l.first; });
    if (after == g.links.begin()) return -1;
    --after;
    return cp < after->last ? after->target : -1;
}

POINTL PosOf(LONG cp) {
    POINTL pt = {0, 0};
    SendMessageA(g.text, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&pt), cp);
    return pt;
}

// The character under a point of the text view, or -1 in the blank right
// of a line or below the text (the control answers the nearest character).
LONG CharUnder(LPARAM lp) {
    POINTL pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    LONG nearest = static_cast<LONG>(SendMessageA(g.text, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&pt)));
    for (LONG c = nearest; c >= nearest - 1 && c >= 0; --c) {
        POINTL at = PosOf(c), next = PosOf(c + 1);
        if (pt.x < at.x || pt.y < at.y) continue;
        if (next.y == at.y && pt.x >= next.x) continue;
        LONG line = static_cast<LONG>(SendMessageA(g.text, EM_EXLINEFROMCHAR, 0, c));
        LONG below = static_cast<LONG>(SendMessageA(g.text, EM_LINEINDEX, line + 1, 0));
        if (below > c && pt.y >= PosOf(below).y) continue;
        return c;
    }
    return -1;
}

// A click on a link shows its topic once the control is done with the click.
void FollowLink(LONG cp) {
    int target = cp >= 0 ? LinkAt(cp) : -1;
    if (target >= 0) PostMessageA(g.wnd, kMsgShowTopic, static_cast<WPARAM>(target), 0);
}

// ---- Topics and the index ----

void SelectInContents(int topic) {
    int n = static_cast<int>(SendMessageA(g.contents, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
        if (static_cast<int>(SendMessageA(g.contents, LB_GETITEMDATA, i, 0)) == topic) {
            SendMessageA(g.contents, LB_SETCURSEL, i, 0);
            return;
        }
    SendMessageA(g.contents, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void ShowTopic(int topic, bool remember) {
    if (!g.loaded || topic < 0 || topic >= static_cast<int>(g.file.topics.size())) return;
    if (remember && g.current >= 0 && g.current != topic) g.history.push_back(g.current);
    g.current = topic;
    const hlp::Topic& t = g.file.topics[topic];
    ShowRuns(t.title, t.runs);
    SelectInContents(topic);
    EnableWindow(g.back, !g.history.empty());
}

// Fills the keyword list with every keyword starting with `prefix`, sorted.
void FillKeywords(const std::string& prefix) {
    SendMessageA(g.keyList, WM_SETREDRAW, FALSE, 0);
    SendMessageA(g.keyList, LB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < g.file.topics.size(); ++i)
        for (const std::string& k : g.file.topics[i].keywords)
            if (k.compare(0, prefix.size(), prefix) == 0) {
                LRESULT at = SendMessageA(g.keyList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(k.c_str()));
                if (at >= 0) SendMessageA(g.keyList, LB_SETITEMDATA, at, static_cast<LPARAM>(i));
            }
    SendMessageA(g.keyList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g.keyList, nullptr, TRUE);
}

std::string WindowString(HWND w) {
    char buf[512] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

// Loads `path` unless it is the file already shown.
void Load(const std::string& path) {
    if (g.loaded && lstrcmpiA(path.c_str(), g.path.c_str()) == 0) return;
    g.path = path;
    g.history.clear();
    g.current = -1;
    std::vector<uint8_t> bytes;
    g.loaded = ReadWholeFile(path, &bytes) && hlp::Parse(bytes.data(), bytes.size(), &g.file);
    if (!g.loaded) g.file.topics.clear();
    SendMessageA(g.contents, WM_SETREDRAW, FALSE, 0);
    SendMessageA(g.contents, LB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < g.file.topics.size(); ++i) {
        LRESULT at = SendMessageA(g.contents, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(g.file.topics[i].title.c_str()));
        if (at >= 0) SendMessageA(g.contents, LB_SETITEMDATA, at, static_cast<LPARAM>(i));
    }
    SendMessageA(g.contents, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g.contents, nullptr, TRUE);
    SetWindowTextA(g.keyEdit, "");
    FillKeywords("");
    EnableWindow(g.back, FALSE);
}

// A request: file, then the contents or the topic of a partial keyword.
void Request(const std::string& path, const std::string& key) {
    Load(path);
    if (!g.loaded) {
        std::vector<hlp::Run> runs = {
            {hlp::kText, 0, "次のヘルプファイルが見つからないか、ヘルプファイルとして読めません。"},
            {hlp::kLineEnd, 0, ""},
            {hlp::kLineEnd, 0, ""},
            {hlp::kText, 0, path},
        };
        ShowRuns("ヘルプファイルを開けません", runs);
        return;
    }
    if (key.empty()) {
        ShowTopic(0, true);
        return;
    }
    std::vector<int> found = hlp::FindKeyword(g.file, key);
    if (found.size() == 1) {
        ShowTopic(found[0], true);
        return;
    }
    // None or several: the index, filtered by the key, to choose from.
    SetWindowTextA(g.keyEdit, key.c_str());
    FillKeywords(key);
    ShowTopic(0, true);
    SetFocus(g.keyList);
}

void BringToFront() {
    if (IsIconic(g.wnd)) ShowWindow(g.wnd, SW_RESTORE);
    SetForegroundWindow(g.wnd);
}

// ---- The window ----

void Layout(int w, int h) {
    const int lh = 18, eh = 22, bh = 24;
    int listH = (h - 3 * kGap - 2 * lh - eh) / 2;
    if (listH < 40) listH = 40;
    int y = kGap;
    MoveWindow(g.contentsLabel, kGap, y, kPane, lh, TRUE);
    y += lh;
    MoveWindow(g.contents, kGap, y, kPane, listH, TRUE);
    y += listH + kGap;
    MoveWindow(g.keyLabel, kGap, y, kPane, lh, TRUE);
    y += lh;
    MoveWindow(g.keyEdit, kGap, y, kPane, eh, TRUE);
    y += eh + 2;
    MoveWindow(g.keyList, kGap, y, kPane, std::max(40, h - y - kGap), TRUE);
    int x = kPane + 2 * kGap;
    MoveWindow(g.back, x, kGap, 60, bh, TRUE);
    MoveWindow(g.title, x + 60 + kGap, kGap + 4, std::max(10, w - x - 60 - 2 * kGap), bh - 4, TRUE);
    MoveWindow(g.text, x, kGap + bh + kGap, std::max(10, w - x - kGap), std::max(10, h - bh - 3 * kGap), TRUE);
}

HWND Child(const char* cls, const char* text, DWORD style, DWORD exStyle, int id) {
    HWND w = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, g.wnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (w) SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(g.font), FALSE);
    return w;
}

bool OnlyRichEdit10() {
    char value[4] = {};
    return GetEnvironmentVariableA(kOnlyRichEdit10, value, sizeof value) > 0 && value[0] == '1';
}

// Rich Edit 2.0 where it is installed, for its links (hand cursor, EN_LINK);
// else Rich Edit 1.0, which every Windows 95 has. Both are looked up at run
// time, so the viewer starts without either.
HWND CreateTextView() {
    const DWORD style = WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
    if (!OnlyRichEdit10() && LoadSystemLibrary("riched20.dll")) {
        if (HWND w = Child(RICHEDIT_CLASSA, "", style, WS_EX_CLIENTEDGE, hlp::kIdText)) {
            g.richEdit2 = true;
            return w;
        }
    }
    if (LoadSystemLibrary("riched32.dll")) return Child(RICHEDIT_CLASS10A, "", style, WS_EX_CLIENTEDGE, hlp::kIdText);
    return nullptr;
}

bool Create(HWND wnd) {
    g.wnd = wnd;
    g.font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, kFace);
    g.contentsLabel = Child("STATIC", "目次", 0, 0, 100);
    g.contents = Child("LISTBOX", "", WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                       WS_EX_CLIENTEDGE, hlp::kIdContents);
    g.keyLabel = Child("STATIC", "キーワード (入力すると絞り込みます)", 0, 0, 102);
    g.keyEdit = Child("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, hlp::kIdKeyEdit);
    g.keyList = Child("LISTBOX", "", WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT,
                      WS_EX_CLIENTEDGE, hlp::kIdKeyList);
    g.back = Child("BUTTON", "戻る", WS_TABSTOP | BS_PUSHBUTTON, 0, hlp::kIdBack);
    g.title = Child("STATIC", "", SS_LEFTNOWORDWRAP, 0, hlp::kIdTitle);
    g.text = CreateTextView();
    if (!g.text) return false;
    // Rich Edit 1.0 holds 32K characters unless told otherwise.
    SendMessageA(g.text, EM_EXLIMITTEXT, 0, hlp::kMaxShownChars * 2 + 4096);
    g.metrics = ProbeMetrics();
    SendMessageA(g.text, EM_SETEVENTMASK, 0, ENM_MOUSEEVENTS | (g.richEdit2 ? ENM_LINK : 0));
    SendMessageA(g.text, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    EnableWindow(g.back, FALSE);
    return true;
}

void OnListPick(HWND list) {
    LRESULT sel = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (sel < 0) return;
    ShowTopic(static_cast<int>(SendMessageA(list, LB_GETITEMDATA, sel, 0)), true);
}

LRESULT OnNotify(const NMHDR* hdr) {
    if (hdr->hwndFrom != g.text) return 0;
    if (hdr->code == EN_LINK && g.markedLinks) {
        const ENLINK* link = reinterpret_cast<const ENLINK*>(hdr);
        if (link->msg == WM_LBUTTONUP) FollowLink(link->chrg.cpMin);
    } else if (hdr->code == EN_MSGFILTER && !g.markedLinks) {
        const MSGFILTER* mf = reinterpret_cast<const MSGFILTER*>(hdr);
        if (mf->msg == WM_LBUTTONUP) FollowLink(CharUnder(mf->lParam));
    }
    return 0;
}

LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: return Create(wnd) ? 0 : -1;
    case WM_SIZE: Layout(LOWORD(lp), HIWORD(lp)); return 0;
    case WM_COMMAND: {
        int id = LOWORD(wp), code = HIWORD(wp);
        if (id == hlp::kIdBack && code == BN_CLICKED && !g.history.empty()) {
            int to = g.history.back();
            g.history.pop_back();
            ShowTopic(to, false);
        } else if (id == hlp::kIdContents && code == LBN_SELCHANGE) {
            OnListPick(g.contents);
        } else if (id == hlp::kIdKeyList && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
            OnListPick(g.keyList);
        } else if (id == hlp::kIdKeyEdit && code == EN_CHANGE) {
            FillKeywords(WindowString(g.keyEdit));
        }
        return 0;
    }
    case WM_NOTIFY: return OnNotify(reinterpret_cast<const NMHDR*>(lp));
    case WM_COPYDATA: {
        const COPYDATASTRUCT* cd = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (cd->dwData != hlp::kCopyDataId || !cd->lpData || cd->cbData == 0) return FALSE;
        // The data must end in NUL; take at most two strings from it.
        const char* p = static_cast<const char*>(cd->lpData);
        if (p[cd->cbData - 1] != '\0') return FALSE;
        Pending* req = new Pending;
        req->path = p;
        size_t next = req->path.size() + 1;
        if (next < cd->cbData) req->key = p + next;
        // Shown after the sender is let go: a long load never holds it up.
        if (!PostMessageA(wnd, kMsgRequest, 0, reinterpret_cast<LPARAM>(req))) {
            delete req;
            return FALSE;
        }
        return TRUE;
    }
    case kMsgRequest: {
        Pending* req = reinterpret_cast<Pending*>(lp);
        Request(req->path, req->key);
        delete req;
        BringToFront();
        return 0;
    }
    case kMsgShowTopic: ShowTopic(static_cast<int>(wp), true); return 0;
    case WM_GETMINMAXINFO: {
        MINMAXINFO* mm = reinterpret_cast<MINMAXINFO*>(lp);
        mm->ptMinTrackSize.x = 480;
        mm->ptMinTrackSize.y = 320;
        return 0;
    }
    case WM_DESTROY:
        DeleteObject(g.font);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

// ---- One viewer, living no longer than the program ----

bool OwnerGone() { return g_owner && WaitForSingleObject(g_owner, 0) == WAIT_OBJECT_0; }

// When the program ends, so does its help: politely first, then for sure,
// so not even a viewer busy with a hostile file outlives the program.
DWORD WINAPI WatchOwner(void*) {
    WaitForSingleObject(g_owner, INFINITE);
    InterlockedExchange(&g_ownerGone, 1);
    if (HWND w = g_mainWnd) PostMessageA(w, WM_CLOSE, 0, 0);
    Sleep(3000);
    ExitProcess(0);
    return 0;
}

// Another viewer runs or is still starting: hand it the request once its
// window exists, or take over if it ends first. True when handed over.
bool HandOver(HANDLE mutex, const std::string& path, const std::string& key) {
    std::string data = path + '\0' + key + '\0';
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 20000) {
        if (OwnerGone()) return true;  // nobody to show it to
        if (HWND running = FindWindowA(hlp::kViewerClass, nullptr)) {
            COPYDATASTRUCT cd = {hlp::kCopyDataId, static_cast<DWORD>(data.size()), &data[0]};
            DWORD_PTR taken = 0;
            if (SendMessageTimeoutA(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd), SMTO_ABORTIFHUNG,
                                    2000, &taken) &&
                taken) {
                SetForegroundWindow(running);
                return true;
            }
        }
        DWORD w = WaitForSingleObject(mutex, 50);
        if (w == WAIT_OBJECT_0 || w == WAIT_ABANDONED) return false;
    }
    return true;  // a viewer that never shows a window: give up quietly
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    RestrictLibrarySearch();
    std::vector<std::string> args = SplitArgs(GetCommandLineA());
    if (!args.empty()) args.erase(args.begin());  // the program's own path
    std::string path = args.empty() ? std::string() : args[0];
    std::string key;
    for (size_t i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "-key") key = args[i + 1];
        if (args[i] == "-owner") g_owner = reinterpret_cast<HANDLE>(std::strtoul(args[i + 1].c_str(), nullptr, 10));
    }
    if (g_owner && WaitForSingleObject(g_owner, 0) == WAIT_FAILED) g_owner = nullptr;  // not a handle we got
    if (OwnerGone()) return 0;
    if (g_owner) {
        DWORD tid;
        if (HANDLE t = CreateThread(nullptr, 0, WatchOwner, nullptr, 0, &tid)) CloseHandle(t);
    }

    // One viewer at a time. The mutex is taken before the window exists, so
    // a viewer that is still starting counts as running.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, hlp::kViewerMutex);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS && HandOver(mutex, path, key)) return 0;

    InitCommonControls();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(nullptr, IDI_QUESTION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = hlp::kViewerClass;
    if (!RegisterClassA(&wc)) return 1;
    HWND wnd = CreateWindowExA(0, hlp::kViewerClass, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                               CW_USEDEFAULT, CW_USEDEFAULT, 760, 540, nullptr, nullptr, instance, nullptr);
    if (!wnd) {
        MessageBoxA(nullptr, "ヘルプを表示できません。\nリッチ エディット コントロール (RICHED32.DLL) が見つかりません。",
                    kCaption, MB_OK | MB_ICONSTOP);
        return 1;
    }
    // The program may have ended while the window was made; else its watch
    // sees the window.
    g_mainWnd = wnd;
    if (g_ownerGone) return 0;
    ShowWindow(wnd, show);
    UpdateWindow(wnd);
    Request(path, key);
    SetForegroundWindow(wnd);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(wnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (mutex) ReleaseMutex(mutex);
    return static_cast<int>(msg.wParam);
}
