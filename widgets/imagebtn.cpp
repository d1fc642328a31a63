#include "widgets/imagebtn.h"

#include "framework/winapp.h"
#include "items/catalogue.h"
#include "res/resource.h"

namespace {
const char kToolTipProp[] = "ZelbrToolTip";

// One tool tip control serves all image buttons of a window: each control is
// a top-level window of its own, and a dozen of them made start-up slow. The
// parent owns it, so it goes with the parent.
HWND SharedToolTip(HWND parent) {
    HWND tip = static_cast<HWND>(GetPropA(parent, kToolTipProp));
    if (tip && IsWindow(tip)) return tip;
    tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, parent,
                          nullptr, CWinApp::Get()->m_hInstance, nullptr);
    if (tip) SetPropA(parent, kToolTipProp, tip);
    return tip;
}
}  // namespace

CImageBtn::~CImageBtn() {
    if (!m_tipWnd || !IsWindow(m_tipWnd) || !IsWindow(m_hWnd)) return;
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.hwnd = ::GetParent(m_hWnd);
    ti.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    ::SendMessageA(m_tipWnd, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

bool CImageBtn::AttachTo(CWnd* parent, int id, const std::string& tip, const std::string& label) {
    if (!SubclassDlgItem(id, parent)) return false;
    m_label = label;
    SetTip(tip);
    return true;
}

void CImageBtn::SetTip(const std::string& tip) {
    m_tip = tip;
    if (!m_tipWnd) {
        m_tipWnd = SharedToolTip(::GetParent(m_hWnd));
        if (!m_tipWnd) return;
        TOOLINFOA ti{};
        ti.cbSize = TTTOOLINFOA_V1_SIZE;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = ::GetParent(m_hWnd);
        ti.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
        ti.lpszText = const_cast<char*>(m_tip.c_str());
        ::SendMessageA(m_tipWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
        return;
    }
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.hwnd = ::GetParent(m_hWnd);
    ti.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    ti.lpszText = const_cast<char*>(m_tip.c_str());
    ::SendMessageA(m_tipWnd, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

void CImageBtn::DrawItem(DRAWITEMSTRUCT* dis) {
    RECT r = dis->rcItem;
    UINT state = DFCS_BUTTONPUSH;
    if (dis->itemState & ODS_SELECTED) state |= DFCS_PUSHED;
    if (dis->itemState & ODS_DISABLED) state |= DFCS_INACTIVE;
    DrawFrameControl(dis->hDC, &r, DFC_BUTTON, state);
    if (m_label.empty()) return;
    HFONT font = CreateFontA(-10, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_MODERN, "ＭＳ ゴシック");
    HGDIOBJ old = SelectObject(dis->hDC, font);
    SetBkMode(dis->hDC, TRANSPARENT);
    SetTextColor(dis->hDC, GetSysColor((dis->itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    if (dis->itemState & ODS_SELECTED) OffsetRect(&r, 1, 1);
    DrawTextA(dis->hDC, m_label.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dis->hDC, old);
    DeleteObject(font);
    if (dis->itemState & ODS_FOCUS) {
        RECT f = dis->rcItem;
        InflateRect(&f, -3, -3);
        DrawFocusRect(dis->hDC, &f);
    }
}

bool CToolBtn::Attach(CWnd* parent, int id, UINT bitmapId, UINT tipStringId) {
    m_bitmapId = bitmapId;
    // Until the picture sheets arrive, the first letters of the template
    // caption tell the buttons apart.
    char caption[32] = {};
    ::GetDlgItemTextA(parent->m_hWnd, id, caption, sizeof caption);
    return AttachTo(parent, id, LoadResString(tipStringId), std::string(caption).substr(0, 2));
}

// The program directory: where the running executable lies.
std::string CItemBtn::ProgramDirOf(CWnd*) { return CWinApp::Get()->m_programDir; }

bool CItemBtn::Attach(CWnd* parent, int id, Kind kind, const std::string& fileName) {
    m_kind = kind;
    m_file = kind == kItem ? fileName : std::string();
    if (!m_hWnd && !AttachTo(parent, id, "", kind == kAllItems ? "全" : "")) return false;
    if (kind == kItem) {
        std::string name, version;
        items::GetItemName(ProgramDirOf(parent) + m_file, &name, &version);
        SetTip(name);
        EnableWindow(true);
    } else {
        // The all-items button keeps its enabled state; empty slots are off.
        SetTip(LoadResString(kind == kAllItems ? IDS_ALLITEMS : IDS_NOITEM));
        if (kind == kEmpty) EnableWindow(false);
    }
    Invalidate(true);
    return true;
}
