#pragma once
// CMenu: a menu loaded from the program's resources (destroyed with the
// object) and views of its popups.
#include <windows.h>

#include <memory>
#include <vector>

#include "framework/object.h"

class CMenu : public CObject {
public:
    CMenu() = default;
    ~CMenu() override;

    // Menu resource nIDResource (LoadMenu of the classic framework). FALSE when
    // it is missing or the object already holds a menu.
    BOOL Load(UINT nIDResource);
    // The popup at nPos, as an object owned by this one (valid while this
    // object holds its menu); null when there is no popup there.
    CMenu* GetSubMenu(int nPos);
    BOOL SetDefaultItem(UINT uItem, BOOL fByPos = FALSE);
    BOOL DestroyMenu();

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    HMENU m_hMenu = nullptr;

private:
    bool m_bOwned = false;  // loaded by this object (popups are not)
    std::vector<std::unique_ptr<CMenu>> m_subMenus;
};
