#include "run/rundialogs.h"

#include <commctrl.h>

#include <cstdio>

#include "app/help.h"
#include "framework/regkey.h"
#include "res/resource.h"
#include "run/protocol.h"

std::string ConfirmStartText(int runCount) {
    char buf[768];
    std::snprintf(buf, sizeof buf,
                  "※測定する前に他のアプリケーションを終了してください。\n\n"
                  "※測定中はマウスやキーボードには、絶対に触らないでく\n  ださい。\n\n"
                  "%s測定モードで測定を開始します。よろしいですか？",
                  runCount == 1 ? "簡易" : "精密");
    return buf;
}

std::string RunProgressText(const std::string& itemFile, int total, int runNumber) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%s の %d 回中 %d 回目\nの測定を開始します。", itemFile.c_str(), total, runNumber);
    return buf;
}

// --- start confirmation ------------------------------------------------------

CConfirmStartDlg::CConfirmStartDlg(CWnd* parent, int runCount)
    : CDialog(IDD_CONFIRMSTART, parent), m_runCount(runCount) {}

void CConfirmStartDlg::DoDataExchange(CDataExchange& dx) { dx.Text(IDC_CONFIRM_TEXT, m_text); }

BOOL CConfirmStartDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_icon.SubclassDlgItem(IDC_CONFIRM_ICON, this);
    m_icon.SetIcon(LoadIcon(nullptr, IDI_EXCLAMATION));
    m_text = ConfirmStartText(m_runCount);
    UpdateData(false);
    MessageBeep(MB_ICONEXCLAMATION);
    return TRUE;
}

bool CConfirmStartDlg::OnCommand(UINT id, UINT code, HWND) {
    if (id != IDC_HELPBTN || code != BN_CLICKED) return false;
    AppHelp(m_hWnd, HELP_PARTIALKEY, "注意事項");
    return true;
}

// --- run progress ------------------------------------------------------------

namespace {
enum : UINT_PTR { kCursorTimer = 1, kCloseTimer = 2 };
}  // namespace

const MessageEntry<CRunCountDlg> CRunCountDlg::kMessages[] = {
    {WM_TIMER, &CRunCountDlg::OnTimer},
};

CRunCountDlg::CRunCountDlg(CWnd* parent, const std::string& itemFile, int total, int runNumber)
    : CDialog(IDD_RUNCOUNT, parent), m_itemFile(itemFile), m_total(total), m_runNumber(runNumber) {}

void CRunCountDlg::DoDataExchange(CDataExchange& dx) { dx.Text(IDC_RUN_TEXT, m_text); }

bool CRunCountDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    return DispatchMessageTable(this, kMessages, msg, wp, lp, result);
}

BOOL CRunCountDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_ok.SubclassDlgItem(IDOK, this);
    m_progress.SubclassDlgItem(IDC_RUN_PROGRESS, this);
    m_text = RunProgressText(m_itemFile, m_total, m_runNumber);
    m_progress.SetRange(0, m_total);
    m_progress.SetPos(m_runNumber - 1);
    m_secondTimer = 0;
    UpdateData(false);
    SetTimer(m_hWnd, kCursorTimer, 50, nullptr);
    return TRUE;
}

LRESULT CRunCountDlg::OnTimer(WPARAM wp, LPARAM) {
    if (wp == kCursorTimer) {
        RECT r = m_ok.GetWindowRect();
        run::MoveCursor((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        KillTimer(m_hWnd, kCursorTimer);
        SetTimer(m_hWnd, kCloseTimer, 2500, nullptr);
        m_secondTimer = 1;
    } else if (wp == kCloseTimer) {
        OnOK();
    }
    return 0;
}

void CRunCountDlg::OnOK() {
    run::ParkCursor();
    if (m_secondTimer == 1) KillTimer(m_hWnd, kCloseTimer);
    // Closed within the first 50 ms: the cursor timer must not fire later.
    KillTimer(m_hWnd, kCursorTimer);
    EndDialog(IDOK);
}

// --- precision -----------------------------------------------------------------

void ApplyPrecision(HKEY root, settings::Options& options, int choice, const std::function<void()>& refresh) {
    if ((choice == 1 && options.runCount == 10) || (choice == 0 && options.runCount == 1)) return;
    options.runCount = choice == 1 ? 10 : 1;
    refresh();
    RegKey key;
    if (key.Create(root, settings::kIniKey)) key.WriteDword("Precision", static_cast<DWORD>(options.runCount));
}

CPrecisionDlg::CPrecisionDlg(CWnd* parent, HKEY root, settings::Options& options,
                             std::function<void()> refreshScores)
    : CDialog(IDD_PRECISION, parent),
      m_choice(options.runCount == 10 ? 1 : 0),
      m_root(root),
      m_options(options),
      m_refreshScores(std::move(refreshScores)) {}

void CPrecisionDlg::DoDataExchange(CDataExchange& dx) { dx.Radio(IDC_PREC_SIMPLE, m_choice); }

bool CPrecisionDlg::OnCommand(UINT id, UINT code, HWND) {
    if (id != IDC_HELPBTN || code != BN_CLICKED) return false;
    AppHelp(m_hWnd, HELP_PARTIALKEY, "測定精度の選択");
    return true;
}

void CPrecisionDlg::OnOK() {
    UpdateData(true);
    ApplyPrecision(m_root, m_options, m_choice, m_refreshScores);
    EndDialog(IDOK);
}
