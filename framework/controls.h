// Typed wrappers of the standard controls the program attaches to.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) const { SendMessage(BM_SETCHECK, state); }
};

class CStatic : public CWnd {
public:
    void SetIcon(HICON icon) const { SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon)); }
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(int lo, int hi) const { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lo, hi)); }
    void SetPos(int pos) const { SendMessage(PBM_SETPOS, pos); }
};

class CListCtrl : public CWnd {
public:
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    int InsertColumn(int index, const char* title, int width) const;
    int InsertItem(int index, const std::string& text) const;
    void SetItemText(int item, int sub, const std::string& text) const;
    std::string GetItemText(int item, int sub) const;
    void DeleteAllItems() const { SendMessage(LVM_DELETEALLITEMS); }
    UINT GetItemState(int item, UINT mask) const {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, item, mask));
    }
    void SetItemState(int item, UINT state, UINT mask) const;
    void SetImageList(HIMAGELIST list, int kind) const {
        SendMessage(LVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(list));
    }
};
