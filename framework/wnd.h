// CWnd: a window handle plus the few calls the program makes on it.
// Subclassed windows find their object again through a window property.
#pragma once
#include <windows.h>

#include <string>

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }

    // Attaching to a control of a dialog: the object then sees the control's messages.
    bool SubclassDlgItem(int id, CWnd* parent);
    bool SubclassWindow(HWND hwnd);
    void UnsubclassWindow();
    static CWnd* FromHandle(HWND hwnd);  // only subclassed windows and running dialogs

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    void SetWindowText(const std::string& text) { ::SetWindowTextA(m_hWnd, text.c_str()); }
    std::string GetWindowText() const;
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text) const { ::SetDlgItemTextA(m_hWnd, id, text.c_str()); }
    void EnableWindow(bool enable) const { ::EnableWindow(m_hWnd, enable); }
    void EnableDlgItem(int id, bool enable) const { ::EnableWindow(GetDlgItem(id), enable); }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    RECT GetWindowRect() const;
    RECT GetClientRect() const;
    void MoveTo(int x, int y, bool repaint = false) const;
    void Invalidate(bool erase = true) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageA(m_hWnd, msg, wp, lp); }
    void PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { ::PostMessageA(m_hWnd, msg, wp, lp); }
    // Message box captioned with the application title, owned by this window.
    int MessageBox(const std::string& text, UINT type = MB_OK) const;

    // An owner-drawn control gets its parent's WM_DRAWITEM here.
    virtual void DrawItem(DRAWITEMSTRUCT* dis) { (void)dis; }

protected:
    // Subclassed windows: every message arrives here; default passes it on.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    static void Bind(HWND hwnd, CWnd* wnd);
    static void Unbind(HWND hwnd);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    WNDPROC m_oldProc = nullptr;
};
