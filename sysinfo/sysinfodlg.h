// CSysInfoDlg: the user corrects or completes the thirteen system
// information texts; detected devices are offered as choices.
#pragma once
#include <functional>
#include <string>

#include "framework/dialog.h"
#include "sysinfo/record.h"

class CSysInfoDlg : public CDialog {
public:
    // record: the main window's, updated field by field as they are applied;
    // shown(field) then brings the main window's text up to date.
    CSysInfoDlg(CWnd* parent, HKEY root, const sysinfo::DetectedDefaults& detected,
                const sysinfo::DeviceLists& devices, sysinfo::SystemInfoRecord& record,
                std::function<void(int field)> shown);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void OnUpdate(UINT);
    void OnHelp(UINT);
    void OnEdited(UINT);
    void OnChosen(UINT id);
    void OnSelChange(UINT id);
    LRESULT OnVScroll(WPARAM wp, LPARAM lp);
    void Apply();
    void TakeHeldTexts();
    int FieldOf(UINT id) const;

    static const CommandEntry<CSysInfoDlg> kCommands[];
    static const MessageEntry<CSysInfoDlg> kMessages[];

    HKEY m_root;
    const sysinfo::DetectedDefaults& m_detected;
    const sysinfo::DeviceLists& m_devices;
    sysinfo::SystemInfoRecord& m_record;
    std::function<void(int)> m_shown;
    std::string m_current[sysinfo::kFieldCount];
    std::string m_initial[sysinfo::kFieldCount];
    // What the controls showed of the initial values.
    std::string m_held[sysinfo::kFieldCount];
};
