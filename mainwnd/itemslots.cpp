// The main window's side of the item catalogue: first-start scan and the
// placing of selected items on the ten item slots.
#include "framework/winapp.h"
#include "items/catalogue.h"
#include "mainwnd/maindlg.h"
#include "res/resource.h"
#include "run/scores.h"

void CMainDlg::BuildMeasureTree() { items::BuildMeasureTree(m_hRootKey, m_programDir); }

void CMainDlg::ShowMissingFile(const std::string& file) {
    AppMessageBox(m_hWnd, items::MissingFileMessage(file), MB_OK);
}

void CMainDlg::AssignItemButtons(bool refresh) { PlaceItems(items::ReadCatalogue(m_hRootKey, m_programDir), refresh); }

void CMainDlg::PlaceItems(const std::vector<items::CatalogueEntry>& catalogue, bool refresh) {
    int count = 0;
    for (const items::CatalogueEntry& e : catalogue) {
        if (!e.exists) {
            ShowMissingFile(e.file);
            continue;
        }
        if (!e.selected) continue;
        if (count < 10) {
            std::string description = items::WithExtension(e.file, "MCR");
            LoadItemButton(count + 1, false, 0, description);
            SetScoreTexts(count + 1, ItemScore(description), refresh);
        }
        ++count;
    }
    EnableDlgItem(IDC_ITEMBTN_FIRST, count > 0);
    for (int slot = count; slot < 10; ++slot) {
        LoadItemButton(slot + 1, true, CItemBtn::kEmptyBitmap);
        if (refresh) SetScoreTexts(slot + 1, run::kNoScore, true);
    }
}
