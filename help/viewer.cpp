// ZBHELP.EXE: shows a help file written by tools/mkhelp. A window with the
// contents, the keyword index (typing filters it) and the topic text, whose
// links show other topics. See help/protocol.h for how the program drives it.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <string>
#include <vector>

#include "help/hlpfile.h"
#include "help/protocol.h"

namespace {

const char kCaption[] = "ｸﾛﾉﾗﾝ ﾍﾙﾌﾟ";
const char kFace[] = "ＭＳ Ｐゴシック";
const int kPane = 210;  // width of the left pane
const int kGap = 6;

struct LinkRange {
    LONG first, last;  // character positions in the rich edit
    int target;
};

struct Viewer {
    HWND wnd = nullptr;
    HWND contents = nullptr, keyLabel = nullptr, keyEdit = nullptr, keyList = nullptr, contentsLabel = nullptr;
    HWND back = nullptr, title = nullptr, text = nullptr;
    HFONT font = nullptr;
    std::string path;
    hlp::File file;
    bool loaded = false;
    int current = -1;
    std::vector<int> history;
    std::vector<LinkRange> links;
};

Viewer g;

// Parses `"file" [-key "keyword"]`; quotes and spaces are never trail bytes
// in code page 932, so a plain byte scan is safe.
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
    bool ok = size != INVALID_FILE_SIZE && size <= 16u * 1024 * 1024;
    if (ok) {
        bytes->resize(size);
        DWORD read = 0;
        ok = size == 0 || (ReadFile(h, bytes->data(), size, &read, nullptr) && read == size);
    }
    CloseHandle(h);
    return ok;
}

void SetFormat(DWORD effects, LONG heightTwips, COLORREF color) {
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_BOLD | CFM_UNDERLINE | CFM_LINK | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET;
    cf.dwEffects = effects;
    cf.yHeight = heightTwips;
    cf.crTextColor = color;
    cf.bCharSet = SHIFTJIS_CHARSET;
    lstrcpynA(cf.szFaceName, kFace, LF_FACESIZE);
    SendMessageA(g.text, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

LONG TextEnd() {
    GETTEXTLENGTHEX gtl = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<LONG>(SendMessageW(g.text, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0));
}

// The topic text as UTF-16 for the rich edit. Spaces become no-break
// spaces: Wine's rich edit wraps only at spaces while there are any, which
// cut Japanese lines short at the odd space between words.
std::wstring Wide(const std::string& s) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(932, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(932, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    for (wchar_t& c : w)
        if (c == L' ') c = 0x00A0;
    return w;
}

// Appends text in a format; returns its character range.
LinkRange Append(const std::string& s, DWORD effects, LONG heightTwips, COLORREF color) {
    LONG first = TextEnd();
    CHARRANGE at = {first, first};
    SendMessageA(g.text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
    SetFormat(effects, heightTwips, color);
    std::wstring w = Wide(s);
    SETTEXTEX how = {ST_SELECTION, 1200};  // UTF-16
    SendMessageA(g.text, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(w.c_str()));
    return {first, TextEnd(), -1};
}

void ShowText(const std::string& heading, const std::string& body) {
    g.links.clear();
    SendMessageA(g.text, WM_SETREDRAW, FALSE, 0);
    SetWindowTextA(g.text, "");
    Append(heading + "\r", CFE_BOLD, 280, RGB(0, 0, 128));
    Append(body, 0, 200, RGB(0, 0, 0));
    CHARRANGE top = {0, 0};
    SendMessageA(g.text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&top));
    SendMessageA(g.text, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g.text, nullptr, TRUE);
    SetWindowTextA(g.title, heading.c_str());
}

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
    g.links.clear();
    SendMessageA(g.text, WM_SETREDRAW, FALSE, 0);
    SetWindowTextA(g.text, "");
    Append(t.title + "\r", CFE_BOLD, 300, RGB(0, 0, 128));
    std::vector<LinkRange> links;
    for (const hlp::Run& run : t.runs) {
        switch (run.kind) {
        case hlp::kText: Append(run.text, 0, 200, RGB(0, 0, 0)); break;
        case hlp::kHeading: Append(run.text, CFE_BOLD, 240, RGB(0, 0, 128)); break;
        case hlp::kLineEnd: Append("\r", 0, 200, RGB(0, 0, 0)); break;
        case hlp::kLink: {
            LinkRange r = Append(run.text, CFE_LINK | CFE_UNDERLINE, 200, RGB(0, 0, 255));
            r.target = run.target;
            links.push_back(r);
            break;
        }
        }
    }
    g.links = links;
    CHARRANGE top = {0, 0};
    SendMessageA(g.text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&top));
    SendMessageA(g.text, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g.text, nullptr, TRUE);
    SetWindowTextA(g.title, t.title.c_str());
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
    SendMessageA(g.contents, LB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < g.file.topics.size(); ++i) {
        LRESULT at = SendMessageA(g.contents, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(g.file.topics[i].title.c_str()));
        if (at >= 0) SendMessageA(g.contents, LB_SETITEMDATA, at, static_cast<LPARAM>(i));
    }
    SetWindowTextA(g.keyEdit, "");
    FillKeywords("");
    EnableWindow(g.back, FALSE);
}

// A request: file, then the contents or the topic of a partial keyword.
void Request(const std::string& path, const std::string& key) {
    Load(path);
    if (!g.loaded) {
        ShowText("ヘルプファイルを開けません",
                 "次のヘルプファイルが見つからないか、ヘルプファイルとして読めません。\r\r" + path);
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
    SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(g.font), FALSE);
    return w;
}

void Create(HWND wnd) {
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
    g.text = Child(RICHEDIT_CLASSA, "", WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                   WS_EX_CLIENTEDGE, hlp::kIdText);
    SendMessageA(g.text, EM_SETEVENTMASK, 0, ENM_LINK);
    SendMessageA(g.text, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    EnableWindow(g.back, FALSE);
}

void OnLink(const ENLINK* link) {
    if (link->msg != WM_LBUTTONUP) return;
    for (const LinkRange& r : g.links)
        if (link->chrg.cpMin >= r.first && link->chrg.cpMin < r.last) {
            ShowTopic(r.target, true);
            return;
        }
}

void OnListPick(HWND list) {
    LRESULT sel = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (sel < 0) return;
    ShowTopic(static_cast<int>(SendMessageA(list, LB_GETITEMDATA, sel, 0)), true);
}

LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: Create(wnd); return 0;
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
    case WM_NOTIFY: {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
        if (hdr->hwndFrom == g.text && hdr->code == EN_LINK) OnLink(reinterpret_cast<const ENLINK*>(lp));
        return 0;
    }
    case WM_COPYDATA: {
        const COPYDATASTRUCT* cd = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (cd->dwData != hlp::kCopyDataId || !cd->lpData || cd->cbData == 0) return FALSE;
        // The data must end in NUL; take at most two strings from it.
        const char* p = static_cast<const char*>(cd->lpData);
        if (p[cd->cbData - 1] != '\0') return FALSE;
        std::string path = p;
        size_t next = path.size() + 1;
        std::string key = next < cd->cbData ? std::string(p + next) : std::string();
        Request(path, key);
        BringToFront();
        return TRUE;
    }
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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    std::vector<std::string> args = SplitArgs(GetCommandLineA());
    if (!args.empty()) args.erase(args.begin());  // the program's own path
    std::string path = args.empty() ? std::string() : args[0];
    std::string key;
    if (args.size() >= 3 && args[1] == "-key") key = args[2];

    // One viewer at a time: hand the request to the running one.
    if (HWND running = FindWindowA(hlp::kViewerClass, nullptr)) {
        std::string data = path + '\0' + key + '\0';
        COPYDATASTRUCT cd = {hlp::kCopyDataId, static_cast<DWORD>(data.size()), &data[0]};
        DWORD_PTR result = 0;
        SendMessageTimeoutA(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd), SMTO_ABORTIFHUNG, 5000, &result);
        SetForegroundWindow(running);
        return 0;
    }

    InitCommonControls();
    if (!LoadLibraryA("riched20.dll")) return 1;
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
    if (!wnd) return 1;
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
    return static_cast<int>(msg.wParam);
}
