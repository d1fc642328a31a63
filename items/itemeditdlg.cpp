#include "items/itemeditdlg.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "app/help.h"
#include "framework/commonctl.h"
#include "framework/winapp.h"
#include "items/catalogue.h"
#include "items/itemedit.h"
#include "res/resource.h"

namespace {
const int kDescriptionStatics[] = {IDC_IE_NAME, IDC_IE_VERSION, IDC_IE_APP, IDC_IE_APPFILE};

// Check marks: 145 unticked, 146 ticked, both masked by 149.
HIMAGELIST CheckMarkImages() {
    HINSTANCE inst = CWinApp::Get()->m_hInstance;
    HIMAGELIST list = commonctl::ImageListCreate(21, 15, ILC_COLOR4 | ILC_MASK, 2, 0);
    if (!list) return nullptr;
    HBITMAP mask = static_cast<HBITMAP>(LoadImageA(inst, MAKEINTRESOURCEA(149), IMAGE_BITMAP, 0, 0, 0));
    for (UINT id : {145u, 146u}) {
        HBITMAP image = static_cast<HBITMAP>(LoadImageA(inst, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
        commonctl::ImageListAdd(list, image, mask);
        if (image) DeleteObject(image);
    }
    if (mask) DeleteObject(mask);
    return list;
}
}  // namespace

const CommandEntry<CItemEditDlg> CItemEditDlg::kCommands[] = {
    {IDC_IE_UP, IDC_IE_UP, BN_CLICKED, &CItemEditDlg::OnMoveUp},
    {IDC_IE_DOWN, IDC_IE_DOWN, BN_CLICKED, &CItemEditDlg::OnMoveDown},
    {IDC_UPDATE, IDC_UPDATE, BN_CLICKED, &CItemEditDlg::OnUpdate},
    {IDC_HELPBTN, IDC_HELPBTN, BN_CLICKED, &CItemEditDlg::OnHelp},
    {IDC_IE_ITEMHELP, IDC_IE_ITEMHELP, BN_CLICKED, &CItemEditDlg::OnItemHelp},
};

CItemEditDlg::CItemEditDlg(CWnd* parent, HKEY root, const std::string& programDir, const AppPalette* palette,
                           std::function<void()> applied)
    : CDialog(IDD_ITEMEDIT, parent),
      m_root(root),
      m_programDir(programDir),
      m_palette(palette),
      m_applied(std::move(applied)) {}

bool CItemEditDlg::OnCommand(UINT id, UINT code, HWND) { return DispatchCommandTable(this, kCommands, id, code); }

BOOL CItemEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_IE_LIST, this);
    m_list.SetHandlers([this](int index) { SelChange(index); }, [this] { EnableDlgItem(IDC_UPDATE, true); });
    m_list.SetImageList(CheckMarkImages(), LVSIL_STATE);
    RECT r = m_list.GetWindowRect();
    m_list.InsertColumn(0, "測定ﾌｧｲﾙ名", r.right - r.left - 4);
    FillList();
    m_picture.AutoLoad(IDC_IE_PICTURE, true, CItemBtn::kEmptyBitmap, std::string(), this, m_palette);
    EnableDlgItem(IDC_IE_ITEMHELP, false);
    EnableDlgItem(IDC_UPDATE, false);
    return TRUE;
}

void CItemEditDlg::FillList() {
    std::vector<items::EditEntry> list = items::BuildEditList(m_root, m_programDir, [this](const std::string& file) {
        MessageBox(items::MissingFileMessage(file), MB_OK);
    });
    for (const items::EditEntry& e : list) {
        int at = m_list.InsertItem(m_list.GetItemCount(), e.file);
        if (at >= 0) m_list.SetCheckImage(at, e.selected ? CItemListCtrl::kTicked : CItemListCtrl::kUnticked);
    }
}

void CItemEditDlg::SelChange(int index) {
    std::string file = index >= 0 ? m_list.GetItemText(index, 0) : std::string();
    SetDlgItemText(IDC_IE_FILE, file);
    if (index < 0) {
        for (int id : kDescriptionStatics) SetDlgItemText(id, std::string());
        m_picture.AutoLoad(true, CItemBtn::kEmptyBitmap, std::string());
        EnableDlgItem(IDC_IE_ITEMHELP, false);
        return;
    }
    std::string description = items::WithExtension(file, "MCR");
    std::vector<uint8_t> record;
    items::ReadItemDescription(&record, m_programDir + description);
    items::ItemDescription d = items::ParseItemDescription(record.data(), record.size());
    char version[32];
    std::snprintf(version, sizeof version, "%d.%02d", static_cast<int>(d.version >> 16),
                  static_cast<int>(d.version & 0xFFFF));
    SetDlgItemText(IDC_IE_NAME, d.name);
    SetDlgItemText(IDC_IE_APP, d.application);
    SetDlgItemText(IDC_IE_APPFILE, d.target);
    SetDlgItemText(IDC_IE_VERSION, version);
    m_picture.AutoLoad(false, 0, description);
    EnableDlgItem(IDC_IE_ITEMHELP, true);
}

void CItemEditDlg::OnMoveUp(UINT) { Move(-1); }
void CItemEditDlg::OnMoveDown(UINT) { Move(+1); }

void CItemEditDlg::Move(int direction) {
    if (m_list.MoveSelected(direction)) EnableDlgItem(IDC_UPDATE, true);
}

void CItemEditDlg::OnUpdate(UINT) { Apply(); }

void CItemEditDlg::OnOK() {
    Apply();
    EndDialog(IDOK);
}

void CItemEditDlg::Apply() {
    EnableDlgItem(IDC_UPDATE, false);
    std::vector<items::EditEntry> list;
    for (int i = 0, n = m_list.GetItemCount(); i < n; ++i)
        list.push_back(items::EditEntry{m_list.GetItemText(i, 0), m_list.GetCheckImage(i) != CItemListCtrl::kUnticked});
    items::RewriteMeasure(m_root, list);
    if (m_applied) m_applied();
}

void CItemEditDlg::OnHelp(UINT) { AppHelp(m_hWnd, HELP_PARTIALKEY, "測定項目の編集"); }

void CItemEditDlg::OnItemHelp(UINT) {
    std::string file = GetDlgItemText(IDC_IE_FILE);
    if (!file.empty()) AppHelpFile(m_hWnd, ItemHelpPath(m_programDir, file), HELP_FINDER);
}
