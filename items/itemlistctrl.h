// CItemListCtrl: the item editor's list, whose check marks are state
// images (1 unticked, 2 ticked) toggled by the mouse and the keyboard.
#pragma once
#include <functional>

#include "framework/controls.h"

class CItemListCtrl : public CListCtrl {
public:
    static constexpr UINT kUnticked = 1, kTicked = 2;

    // selChange(index) when the selection moved (-1: none), toggled() after
    // a check mark changed.
    void SetHandlers(std::function<void(int)> selChange, std::function<void()> toggled);

    int GetSelectedIndex() const;
    UINT GetCheckImage(int item) const;
    void SetCheckImage(int item, UINT image) const;
    void Toggle(int item);
    // Moves the selected item by one row (direction -1 or +1); it stays
    // selected and counts as the selection before the next input. False when
    // nothing is selected or it is already first and goes up.
    bool MoveSelected(int direction);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnLButtonDown(LPARAM lp);
    void OnKeyDown(WPARAM vk);
    void Remember(int selected);

    int m_lastSel = -1;  // selected before the last mouse or key input
    std::function<void(int)> m_selChange;
    std::function<void()> m_toggled;
};
