#include "framework/wnd.h"

#include <unordered_map>
#include <vector>

#include "framework/winapp.h"

namespace {
// Every message of a subclassed window looks its object up here. A window
// property would do, but under Wine each property read is a round trip to
// the server, and that made a full repaint several times slower. Windows
// live on the one interface thread.
std::unordered_map<HWND, CWnd*>& Objects() {
    static std::unordered_map<HWND, CWnd*> objects;
    return objects;
}
}  // namespace

CWnd::~CWnd() {
    if (m_oldProc && IsWindow(m_hWnd)) UnsubclassWindow();
}

void CWnd::Bind(HWND hwnd, CWnd* wnd) { Objects()[hwnd] = wnd; }
void CWnd::Unbind(HWND hwnd) { Objects().erase(hwnd); }

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto it = Objects().find(hwnd);
    return it == Objects().end() ? nullptr : it->second;
}

bool CWnd::SubclassDlgItem(int id, CWnd* parent) {
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, id));
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_hWnd) return false;
    m_hWnd = hwnd;
    Bind(hwnd, this);
    m_oldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return true;
}

void CWnd::UnsubclassWindow() {
    if (!m_hWnd || !m_oldProc) return;
    SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    Unbind(m_hWnd);
    m_oldProc = nullptr;
    m_hWnd = nullptr;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* wnd = FromHandle(hwnd);
    if (!wnd) return ::DefWindowProcA(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        // The window is going away: hand it back before the last message.
        WNDPROC old = wnd->m_oldProc;
        wnd->UnsubclassWindow();
        return CallWindowProcA(old, hwnd, msg, wp, lp);
    }
    return wnd->WindowProc(msg, wp, lp);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProc(msg, wp, lp); }

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_oldProc) return CallWindowProcA(m_oldProc, m_hWnd, msg, wp, lp);
    return ::DefWindowProcA(m_hWnd, msg, wp, lp);
}

std::string CWnd::GetWindowText() const {
    int n = GetWindowTextLengthA(m_hWnd);
    std::vector<char> buf(n + 1);
    ::GetWindowTextA(m_hWnd, buf.data(), n + 1);
    return buf.data();
}

std::string CWnd::GetDlgItemText(int id) const {
    HWND item = GetDlgItem(id);
    int n = GetWindowTextLengthA(item);
    std::vector<char> buf(n + 1);
    ::GetWindowTextA(item, buf.data(), n + 1);
    return buf.data();
}

RECT CWnd::GetWindowRect() const {
    RECT r{};
    ::GetWindowRect(m_hWnd, &r);
    return r;
}

RECT CWnd::GetClientRect() const {
    RECT r{};
    ::GetClientRect(m_hWnd, &r);
    return r;
}

void CWnd::MoveTo(int x, int y, bool repaint) const {
    UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW);
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, flags);
}

int CWnd::MessageBox(const std::string& text, UINT type) const {
    return AppMessageBox(m_hWnd, text, type);
}
