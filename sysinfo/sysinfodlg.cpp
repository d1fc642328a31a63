#include "sysinfo/sysinfodlg.h"

#include <commctrl.h>

#include <cstring>

#include "app/help.h"
#include "res/resource.h"
#include "sysinfo/editor.h"

namespace {
// Control of each field, in record order.
const int kFieldControls[sysinfo::kFieldCount] = {
    IDC_SI_CPU,  IDC_SI_CLOCK,   IDC_SI_L1,   IDC_SI_L2,   IDC_SI_MEM,     IDC_SI_DISKCTRL,  IDC_SI_DISK,
    IDC_SI_GRAPHIC, IDC_SI_RESO, IDC_SI_COLS, IDC_SI_NETCARD, IDC_SI_SOUNDCARD, IDC_SI_COMMENT,
};
}  // namespace

const CommandEntry<CSysInfoDlg> CSysInfoDlg::kCommands[] = {
    {IDC_UPDATE, IDC_UPDATE, BN_CLICKED, &CSysInfoDlg::OnUpdate},
    {IDC_HELPBTN, IDC_HELPBTN, BN_CLICKED, &CSysInfoDlg::OnHelp},
    {IDC_SI_CLOCK, IDC_SI_CLOCK, EN_CHANGE, &CSysInfoDlg::OnEdited},
    {IDC_SI_L1, IDC_SI_L2, EN_CHANGE, &CSysInfoDlg::OnEdited},
    {IDC_SI_COMMENT, IDC_SI_COMMENT, EN_CHANGE, &CSysInfoDlg::OnEdited},
    {IDC_SI_DISKCTRL, IDC_SI_GRAPHIC, CBN_EDITCHANGE, &CSysInfoDlg::OnEdited},
    {IDC_SI_NETCARD, IDC_SI_SOUNDCARD, CBN_EDITCHANGE, &CSysInfoDlg::OnEdited},
    {IDC_SI_CPU, IDC_SI_COLS, CBN_EDITCHANGE, &CSysInfoDlg::OnEdited},
    {IDC_SI_DISKCTRL, IDC_SI_GRAPHIC, CBN_SELENDOK, &CSysInfoDlg::OnChosen},
    {IDC_SI_NETCARD, IDC_SI_SOUNDCARD, CBN_SELENDOK, &CSysInfoDlg::OnChosen},
    {IDC_SI_CPU, IDC_SI_COLS, CBN_SELENDOK, &CSysInfoDlg::OnChosen},
    {IDC_SI_DISKCTRL, IDC_SI_GRAPHIC, CBN_SELCHANGE, &CSysInfoDlg::OnSelChange},
    {IDC_SI_NETCARD, IDC_SI_SOUNDCARD, CBN_SELCHANGE, &CSysInfoDlg::OnSelChange},
    {IDC_SI_CPU, IDC_SI_COLS, CBN_SELCHANGE, &CSysInfoDlg::OnSelChange},
};

const MessageEntry<CSysInfoDlg> CSysInfoDlg::kMessages[] = {
    {WM_VSCROLL, &CSysInfoDlg::OnVScroll},
};

CSysInfoDlg::CSysInfoDlg(CWnd* parent, HKEY root, const sysinfo::DetectedDefaults& detected,
                         const sysinfo::DeviceLists& devices, sysinfo::SystemInfoRecord& record,
                         std::function<void(int field)> shown)
    : CDialog(IDD_SYSINFO, parent),
      m_root(root),
      m_detected(detected),
      m_devices(devices),
      m_record(record),
      m_shown(std::move(shown)) {}

void CSysInfoDlg::DoDataExchange(CDataExchange& dx) {
    for (int i = 0; i < sysinfo::kFieldCount; ++i) dx.Text(kFieldControls[i], m_current[i]);
}

bool CSysInfoDlg::OnCommand(UINT id, UINT code, HWND) { return DispatchCommandTable(this, kCommands, id, code); }

bool CSysInfoDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    return DispatchMessageTable(this, kMessages, msg, wp, lp, result);
}

int CSysInfoDlg::FieldOf(UINT id) const {
    for (int i = 0; i < sysinfo::kFieldCount; ++i)
        if (kFieldControls[i] == static_cast<int>(id)) return i;
    return -1;
}

BOOL CSysInfoDlg::OnInitDialog() {
    for (int i = 0; i < sysinfo::kFieldCount; ++i) {
        m_current[i] = m_record.text[i];
        HWND control = GetDlgItem(kFieldControls[i]);
        // More than fits the stored value's buffer would be cut at apply.
        ::SendMessageA(control, i == sysinfo::kClock || i == sysinfo::kL1 || i == sysinfo::kL2 || i == sysinfo::kComment
                                    ? EM_LIMITTEXT
                                    : CB_LIMITTEXT,
                       255, 0);
        for (const std::string& choice :
             sysinfo::FieldChoices(static_cast<sysinfo::Field>(i), m_detected, m_devices))
            ::SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
    }
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    sysinfo::UpDownStart start = sysinfo::UpDownStartFor(si.dwProcessorType);
    const struct {
        int id, max, pos;
    } spins[] = {
        {IDC_SI_CLOCKSPIN, 9999, start.clock},
        {IDC_SI_L1SPIN, 16384, start.l1},
        {IDC_SI_L2SPIN, 32767, start.l2},
    };
    for (const auto& s : spins) {
        HWND spin = GetDlgItem(s.id);
        ::SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(s.max, 0));
        ::SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(s.pos, 0));
    }
    CDialog::OnInitDialog();  // the record's texts replace the up-downs' numbers
    for (int i = 0; i < sysinfo::kFieldCount; ++i) m_initial[i] = m_current[i];
    TakeHeldTexts();
    EnableDlgItem(IDC_UPDATE, false);
    return TRUE;
}

// A control may hold less than the text put in; untouched, that is no change.
void CSysInfoDlg::TakeHeldTexts() {
    UpdateData(true);
    for (int i = 0; i < sysinfo::kFieldCount; ++i) {
        m_held[i] = m_current[i];
        m_current[i] = m_initial[i];
    }
}

void CSysInfoDlg::OnEdited(UINT) { EnableDlgItem(IDC_UPDATE, true); }

// A confirmed choice counts only when it differs from what the field held.
void CSysInfoDlg::OnChosen(UINT id) {
    HWND combo = GetDlgItem(id);
    LRESULT index = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    LRESULT length = ::SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ::SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(strlen(text.c_str()));
    int field = FieldOf(id);
    if (field >= 0 && text != m_initial[field]) EnableDlgItem(IDC_UPDATE, true);
}

// The arrow keys step through a closed list without a confirmation; that
// choice is final, so it counts like a confirmed one.
void CSysInfoDlg::OnSelChange(UINT id) {
    if (!::SendMessageA(GetDlgItem(id), CB_GETDROPPEDSTATE, 0, 0)) OnChosen(id);
}

LRESULT CSysInfoDlg::OnVScroll(WPARAM wp, LPARAM lp) {
    EnableDlgItem(IDC_UPDATE, true);
    return ::DefWindowProcA(m_hWnd, WM_VSCROLL, wp, lp);
}

void CSysInfoDlg::OnUpdate(UINT) { Apply(); }
void CSysInfoDlg::OnHelp(UINT) { AppHelp(m_hWnd, HELP_PARTIALKEY, "システム情報の編集"); }

void CSysInfoDlg::OnOK() {
    Apply();
    EndDialog(IDOK);
}

void CSysInfoDlg::Apply() {
    EnableDlgItem(IDC_UPDATE, false);
    UpdateData(true);
    sysinfo::KeepUntouched(m_current, m_held, m_initial);
    std::string typed[sysinfo::kFieldCount];
    for (int i = 0; i < sysinfo::kFieldCount; ++i) typed[i] = m_current[i];
    sysinfo::ApplyChangedFields(m_root, m_current, m_initial, &m_record, m_shown);
    // A text cut to what can be stored is shown as stored.
    for (int i = 0; i < sysinfo::kFieldCount; ++i)
        if (typed[i] != m_current[i]) ::SetDlgItemTextA(m_hWnd, kFieldControls[i], m_current[i].c_str());
    TakeHeldTexts();
    // Setting those texts raised change notices; nothing is unapplied.
    EnableDlgItem(IDC_UPDATE, false);
}
