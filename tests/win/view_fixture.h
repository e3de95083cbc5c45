#pragma once
// The list window as the program has it (theApp.m_wndView from template 137,
// sized as start-up sizes it), over a real vault in a fresh folder, with the
// settings in the real registry. Logging in is done the way the login loop
// does it: the store opened, the flag set, WM_VIEW_REFILL sent.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/pellucorda_app.h"
#include "res/resource.h"
#include "support/dialog_driver.h"
#include "support/message_pump.h"
#include "support/temp_folder.h"
#include "ui/app_messages.h"

namespace view_test {

inline LoginItem MakeItem(const std::string& service, const std::string& user, const std::string& password,
                          const std::string& address, std::int32_t type) {
    LoginItem item;
    item.Clear();
    CopyField(item.serviceName, sizeof item.serviceName, service.c_str());
    CopyField(item.userName, sizeof item.userName, user.c_str());
    CopyField(item.password, sizeof item.password, password.c_str());
    CopyField(item.serviceAddress, sizeof item.serviceAddress, address.c_str());
    item.addressType = type;
    return item;
}

// The CF_TEXT on the clipboard; "<none>" when there is none.
inline std::string ClipboardText() {
    std::string text = "<none>";
    if (!OpenClipboard(nullptr)) return "<closed>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

inline void SetClipboardTextAsAnotherProgram(const std::string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    std::memcpy(GlobalLock(memory), text.c_str(), text.size());
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
}

class ViewTest : public ::testing::Test {
protected:
    static constexpr const char* kPassword = "quillmarsh";

    CViewDlg& view = theApp.m_wndView;

    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Corvanet\\Pellucorda");
        folder = MakeTempFolder("plv");
        GetCurrentDirectoryA(MAX_PATH, previous);
        SetCurrentDirectoryA(folder.c_str());
        theApp.m_settings.LoadFromRegistry();
        theApp.m_settings.SavePath(SettingBackupPath, folder);
        if (view.GetSafeHwnd() == nullptr) {
            ASSERT_TRUE(view.Create(IDD_VIEW));
        }
        view.SetWindowPos(&CWnd::wndTopMost, 0, 0, 300, 310, SWP_HIDEWINDOW);
        theApp.m_session.Logout();
    }

    void TearDown() override {
        theApp.m_session.Logout();
        view.SetTimerStarter(nullptr);
        SetCurrentDirectoryA(previous);
        DeleteFileA(VaultPath().c_str());
        DeleteFileA((VaultPath() + ".lock").c_str());
        DeleteFileA((folder + "\\logininfo.bak").c_str());
        RemoveDirectoryA(folder.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Corvanet\\Pellucorda");
    }

    std::string VaultPath() const { return folder + "\\logininfo.dat"; }

    // A vault of `count` items "svc<i>" / "user<i>" / "pw<i>" / "host<i>",
    // saved, and logged in.
    void LogInWith(int count) {
        LogInWith(count, [](int i) {
            const std::string n = std::to_string(i);
            return MakeItem("svc" + n, "user" + n, "pw" + n, "host" + n + ".example.org", ADDRESS_HTTP);
        });
    }

    template <class MakeFn>
    void LogInWith(int count, MakeFn make) {
        LoginStore& store = theApp.m_store;
        DeleteFileA(VaultPath().c_str());
        ASSERT_TRUE(store.OpenDefault(kPassword));
        store.DeleteItem(0);
        for (int i = 0; i < count; ++i) {
            LoginItem item = make(i);
            ASSERT_TRUE(store.AddItem(item));
        }
        ASSERT_EQ(store.Save(), VaultOk);
        theApp.m_session.m_bLoggedIn = TRUE;
        view.SendMsg(WM_VIEW_REFILL);
    }

    // The vault file as a fresh store reads it.
    std::unique_ptr<LoginStore> Reopen(const char* password = kPassword) const {
        std::unique_ptr<LoginStore> store(new LoginStore);
        EXPECT_EQ(store->Open(password, VaultPath()), VaultOk);
        return store;
    }

    std::vector<std::string> Column(int column) const {
        const int rows = view.m_listItem.GetItemCount();
        std::vector<std::string> texts;
        texts.reserve(static_cast<std::size_t>(rows));
        for (int row = 0; row < rows; ++row) {
            texts.push_back(view.m_listItem.GetItemText(row, column));
        }
        return texts;
    }

    std::vector<std::string> Numbers(int first, int last) const {
        std::vector<std::string> texts;
        for (int i = first; i <= last; ++i) texts.push_back(std::to_string(i));
        return texts;
    }

    void Select(int row) {
        ListView_SetItemState(view.m_listItem.m_hWnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        if (row >= 0) {
            ListView_SetItemState(view.m_listItem.m_hWnd, row, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
        }
    }

    void Press(int id) {
        view.SendMsg(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(view, id)));
    }

    // What the list sends its parent for a mouse action on the selected row.
    LRESULT Notify(UINT code) {
        NMITEMACTIVATE nm = {};
        nm.hdr.hwndFrom = view.m_listItem.GetSafeHwnd();
        nm.hdr.idFrom = IDC_VIEW_LIST;
        nm.hdr.code = code;
        nm.iItem = view.m_listItem.GetFirstSelectedItem();
        return view.SendMsg(WM_NOTIFY, IDC_VIEW_LIST, reinterpret_cast<LPARAM>(&nm));
    }

    // A real key press (Ctrl held when asked) through the system's input to
    // the focused window, pumped through the application's loop until `done`.
    static bool PressKey(BYTE vk, bool control, const std::function<bool()>& done) {
        if (control) keybd_event(VK_CONTROL, 0, 0, 0);
        keybd_event(vk, 0, 0, 0);
        keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
        if (control) keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
        return PumpUntil(theApp, done, 10000);
    }

    std::string folder;
    char previous[MAX_PATH] = {};
};

}  // namespace view_test
