// CMainDlg: the program's one main window and the hub that owns every
// widget, the settings and the registry root key.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "app/clock.h"
#include "app/settings.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "items/catalogue.h"
#include "run/measurement.h"
#include "run/moduleprocess.h"
#include "sysinfo/record.h"
#include "widgets/imagebtn.h"
#include "widgets/led.h"
#include "widgets/palette.h"
#include "widgets/picture.h"
#include "widgets/textpanel.h"

class CMainDlg : public CDialog, private run::RunHost {
public:
    CMainDlg();
    ~CMainDlg() override;

    // Shared with the dialogs this window opens.
    HKEY RootKey() const { return m_hRootKey; }
    const std::string& ProgramDir() const { return m_programDir; }
    settings::Options m_options;
    CalibratedClock m_clock;  // UseMultimediaTimer() once calibrated
    DWORD CurrentTime() const { return m_clock.Now(); }

    int CountUsedItems() const;
    void ApplyLayout();
    void BuildAppPalette();
    void RealizeAppPalette() const;
    const AppPalette& Palette() const { return m_palette; }

    // Item catalogue.
    void BuildMeasureTree();
    void AssignItemButtons(bool refresh);
    void PlaceItems(const std::vector<items::CatalogueEntry>& catalogue, bool refresh);
    void ShowMissingFile(const std::string& file) override;

    // Runs (routed to the measurement) and scores.
    void PushItemBtn(CItemBtn& button);
    LRESULT OnEndBnc(WPARAM wp, LPARAM lp);
    void AbortRun();
    int ItemScore(const std::string& name, uint32_t* reference = nullptr);
    int OverallScore();
    void ShowOverallScore();
    void RefreshAllScores();
    bool IsRunning() const { return m_measurement && m_measurement->IsRunning(); }

    // Settings store members.
    bool CreateRootKey();
    void ReadFirstTime();
    void UpdateVersion();
    void IniMenberVariable();
    void ReadFlag(BYTE* flag) const;
    void WriteFlag(BYTE flag) const;
    void RestorePosition();
    void SavePosition();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBkgnd(WPARAM, LPARAM);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    LRESULT OnSysCommand(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnQueryNewPalette(WPARAM, LPARAM);
    LRESULT OnPaletteChanged(WPARAM, LPARAM);
    LRESULT OnColoursChanged(WPARAM, LPARAM);

    void OnClipCopy(UINT);
    void OnSaveText(UINT);
    void OnEditInfo(UINT);
    void OnEditItem(UINT);
    void OnSaveItem(UINT);
    void OnLoadItem(UINT);
    void OnSelectPrecision(UINT);
    void OnSetWarnings(UINT);
    void OnSetPosition(UINT);
    void OnSelectDisplay(UINT);
    void OnHelpFinder(UINT);
    void OnAbout(UINT);
    void OnItemButton(UINT id);

    void BuildSystemMenu();
    void ScaleToDesignSize();
    void ScaleControls();
    void AttachControls();
    // Item button of a row: the first call attaches it, later ones reload.
    void LoadItemButton(int row, bool fromResource, UINT bitmapId, const std::string& file = std::string());
    void FailAndQuit(const char* text);
    void PaintFace(HDC dc, const RECT& client);
    void PaintSystemPanelTexts(HDC dc);
    void PaintCompactPanelTexts(HDC dc);
    void SetScoreTexts(int row, int score, bool repaint);
    std::string BuildReport();

    // run::RunHost
    void Minimise() override;
    void Restore() override;
    void SaveCursor() override;
    void ParkCursor() override;
    void RestoreCursor() override;
    void IdlePriority() override;
    void NormalPriority() override;
    void RefreshScores() override;
    void Quit() override;
    void Notice(const std::string& text, UINT type) override;
    bool ConfirmStart(int runCount) override;
    bool AnnounceRun(const std::string& item, int total, int runNumber) override;
    // ShowMissingFile (public) completes the host.
    bool StartModule(const std::string& path) override;
    run::ModuleState PollModule() override;
    void EndModule() override;
    void ReleaseModule() override;
    bool EndMessageQueued() override;
    void DropQueuedEndMessages() override;
    void SetWatchdog(UINT intervalMs) override;
    DWORD Now() override;

    static const MessageEntry<CMainDlg> kMessages[];
    static const CommandEntry<CMainDlg> kCommands[];

    HICON m_hIcon = nullptr;
    AppPalette m_palette;
    KeptPicture m_face;  // the window's own face under the controls
    std::string m_faceShows;
    RECT m_clientRect{};
    SIZE m_templateClient{};  // the client size the template's controls were laid out for
    RECT m_logoRect{};
    RECT m_sysPanelRect{3, 30, 309, 426};
    RECT m_sysPanelInner{5, 32, 307, 424};
    RECT m_itemPanelRect{312, 30, 629, 426};
    CToolBtn m_toolBtn[13];
    bool m_firstUse = false;
    std::string m_sysCaptions[18];  // title first
    CItemBtn m_itemBtn[11];
    CNumLed m_numLed[11];
    CLevelLed m_levelLed[11];
    HKEY m_hRootKey = nullptr;
    CMsgStatic m_versionLine;
    CMsgStatic m_sysInfoStatic[13];
    CBmpStatic m_logo;
    std::string m_exePath;
    std::string m_programDir;
    settings::Version m_fileVersion;
    settings::Version m_productVersion;
    settings::Version m_shownVersion;
    settings::Version m_recordedFileVersion;
    FILETIME m_firstTime{};
    sysinfo::DetectedDefaults m_detected;
    sysinfo::DeviceLists m_devices;
    sysinfo::SystemInfoRecord m_sysInfo;
    std::string m_toolCaptions[12];

    // The measurement and what it needs of the window.
    std::unique_ptr<run::Measurement> m_measurement;
    run::ModuleProcess m_module;
    POINT m_savedCursor{};
};
