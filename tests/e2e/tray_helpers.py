"""The notification area as the end-to-end tests reach it. The private X
server runs no tray of its own, so Wine shows its icons in its own "Wine
System Tray" window at the top left; real clicks on an icon there reach the
program as its tray callback messages."""
import harness as h

TRAY_TITLE = "^Wine System Tray$"


def tray_window(timeout=30.0):
    return h.wait_window(TRAY_TITLE, timeout)


def icon_point(tray):
    """Screen coordinates of the first icon in the tray window."""
    x, y, width, height = h.geometry(tray)
    return x + 12, y + height - 13


# Two clicks on one spot within the double-click time make a double-click,
# which the program treats differently. Successive clicks therefore land on
# alternate points of the icon, further apart than the double-click
# rectangle (4 pixels wide and high).
_next_offset = [-3]


def click_icon(button=1):
    """A real click on the program's icon; returns where it clicked."""
    x, y = icon_point(tray_window())
    offset = _next_offset[0]
    _next_offset[0] = -offset
    x, y = x + offset, y + offset
    h.run(["xdotool", "mousemove", str(x), str(y), "click", str(button)])
    return x, y


def double_click_icon():
    """A real double-click on the program's icon."""
    x, y = icon_point(tray_window())
    offset = _next_offset[0]
    _next_offset[0] = -offset
    h.run(["xdotool", "mousemove", str(x + offset), str(y + offset), "click", "--repeat", "2", "--delay", "80", "1"])


def click_at(x, y, button=1):
    h.run(["xdotool", "mousemove", str(x), str(y), "click", str(button)])


def wait_menu(x, y, timeout=30.0):
    """The popup menu that opened with its top-left corner at (x, y): a
    visible window without a title. Returns its geometry."""
    def find():
        for window in h.visible_windows("^$"):
            try:
                geometry = h.geometry(window)
            except h.Failure:
                continue  # gone meanwhile
            if geometry[0] == x and geometry[1] == y and geometry[2] < 400:
                return geometry
        return None
    return h.wait_until(find, "the tray menu at %d,%d" % (x, y), timeout)


def wait_no_menu(x, y, timeout=30.0):
    def gone():
        for window in h.visible_windows("^$"):
            try:
                geometry = h.geometry(window)
            except h.Failure:
                continue
            if geometry[0] == x and geometry[1] == y and geometry[2] < 400:
                return False
        return True
    h.wait_until(gone, "the tray menu to close", timeout)


def menu_item_point(menu, index, count=4):
    """The middle of text item index (0 at the top) of a menu whose text
    items have equal heights and whose one separator comes before the last
    item; count is the number of text items."""
    x, y, width, height = menu
    border = 3
    separator = 9
    item = (height - 2 * border - separator) / count
    top = y + border + index * item + (separator if index == count - 1 else 0)
    return x + width // 3, int(top + item / 2)


def wait_tray_gone(timeout=30.0):
    """Wine hides its tray window once it holds no icon."""
    h.wait_no_window(TRAY_TITLE, timeout)


def crop(source, target, width, height):
    """Copies the top-left corner of a screenshot, where the tray and its
    menu are."""
    h.run(["convert", source, "-crop", "%dx%d+0+0" % (width, height), "+repage", target])
