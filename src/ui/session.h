#pragma once
// The user's session: logging in through the Login dialog until the vault
// opens, the backup that follows, logging out, and the settings whose change
// the list window shows at once. It is the one answer to "logged in", and
// what the windows are handed as the application's services.
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/app_services.h"

class CLoginDlg;
class CViewDlg;

// Where the session's balloons appear: the tray icon.
class BalloonSink {
public:
    virtual BOOL ShowBalloon(LPCSTR title, LPCSTR text) = 0;

protected:
    ~BalloonSink() = default;
};

class CSession : public AppServices {
public:
    CSession(LoginStore& store, Settings& settings, CViewDlg& view);
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    BOOL IsLoggedIn() const override { return m_bLoggedIn; }
    // While a Login dialog is already up, brings it forward and returns
    // FALSE: the request that is already running answers for both.
    BOOL Login() override;
    void Logout() override;
    BackupResult BackUp() override;
    LoginStore& Store() override { return m_store; }
    Settings& AppSettings() override { return m_settings; }
    CHotKey& HotKey() override;
    CHotKey& AutoTypeHotKey() override;
    void SetViewAlpha(BYTE alpha) override;
    void SetLogoutTime(BYTE minutes) override;
    void SetIdleMinutes(UINT minutes) override;
    BOOL TellInBalloon(const char* title, const std::string& text) override;

    // The tray icon that tells balloons; nullptr while there is none.
    void SetBalloonSink(BalloonSink* pSink) { m_pBalloons = pSink; }
    // The window that runs the idle check (the main frame), told by
    // WM_IDLE_WATCH at login, at logout and when the idle minutes change, so
    // that the check runs only while it could lock something; nullptr while
    // there is none.
    void SetIdleWatch(HWND hWnd) { m_hIdleWatch = hWnd; }

    BOOL m_bLoggedIn = FALSE;

private:
    void TellIdleWatch();
    // The typed password met a vault just made from nothing: says so, and
    // where the backup (and a vault the program left behind) lies.
    void TellVaultCreated();

    LoginStore& m_store;
    Settings& m_settings;
    CViewDlg& m_view;
    BalloonSink* m_pBalloons = nullptr;
    HWND m_hIdleWatch = nullptr;
    CLoginDlg* m_pActiveLogin = nullptr;
    BOOL m_bBackupKeptTold = FALSE;  // said once a run
};
