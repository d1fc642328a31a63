#include "widgets/imagebtn.h"

#include "framework/commonctl.h"
#include "framework/winapp.h"
#include "items/catalogue.h"
#include "res/resource.h"
#include "widgets/dib.h"
#include "widgets/palette.h"
#include "widgets/picture.h"

namespace {
const char kToolTipProp[] = "ZelbrToolTip";

// One tool tip control serves all image buttons of a window: each control is
// a top-level window of its own, and two dozen of them made start-up slow.
// The parent owns it, so it goes with the parent.
HWND SharedToolTip(HWND parent) {
    HWND tip = static_cast<HWND>(GetPropA(parent, kToolTipProp));
    if (tip && IsWindow(tip)) return tip;
    tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, parent,
                          nullptr, CWinApp::Get()->m_hInstance, nullptr);
    if (tip) SetPropA(parent, kToolTipProp, tip);
    return tip;
}

TOOLINFOA ToolFor(HWND button, const std::string& text) {
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = ::GetParent(button);
    ti.uId = reinterpret_cast<UINT_PTR>(button);
    ti.lpszText = const_cast<char*>(text.c_str());
    return ti;
}

// The sheet of a bitmap resource and its size.
HBITMAP LoadSheet(HWND window, UINT id, SIZE* size) {
    size_t bytes = 0;
    const uint8_t* data = BitmapResource(id, &bytes);
    dib::Layout layout;
    if (!data || !dib::Parse(data, bytes, &layout)) return nullptr;
    size->cx = layout.width;
    size->cy = layout.height < 0 ? -layout.height : layout.height;
    return LoadDibBitmap(window, data, bytes);
}
}  // namespace

POINT SheetCell(UINT state) {
    if (state & ODS_SELECTED) return POINT{0, 1};
    if (state & ODS_FOCUS) return POINT{1, 0};
    if (state & ODS_DISABLED) return POINT{1, 1};
    return POINT{0, 0};
}

bool RelaysToToolTip(UINT msg) {
    return msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONUP && msg != WM_LBUTTONDBLCLK && msg != WM_RBUTTONDBLCLK;
}

CImageBtn::~CImageBtn() {
    if (m_toolAdded && IsWindow(m_tipWnd) && IsWindow(m_hWnd)) {
        TOOLINFOA ti = ToolFor(m_hWnd, "");
        ::SendMessageA(m_tipWnd, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
    DeleteImage();
}

bool CImageBtn::Subclass(int id, CWnd* parent, const AppPalette* palette) {
    if (!SubclassDlgItem(id, parent)) return false;
    m_palette = palette;
    return true;
}

void CImageBtn::SetTip(const std::string& tip) {
    m_tip = tip;
    if (m_toolAdded) AddTool();
}

// The tool tip comes with the first mouse message over the button: a tip
// no one points at needs no library loaded at start.
void CImageBtn::AddTool() {
    if (!m_tipWnd && commonctl::Load()) m_tipWnd = SharedToolTip(::GetParent(m_hWnd));
    if (!m_tipWnd) return;
    TOOLINFOA ti = ToolFor(m_hWnd, m_tip);
    ::SendMessageA(m_tipWnd, TTM_ACTIVATE, FALSE, 0);
    if (m_toolAdded) ::SendMessageA(m_tipWnd, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    m_toolAdded = ::SendMessageA(m_tipWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti)) != FALSE;
    ::SendMessageA(m_tipWnd, TTM_ACTIVATE, TRUE, 0);
}

void CImageBtn::SetImage(HBITMAP image, int cellWidth, int cellHeight) {
    DeleteImage();
    m_image = image;
    m_cellWidth = cellWidth;
    m_cellHeight = cellHeight;
}

void CImageBtn::DeleteImage() {
    if (m_image) DeleteObject(m_image);
    m_image = nullptr;
}

LRESULT CImageBtn::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (RelaysToToolTip(msg)) {
        if (!m_toolAdded) AddTool();
        if (m_tipWnd) {
            MSG m{};
            m.hwnd = m_hWnd;
            m.message = msg;
            m.wParam = wp;
            m.lParam = lp;
            ::SendMessageA(m_tipWnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
        }
    }
    if (msg == WM_DESTROY) DeleteImage();
    // The cell covers the whole button: no erase, and the paint goes
    // straight to the cell instead of through the parent's WM_DRAWITEM.
    if (msg == WM_ERASEBKGND && m_image) return 1;
    if (msg == WM_PAINT && m_image) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        DrawCell(dc, PaintState());
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    return DefWindowProc(msg, wp, lp);
}

// The item state the button class gives a whole-button WM_DRAWITEM.
UINT CImageBtn::PaintState() {
    LRESULT state = DefWindowProc(BM_GETSTATE, 0, 0);
    UINT item = 0;
    if (state & BST_PUSHED) item |= ODS_SELECTED;
    if (state & BST_FOCUS) item |= ODS_FOCUS;
    if (!::IsWindowEnabled(m_hWnd)) item |= ODS_DISABLED;
    return item;
}

void CImageBtn::DrawItem(DRAWITEMSTRUCT* dis) { DrawCell(dis->hDC, dis->itemState); }

void CImageBtn::DrawCell(HDC dc, UINT itemState) {
    // A copy of a bitmap in the display's format needs the palette only
    // where pixels are palette indices.
    HPALETTE oldPalette = m_palette && m_palette->OnPaletteDevice() ? m_palette->Select(dc, true) : nullptr;
    HDC mem = ScreenMemoryDC();
    HGDIOBJ oldBitmap = m_image ? SelectObject(mem, m_image) : nullptr;
    POINT cell = SheetCell(itemState);
    BitBlt(dc, 0, 0, m_cellWidth, m_cellHeight, mem, cell.x * m_cellWidth, cell.y * m_cellHeight, SRCCOPY);
    if (oldBitmap) SelectObject(mem, oldBitmap);
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
}

bool CToolBtn::InitToolBtn(int id, UINT bitmapId, UINT tipStringId, CWnd* parent, const AppPalette* palette) {
    if (!Subclass(id, parent, palette)) return false;
    m_bitmapId = bitmapId;
    SetTip(LoadResString(tipStringId));
    SIZE sheet{};
    HBITMAP image = LoadSheet(m_hWnd, bitmapId, &sheet);
    SetImage(image, sheet.cx / 2, sheet.cy / 2);
    if (image)
        SetWindowPos(m_hWnd, nullptr, 0, 0, sheet.cx / 2, sheet.cy / 2,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    return true;
}

bool CItemBtn::AutoLoad(int id, bool fromResource, UINT bitmapId, const std::string& file, CWnd* parent,
                        const AppPalette* palette) {
    if (!Subclass(id, parent, palette)) return false;
    AutoLoad(fromResource, bitmapId, file);
    SetWindowPos(m_hWnd, nullptr, 0, 0, kCellWidth, kCellHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    return true;
}

bool CItemBtn::AutoLoad(bool fromResource, UINT bitmapId, const std::string& file) {
    SIZE sheet{};
    if (fromResource) {
        m_file.clear();
        SetImage(LoadSheet(m_hWnd, bitmapId, &sheet), kCellWidth, kCellHeight);
        m_kind = bitmapId == kAllItemsBitmap ? kAllItems : kEmpty;
        SetTip(LoadResString(m_kind == kAllItems ? IDS_ALLITEMS : IDS_NOITEM));
        if (m_kind == kEmpty) EnableWindow(false);
    } else {
        m_file = file;
        std::vector<uint8_t> record;
        items::ReadItemDescription(&record, CWinApp::Get()->m_programDir + file);
        // Only the bytes read count: a short or broken file shows the empty
        // picture, still as the item's button.
        std::vector<uint8_t> picture = items::ButtonPicture(record.data(), record.size());
        HBITMAP image = picture.empty() ? LoadSheet(m_hWnd, kEmptyBitmap, &sheet)
                                        : LoadDibBitmap(m_hWnd, picture.data(), picture.size());
        SetImage(image, kCellWidth, kCellHeight);
        m_kind = kItem;
        SetTip(items::DescriptionField(record.data(), record.size(), items::kNameOffset, items::kNameSize));
        EnableWindow(true);
    }
    Invalidate(true);
    return true;
}
