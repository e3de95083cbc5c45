"""Helpers of the Config and About end-to-end tests: the tray menu opened
with a real right click on the icon in Wine's own tray window, its items
chosen with real clicks, and places inside the Config dialog.

Positions inside the dialogs are pixels of their templates as Wine lays them
out with the "System" font (the screenshots in build/screenshots show them).
"""
import harness as h

# The tray menu: a frame of 3 pixels, rows of equal height, one separator
# before the last item.
MENU_ITEMS = ["Config(&C)", "Help", "About", None, "Exit Pellucorda(&S)"]
MENU_BORDER = 3
MENU_SEPARATOR = 9

# Inside the Config dialog (window coordinates).
CONFIG_TAB_OPTION = (55, 38)
CONFIG_TAB_LOCAL = (155, 38)
CONFIG_TAB_SECURITY = (255, 38)
CONFIG_CLOSE_BOX = (-15, 10)  # from the right edge
OPTION_HOTKEY = (35, 91)
OPTION_LOGOUT = (150, 219)
LOCAL_EDITS = {"Web": (215, 85), "Ftp": (215, 115), "Telnet": (215, 147), "FilePath": (215, 205)}


def tray_window():
    return h.wait_window("^Wine System Tray$")


def open_tray_menu():
    """Right-clicks the program's icon; the menu window's geometry."""
    tray = tray_window()
    before = set(h.visible_windows(""))
    x, y, width, height = h.geometry(tray)
    h.run(["xdotool", "mousemove", str(x + 12), str(y + height - 13), "click", "3"])
    menu = h.wait_until(lambda: next(iter(set(h.visible_windows("")) - before), None), "the tray menu")
    return h.geometry(menu)


def choose_tray_item(text):
    """Opens the tray menu and clicks the item with that text."""
    x, y, width, height = open_tray_menu()
    rows = sum(1 for item in MENU_ITEMS if item is not None)
    row = (height - 2 * MENU_BORDER - MENU_SEPARATOR) // rows
    index = MENU_ITEMS.index(text)
    above = sum(1 for item in MENU_ITEMS[:index] if item is not None)
    top = y + MENU_BORDER + row * above + (MENU_SEPARATOR if None in MENU_ITEMS[:index] else 0)
    h.run(["xdotool", "mousemove", str(x + width // 3), str(top + row // 2), "click", "1"])


def open_config():
    choose_tray_item("Config(&C)")
    return h.wait_window("^Config$")


def open_about():
    choose_tray_item("About")
    return h.wait_window("^About$")


def click_at(window, place):
    x, y = place
    if x < 0:
        x += h.geometry(window)[2]
    h.click(window, x, y)


def alpha_arrows(window):
    """The middles of the opacity bar's left and right arrows, in window
    coordinates: the bar is placed at run time, so it is asked where it is."""
    left, top, right, bottom = h.wait_until(lambda: h.probe().rect("Config", 1069), "the opacity bar")
    x0, y0, _, _ = h.geometry(window)
    arrow = bottom - top  # the arrows are square
    middle = (top + bottom) // 2 - y0
    return (left - x0 + arrow // 2, middle), (right - x0 - arrow // 2, middle)


def control_middle(window, control_id):
    """The middle of a control of the Config dialog, in window coordinates."""
    left, top, right, bottom = h.wait_until(lambda: h.probe().rect("Config", control_id), "control %d" % control_id)
    x0, y0, _, _ = h.geometry(window)
    return (left + right) // 2 - x0, (top + bottom) // 2 - y0


def close_box(window):
    click_at(window, CONFIG_CLOSE_BOX)


# Inside the About dialog (window coordinates): the homepage link's text.
ABOUT_HOME_LINK = (120, 106, 200, 16)  # x, y, width, height


def colours_in(window, area):
    """The set of (r, g, b) colours in an area (x, y, width, height) of the window."""
    shot = h.screenshot("colour-probe", window)
    x, y, width, height = area
    out = h.run(["convert", shot, "-crop", "%dx%d+%d+%d" % (width, height, x, y), "+repage",
                 "-unique-colors", "txt:-"]).stdout.decode()
    colours = set()
    for line in out.splitlines():
        if line.startswith("#"):
            continue
        # "0,0: (255,0,0)  #FF0000  red"
        values = line.split("(", 1)[1].split(")", 1)[0].split(",")
        colours.add(tuple(int(float(v)) for v in values[:3]))
    return colours


def put_config_byte(name, value):
    """Writes a one-byte setting before the program starts."""
    h.run(["wine", "reg", "add", h.CONFIG_KEY, "/v", name, "/t", "REG_BINARY", "/d", "%02X" % value, "/f"])


def config_byte(name):
    value = h.reg_query(h.CONFIG_KEY, name)
    return int(value, 16) if value else None


def start_logged_out(program):
    """Starts the program and cancels the Login dialog: the tray icon stays."""
    process = program.start()
    login = h.wait_window("^Login$")
    h.key(login, "Escape")
    h.wait_no_window("^Login$")
    return process
