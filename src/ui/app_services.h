#pragma once
// What the windows use of the application: the session (login, logout, its
// store), the settings, the two hotkeys and the tray icon's balloon. The windows
// are handed it when they are made and call nothing else of the
// application; tests hand them the application or one of their own.
#include <windows.h>

#include <cstdint>
#include <string>

class CHotKey;
class LoginStore;
class Settings;
enum class BackupResult;

class AppServices {
public:
    // Whether the vault is open for the user: the one answer to "logged in".
    virtual BOOL IsLoggedIn() const = 0;
    // Shows the Login dialog until the vault opens (TRUE) or the user gives up.
    virtual BOOL Login() = 0;
    // Locks: the vault closes and nothing of it stays on screen.
    virtual void Logout() = 0;
    // Writes the open vault's backup now, as a login does; a backup not
    // written, or kept on purpose, is also told in a balloon.
    virtual BackupResult BackUp() = 0;
    virtual LoginStore& Store() = 0;
    virtual Settings& AppSettings() = 0;
    virtual CHotKey& HotKey() = 0;
    // The key that types a login into the window in front.
    virtual CHotKey& AutoTypeHotKey() = 0;
    // Stores the list window's opacity and applies it.
    virtual void SetViewAlpha(BYTE alpha) = 0;
    // Stores the logout time and restarts the logout timer with it.
    virtual void SetLogoutTime(BYTE minutes) = 0;
    // Stores the idle minutes (0: no idle lock) and starts or stops the idle
    // check with them.
    virtual void SetIdleMinutes(UINT minutes) = 0;
    // A balloon from the tray icon; FALSE when there is no icon to tell it.
    virtual BOOL TellInBalloon(const char* title, const std::string& text) = 0;

protected:
    ~AppServices() = default;
};
