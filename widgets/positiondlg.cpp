#include "widgets/positiondlg.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "app/help.h"
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
    c.keepInside = rec.keepInside;
    POINT p = c.keepInside ? settings::PullInside(rec.specX, rec.specY, work, window) : POINT{rec.specX, rec.specY};
    c.x = p.x;
    c.y = p.y;
    return c;
}

bool PositionSaveWrites(PositionChoice* shown, const PositionChoice& now) {
    bool changed = false;
    if (now.mode != shown->mode) {
        shown->mode = now.mode;
        changed = true;
    }
    if (now.keepInside != shown->keepInside) {
        shown->keepInside = now.keepInside;
        changed = true;
    }
    return changed || now.x != shown->x || now.y != shown->y;
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

CPositionDlg::CPositionDlg(CWnd* parent, HKEY root, SIZE mainSize)
    : CDialog(IDD_POSITION, parent), m_root(root), m_mainSize(mainSize) {}

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
    bool valid = settings::ReadPosition(m_root, &rec);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    PositionChoice c = InitialPositionChoice(valid, rec, work, m_mainSize);
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
    m_shown = c;
    EnableDlgItem(IDC_UPDATE, false);
    SetCoordinatesTypable(m_mode == 2);
    return TRUE;
}

// Outside "specified" the edits take no typing but the arrows still move
// the coordinates. A disabled edit would take its up-down down with it.
void CPositionDlg::SetCoordinatesTypable(bool typable) const {
    for (int id : {IDC_POS_X, IDC_POS_Y}) ::SendMessageA(GetDlgItem(id), EM_SETREADONLY, !typable, 0);
}

LRESULT CPositionDlg::OnVScroll(WPARAM wp, LPARAM lp) {
    EnableDlgItem(IDC_UPDATE, true);
    return ::DefWindowProcA(m_hWnd, WM_VSCROLL, wp, lp);
}

void CPositionDlg::OnChange(UINT) { EnableDlgItem(IDC_UPDATE, true); }

void CPositionDlg::OnModeButton(UINT id) {
    int mode = id == IDC_POS_CENTER ? 0 : id == IDC_POS_ATEXIT ? 1 : 2;
    if (m_shown.mode != mode) EnableDlgItem(IDC_UPDATE, true);
    SetCoordinatesTypable(mode == 2);
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
    PositionChoice now{m_mode, std::atoi(m_xText.c_str()), std::atoi(m_yText.c_str()), m_keepInside};
    if (!PositionSaveWrites(&m_shown, now)) return;
    settings::WritePosition(m_root,
                            settings::PositionRecord{now.mode, m_exitX, m_exitY, now.x, now.y, now.keepInside});
}
