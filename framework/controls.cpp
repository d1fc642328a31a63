#include "framework/controls.h"

#include <vector>

int CListCtrl::InsertColumn(int index, const char* title, int width) const {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<char*>(title);
    col.cx = width;
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&col)));
}

int CListCtrl::InsertItem(int index, const std::string& text) const {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void CListCtrl::SetItemText(int item, int sub, const std::string& text) const {
    LVITEMA lv{};
    lv.iSubItem = sub;
    lv.pszText = const_cast<char*>(text.c_str());
    SendMessage(LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&lv));
}

std::string CListCtrl::GetItemText(int item, int sub) const {
    std::vector<char> buf(512);
    LVITEMA lv{};
    lv.iSubItem = sub;
    lv.pszText = buf.data();
    lv.cchTextMax = static_cast<int>(buf.size());
    SendMessage(LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&lv));
    return buf.data();
}

void CListCtrl::SetItemState(int item, UINT state, UINT mask) const {
    LVITEMA lv{};
    lv.state = state;
    lv.stateMask = mask;
    SendMessage(LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&lv));
}
