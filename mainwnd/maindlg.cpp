#include "mainwnd/maindlg.h"

#include "app/help.h"
#include "framework/winapp.h"
#include "items/catalogue.h"
#include "items/itemeditdlg.h"
#include "items/measuretree.h"
#include "mainwnd/aboutdlg.h"
#include "mainwnd/layout.h"
#include "mainwnd/paint.h"
#include "mainwnd/version.h"
#include "run/protocol.h"
#include "run/scores.h"
#include "run/rundialogs.h"
#include "res/resource.h"
#include "sysinfo/sysinfodlg.h"
#include "widgets/dispmodedlg.h"
#include "widgets/positiondlg.h"
#include "widgets/warningdlg.h"

namespace {

struct ToolDef {
    int id;
    UINT bitmap;
    UINT tip;
};
// Declaration order of the tool buttons.
const ToolDef kToolDefs[13] = {
    {IDC_CLIPCOPY, 156, IDS_TIP_CLIPCOPY},     {IDC_SAVETEXT, 157, IDS_TIP_SAVETEXT},
    {IDC_EDITINFO, 158, IDS_TIP_EDITINFO},     {IDC_EDITITEM, 159, IDS_TIP_EDITITEM},
    {IDC_SAVEITEM, 160, IDS_TIP_SAVEITEM},     {IDC_LOADITEM, 161, IDS_TIP_LOADITEM},
    {IDC_SELLEVEL, 162, IDS_TIP_SELLEVEL},     {IDC_SETWARN, 163, IDS_TIP_SETWARN},
    {IDC_SETPOS, 164, IDS_TIP_SETPOS},         {IDC_SELDISP, 171, IDS_TIP_SELDISP},
    {IDC_HELPFINDER, 166, IDS_TIP_HELPFINDER}, {IDC_ABOUT, 167, IDS_TIP_ABOUT},
    {IDOK, 168, IDS_TIP_CLOSE},
};

struct MenuDef {
    UINT menuId;  // 0 = separator
    UINT text;
    int command;  // the tool button it stands for
};
const MenuDef kSystemMenu[] = {
    {0, 0, 0},
    {IDM_CLIPCOPY, IDS_MENU_CLIPCOPY, IDC_CLIPCOPY},
    {IDM_SAVETEXT, IDS_MENU_SAVETEXT, IDC_SAVETEXT},
    {0, 0, 0},
    {IDM_EDITINFO, IDS_MENU_EDITINFO, IDC_EDITINFO},
    {0, 0, 0},
    {IDM_EDITITEM, IDS_MENU_EDITITEM, IDC_EDITITEM},
    {IDM_SAVEITEM, IDS_MENU_SAVEITEM, IDC_SAVEITEM},
    {IDM_LOADITEM, IDS_MENU_LOADITEM, IDC_LOADITEM},
    {0, 0, 0},
    {IDM_SELLEVEL, IDS_MENU_SELLEVEL, IDC_SELLEVEL},
    {IDM_SETWARN, IDS_MENU_SETWARN, IDC_SETWARN},
    {IDM_SETPOS, IDS_MENU_SETPOS, IDC_SETPOS},
    {IDM_SELDISP, IDS_MENU_SELDISP, IDC_SELDISP},
    {0, 0, 0},
    {IDM_HELPFINDER, IDS_MENU_HELPFINDER, IDC_HELPFINDER},
    {IDM_ABOUT, IDS_MENU_ABOUT, IDC_ABOUT},
};

const char kRegistryFailure[] = " 正常にレジストリの操作ができません。\nアプリケーション ベンチマークの起動を中止します。";

}  // namespace

const MessageEntry<CMainDlg> CMainDlg::kMessages[] = {
    {WM_PAINT, &CMainDlg::OnPaint},
    {WM_ERASEBKGND, &CMainDlg::OnEraseBkgnd},
    {WM_QUERYDRAGICON, &CMainDlg::OnQueryDragIcon},
    {WM_SYSCOMMAND, &CMainDlg::OnSysCommand},
    {WM_DESTROY, &CMainDlg::OnDestroy},
    {WM_TIMER, &CMainDlg::OnTimer},
    {WM_QUERYNEWPALETTE, &CMainDlg::OnQueryNewPalette},
    {WM_PALETTECHANGED, &CMainDlg::OnPaletteChanged},
    {WM_SYSCOLORCHANGE, &CMainDlg::OnColoursChanged},
    {WM_DISPLAYCHANGE, &CMainDlg::OnColoursChanged},
    {run::kEndMessage, &CMainDlg::OnEndBnc},
};

const CommandEntry<CMainDlg> CMainDlg::kCommands[] = {
    {IDC_CLIPCOPY, IDC_CLIPCOPY, BN_CLICKED, &CMainDlg::OnClipCopy},
    {IDC_SAVETEXT, IDC_SAVETEXT, BN_CLICKED, &CMainDlg::OnSaveText},
    {IDC_EDITINFO, IDC_EDITINFO, BN_CLICKED, &CMainDlg::OnEditInfo},
    {IDC_EDITITEM, IDC_EDITITEM, BN_CLICKED, &CMainDlg::OnEditItem},
    {IDC_SAVEITEM, IDC_SAVEITEM, BN_CLICKED, &CMainDlg::OnSaveItem},
    {IDC_LOADITEM, IDC_LOADITEM, BN_CLICKED, &CMainDlg::OnLoadItem},
    {IDC_SELLEVEL, IDC_SELLEVEL, BN_CLICKED, &CMainDlg::OnSelectPrecision},
    {IDC_SETWARN, IDC_SETWARN, BN_CLICKED, &CMainDlg::OnSetWarnings},
    {IDC_SETPOS, IDC_SETPOS, BN_CLICKED, &CMainDlg::OnSetPosition},
    {IDC_SELDISP, IDC_SELDISP, BN_CLICKED, &CMainDlg::OnSelectDisplay},
    {IDC_HELPFINDER, IDC_HELPFINDER, BN_CLICKED, &CMainDlg::OnHelpFinder},
    {IDC_ABOUT, IDC_ABOUT, BN_CLICKED, &CMainDlg::OnAbout},
    {IDC_ITEMBTN_FIRST, IDC_ITEMBTN_FIRST + 10, BN_CLICKED, &CMainDlg::OnItemButton},
};

CMainDlg::CMainDlg() : CDialog(IDD_MAIN) {
    // Its tool tip loads them at the first mouse move over a button.
    m_commonControls = false;
    m_hIcon = LoadIconA(CWinApp::Get()->m_hInstance, MAKEINTRESOURCEA(IDI_MAIN));
}

CMainDlg::~CMainDlg() {
    if (m_hRootKey) RegCloseKey(m_hRootKey);
}

bool CMainDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    return DispatchMessageTable(this, kMessages, msg, wp, lp, result);
}

bool CMainDlg::OnCommand(UINT id, UINT code, HWND) { return DispatchCommandTable(this, kCommands, id, code); }

void CMainDlg::FailAndQuit(const char* text) {
    MessageBox(text, MB_ICONSTOP);
    PostQuitMessage(0);
}

BOOL CMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    BuildAppPalette();
    m_clock.Start();
    BuildSystemMenu();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    ScaleToDesignSize();
    m_clientRect = GetClientRect();
    // The logo bitmap is 82 x 19 pixels.
    const int logoW = 82, logoH = 19;
    m_logoRect = RECT{m_clientRect.right - logoW - 7, m_clientRect.top + 5, m_clientRect.right - 7,
                      m_clientRect.top + logoH + 5};

    m_exePath = CWinApp::Get()->m_exePath;
    m_programDir = CWinApp::Get()->m_programDir;
    if (ReadExeVersion(m_exePath.c_str(), &m_fileVersion, &m_productVersion) == VersionRead::kNoMemory) {
        FailAndQuit("OnInitDialog() バージョン情報を読み込むのためのメモリが足りません。\n"
                    "アプリケーション ベンチマークの起動を中止します。");
        return FALSE;
    }

    if (!CreateRootKey()) return TRUE;
    m_measurement = std::make_unique<run::Measurement>(static_cast<run::RunHost&>(*this), m_hRootKey, m_programDir, m_options, m_hWnd);
    ReadFirstTime();
    if (m_firstUse) {
        AppMessageBox(m_hWnd,
                      "ご使用になられる前に必ずヘルプ\nファイルをお読みください。\n"
                      "ヘルプファイルが正式なマニュアル\nになっております。",
                      MB_OK);
        AppHelp(m_hWnd, HELP_FINDER);
    }
    items::RecoverMeasure(m_hRootKey);  // a catalogue replacement cut short
    // Also when a first start was cut short before its scan.
    if (!items::MeasureExists(m_hRootKey)) BuildMeasureTree();
    UpdateVersion();
    IniMenberVariable();

    for (int i = 0; i < 18; ++i) m_sysCaptions[i] = LoadResString(kSystemCaptions[i].stringId);
    m_detected = sysinfo::DetectSystemDefaults(m_hWnd);
    m_devices = sysinfo::DetectHardware();
    sysinfo::LoadSystemInfo(m_hRootKey, m_detected, m_devices, m_programDir, sysinfo::SystemIniDisplayDriver(),
                            &m_sysInfo);
    for (int i = 0; i < 12; ++i) m_toolCaptions[i] = LoadResString(kCompactCaptions[i].stringId);
    ScaleControls();
    AttachControls();
    // One read of the catalogue serves the slots and the overall score; each
    // still reports the missing modules it meets.
    std::vector<items::CatalogueEntry> catalogue = items::ReadCatalogue(m_hRootKey, m_programDir);
    PlaceItems(catalogue, false);
    SetScoreTexts(0,
                  run::OverallScore(m_hRootKey, catalogue, static_cast<uint32_t>(m_options.runCount),
                                    [this](const std::string& file) { ShowMissingFile(file); }),
                  true);
    for (int i = 0; i < sysinfo::kFieldCount; ++i) m_sysInfoStatic[i].SetWindowText(m_sysInfo.text[i]);

    ApplyLayout();
    CenterWindow();
    RestorePosition();
    return TRUE;
}

void CMainDlg::AttachControls() {
    for (int i = 0; i < 13; ++i)
        m_toolBtn[i].InitToolBtn(kToolDefs[i].id, kToolDefs[i].bitmap, kToolDefs[i].tip, this, &m_palette);
    m_versionLine.InitMsgStatic(IDC_VERSIONLINE, this, &m_palette);
    for (int i = 0; i < 13; ++i) m_sysInfoStatic[i].InitMsgStatic(IDC_SYSINFO_FIRST + i, this, &m_palette);
    m_logo.InitBmpStatic(IDC_LOGO, 170, m_logoRect.left, m_logoRect.top, this);
    for (int i = 0; i < 11; ++i) {
        m_numLed[i].InitNumLed(IDC_NUMLED_FIRST + i, this, &m_palette);
        m_levelLed[i].InitLevelLed(IDC_LEVELLED_FIRST + i, this, &m_palette);
    }
    LoadItemButton(0, true, CItemBtn::kAllItemsBitmap);
}

void CMainDlg::LoadItemButton(int row, bool fromResource, UINT bitmapId, const std::string& file) {
    CItemBtn& button = m_itemBtn[row];
    if (button.m_hWnd)
        button.AutoLoad(fromResource, bitmapId, file);
    else
        button.AutoLoad(IDC_ITEMBTN_FIRST + row, fromResource, bitmapId, file, this, &m_palette);
}

void CMainDlg::BuildAppPalette() { m_palette.Build(m_hWnd); }
void CMainDlg::RealizeAppPalette() const { m_palette.Realize(m_hWnd); }

LRESULT CMainDlg::OnQueryNewPalette(WPARAM wp, LPARAM lp) {
    RealizeAppPalette();
    return ::DefWindowProcA(m_hWnd, WM_QUERYNEWPALETTE, wp, lp);
}

LRESULT CMainDlg::OnPaletteChanged(WPARAM wp, LPARAM lp) {
    LRESULT result = ::DefWindowProcA(m_hWnd, WM_PALETTECHANGED, wp, lp);
    // Our own realisation changed it: realising again would loop.
    if (reinterpret_cast<HWND>(wp) != m_hWnd) RealizeAppPalette();
    return result;
}

// The kept pictures hold the colours as they were on the screen.
LRESULT CMainDlg::OnColoursChanged(WPARAM, LPARAM) {
    m_palette.DisplayChanged(m_hWnd);
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return 0;
}

void CMainDlg::BuildSystemMenu() {
    HMENU menu = GetSystemMenu(m_hWnd, FALSE);
    if (!menu) return;
    for (const MenuDef& m : kSystemMenu) {
        if (m.menuId == 0)
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuA(menu, MF_STRING, m.menuId, LoadResString(m.text).c_str());
    }
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
}

// The window at the design size; its controls follow in ScaleControls, once
// the display mode is known.
void CMainDlg::ScaleToDesignSize() {
    RECT client = GetClientRect();
    m_templateClient = SIZE{client.right, client.bottom};
    if (client.right == 0 || client.bottom == 0) return;
    RECT want{0, 0, layout::kDesignWidth, layout::kDesignHeight};
    AdjustWindowRectEx(&want, GetWindowLongA(m_hWnd, GWL_STYLE), FALSE, GetWindowLongA(m_hWnd, GWL_EXSTYLE));
    SetWindowPos(m_hWnd, nullptr, 0, 0, want.right - want.left, want.bottom - want.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow();
}

// Each control at its size scaled to the design, and straight at its place
// in the display mode where the layout has one (every row taken as used):
// one move each instead of two, for start-up's sake. The layout then only
// moves what is not in place yet.
void CMainDlg::ScaleControls() {
    int w = m_templateClient.cx, h = m_templateClient.cy;
    if (w == 0 || h == 0) return;
    for (HWND child = GetWindow(m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        ::GetWindowRect(child, &r);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        POINT pt{r.left * layout::kDesignWidth / w, r.top * layout::kDesignHeight / h};
        layout::ControlOrigin(::GetDlgCtrlID(child), m_options.displayMode, 10, &pt);
        SetWindowPos(child, nullptr, pt.x, pt.y, (r.right - r.left) * layout::kDesignWidth / w,
                     (r.bottom - r.top) * layout::kDesignHeight / h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
}

int CMainDlg::CountUsedItems() const {
    for (int slot = 0; slot < 10; ++slot)
        if (m_itemBtn[slot + 1].GetKind() == CItemBtn::kEmpty) return slot;
    return 10;
}

void CMainDlg::ApplyLayout() {
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    RECT win = GetWindowRect();
    int used = CountUsedItems();
    for (HWND child = GetWindow(m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        POINT pt;
        if (!layout::ControlOrigin(::GetDlgCtrlID(child), m_options.displayMode, used, &pt)) continue;
        RECT r;
        ::GetWindowRect(child, &r);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 1);
        if (r.left != pt.x || r.top != pt.y)
            SetWindowPos(child, nullptr, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    SIZE client = layout::ClientSize(m_options.displayMode, used);
    EnableMenuItem(GetSystemMenu(m_hWnd, FALSE), IDM_EDITINFO,
                   MF_BYCOMMAND | (m_options.displayMode ? MF_ENABLED : MF_GRAYED));
    EnableDlgItem(IDC_EDITINFO, m_options.displayMode != 0);
    RECT want{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&want, GetWindowLongA(m_hWnd, GWL_STYLE), FALSE, GetWindowLongA(m_hWnd, GWL_EXSTYLE));
    SetWindowPos(m_hWnd, nullptr, win.left, win.top, want.right - want.left, want.bottom - want.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate(true);
    SetCursor(old);
}

// --- settings store -------------------------------------------------------

bool CMainDlg::CreateRootKey() {
    if (!settings::CreateRootKey(HKEY_CURRENT_USER, settings::kRootPath, &m_hRootKey, &m_firstUse)) {
        FailAndQuit((std::string("CreateRootKey()") + kRegistryFailure).c_str());
        return false;
    }
    return true;
}

void CMainDlg::ReadFirstTime() { m_firstTime = settings::ReadFirstTime(m_hRootKey, settings::Now()); }

void CMainDlg::UpdateVersion() {
    m_shownVersion = settings::UpdateVersion(m_hRootKey, settings::kProductKey, m_productVersion, settings::Now());
    m_recordedFileVersion = settings::UpdateVersion(m_hRootKey, settings::kIniKey, m_fileVersion, settings::Now());
}

void CMainDlg::IniMenberVariable() {
    if (!settings::LoadRunCount(m_hRootKey, &m_options.runCount))
        FailAndQuit((std::string("IniMenberVariable()") + kRegistryFailure).c_str());
    BYTE flag = settings::kFlagDefault;
    ReadFlag(&flag);
    settings::ApplyFlag(flag, &m_options);
}

void CMainDlg::ReadFlag(BYTE* flag) const { settings::ReadFlag(m_hRootKey, flag); }
void CMainDlg::WriteFlag(BYTE flag) const { settings::WriteFlag(m_hRootKey, flag); }

void CMainDlg::RestorePosition() {
    RECT win = GetWindowRect();
    settings::PositionRecord rec;
    if (!settings::ReadPosition(m_hRootKey, &rec)) {
        rec = settings::PositionRecord{0, win.left, win.top, win.left, win.top, 1};
        settings::WritePosition(m_hRootKey, rec);
        return;
    }
    // Modes outside 1 and 2 (0, or anything never written by us) stay centred.
    if (rec.mode != 1 && rec.mode != 2) return;
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    POINT pt = settings::StartPosition(rec, work, SIZE{win.right - win.left, win.bottom - win.top});
    MoveTo(pt.x, pt.y, false);
}

void CMainDlg::SavePosition() {
    settings::PositionRecord stored;
    bool valid = settings::ReadPosition(m_hRootKey, &stored);
    settings::WritePosition(m_hRootKey, settings::ExitRecord(valid, stored, GetWindowRect()));
}

// --- messages ---------------------------------------------------------------

LRESULT CMainDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }

LRESULT CMainDlg::OnDestroy(WPARAM, LPARAM) {
    if (m_hRootKey) {
        SavePosition();
        RegCloseKey(m_hRootKey);
        m_hRootKey = nullptr;
    }
    AppHelp(m_hWnd, HELP_QUIT);
    return 0;
}

LRESULT CMainDlg::OnSysCommand(WPARAM wp, LPARAM lp) {
    UINT id = static_cast<UINT>(wp) & 0xFFF0;
    if (IsRunning()) {
        // Any system command during a run is an abort request, not a command.
        AbortRun();
        return 0;
    }
    for (const MenuDef& m : kSystemMenu) {
        if (m.menuId != 0 && m.menuId == id) {
            OnCommand(m.command, BN_CLICKED, nullptr);
            return 0;
        }
    }
    return ::DefWindowProcA(m_hWnd, WM_SYSCOMMAND, wp, lp);
}

// The paint fills the whole face itself: the dialog's own erase would only
// fill it once more before.
LRESULT CMainDlg::OnEraseBkgnd(WPARAM wp, LPARAM lp) {
    if (IsIconic(m_hWnd)) return ::DefWindowProcA(m_hWnd, WM_ERASEBKGND, wp, lp);
    return 1;
}

LRESULT CMainDlg::OnPaint(WPARAM, LPARAM) {
    if (IsIconic(m_hWnd)) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
        RECT r = GetClientRect();
        int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
        DrawIcon(dc, (r.right - cx + 1) / 2, (r.bottom - cy + 1) / 2, m_hIcon);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    // The face shows the display mode and, in mode 0, the item names: when
    // they differ from the kept picture's, it is drawn again.
    std::string shows(1, char('0' + m_options.displayMode));
    if (m_options.displayMode == 0) {
        int used = CountUsedItems();
        shows += char('0' + used);
        for (int k = 1; k <= used; ++k) shows += '\n' + m_itemBtn[k].TipText();
    }
    if (shows != m_faceShows) m_face.Drop();
    m_faceShows = shows;
    m_face.Paint(m_hWnd, &m_palette, [this](HDC dc, const RECT& client) { PaintFace(dc, client); });
    return 0;
}

void CMainDlg::PaintFace(HDC dc, const RECT& client) {
    if (m_options.displayMode) {
        FillPanel(dc, m_clientRect, 7);
        DrawLogoFrame(dc, m_logoRect);
        DrawSunkenBevel(dc, m_sysPanelRect, 2);
        DrawSunkenBevel(dc, m_itemPanelRect, 2);
        PaintSystemPanelTexts(dc);
    } else {
        const RECT& r = client;
        FillPanel(dc, r, 7);
        DrawSunkenBevel(dc, RECT{r.left + 3, r.top + 115, r.right - 3, r.bottom - 3}, 2);
        PaintCompactPanelTexts(dc);
    }
}

void CMainDlg::PaintSystemPanelTexts(HDC dc) {
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, PanelColor(255));
    HFONT title = CreatePanelFont(24, 12, 700, "ＭＳ 明朝");
    HGDIOBJ oldFont = SelectObject(dc, title);
    const std::string& t = m_sysCaptions[0];
    POINT tp = kSystemCaptions[0].pos;
    TextOutA(dc, tp.x + 1, tp.y + 1, t.c_str(), static_cast<int>(t.size()));
    SetTextColor(dc, PanelColor(0));
    TextOutA(dc, tp.x, tp.y, t.c_str(), static_cast<int>(t.size()));
    HFONT caption = CreatePanelFont(18, 9, 400, "ＭＳ ゴシック");
    SelectObject(dc, caption);
    DeleteObject(title);
    for (int pass = 0; pass < 2; ++pass) {
        SetTextColor(dc, PanelColor(pass == 0 ? 255 : 0));
        for (int i = 1; i < 18; ++i) {
            POINT p = kSystemCaptions[i].pos;
            TextOutA(dc, p.x + 1 - pass, p.y + 1 - pass, m_sysCaptions[i].c_str(),
                     static_cast<int>(m_sysCaptions[i].size()));
        }
    }
    SelectObject(dc, oldFont);
    DeleteObject(caption);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

void CMainDlg::PaintCompactPanelTexts(HDC dc) {
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, PanelColor(255));
    HFONT font = CreatePanelFont(12, 6, 400, "ＭＳ ゴシック");
    HGDIOBJ oldFont = SelectObject(dc, font);
    int used = CountUsedItems();
    const std::string allItems = LoadResString(IDS_ALLITEMS);
    for (int pass = 0; pass < 2; ++pass) {
        SetTextColor(dc, PanelColor(pass == 0 ? 255 : 0));
        int d = 1 - pass;
        for (int i = 0; i < 12; ++i) {
            POINT p = kCompactCaptions[i].pos;
            TextOutA(dc, p.x + d, p.y + d, m_toolCaptions[i].c_str(), static_cast<int>(m_toolCaptions[i].size()));
        }
        for (int k = 0; k <= used; ++k) {
            if (pass == 0) DrawSunkenBevel(dc, RECT{70, 120 + 35 * k, 207, 152 + 35 * k}, 2);
            // The button's tool tip is the item name from its description file.
            const std::string& name = k == 0 ? allItems : m_itemBtn[k].TipText();
            TextOutA(dc, 74 + d, 130 + 35 * k + d, name.c_str(), static_cast<int>(name.size()));
        }
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

// --- commands ---------------------------------------------------------------

void CMainDlg::OnEditInfo(UINT) {
    CSysInfoDlg dlg(this, m_hRootKey, m_detected, m_devices, m_sysInfo, [this](int field) {
        m_sysInfoStatic[field].SetWindowText(m_sysInfo.text[field]);
        m_sysInfoStatic[field].Invalidate(true);
    });
    dlg.DoModal();
}
void CMainDlg::OnEditItem(UINT) {
    // The compact window's height follows the number of items.
    CItemEditDlg dlg(this, m_hRootKey, m_programDir, &m_palette, [this] {
        AssignItemButtons(true);
        ShowOverallScore();
        if (m_options.displayMode == 0) ApplyLayout();
    });
    dlg.DoModal();
}
void CMainDlg::OnSelectPrecision(UINT) {
    CPrecisionDlg dlg(this, m_hRootKey, m_options, [this] { RefreshAllScores(); });
    dlg.DoModal();
}
void CMainDlg::OnSelectDisplay(UINT) {
    CDisplayModeDlg dlg(this, m_hRootKey, m_options, [this] { ApplyLayout(); });
    dlg.DoModal();
}
void CMainDlg::OnItemButton(UINT id) { PushItemBtn(m_itemBtn[id - IDC_ITEMBTN_FIRST]); }

void CMainDlg::OnSetWarnings(UINT) {
    CWarningDlg dlg(this, m_hRootKey, m_options);
    dlg.DoModal();
}

void CMainDlg::OnSetPosition(UINT) {
    RECT win = GetWindowRect();
    CPositionDlg dlg(this, m_hRootKey, SIZE{win.right - win.left, win.bottom - win.top});
    dlg.DoModal();
}

void CMainDlg::OnHelpFinder(UINT) { AppHelp(m_hWnd, HELP_FINDER); }

void CMainDlg::OnAbout(UINT) {
    CAboutDlg dlg(this, m_shownVersion);
    dlg.DoModal();
}
