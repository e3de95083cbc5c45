#include "framework/menu.h"

#include "framework/wnd.h"  // AfxGetResourceHandle

CMenu::~CMenu() { DestroyMenu(); }

BOOL CMenu::Load(UINT nIDResource) {
    if (m_hMenu != nullptr) return FALSE;
    m_hMenu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
    m_bOwned = m_hMenu != nullptr;
    return m_bOwned;
}

CMenu* CMenu::GetSubMenu(int nPos) {
    HMENU hPopup = m_hMenu != nullptr ? ::GetSubMenu(m_hMenu, nPos) : nullptr;
    if (hPopup == nullptr) return nullptr;
    for (const auto& sub : m_subMenus) {
        if (sub->m_hMenu == hPopup) return sub.get();
    }
    m_subMenus.push_back(std::make_unique<CMenu>());
    m_subMenus.back()->m_hMenu = hPopup;
    return m_subMenus.back().get();
}

BOOL CMenu::SetDefaultItem(UINT uItem, BOOL fByPos) { return ::SetMenuDefaultItem(m_hMenu, uItem, fByPos); }

BOOL CMenu::DestroyMenu() {
    // Popups are views: the menu that holds them destroys them.
    for (auto& sub : m_subMenus) sub->m_hMenu = nullptr;
    m_subMenus.clear();
    if (m_hMenu == nullptr) return FALSE;
    BOOL destroyed = m_bOwned ? ::DestroyMenu(m_hMenu) : TRUE;
    m_hMenu = nullptr;
    m_bOwned = false;
    return destroyed;
}
