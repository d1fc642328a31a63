// The grey text panels of the information area, and the logo picture.
#pragma once
#include <string>
#include <vector>

#include "framework/controls.h"
#include "widgets/picture.h"

class AppPalette;

namespace panel {

struct Line {
    int y;
    std::string text;
};
// Lines of a panel text as drawn at x = 4: CR LF or a lone CR break lines,
// at most three lines 13 pixels apart from y = 5; tabs become spaces to
// the next multiple of four of their segment; trailing white space goes.
std::vector<Line> LayoutText(const std::string& text);
// Text without trailing white space, double-byte characters kept whole.
std::string TrimRight(const std::string& text);

}  // namespace panel

class CMsgStatic : public CStatic {
public:
    bool InitMsgStatic(int id, CWnd* parent, const AppPalette* palette);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Draw(HDC dc, const RECT& client);
    const AppPalette* m_palette = nullptr;
    KeptPicture m_picture;
};

class CBmpStatic : public CStatic {
public:
    ~CBmpStatic() override;
    // Shows bitmap resource bitmapId at its own size with its corner at
    // (x, y) of the parent's client area.
    bool InitBmpStatic(int id, UINT bitmapId, int x, int y, CWnd* parent);
    SIZE ImageSize() const { return m_size; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Paint();
    HBITMAP m_image = nullptr;
    SIZE m_size{};
};
