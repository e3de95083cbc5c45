// The program's resources as the code meets them: templates that create, with
// the controls, classes and styles the dialogs' code relies on; the combo
// entries whose positions are the address type codes; the menus, strings and
// icons the frame and the tray load; the manifest's activation context.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG ? TRUE : FALSE; }

// A dialog created modeless from one of the program's templates, destroyed
// with the object. Child pages get a hidden top-level parent of their own.
class TemplateDialog {
public:
    explicit TemplateDialog(int id, bool child = false) {
        if (child) {
            parent_ =
                CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr, Module(), nullptr);
        }
        dialog_ = CreateDialogParamA(Module(), MAKEINTRESOURCEA(id), parent_, PlainDialogProc, 0);
    }
    ~TemplateDialog() {
        if (dialog_) DestroyWindow(dialog_);
        if (parent_) DestroyWindow(parent_);
    }
    TemplateDialog(const TemplateDialog&) = delete;
    TemplateDialog& operator=(const TemplateDialog&) = delete;
    HWND get() const { return dialog_; }

private:
    HWND parent_ = nullptr;
    HWND dialog_ = nullptr;
};

std::string WindowText(HWND wnd) {
    char text[256] = {};
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

std::string ClassOf(HWND wnd) {
    char name[64] = {};
    GetClassNameA(wnd, name, sizeof name);
    return name;
}

LONG StyleOf(HWND wnd) { return GetWindowLongA(wnd, GWL_STYLE); }

// The dialog manager draws a template's WS_BORDER as a sunken client edge.
bool HasBorder(HWND wnd) { return (StyleOf(wnd) & WS_BORDER) || (GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE); }

// What the code needs of one control, with the texts where a slip would
// mislead the user (swapped buttons, the default password's hint) or where
// the program's own spelling is kept on purpose. Controls without an id of
// their own (IDC_STATIC) are found by class and text instead.
struct ExpectedControl {
    int id;
    const char* className;
    const char* text;      // nullptr: the text does not matter
    LONG required;         // style bits that must be set; WS_BORDER: a border of any kind
    LONG forbidden;        // style bits that must be clear
    LONG buttonKind = -1;  // BS_GROUPBOX, BS_AUTOCHECKBOX ...; -1: not a button
};

struct ExpectedDialog {
    int id;
    const char* caption;  // nullptr for the captionless pages
    bool child;
    std::vector<ExpectedControl> controls;
};

HWND FindControl(HWND dialog, const ExpectedControl& expected) {
    if (expected.id != IDC_STATIC) return GetDlgItem(dialog, expected.id);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(c) == IDC_STATIC && _stricmp(ClassOf(c).c_str(), expected.className) == 0 && expected.text &&
            WindowText(c) == expected.text) {
            return c;
        }
    }
    return nullptr;
}

// The kind of a button lives in the low bits of its style, not in single flags.
LONG ButtonKind(HWND button) { return StyleOf(button) & BS_TYPEMASK; }

const LONG kEditBox = WS_BORDER | WS_TABSTOP;

std::vector<ExpectedDialog> ProgramDialogs() {
    return {
        {IDD_ABOUTBOX,
         "About",
         false,
         {{IDC_ABOUT_HOME, "Static", "http://pellucorda.example.org/", 0, 0},
          {IDC_ABOUT_MAIL, "Static", "support@pellucorda.example.org", 0, 0},
          {IDC_ABOUT_IM, "Static", "pellucorda@im.example.org", 0, 0}}},
        {IDD_VIEW,
         "Pellucorda",
         false,
         {{IDC_VIEW_LIST, WC_LISTVIEWA, nullptr, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER, 0},
          {IDC_VIEW_QUERY_TEXT, "Edit", "", ES_AUTOHSCROLL | WS_BORDER, 0},
          {IDC_VIEW_QUERY, "Button", "Query", 0, 0},
          {IDC_VIEW_PREV, "Button", "<--", 0, 0},
          {IDC_VIEW_NEXT, "Button", "-->", 0, 0},
          {IDC_VIEW_NEW, "Button", "New", 0, 0},
          {IDC_VIEW_MODIFY, "Button", "Modify", 0, 0},
          {IDC_VIEW_DELETE, "Button", "Delete", 0, 0},
          {IDC_VIEW_PASSWORD, "Button", "Password", 0, 0},
          {IDC_VIEW_LOCK, "Button", "Lock", 0, 0}}},
        {IDD_ITEM,
         "Insert or Modify Item",
         false,
         {{IDC_ITEM_SERVICE, "Edit", "", ES_AUTOHSCROLL, 0},
          {IDC_ITEM_USER, "Edit", "", ES_AUTOHSCROLL, 0},
          // Shown in clear so that the user can check it.
          {IDC_ITEM_PASSWORD, "Edit", "", ES_AUTOHSCROLL, ES_PASSWORD},
          {IDC_ITEM_ADDRESS, "Edit", "", ES_AUTOHSCROLL, 0},
          // Positions are the address type codes: a sorted list would break that.
          {IDC_ITEM_TYPE, "ComboBox", nullptr, CBS_DROPDOWNLIST, CBS_SORT},
          // Enter in the description presses OK.
          {IDC_ITEM_DESCRIPTION, "Edit", "", ES_MULTILINE | ES_AUTOHSCROLL, ES_WANTRETURN},
          {IDOK, "Button", "OK", 0, 0},
          {IDCANCEL, "Button", "Cancel", 0, 0}}},
        {IDD_PASSWORD,
         "Modfiy Password",
         false,
         {{IDC_PASSWORD_OLD, "Edit", "", ES_PASSWORD | kEditBox, ES_AUTOHSCROLL},
          {IDC_PASSWORD_NEW, "Edit", "", ES_PASSWORD | kEditBox, ES_AUTOHSCROLL},
          {IDC_PASSWORD_CONFIRM, "Edit", "", ES_PASSWORD | kEditBox, ES_AUTOHSCROLL},
          {IDOK, "Button", "OK", 0, 0},
          {IDCANCEL, "Button", "Cancel", 0, 0}}},
        {IDD_LOGIN,
         "Login",
         false,
         {{IDC_LOGIN_PASSWORD, "Edit", "", ES_PASSWORD | ES_AUTOHSCROLL | kEditBox, 0},
          {IDOK, "Button", "Login", 0, 0},
          {IDC_STATIC, "Static", "Default password is: quillmarsh", 0, 0}}},
        {IDD_CONFIG, "Config", false, {{IDC_CONFIG_TAB, WC_TABCONTROLA, "Tab1", TCS_FIXEDWIDTH, 0}}},
        {IDD_PATHPAGE,
         nullptr,
         true,
         {{IDC_PATH_WEB, "Edit", "", ES_AUTOHSCROLL | kEditBox, 0},
          {IDC_PATH_FTP, "Edit", "", ES_AUTOHSCROLL | kEditBox, 0},
          {IDC_PATH_TELNET, "Edit", "", ES_AUTOHSCROLL | kEditBox, 0},
          {IDC_PATH_BACKUP, "Edit", "", ES_AUTOHSCROLL | kEditBox, 0},
          {IDC_STATIC, "Button", "Cliet Tool Path", 0, 0, BS_GROUPBOX}}},
        {IDD_CONTROLPAGE,
         nullptr,
         true,
         {{IDC_CONTROL_AUTORUN, "Button", "Auto-run program  when windows started", WS_TABSTOP, 0, BS_AUTOCHECKBOX},
          {IDC_CONTROL_HOTKEY, "Button", "Enable Hotkey(Windows+A)", WS_TABSTOP, 0, BS_AUTOCHECKBOX},
          // Digits only, and no scrolling: the field holds at most "60".
          {IDC_CONTROL_LOGOUT, "Edit", "", ES_NUMBER | kEditBox, ES_AUTOHSCROLL},
          {IDC_CONTROL_AUTOMATION_GROUP, "Button", "Automation", 0, 0, BS_GROUPBOX},
          {IDC_CONTROL_LOGOUT_LABEL, "Static", "Logout Time:", 0, 0},
          {IDC_STATIC, "Button", "Contral", 0, 0, BS_GROUPBOX}}},
    };
}

void PrintTo(const ExpectedDialog& expected, std::ostream* out) { *out << "template " << expected.id; }

class DialogTemplate : public ::testing::TestWithParam<ExpectedDialog> {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX init = {};
        init.dwSize = sizeof init;
        init.dwICC = ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES;
        InitCommonControlsEx(&init);
    }
};

TEST_P(DialogTemplate, CreatesWithTheControlsItsCodeUses) {
    const ExpectedDialog& expected = GetParam();
    TemplateDialog dialog(expected.id, expected.child);
    ASSERT_NE(dialog.get(), nullptr) << "template " << expected.id << " does not create";

    const LONG style = StyleOf(dialog.get());
    if (expected.caption) {
        EXPECT_EQ(WindowText(dialog.get()), expected.caption);
        EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
        EXPECT_TRUE(style & WS_SYSMENU) << "no close box";
        EXPECT_FALSE(style & WS_CHILD);
    } else {
        // Pages live inside the Config dialog's tab control, shown by it.
        EXPECT_TRUE(style & WS_CHILD);
        EXPECT_NE(style & WS_CAPTION, WS_CAPTION);
        EXPECT_FALSE(style & WS_VISIBLE);
    }

    for (const ExpectedControl& c : expected.controls) {
        SCOPED_TRACE(testing::Message() << "template " << expected.id << ", control " << c.id << " "
                                        << (c.text ? c.text : ""));
        HWND control = FindControl(dialog.get(), c);
        ASSERT_NE(control, nullptr);
        EXPECT_STRCASEEQ(ClassOf(control).c_str(), c.className);
        if (c.text) {
            EXPECT_EQ(WindowText(control), c.text);
        }
        const LONG controlStyle = StyleOf(control);
        if (c.required & WS_BORDER) {
            EXPECT_TRUE(HasBorder(control));
        }
        if (c.buttonKind != -1) {
            EXPECT_EQ(ButtonKind(control), c.buttonKind);
        }
        EXPECT_EQ(controlStyle & c.required & ~WS_BORDER, c.required & ~WS_BORDER);
        EXPECT_EQ(controlStyle & c.forbidden, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Program, DialogTemplate, ::testing::ValuesIn(ProgramDialogs()),
                         [](const ::testing::TestParamInfo<ExpectedDialog>& test) {
                             return "Template" + std::to_string(test.param.id);
                         });

// The dialog header of a template as stored: style and extended style.
struct TemplateHeader {
    bool found = false;
    DWORD style = 0;
    DWORD exStyle = 0;
};

TemplateHeader ReadTemplateHeader(int id) {
    TemplateHeader header;
    HRSRC found = FindResourceA(Module(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (!found) return header;
    header.found = true;
    const auto* words = static_cast<const WORD*>(LockResource(LoadResource(Module(), found)));
    if (words[0] == 1 && words[1] == 0xFFFF) {  // DLGTEMPLATEEX: version, signature, help id
        std::memcpy(&header.exStyle, words + 4, sizeof header.exStyle);
        std::memcpy(&header.style, words + 6, sizeof header.style);
    } else {
        std::memcpy(&header.style, words, sizeof header.style);
        std::memcpy(&header.exStyle, words + 2, sizeof header.exStyle);
    }
    return header;
}

// The buttons' kinds and the header flags that decide how the dialogs behave
// at the keyboard and in the window stack.
TEST(DialogTemplates, ButtonsAndHeaderFlagsGiveTheIntendedKeyboardAndStacking) {
    const TemplateHeader viewHeader = ReadTemplateHeader(IDD_VIEW);
    ASSERT_TRUE(viewHeader.found);
    EXPECT_EQ(viewHeader.exStyle, 0u) << "the list window makes itself layered by flipping the bit";
    const TemplateHeader itemHeader = ReadTemplateHeader(IDD_ITEM);
    ASSERT_TRUE(itemHeader.found);
    EXPECT_TRUE(itemHeader.style & DS_SYSMODAL) << "the item dialog must stay above the topmost list";

    {
        TemplateDialog view(IDD_VIEW);
        ASSERT_NE(view.get(), nullptr);
        // No default button: Enter in the query edit hides the window.
        for (int id : {IDC_VIEW_QUERY, IDC_VIEW_PREV, IDC_VIEW_NEXT, IDC_VIEW_NEW, IDC_VIEW_MODIFY, IDC_VIEW_DELETE,
                       IDC_VIEW_PASSWORD, IDC_VIEW_LOCK}) {
            EXPECT_EQ(ButtonKind(GetDlgItem(view.get(), id)), BS_PUSHBUTTON) << id;
        }
    }
    {
        TemplateDialog login(IDD_LOGIN);
        ASSERT_NE(login.get(), nullptr);
        EXPECT_EQ(ButtonKind(GetDlgItem(login.get(), IDOK)), BS_DEFPUSHBUTTON);
        EXPECT_EQ(GetDlgItem(login.get(), IDCANCEL), nullptr) << "Escape and the close box cancel";
    }
    for (int id : {IDD_PASSWORD, IDD_ITEM}) {
        TemplateDialog dialog(id);
        ASSERT_NE(dialog.get(), nullptr);
        EXPECT_EQ(ButtonKind(GetDlgItem(dialog.get(), IDOK)), BS_DEFPUSHBUTTON) << id;
        EXPECT_EQ(ButtonKind(GetDlgItem(dialog.get(), IDCANCEL)), BS_PUSHBUTTON) << id;
    }
    {
        TemplateDialog about(IDD_ABOUTBOX);
        ASSERT_NE(about.get(), nullptr);
        int icons = 0;
        for (HWND c = GetWindow(about.get(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (_stricmp(ClassOf(c).c_str(), "Button") == 0) {
                EXPECT_EQ(ButtonKind(c), BS_GROUPBOX) << "About has no buttons";
            }
            if (_stricmp(ClassOf(c).c_str(), "Static") == 0 && (StyleOf(c) & SS_TYPEMASK) == SS_ICON) {
                ++icons;
                EXPECT_NE(SendMessageA(c, STM_GETICON, 0, 0), 0) << "icon 158 not loaded";
            }
        }
        EXPECT_EQ(icons, 1);
    }
    {
        // The combo hands its scroll bar to the drop-down list, which shows it
        // once the entries outgrow the list.
        TemplateDialog item(IDD_ITEM);
        ASSERT_NE(item.get(), nullptr);
        HWND combo = GetDlgItem(item.get(), IDC_ITEM_TYPE);
        for (int i = 0; i < 40; ++i) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("entry"));
        SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(combo, &info));
        EXPECT_TRUE(StyleOf(info.hwndList) & WS_VSCROLL);
        SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    }
    {
        // The opacity bar is created at run time under this id.
        TemplateDialog page(IDD_CONTROLPAGE, true);
        ASSERT_NE(page.get(), nullptr);
        EXPECT_EQ(GetDlgItem(page.get(), IDC_CONTROL_ALPHA), nullptr);
    }
}

// Controls sit where the dialog units of the template put them, in the
// template's font.
TEST(DialogTemplates, ControlsSitAtTheirDialogUnitPositions) {
    struct Placement {
        int dialog;
        bool child;
        int control;
        RECT units;  // x, y, width, height
    };
    const Placement placements[] = {
        {IDD_LOGIN, false, IDC_LOGIN_PASSWORD, {40, 8, 74, 12}},
        {IDD_PASSWORD, false, IDOK, {132, 19, 34, 10}},
        {IDD_VIEW, false, IDC_VIEW_LIST, {1, 15, 212, 99}},
        {IDD_ITEM, false, IDC_ITEM_DESCRIPTION, {64, 68, 131, 36}},
        {IDD_CONFIG, false, IDC_CONFIG_TAB, {3, 2, 243, 227}},
        {IDD_CONTROLPAGE, true, IDC_CONTROL_LOGOUT, {56, 86, 25, 10}},
        {IDD_PATHPAGE, true, IDC_PATH_BACKUP, {41, 76, 120, 12}},
    };
    INITCOMMONCONTROLSEX init = {};
    init.dwSize = sizeof init;
    init.dwICC = ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES;
    InitCommonControlsEx(&init);
    for (const Placement& p : placements) {
        SCOPED_TRACE(testing::Message() << "template " << p.dialog << ", control " << p.control);
        TemplateDialog dialog(p.dialog, p.child);
        ASSERT_NE(dialog.get(), nullptr);
        // Origin and size are converted separately, as the dialog manager does.
        RECT mapped = p.units;
        ASSERT_TRUE(MapDialogRect(dialog.get(), &mapped));
        const RECT expected = {mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
        HWND control = GetDlgItem(dialog.get(), p.control);
        ASSERT_NE(control, nullptr);
        RECT actual;
        GetWindowRect(control, &actual);
        MapWindowPoints(nullptr, dialog.get(), reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
    }
}

// The framework fills combo 1035 from this data; the list position must be
// the address type code.
TEST(ItemDialogInitData, ListsTheFiveAddressTypesInCodeOrderThenEnds) {
    HRSRC found = FindResourceA(Module(), MAKEINTRESOURCEA(IDD_ITEM), MAKEINTRESOURCEA(RT_DLGINIT_DATA));
    ASSERT_NE(found, nullptr);
    const DWORD size = SizeofResource(Module(), found);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(Module(), found)));
    ASSERT_NE(bytes, nullptr);

    std::vector<std::string> entries;
    DWORD at = 0;
    auto word = [&](DWORD offset) {
        WORD value;
        std::memcpy(&value, bytes + offset, sizeof value);
        return value;
    };
    for (;;) {
        ASSERT_LE(at + 2, size) << "no terminating zero word";
        const WORD control = word(at);
        if (control == 0) break;
        ASSERT_LE(at + 8, size);
        EXPECT_EQ(control, IDC_ITEM_TYPE);
        EXPECT_EQ(word(at + 2), DLGINIT_ADDSTRING);
        DWORD length;
        std::memcpy(&length, bytes + at + 4, sizeof length);
        at += 8;
        ASSERT_GE(length, 1u);
        ASSERT_LE(at + length, size);
        const char* text = reinterpret_cast<const char*>(bytes + at);
        EXPECT_EQ(text[length - 1], '\0') << "the length counts the terminating zero";
        EXPECT_EQ(std::strlen(text) + 1, length) << "the length is the text's own";
        entries.emplace_back(text, length - 1);
        at += length;
    }
    EXPECT_EQ(at + 2, size) << "nothing follows the terminating word";
    const std::vector<std::string> expected = {"web site(http)", "web site(https)", "ftp site", "telnet site",
                                               "local program"};
    EXPECT_EQ(entries, expected);
}

std::string MenuText(HMENU menu, UINT position) {
    char text[64] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

// The tray menu's first popup, in the order the tray icon and the command
// routing expect; Config is the default (bold) item.
TEST(Menus, TrayMenuOffersConfigHelpAboutAndExitWithConfigAsDefault) {
    HMENU menu = LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_TRAYMENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    EXPECT_EQ(MenuText(menu, 0), "Main(&M)");
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);

    struct Item {
        UINT id;
        const char* text;
    };
    const Item items[] = {{ID_MAIN_CONFIG, "Config(&C)"},
                          {ID_MAIN_HELP, "Help"},
                          {ID_APP_ABOUT, "About"},
                          {0, nullptr},
                          {ID_MAIN_EXIT, "Exit Pellucorda(&S)"}};
    ASSERT_EQ(GetMenuItemCount(popup), 5);
    for (UINT i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE;
        ASSERT_TRUE(GetMenuItemInfoA(popup, i, TRUE, &info));
        if (!items[i].text) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR);
            continue;
        }
        EXPECT_EQ(info.wID, items[i].id);
        EXPECT_EQ(MenuText(popup, i), items[i].text);
        EXPECT_FALSE(info.fState & (MFS_DISABLED | MFS_GRAYED));
    }
    EXPECT_EQ(GetMenuDefaultItem(popup, TRUE, 0), 0u);
    DestroyMenu(menu);
}

// Resource set 128 of the hidden frame: its title, menu and icon. The title
// is one of the windows a second copy of the program looks for.
TEST(Menus, FrameResourceSetHasTitleMenuWithTheTrayCommandsAndIcon) {
    char title[64] = {};
    ASSERT_GT(LoadStringA(Module(), IDR_MAINFRAME, title, sizeof title), 0);
    EXPECT_STREQ(title, "Pellucorda");

    HMENU menu = LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(menu, nullptr);
    for (UINT id : {ID_MAIN_CONFIG, ID_MAIN_HELP, ID_APP_ABOUT, ID_MAIN_EXIT}) {
        EXPECT_NE(GetMenuState(menu, id, MF_BYCOMMAND), static_cast<UINT>(-1)) << id;
    }
    DestroyMenu(menu);

    HICON icon = static_cast<HICON>(LoadImageA(Module(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
}

TEST(Strings, TitleTooltipAndLinkTargets) {
    struct Expected {
        UINT id;
        const char* text;
    };
    const Expected strings[] = {
        {AFX_IDS_APP_TITLE, "Pellucorda"},
        {IDS_TRAY_TIP, "Pellucorda v1.0"},
        {IDS_ABOUT_HOME, "http://pellucorda.example.org/"},
        {IDS_ABOUT_MAIL, "mailto:support@pellucorda.example.org"},
    };
    for (const Expected& s : strings) {
        char text[128] = {};
        EXPECT_GT(LoadStringA(Module(), s.id, text, sizeof text), 0) << s.id;
        EXPECT_STREQ(text, s.text);
    }
    // The tray keeps its tooltip in a 64-byte field.
    char tip[128] = {};
    EXPECT_LT(LoadStringA(Module(), IDS_TRAY_TIP, tip, sizeof tip), 64);
}

// Reads a 32-bit icon's pixels, top row first, as alpha values.
std::vector<BYTE> IconAlpha(HICON icon, int size) {
    std::vector<BYTE> alpha;
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return alpha;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = size;
    bmi.bmiHeader.biHeight = -size;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(size) * size);
    HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, info.hbmColor, 0, size, pixels.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    if (rows != size) return alpha;
    for (DWORD p : pixels) alpha.push_back(static_cast<BYTE>(p >> 24));
    return alpha;
}

// The tray icon comes in the sizes the notification area and the window
// captions ask for, drawn at each size rather than scaled, with a
// transparent outline around the rounded square.
TEST(Icons, TrayIconHoldsDrawnImagesForEachSize) {
    HRSRC group = FindResourceA(Module(), MAKEINTRESOURCEA(IDI_TRAY), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(Module(), group)));
    WORD count;
    std::memcpy(&count, dir + 4, sizeof count);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = dir + 6 + 14 * static_cast<std::size_t>(i);  // GRPICONDIRENTRY
        WORD bits;
        std::memcpy(&bits, entry + 6, sizeof bits);
        EXPECT_EQ(bits, 32) << "image " << i << " has no alpha channel";
        sizes.push_back(entry[0]);
    }
    EXPECT_EQ(sizes, (std::vector<int>{48, 32, 16}));

    for (int size : {16, 32}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(LoadImageA(Module(), MAKEINTRESOURCEA(IDI_TRAY), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        const std::vector<BYTE> alpha = IconAlpha(icon, size);
        DestroyIcon(icon);
        ASSERT_EQ(alpha.size(), static_cast<size_t>(size * size));
        EXPECT_EQ(alpha[0], 0) << "corner should be transparent";
        EXPECT_EQ(alpha[(size / 2) * size + size / 2], 255) << "centre should be opaque";
    }
}

// Common Controls 6 must come from the program's manifest through the process
// activation context (the version that comctl32 reports says nothing here).
TEST(Manifest, ActivationContextRedirectsToCommonControls6AndRunsAsInvoker) {
    ACTCTX_SECTION_KEYED_DATA data = {};
    data.cbSize = sizeof data;
    ASSERT_TRUE(FindActCtxSectionStringW(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                                         ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &data))
        << "comctl32 is not redirected: no Common Controls 6 dependency";

    SIZE_T needed = 0;
    DWORD index = data.ulAssemblyRosterIndex;
    QueryActCtxW(0, data.hActCtx, &index, AssemblyDetailedInformationInActivationContext, nullptr, 0, &needed);
    ASSERT_GT(needed, 0u);
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(QueryActCtxW(0, data.hActCtx, &index, AssemblyDetailedInformationInActivationContext, buffer.data(),
                             buffer.size(), &needed));
    const auto* assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
    const std::wstring identity = assembly->lpAssemblyEncodedAssemblyIdentity;
    EXPECT_NE(identity.find(L"Microsoft.Windows.Common-Controls"), std::wstring::npos);
    EXPECT_NE(identity.find(L"version=\"6."), std::wstring::npos);

    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION runLevel = {};
    ASSERT_TRUE(QueryActCtxW(0, data.hActCtx, nullptr, RunlevelInformationInActivationContext, &runLevel,
                             sizeof runLevel, nullptr));
    EXPECT_EQ(runLevel.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    ReleaseActCtx(data.hActCtx);
}

// Windows 10 picks version 2 of per-monitor awareness, older systems and Wine
// the first; both scale the windows per monitor.
TEST(Manifest, ProcessIsPerMonitorDpiAware) {
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()), DPI_AWARENESS_PER_MONITOR_AWARE);
}

}  // namespace
