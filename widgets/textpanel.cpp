#include "widgets/textpanel.h"

#include "widgets/bevel.h"
#include "widgets/dib.h"
#include "widgets/palette.h"

namespace panel {
namespace {
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

int Find(const std::string& s, char c) {
    size_t p = s.find(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}
}  // namespace

std::string TrimRight(const std::string& text) {
    size_t end = 0;  // just past the last character that is not white space
    for (size_t i = 0; i < text.size();) {
        size_t next = i + (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size() ? 2 : 1);
        if (next - i == 2 || !IsSpace(text[i])) end = next;
        i = next;
    }
    return text.substr(0, end);
}

std::vector<Line> LayoutText(const std::string& text) {
    std::vector<Line> lines;
    std::string rest = text;
    for (int y = 5; y < 44; y += 13) {
        int r = Find(rest, '\r');
        int f = Find(rest, '\n');
        if (r == -1 && y == 5) {
            lines.push_back(Line{y, TrimRight(rest)});
            break;
        }
        // CR LF is one break; with no CR left, an LF opening the rest is
        // taken as an empty line.
        if (f == r + 1) r = r + 1;
        std::string current = TrimRight(r == -1 ? rest : rest.substr(0, r));
        std::string out, seg = current;
        int count = 0;
        for (int t; (t = Find(seg, '\t')) != -1; ++count) {
            out += TrimRight(seg.substr(0, t));
            out.append(t % 4 == 0 ? 4 : t % 4, ' ');
            seg = seg.substr(t + 1);
        }
        lines.push_back(Line{y, count == 0 ? seg : out + seg});
        if (r == -1) break;
        rest = rest.substr(r + 1);
    }
    return lines;
}

}  // namespace panel

bool CMsgStatic::InitMsgStatic(int id, CWnd* parent, const AppPalette* palette) {
    if (!SubclassDlgItem(id, parent)) return false;
    m_palette = palette;
    return true;
}

LRESULT CMsgStatic::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (m_picture.Handle(m_hWnd, m_palette, msg, &result, [this](HDC dc, const RECT& client) { Draw(dc, client); }))
        return result;
    return CStatic::WindowProc(msg, wp, lp);
}

void CMsgStatic::Draw(HDC dc, const RECT& r) {
    RECT inner = r;
    InflateRect(&inner, -2, -2);
    FillPanel(dc, inner, 7);
    HFONT font = CreateFontA(12, 6, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_RASTER_PRECIS,
                             CLIP_TT_ALWAYS, PROOF_QUALITY, FF_MODERN | DEFAULT_PITCH, "ＭＳ ゴシック");
    HGDIOBJ oldFont = SelectObject(dc, font);
    COLORREF oldColour = SetTextColor(dc, PanelColor(0));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    for (const panel::Line& line : panel::LayoutText(PaintText(m_hWnd)))
        TextOutA(dc, 4, line.y, line.text.c_str(), static_cast<int>(line.text.size()));
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    DrawSunkenBevel(dc, r, 2);
}

CBmpStatic::~CBmpStatic() {
    if (m_image) DeleteObject(m_image);
}

bool CBmpStatic::InitBmpStatic(int id, UINT bitmapId, int x, int y, CWnd* parent) {
    if (!SubclassDlgItem(id, parent)) return false;
    size_t bytes = 0;
    const uint8_t* data = BitmapResource(bitmapId, &bytes);
    dib::Layout layout;
    if (data && dib::Parse(data, bytes, &layout)) {
        m_image = LoadDibBitmap(m_hWnd, data, bytes);
        m_size = SIZE{layout.width, layout.height < 0 ? -layout.height : layout.height};
    }
    SetWindowPos(m_hWnd, nullptr, x, y, m_size.cx, m_size.cy, SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    return true;
}

LRESULT CBmpStatic::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;  // the picture covers every pixel
    if (msg == WM_PAINT) {
        Paint();
        return 0;
    }
    if (msg == WM_DESTROY && m_image) {
        DeleteObject(m_image);
        m_image = nullptr;
    }
    return CStatic::WindowProc(msg, wp, lp);
}

void CBmpStatic::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    HDC mem = ScreenMemoryDC();
    HGDIOBJ old = m_image ? SelectObject(mem, m_image) : nullptr;
    BitBlt(dc, 0, 0, m_size.cx, m_size.cy, mem, 0, 0, SRCCOPY);
    if (old) SelectObject(mem, old);
    EndPaint(m_hWnd, &ps);
}
