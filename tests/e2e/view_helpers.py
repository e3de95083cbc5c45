"""Finding the list window's controls and rows on the screen.

Controls are found where the program put them (the window probe reports
their rectangles); rows are found by their text colour, the list's pure
blue.
"""
import os
import subprocess

import harness as h

CONTROLS = {
    "query_text": 1019,
    "query": 1020,
    "prev": 1024,
    "next": 1025,
    "list": 1018,
    "new": 1021,
    "modify": 1022,
    "delete": 1023,
    "password": 1045,
    "lock": 1046,
}
TITLE = "Pellucorda"
ROW_TEXT = (0x00, 0x00, 0xFF)


def control_rect(window, name):
    """A control's rectangle (x, y, width, height) in window coordinates."""
    rect = h.wait_until(lambda: h.probe().rect(TITLE, CONTROLS[name]), "the list window's %s" % name)
    x0, y0, _, _ = h.geometry(window)
    left, top, right, bottom = rect
    return left - x0, top - y0, right - left, bottom - top


def click_control(window, name, button=1):
    x, y, w, hgt = control_rect(window, name)
    h.click(window, x + w // 2, y + hgt // 2, button)


def pixels(path, x, y, w, hgt):
    """{(x, y): (r, g, b)} of a region of an image, in image coordinates."""
    out = subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, hgt, x, y), "+repage", "txt:-"],
                         stdout=subprocess.PIPE, check=True).stdout.decode()
    result = {}
    for line in out.splitlines():
        if line.startswith("#"):
            continue
        position, _, rest = line.partition(":")
        colour = rest.split()[1] if len(rest.split()) > 1 else ""
        if not colour.startswith("#") or len(colour) < 7:
            continue
        px, py = (int(v) for v in position.split(","))
        result[(x + px, y + py)] = tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))
    return result


def row_centres(window, region=None, ink=lambda colour: colour == ROW_TEXT):
    """The vertical centres (window coordinates) of the rows the list shows,
    from the top: the lines of its blue text. A selected row is drawn in the
    selection colours, so look before selecting (or name other `ink`)."""
    shot = h.screenshot("rows-probe", window)
    x, y, w, hgt = region or control_rect(window, "list")
    lines = sorted({py for (_, py), colour in pixels(shot, x, y, w, hgt).items() if ink(colour)})
    os.remove(shot)
    rows = []
    for py in lines:
        if rows and py - rows[-1][-1] <= 2:
            rows[-1].append(py)
        else:
            rows.append([py])
    return [(r[0] + r[-1]) // 2 for r in rows]


def shown_and_held_rows(window):
    """(rows drawn below the header, selected or not; rows the list holds),
    at least one held; None while the caption says something else."""
    client, _, held = h.probe().rows(TITLE, CONTROLS["list"])
    if client is None:
        return None
    x0, y0, _, _ = h.geometry(window)
    region = (client[0] - x0, held[0][1] - y0, client[2] - client[0], client[3] - held[0][1])
    plain = {(0xF7, 0xF7, 0xFF), (0xF5, 0xF5, 0xF5)}  # the background, the grid
    return len(row_centres(window, region, lambda colour: colour not in plain)), len(held)


def wait_rows(window, count):
    """The centres of the list's rows once it shows `count` of them."""
    return h.wait_until(lambda: (lambda r: r if len(r) == count else None)(row_centres(window)),
                        "%d rows in the list" % count, timeout=15)


def click_row(window, centre, button=1, repeat=1):
    x, _, _, _ = control_rect(window, "list")
    # The "service name" column: clear of the narrow "no." column.
    h.click(window, x + 60, centre, button, repeat)


def list_background_shows(window):
    """Whether the list's pale blue background is where the layout puts it."""
    shot = h.screenshot("background-probe", window)
    x, y, w, hgt = control_rect(window, "list")
    found = pixels(shot, x + w // 2, y + hgt - 30, 1, 1)
    os.remove(shot)
    return list(found.values()) == [(0xF7, 0xF7, 0xFF)]


def start_notepad():
    """Another window of the Wine session: under Wine, Windows+A reaches the
    program only while a window of the session has the keyboard focus."""
    process = subprocess.Popen(["wine", "notepad"], env=h.env(), stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    pad = h.wait_window("Notepad$")
    # Mapped is not yet listening: wait until it takes keys, which shows when
    # what it was given comes back through the clipboard.
    h.wait_until(lambda: _echoes(pad), "Notepad to take keys", timeout=30, interval=0.5)
    return process, pad


def _echoes(pad):
    h.key(pad, "ctrl+a", "BackSpace")
    h.type_text(pad, "ready")
    h.key(pad, "ctrl+a", "ctrl+c")
    return h.clipboard() == "ready"


def hotkey(window):
    h.key(window, "super+a")


def seed(program, items):
    """A vault with the default item and `items` (service, user, password,
    address, type) added by the command-line tool."""
    result = program.cli(["init"], "quillmarsh\n")
    assert result.returncode == 0, result
    for service, user, password, address, kind in items:
        result = program.cli(["add", "--service", service, "--user", user, "--address", address, "--type", kind],
                             "quillmarsh\n%s\n" % password)
        assert result.returncode == 0, result


def exported(program):
    """The vault's items as dicts, read by the command-line tool."""
    result = program.cli(["export"], "quillmarsh\n")
    if result.returncode == 3 and b"no vault at" in result.stderr:
        # Wine's ReplaceFile moves the old vault aside before the new one
        # takes its place: a read in between finds none. Ask again.
        result = h.wait_until(lambda: (lambda r: r if r.returncode != 3 else None)(program.cli(["export"],
                              "quillmarsh\n")), "the vault back in place")
    assert result.returncode == 0, result
    lines = result.stdout.decode().splitlines()
    names = lines[0].split("\t")
    return [dict(zip(names, line.split("\t"))) for line in lines[1:]]
