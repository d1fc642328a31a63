#include "widgets/positiondlg.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "app/help.h"
#include "mainwnd/maindlg.h"
#include "res/resource.h"

PositionChoice InitialPositionChoice(bool valid, const settings::PositionRecord& rec, const RECT& work,
                                     SIZE window) {
    PositionChoice c{};
    if (!valid) {
        c.x = (work.left + work.right) / 2 - window.cx / 2;
        c.y = (work.top + work.bottom) / 2 - window.cy / 2;
        return c;
    }
    c.mode = rec.mode >= 0 && rec.mode <= 2 ? rec.mode : 0;
    c.x = rec.specX;
    c.y = rec.specY;
    c.keepInside = rec.keepInside;
    if (c.keepInside) {
        if (c.x < work.left)
            c.x = work.left;
        else if (c.x + window.cx > work.right)
            c.x = work.right - window.cx;
        if (c.y < work.top)
            c.y = work.top;
        else if (c.y + window.cy > work.bottom)
            c.y = work.bottom - window.cy;
    }
    return c;
}

const CommandEntry<CPositionDlg> CPositionDlg::kCommands[] = {
    {IDC_UPDATE, IDC_UPDATE, BN_CLICKED, &CPositionDlg::OnUpdate},
    {IDC_HELPBTN, IDC_HELPBTN, BN_CLICKED, &CPositionDlg::OnHelp},
    {IDC_POS_CENTER, IDC_POS_CENTER, BN_CLICKED, &CPositionDlg::OnModeButton},
    {IDC_POS_ATEXIT, IDC_POS_ATEXIT, BN_CLICKED, &CPositionDlg::OnModeButton},
    {IDC_POS_SPECIFIED, IDC_POS_SPECIFIED, BN_CLICKED, &CPositionDlg::OnModeButton},
    {IDC_POS_X, IDC_POS_X, EN_CHANGE, &CPositionDlg::OnChange},
    {IDC_POS_Y, IDC_POS_Y, EN_CHANGE, &CPositionDlg::OnChange},
    {IDC_POS_KEEPINSIDE, IDC_POS_KEEPINSIDE, BN_CLICKED, &CPositionDlg::OnChange},
};

const MessageEntry<CPositionDlg> CPositionDlg::kMessages[] = {
    {WM_VSCROLL, &CPositionDlg::OnVScroll},
};

CPositionDlg::CPositionDlg(CMainDlg* main) : CDialog(IDD_POSITION, main), m_main(main) {}

void CPositionDlg::DoDataExchange(CDataExchange& dx) {
    dx.Radio(IDC_POS_CENTER, m_mode);
    dx.Text(IDC_POS_X, m_xText);
    dx.Text(IDC_POS_Y, m_yText);
    dx.Check(IDC_POS_KEEPINSIDE, m_keepInside);
}

bool CPositionDlg::OnCommand(UINT id, UINT code, HWND) { return DispatchCommandTable(this, kCommands, id, code); }

bool CPositionDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    return DispatchMessageTable(this, kMessages, msg, wp, lp, result);
}

BOOL CPositionDlg::OnInitDialog() {
    settings::PositionRecord rec;
    bool valid = settings::ReadPosition(m_main->RootKey(), &rec);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT win = m_main->GetWindowRect();
    PositionChoice c = InitialPositionChoice(valid, rec, work, SIZE{win.right - win.left, win.bottom - win.top});
    if (valid) {
        m_exitX = rec.exitX;
        m_exitY = rec.exitY;
    }
    m_mode = c.mode;
    m_keepInside = c.keepInside;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", c.x);
    m_xText = buf;
    std::snprintf(buf, sizeof buf, "%d", c.y);
    m_yText = buf;
    for (int id : {IDC_POS_XSPIN, IDC_POS_YSPIN}) {
        HWND spin = GetDlgItem(id);
        ::SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(16383, -16383));
        ::SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(id == IDC_POS_XSPIN ? c.x : c.y, 0));
    }
    CDialog::OnInitDialog();
    m_shownMode = c.mode;
    m_shownX = c.x;
    m_shownY = c.y;
    m_shownKeepInside = c.keepInside;
    EnableDlgItem(IDC_UPDATE, false);
    EnableDlgItem(IDC_POS_X, m_mode == 2);
    EnableDlgItem(IDC_POS_Y, m_mode == 2);
    return TRUE;
}

LRESULT CPositionDlg::OnVScroll(WPARAM wp, LPARAM lp) {
    EnableDlgItem(IDC_UPDATE, true);
    return ::DefWindowProcA(m_hWnd, WM_VSCROLL, wp, lp);
}

void CPositionDlg::OnChange(UINT) { EnableDlgItem(IDC_UPDATE, true); }

void CPositionDlg::OnModeButton(UINT id) {
    int mode = id == IDC_POS_CENTER ? 0 : id == IDC_POS_ATEXIT ? 1 : 2;
    if (m_shownMode != mode) EnableDlgItem(IDC_UPDATE, true);
    EnableDlgItem(IDC_POS_X, mode == 2);
    EnableDlgItem(IDC_POS_Y, mode == 2);
}

void CPositionDlg::OnUpdate(UINT) { Save(); }
void CPositionDlg::OnHelp(UINT) { AppHelp(m_hWnd, HELP_PARTIALKEY, "表示位置の設定"); }

void CPositionDlg::OnOK() {
    Save();
    EndDialog(IDOK);
}

void CPositionDlg::Save() {
    EnableDlgItem(IDC_UPDATE, false);
    UpdateData(true);
    if (m_mode < 0) m_mode = 0;
    bool changed = false;
    if (m_mode != m_shownMode) {
        m_shownMode = m_mode;
        changed = true;
    }
    if (m_keepInside != m_shownKeepInside) {
        m_shownKeepInside = m_keepInside;
        changed = true;
    }
    int x = std::atoi(m_xText.c_str());
    int y = std::atoi(m_yText.c_str());
    // x and y are compared with what the dialog opened with, not the last save.
    if (x != m_shownX || y != m_shownY) changed = true;
    if (!changed) return;
    settings::PositionRecord rec{m_mode, m_exitX, m_exitY, x, y, m_keepInside};
    settings::WritePosition(m_main->RootKey(), rec);
}
