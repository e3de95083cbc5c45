#pragma once
// The item list window: a small translucent, always-on-top dialog that shows
// one page of the vault's items and offers everything the user does with
// them. Its rows are found again by their "no." column, the item's index.
#include <cstdint>
#include <string>

#include "framework/framework.h"
#include "ui/control_layout.h"
#include "ui/hotkey.h"
#include "ui/item_dlg.h"

class AppServices;

// Starts a window's timers; tests look at the periods asked for.
class TimerStarter {
public:
    virtual UINT_PTR Start(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse) = 0;

protected:
    ~TimerStarter() = default;
};

class CViewDlg : public CDialog {
public:
    explicit CViewDlg(AppServices& services);
    ~CViewDlg() override;

    // Restarts the logout timer with the given minutes (0: no automatic
    // logout). Does nothing while nobody is logged in.
    void StartLogoutTimer(BYTE minutes);

    // Shows the store's current page.
    void RefillList();

    // After a logout: no row of the locked vault stays in the list, no text
    // of it on the clipboard (unless the user has replaced it since),
    // nothing in the item form, and no timer running but the clipboard's
    // retry.
    void ClearAfterLogout();

    // Ends every dialog and message box this window has open (the item form,
    // the Modify Password dialog, a confirmation) as its Cancel would: the
    // code that opened it then saves nothing. For a lock.
    void EndOpenDialogs();

    // Puts a text on the clipboard, telling the user when that fails. On
    // success the caption says for a moment that `what` ("Password") was
    // copied and when the clipboard forgets it; the count starts afresh.
    void CopyToClipboard(const std::string& text, const char* what);

    // Takes the window in front, when it is another program's, as the one
    // Ctrl+V types into; otherwise keeps the one taken before (a Login
    // dialog shown first is ours). Done before anything of ours comes to the
    // front: whenever the list is shown, and by the hotkey and the tray icon
    // before they ask for the master password.
    void RememberAutoTypeTarget();
    HWND GetAutoTypeTarget() const { return m_hAutoTypeTarget; }

    // How the logout and clipboard timers are started; nullptr: the system's.
    void SetTimerStarter(TimerStarter* pTimers) { m_pTimers = pTimers; }

    CEdit m_editQuery;
    CListCtrl m_listItem;
    CItemDlg m_dlgItem;
    std::string m_strQuery;
    CFont m_fontList;
    // The hotkey shows and hides this window, so its key messages come here,
    // as do the auto-type key's.
    CHotKey m_hotKey;
    CHotKey m_autoTypeHotKey;
    UINT_PTR m_nLogoutTimer = 0;

    // The list window's keyboard shortcuts, taken before the dialog manager
    // sees the keys.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnQuery();
    void OnPreviousPage();
    void OnNextPage();
    void OnNewItem();
    void OnModifyItem();
    void OnDeleteItem();
    void OnModifyPassword();
    void OnLock();
    void OnClickList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRclickList(NMHDR* pNMHDR, LRESULT* pResult);
    void LaunchSelectedItem(NMHDR* pNMHDR, LRESULT* pResult);
    void CopySelectedAddress(NMHDR* pNMHDR, LRESULT* pResult);
    void OnLButtonDblClk(UINT nFlags, POINT point);
    void OnCopyUserName();
    void OnCopyPassword();
    void OnOpenItem();
    void OnFindQuery();
    void OnAutoType();
    void OnShowWindow(BOOL bShow, UINT nStatus);
    LRESULT OnViewRefill(WPARAM wParam, LPARAM lParam);
    LRESULT OnViewSetAlpha(WPARAM wParam, LPARAM lParam);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnWindowPosChanged(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    void OnHotKey(UINT nHotKeyId, UINT nKey1, UINT nKey2);
    void OnDestroy();

    void SetOpacity(BYTE alpha);

private:
    // The list's height in pixels that shows a whole page without scrolling.
    int PageHeight();
    // Gives the visible columns the list's client width, in the proportions
    // of their given widths, so that nothing needs scrolling sideways.
    void FitColumns();
    // A message box owned by this window, with the exclamation icon.
    int Tell(const char* text, UINT type = MB_OK) const;
    // The index in the store of the selected row, -1 when none is selected.
    int GetSelectedIndex() const;
    // The selected row's index for a command on one item: -1 while nobody is
    // logged in, and -1 after telling the user when no row is selected.
    int GetCommandIndex();
    // The selected row's item for a mouse command; false while nobody is
    // logged in or when no row is selected.
    bool GetSelectedItem(LoginItem& item) const;
    // The selected row's text of one column, at most 255 characters; empty
    // when no row is selected.
    std::string GetSelectedText(int nColumn) const;
    // Copies a column of the selected row, for the keyboard: no selection
    // copies nothing and says so.
    void CopySelectedColumn(int nColumn, const char* what);
    // Copies a column of the selected row for a click on it; a click that
    // hit no item copies nothing.
    void CopyClickedColumn(const NMHDR* pNMHDR, int nColumn, const char* what);
    // The caption the template gives the window, shown again after a copy's
    // confirmation.
    void RestoreCaption();
    // Ends the system's watch for the mouse leaving a control of this
    // window, which a hidden window would keep running.
    void StopMouseTracking();
    UINT_PTR StartTimer(UINT_PTR nIDEvent, UINT uElapse);
    AppServices& m_services;
    TimerStarter* m_pTimers = nullptr;
    CControlLayout m_layout;
    std::string m_strCaption;
    int m_nNumberMinWidth = 0;  // the "no." column's, its heading's width
    HWND m_hAutoTypeTarget = nullptr;

    DECLARE_MESSAGE_MAP()
};

constexpr UINT_PTR kLogoutTimerId = 1;
// Takes a copied text off the clipboard when its time is up.
constexpr UINT_PTR kClipboardTimerId = 16;
// Puts the caption back after a copy's confirmation.
constexpr UINT_PTR kCaptionTimerId = 17;
constexpr UINT kCaptionConfirmMs = 2000;

// The list's columns.
enum ViewColumn {
    ViewColumnIndex = 0,
    ViewColumnServiceName = 1,
    ViewColumnType = 2,
    ViewColumnUserName = 3,
    ViewColumnPassword = 4,
    ViewColumnServiceAddress = 5,
};
