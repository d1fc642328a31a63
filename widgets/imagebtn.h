// Owner-drawn tool and item buttons with tool tips. They draw a plain
// raised face until their picture sheets are loaded.
#pragma once
#include <string>

#include "framework/controls.h"

class CImageBtn : public CButton {
public:
    ~CImageBtn() override;
    void DrawItem(DRAWITEMSTRUCT* dis) override;
    const std::string& TipText() const { return m_tip; }

protected:
    bool AttachTo(CWnd* parent, int id, const std::string& tip, const std::string& label);
    void SetTip(const std::string& tip);

private:
    HWND m_tipWnd = nullptr;
    std::string m_tip;
    std::string m_label;
};

class CToolBtn : public CImageBtn {
public:
    bool Attach(CWnd* parent, int id, UINT bitmapId, UINT tipStringId);
    UINT BitmapId() const { return m_bitmapId; }

private:
    UINT m_bitmapId = 0;
};

class CItemBtn : public CImageBtn {
public:
    enum Kind { kItem = 0, kAllItems = 1, kEmpty = 2 };
    // kItem takes the item's description file name, relative to the
    // program directory; the others take none.
    bool Attach(CWnd* parent, int id, Kind kind, const std::string& fileName = "");
    Kind GetKind() const { return m_kind; }
    const std::string& FileName() const { return m_file; }

private:
    static std::string ProgramDirOf(CWnd* parent);
    Kind m_kind = kEmpty;
    std::string m_file;
};
