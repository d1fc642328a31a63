#include "items/itemlistctrl.h"

#include <windowsx.h>

#include <vector>

namespace {
// Keys that toggle the selected item when they leave the selection where it
// was (up on the first item, for one).
bool KeyToggles(WPARAM vk) {
    switch (vk) {
        case VK_SPACE:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            return true;
    }
    return false;
}
}  // namespace

void CItemListCtrl::SetHandlers(std::function<void(int)> selChange, std::function<void()> toggled) {
    m_selChange = std::move(selChange);
    m_toggled = std::move(toggled);
}

int CItemListCtrl::GetSelectedIndex() const {
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

UINT CItemListCtrl::GetCheckImage(int item) const { return GetItemState(item, LVIS_STATEIMAGEMASK) >> 12; }

void CItemListCtrl::SetCheckImage(int item, UINT image) const {
    SetItemState(item, INDEXTOSTATEIMAGEMASK(image), LVIS_STATEIMAGEMASK);
}

void CItemListCtrl::Toggle(int item) {
    SetCheckImage(item, GetCheckImage(item) == kUnticked ? kTicked : kUnticked);
    if (m_toggled) m_toggled();
}

void CItemListCtrl::Remember(int selected) {
    if (selected != m_lastSel && m_selChange) m_selChange(selected);
    m_lastSel = selected;
}

LRESULT CItemListCtrl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONDOWN: {
            LRESULT r = DefWindowProc(msg, wp, lp);
            OnLButtonDown(lp);
            return r;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            LRESULT r = DefWindowProc(msg, wp, lp);
            OnKeyDown(wp);
            return r;
        }
    }
    return DefWindowProc(msg, wp, lp);
}

// The list has moved the selection already. A click on a check mark
// toggles it; a click on a name toggles only the item that was selected
// before, so the first click on a name just selects it.
void CItemListCtrl::OnLButtonDown(LPARAM lp) {
    int selected = GetSelectedIndex();
    LVHITTESTINFO hit{};
    hit.pt.x = GET_X_LPARAM(lp);
    hit.pt.y = GET_Y_LPARAM(lp);
    int item = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (item >= 0) {
        if (hit.flags & LVHT_ONITEMSTATEICON)
            Toggle(item);
        else if ((hit.flags & LVHT_ONITEMLABEL) && item == m_lastSel)
            Toggle(item);
    }
    Remember(selected);
}

void CItemListCtrl::OnKeyDown(WPARAM vk) {
    int selected = GetSelectedIndex();
    if (selected == m_lastSel && selected >= 0 && KeyToggles(vk)) Toggle(selected);
    Remember(selected);
}

bool CItemListCtrl::MoveSelected(int direction) {
    int s = GetSelectedIndex();
    int n = GetItemCount();
    if (s < 0 || (direction < 0 && s == 0) || (direction > 0 && s >= n)) return false;
    std::vector<char> text(128);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    item.iItem = s;
    item.stateMask = static_cast<UINT>(-1);
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    SendMessage(LVM_DELETEITEM, s);
    // Past the end the list appends: the last item moved down stays last.
    item.iItem = s + direction;
    int at = static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (at >= 0) {
        SetItemState(at, item.state, static_cast<UINT>(-1));
        SendMessage(LVM_ENSUREVISIBLE, at, FALSE);
    }
    // Counts as the selection before the next input, so no panel refresh.
    m_lastSel = s + direction;
    return true;
}
