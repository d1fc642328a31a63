// The dialogs around a measurement: start confirmation, run progress and
// precision selection.
#pragma once
#include <functional>
#include <string>

#include "app/settings.h"

#include "framework/controls.h"
#include "framework/dialog.h"

std::string ConfirmStartText(int runCount);
std::string RunProgressText(const std::string& itemFile, int total, int runNumber);

class CConfirmStartDlg : public CDialog {
public:
    CConfirmStartDlg(CWnd* parent, int runCount);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    std::string m_text;
    int m_runCount;
    CStatic m_icon;
};

class CRunCountDlg : public CDialog {
public:
    CRunCountDlg(CWnd* parent, const std::string& itemFile, int total, int runNumber);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    LRESULT OnTimer(WPARAM wp, LPARAM lp);
    static const MessageEntry<CRunCountDlg> kMessages[];

    CButton m_ok;
    CProgressCtrl m_progress;
    std::string m_text;
    std::string m_itemFile;
    int m_total;
    int m_runNumber;
    int m_secondTimer = 0;
};

// The choice of the precision dialog applied: 0 simple, 1 precise. Nothing
// happens when it is the run count already in force; otherwise the run count
// changes, every score is re-rated (refresh) and "Precision" is stored.
void ApplyPrecision(HKEY root, settings::Options& options, int choice, const std::function<void()>& refresh);

class CPrecisionDlg : public CDialog {
public:
    CPrecisionDlg(CWnd* parent, HKEY root, settings::Options& options, std::function<void()> refreshScores);

protected:
    void OnOK() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    int m_choice;
    HKEY m_root;
    settings::Options& m_options;
    std::function<void()> m_refreshScores;
};
