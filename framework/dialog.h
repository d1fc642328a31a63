// CDialog: a modal dialog run from a resource template, with data exchange
// between members and controls.
#pragma once
#include <string>

#include "framework/msgtable.h"
#include "framework/wnd.h"

class CDataExchange {
public:
    CDataExchange(HWND dlg, bool save) : m_dlg(dlg), m_save(save) {}
    bool Saving() const { return m_save; }
    void Text(int id, std::string& value);
    void Check(int id, int& value);
    // Radio group starting at firstId, in template order up to the next group:
    // value is the index of the checked button, -1 when none.
    void Radio(int firstId, int& value);

private:
    HWND m_dlg;
    bool m_save;
};

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd* parent = nullptr) : m_templateId(templateId), m_parent(parent) {}

    INT_PTR DoModal();
    void EndDialog(int result) const { ::EndDialog(m_hWnd, result); }
    bool UpdateData(bool save = true);
    CWnd* GetParent() const { return m_parent; }
    // Centres on the parent, or on the work area when there is none.
    void CenterWindow() const;

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void DoDataExchange(CDataExchange& dx) { (void)dx; }
    // Table hooks; return true when handled.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    virtual bool OnCommand(UINT id, UINT code, HWND control);

    // Whether the template may hold common controls, whose library is then
    // loaded before the dialog is made. A dialog that holds none saves the
    // loading.
    bool m_commonControls = true;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    UINT m_templateId;
    CWnd* m_parent;
};
