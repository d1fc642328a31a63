#include "framework/dialog.h"

#include "framework/commonctl.h"
#include "framework/winapp.h"

void CDataExchange::Text(int id, std::string& value) {
    HWND item = GetDlgItem(m_dlg, id);
    if (m_save) {
        int n = GetWindowTextLengthA(item);
        std::string buf(n + 1, '\0');
        GetWindowTextA(item, &buf[0], n + 1);
        buf.resize(n);
        value = buf;
    } else {
        SetWindowTextA(item, value.c_str());
    }
}

void CDataExchange::Check(int id, int& value) {
    HWND item = GetDlgItem(m_dlg, id);
    if (m_save)
        value = static_cast<int>(SendMessageA(item, BM_GETCHECK, 0, 0));
    else
        SendMessageA(item, BM_SETCHECK, value, 0);
}

void CDataExchange::Radio(int firstId, int& value) {
    HWND item = GetDlgItem(m_dlg, firstId);
    if (m_save) value = -1;
    for (int index = 0; item; ++index) {
        if (m_save) {
            if (SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            SendMessageA(item, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        item = GetWindow(item, GW_HWNDNEXT);
        if (!item || (GetWindowLongA(item, GWL_STYLE) & WS_GROUP)) break;
        DWORD type = GetWindowLongA(item, GWL_STYLE) & BS_TYPEMASK;
        if (type != BS_RADIOBUTTON && type != BS_AUTORADIOBUTTON) break;
    }
}

INT_PTR CDialog::DoModal() {
    CWinApp* app = CWinApp::Get();
    HINSTANCE inst = app ? app->m_hInstance : GetModuleHandleA(nullptr);
    if (m_commonControls) commonctl::Load();
    return DialogBoxParamA(inst, MAKEINTRESOURCEA(m_templateId), m_parent ? m_parent->m_hWnd : nullptr,
                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

bool CDialog::UpdateData(bool save) {
    CDataExchange dx(m_hWnd, save);
    DoDataExchange(dx);
    return true;
}

void CDialog::CenterWindow() const {
    RECT area;
    if (m_parent && m_parent->m_hWnd && !IsIconic(m_parent->m_hWnd))
        area = m_parent->GetWindowRect();
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT r = GetWindowRect();
    int x = (area.left + area.right) / 2 - (r.right - r.left) / 2;
    int y = (area.top + area.bottom) / 2 - (r.bottom - r.top) / 2;
    MoveTo(x, y, true);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
bool CDialog::OnCommand(UINT, UINT, HWND) { return false; }

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CDialog* dlg;
    if (msg == WM_INITDIALOG) {
        dlg = reinterpret_cast<CDialog*>(lp);
        dlg->m_hWnd = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        Bind(hwnd, dlg);
    } else {
        dlg = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!dlg) return FALSE;
    INT_PTR r = dlg->HandleMessage(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        Unbind(hwnd);
        dlg->m_hWnd = nullptr;
    }
    return r;
}

INT_PTR CDialog::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_DRAWITEM: {
            auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (CWnd* ctl = FromHandle(dis->hwndItem)) {
                ctl->DrawItem(dis);
                return TRUE;
            }
            break;
        }
        case WM_COMMAND: {
            UINT id = LOWORD(wp), code = HIWORD(wp);
            if (OnCommand(id, code, reinterpret_cast<HWND>(lp))) return TRUE;
            if (id == IDOK && code == BN_CLICKED) {
                OnOK();
                return TRUE;
            }
            if (id == IDCANCEL && code == BN_CLICKED) {
                OnCancel();
                return TRUE;
            }
            break;
        }
    }
    LRESULT result = 0;
    if (!OnMessage(msg, wp, lp, result)) return FALSE;
    switch (msg) {
        // These return their value directly from a dialog procedure.
        case WM_QUERYDRAGICON:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_COMPAREITEM:
            return static_cast<INT_PTR>(result);
    }
    SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
