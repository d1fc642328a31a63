// Owner-drawn picture buttons: each shows one cell of a 2 x 2 sheet chosen
// by its state, and has its tool tip.
#pragma once
#include <string>

#include "framework/controls.h"

class AppPalette;

// Sheet cell (column, row) for an owner-draw item state: pressed, else
// focused, else disabled, else normal.
POINT SheetCell(UINT itemState);

// Whether a mouse message goes on to the tool tip: moves and button presses,
// never double clicks.
bool RelaysToToolTip(UINT msg);

class CImageBtn : public CButton {
public:
    ~CImageBtn() override;
    void DrawItem(DRAWITEMSTRUCT* dis) override;
    const std::string& TipText() const { return m_tip; }
    // Null until the mouse first comes over the button.
    HWND ToolTip() const { return m_tipWnd; }

protected:
    bool Subclass(int id, CWnd* parent, const AppPalette* palette);
    void SetTip(const std::string& tip);
    // Takes ownership of image.
    void SetImage(HBITMAP image, int cellWidth, int cellHeight);
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    const AppPalette* m_palette = nullptr;

private:
    void AddTool();
    void DeleteImage();
    UINT PaintState();
    void DrawCell(HDC dc, UINT itemState);
    HWND m_tipWnd = nullptr;
    bool m_toolAdded = false;
    std::string m_tip;
    HBITMAP m_image = nullptr;
    int m_cellWidth = 0, m_cellHeight = 0;
};

class CToolBtn : public CImageBtn {
public:
    // Attaches to the dialog control, loads the sheet of bitmapId and sizes
    // the button to one cell.
    bool InitToolBtn(int id, UINT bitmapId, UINT tipStringId, CWnd* parent, const AppPalette* palette);
    UINT BitmapId() const { return m_bitmapId; }

private:
    UINT m_bitmapId = 0;
};

class CItemBtn : public CImageBtn {
public:
    enum Kind { kItem = 0, kAllItems = 1, kEmpty = 2 };
    static constexpr int kCellWidth = 59, kCellHeight = 33;
    static constexpr UINT kAllItemsBitmap = 150, kEmptyBitmap = 151;

    // First set-up: attaches to the dialog control and sizes it to one cell.
    bool AutoLoad(int id, bool fromResource, UINT bitmapId, const std::string& file, CWnd* parent,
                  const AppPalette* palette);
    // Reload: another picture, tip, kind and state; place and size stay.
    // file is the item's description file, relative to the program
    // directory. Resource 150 is the all-items button and keeps its enabled
    // state; another resource is an empty slot and disables the button; a
    // file enables it.
    bool AutoLoad(bool fromResource, UINT bitmapId, const std::string& file);
    Kind GetKind() const { return m_kind; }
    const std::string& FileName() const { return m_file; }

private:
    std::string m_file;
    Kind m_kind = kEmpty;
};
