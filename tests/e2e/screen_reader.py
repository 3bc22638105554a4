#!/usr/bin/python3
"""Reads Maskquill as a screen reader does: through AT-SPI, with real key
presses and mouse clicks from xdotool. Run by screen_reader_test.sh inside a
private D-Bus session and X server. Usage: screen_reader.py <screenshot folder>"""
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

out = sys.argv[1] if len(sys.argv) > 1 else "."
failures = []


def check(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def pump(seconds):
    """Lets AT-SPI events arrive while the program works."""
    ctx = GLib.MainContext.default()
    end = time.time() + seconds
    while time.time() < end:
        while ctx.iteration(False):
            pass
        time.sleep(0.02)


def find(node, pred):
    if node is None:
        return None
    try:
        if pred(node):
            return node
        children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:
        return None
    for child in children:
        hit = find(child, pred)
        if hit is not None:
            return hit
    return None


def wait_for(pred_fn, seconds=30):
    """The first thing pred_fn finds; the wait ends as soon as there is one, and
    is long only so that a busy machine never fails the test."""
    end = time.time() + seconds
    while time.time() < end:
        try:
            hit = pred_fn()
        except Exception:  # a node that went away while it was read
            hit = None
        if hit is not None and hit is not False:
            return hit
        pump(0.1)
    return None


def settle(cond, seconds=30):
    """Waits until cond() holds (the check after it names what was seen instead)."""
    wait_for(lambda: True if cond() else None, seconds)


def text_of(node):
    try:
        return node.queryText().getText(0, -1)
    except NotImplementedError:
        return "<no text interface>"


def press(node, action):
    act = node.queryAction()
    names = [act.getName(i) for i in range(act.nActions)]
    if action not in names:
        sys.exit(f"FAIL: {node.name!r} offers no {action!r} action, only {names}")
    act.doAction(names.index(action))
    pump(0.6)  # Qt presses buttons about 100 ms later


def xdo(*args):
    subprocess.run(["xdotool", *args], check=True)


def app_named(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        a = desktop.getChildAtIndex(i)
        if a is not None and a.name == name:
            return a
    return None


app = wait_for(lambda: app_named("Maskquill"), 60)
if app is None:
    sys.exit("FAIL: the program never showed up on the accessibility bus")
toolbar_button = wait_for(lambda: find(app, lambda a: a.getRoleName() == "push button" and a.name == "Maskquill"))
if toolbar_button is None:
    sys.exit("FAIL: no toolbar button that opens the calculator")

events = []
pyatspi.Registry.registerEventListener(
    lambda e: events.append((e.source.description if e.source else "", str(e.any_data))), "object:text-changed")

press(toolbar_button, "Press")
pane = find(app, lambda a: a.getRoleName() == "layered pane")
calc = wait_for(lambda: find(pane, lambda a: a.getRoleName() == "frame" and a.name == "Maskquill"))
if calc is None:
    sys.exit("FAIL: the calculator window did not open")


def octet(i):
    return find(calc, lambda a: a.name == f"Enter IP Address, octet {i + 1}")


def result_panel(caption):
    # The value panel carries the caption's name and its tool-tip as description.
    return find(calc, lambda a: a.getRoleName() == "label" and a.name == caption and
                a.description.startswith("This shows"))


def named(root, role, name):
    return find(root, lambda a: a.getRoleName() == role and a.name == name)


# Type the address with the real keyboard; without a window manager the test
# gives the X focus itself.
octet(0).queryComponent().grabFocus()
main = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Maskquill$"], capture_output=True,
                      text=True).stdout.split()
if not main:
    sys.exit("FAIL: no visible main window")
xdo("windowfocus", "--sync", main[0])
settle(lambda: octet(0).getState().contains(pyatspi.STATE_FOCUSED))
xdo("type", "--delay", "40", "192.168.10.77")
settle(lambda: [text_of(octet(i)) for i in range(4)] == ["192", "168", "10", "77"])
check("octets typed", [text_of(octet(i)) for i in range(4)], ["192", "168", "10", "77"])
# From the fourth octet, Tab past "Enable Subnet Zero" and the bits box to the
# mask box, open its list and take its third row.
xdo("key", "Tab", "Tab", "Tab")
pump(0.3)
xdo("key", "F4")
pump(0.5)
xdo("key", "Home", "Down", "Down", "Return")

expected = {
    "Network Address": "192.168.10.0",
    "Subnet Address": "192.168.10.64",
    "Host Address": "192.168.10.77",
    "Wasted Addresses": "74",
    "Address Range From": "192.168.10.65",
    "Address Range To": "192.168.10.94",
    "Broadcast Address": "192.168.10.95",
}
settle(lambda: all(text_of(result_panel(c)) == v for c, v in expected.items()))
for caption, value in expected.items():
    panel = result_panel(caption)
    if panel is None:
        failures.append(f"no result panel {caption!r}")
        continue
    check(caption, text_of(panel), value)
check("status", text_of(named(calc, "label", "Status")), "Host address is a valid address")
check("class", text_of(named(calc, "text", "Class of Address")), "C")
check("subnet number", text_of(named(calc, "text", "Subnet number")), "2")
def told_values():
    return {data for desc, data in events if desc.startswith("This shows")}


# The events come over the bus, after the texts they tell of.
settle(lambda: {"192.168.10.0", "192.168.10.95", "74"} <= told_values())
told = told_values()
for value in ("192.168.10.0", "192.168.10.95", "74"):
    if value not in told:
        failures.append(f"no text-changed event told of {value!r} (heard {sorted(told)})")
subprocess.run(["import", "-window", "root", f"{out}/e2e_screen_reader_calculator.png"])

# The address range window: its message, then the report after START.
press(named(calc, "push button", "Display whole address range"), "Press")
dar = wait_for(lambda: find(pane, lambda a: a.getRoleName() == "frame" and a.name == "Display Address Range"))
if dar is None:
    sys.exit("FAIL: the address range window did not open")
message = named(dar, "label", "Message")
settle(lambda: text_of(message) == "Click START to display subnets 0 to  6")
check("range message", text_of(message), "Click START to display subnets 0 to  6")
press(named(dar, "push button", "START"), "Press")
last = " 6\t192.168.10.192\t192.168.10.193\t192.168.10.222\t192.168.10.223"
settle(lambda: last in text_of(find(dar, lambda a: a.name == "Address range report")).split("\n") and
       text_of(message) == "Calculating and formatting for subnet  5 of 6")
report = text_of(find(dar, lambda a: a.name == "Address range report"))
if last not in report.split("\n"):
    failures.append(f"the report does not read {last!r}: {report!r}")
check("range message after the run", text_of(message), "Calculating and formatting for subnet  5 of 6")
subprocess.run(["import", "-window", "root", f"{out}/e2e_screen_reader_range.png"])
press(named(dar, "push button", "Finish"), "Press")

# A switch-access tool ticks "Enable Subnet Zero" with its Toggle action: the
# handler runs, so the results are cleared and the lists rebuilt.
zero = named(calc, "check box", "Enable Subnet Zero")
press(zero, "Toggle")
bits = named(calc, "combo box", "# Bits in Subnet Mask")


def bit_rows():
    return bits.getChildAtIndex(0).childCount if bits is not None and bits.childCount else -1


settle(lambda: zero.getState().contains(pyatspi.STATE_CHECKED) and bit_rows() == 7)
check("ticked", zero.getState().contains(pyatspi.STATE_CHECKED), True)
check("results after ticking", text_of(result_panel("Network Address")), "")
check("subnet number after ticking", text_of(named(calc, "text", "Subnet number")), "")
check("bits rows with subnet zero", bit_rows(), 7)
press(zero, "Toggle")
settle(lambda: not zero.getState().contains(pyatspi.STATE_CHECKED))
check("unticked", zero.getState().contains(pyatspi.STATE_CHECKED), False)

# A middle click pastes the X selection the way Ctrl+V pastes: a whole
# address fills the four fields.
# xclip stays behind to serve the selection until the X server goes.
subprocess.run(["xclip", "-selection", "primary"], input="172.16.37.200", text=True, check=True,
               stderr=subprocess.DEVNULL)
x, y, w, h = octet(0).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
xdo("mousemove", str(x + w // 2), str(y + h // 2), "click", "2")
settle(lambda: text_of(named(calc, "text", "Class of Address")) == "B")
check("octets after a middle click", [text_of(octet(i)) for i in range(4)], ["172", "16", "37", "200"])
check("class after a middle click", text_of(named(calc, "text", "Class of Address")), "B")

# The VLSM assistant's results, read line by line from its list.
press(named(app, "push button", "VLSM Quill"), "Press")
vlsm = wait_for(lambda: find(pane, lambda a: a.getRoleName() == "frame" and a.name == "Class C VLSM Quill"))
if vlsm is None:
    sys.exit("FAIL: the VLSM assistant did not open")
for name, value in (("First octet", "192"), ("Second octet", "168"), ("Third octet", "1")):
    named(vlsm, "text", name).queryEditableText().setTextContents(value)
continue_button = named(vlsm, "push button", "Continue")


def showing(role, name):
    node = named(vlsm, role, name)
    return node if node is not None and node.getState().contains(pyatspi.STATE_SHOWING) else None


press(continue_button, "Press")
segments = wait_for(lambda: showing("combo box", "Number of segments"))
if segments is None:
    sys.exit("FAIL: the VLSM assistant did not ask for the number of segments")
find(segments, lambda a: a.getRoleName() == "text").queryEditableText().setTextContents("2")
press(continue_button, "Press")
if wait_for(lambda: showing("text", "Hosts in segment 2")) is None:
    sys.exit("FAIL: the VLSM assistant did not ask for the hosts of each segment")
named(vlsm, "text", "Hosts in segment 1").queryEditableText().setTextContents("20")
named(vlsm, "text", "Hosts in segment 2").queryEditableText().setTextContents("50")
press(continue_button, "Press")
wants = ("Number of segments chosen is 2", "Segment 2 has 50 hosts", "Subnet mask for segment 1 is 255.255.255.224")


def vlsm_lines():
    results = named(vlsm, "list", "Results")
    return [results.getChildAtIndex(i).name for i in range(results.childCount)] if results is not None else []


settle(lambda: all(want in vlsm_lines() for want in wants))
lines = vlsm_lines()
for want in wants:
    if want not in lines:
        failures.append(f"the VLSM results do not read {want!r}: {lines}")

# The Network Planner: its status line reads as its text; a screen reader's
# Toggle of "Links as /30" is a change of the plan (Undo wakes up); Shift+F10
# opens the block menu on the tree; Ctrl+F4 closes the window.
press(named(app, "push button", "Network Planner"), "Press")
planner = wait_for(lambda: find(pane, lambda a: a.getRoleName() == "frame" and a.name.startswith("Network Planner")))
if planner is None:
    sys.exit("FAIL: the Network Planner did not open")
status = wait_for(lambda: find(planner, lambda a: a.getRoleName() == "label" and
                               a.description.startswith("Plan summary")))
if status is None:
    failures.append("no status line described as the plan summary")
elif not re.match(r"^\d+ blocks?, \d+ (leaf|leaves); selected ", status.name):
    failures.append(f"the status line reads {status.name!r}, not its text")
links = named(planner, "check box", "Links as /30")
undo = named(planner, "push button", "Undo")


def sensitive(node):
    return node.getState().contains(pyatspi.STATE_SENSITIVE)


def ticked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


check("Undo before the toggle", sensitive(undo), False)
press(links, "Toggle")
settle(lambda: ticked(links) and sensitive(undo))
check("Links as /30 ticked", ticked(links), True)
check("Undo after the toggle", sensitive(undo), True)
if sensitive(undo):
    press(undo, "Press")
    settle(lambda: not ticked(links) and not sensitive(undo))
    check("Links as /30 after Undo", ticked(links), False)
subprocess.run(["import", "-window", "root", f"{out}/e2e_screen_reader_planner.png"])


def labels_of(node):
    """The names of the labels a node is labelled by, as a screen reader reads a choice box."""
    names = []
    for rel in node.getRelationSet():
        if rel.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [rel.getTarget(i).name for i in range(rel.getNTargets())]
    return names


def described(root, role, start):
    return find(root, lambda a: a.getRoleName() == role and a.description.startswith(start))


def page_tabs(node, found):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        if child.getRoleName() == "page tab":
            found.append(child)
        elif child.getRoleName() not in ("table", "tree table", "tree", "list"):
            page_tabs(child, found)
    return found


# Inside the block, by its tab's Press action; a row of the allocations table chosen by a
# click shows its block there.
inside = find(planner, lambda a: a.getRoleName() == "page tab" and a.name == "3 Inside the block")
if inside is None:
    failures.append("no page tab \"3 Inside the block\"")
else:
    press(inside, "Press")
table = named(planner, "table", "Allocations")


def first_name():
    cell = table.queryTable().getAccessibleAt(0, 0)
    return cell.name if cell is not None else None


settle(lambda: first_name() == "west")
check("allocations in address order", first_name(), "west")
x, y, w, h = table.queryTable().getAccessibleAt(0, 0).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
xdo("mousemove", str(x + w // 2), str(y + h // 2), "click", "1")
settle(lambda: table.getState().contains(pyatspi.STATE_FOCUSED))
focused_tabs = [t.name for t in page_tabs(planner, []) if t.getState().contains(pyatspi.STATE_FOCUSED)]
check("page tabs focused while the table has the focus", focused_tabs, [])
# The table sorts by the column of its current cell from the keyboard, as a title click does.
xdo("key", "ctrl+shift+o")
settle(lambda: first_name() == "east")
check("allocations sorted by name from the keyboard", first_name(), "east")

# Each control of the subnet panel: (role, how its description starts, the label it is read
# with, how its description ends).
panel = (
    ("combo box", "Where the block's gateway comes from", "Gateway:", ""),
    ("combo box", "How the IPv6 block hands out addresses", "IPv6:", ""),
    ("text", "The first addresses kept for routers", "Kept:", "plan's rule: 0"),
    ("combo box", "The role of the host selected", "Role:", ""),
    ("combo box", "Whether the block's DHCP ranges follow", "DHCP ranges:", ""),
)
for role, start, label, end in panel:
    node = described(planner, role, start)
    if node is None:
        failures.append(f"no {role} described as {start!r}...")
        continue
    if label not in labels_of(node):
        failures.append(f"{role} {node.name!r} is labelled by {labels_of(node)}, not {label!r}")
    if not node.description.endswith(end):
        failures.append(f"{role} {node.name!r} is described as {node.description!r}")
role_box = described(planner, "combo box", "The role of the host selected")
if role_box is not None:
    check("roles listed in the Role box", role_box.getChildAtIndex(0).childCount if role_box.childCount else 0, 8)

# Menus are children of their buttons before they pop up; the filter's clear button has a name.
menus = (
    ("Export", "Outputs..."),
    ("Import", "NetBox CSV..."),
    ("Import hosts from a file", "Rows into this block (CSV or tab-separated)..."),
    ("Recent plans", None),
)
for button_name, entry in menus:
    button = find(planner, lambda a: a.name == button_name and a.getRoleName() in ("push button", "push button menu"))
    if button is None:
        failures.append(f"no button {button_name!r}")
        continue
    menu = button.getChildAtIndex(0) if button.childCount else None
    if menu is None or menu.getRoleName() not in ("menu", "popup menu"):
        failures.append(f"the button {button_name!r} has no menu among its children")
    elif entry is not None and find(menu, lambda a: a.name == entry) is None:
        failures.append(f"the menu of {button_name!r} has no entry {entry!r}")
export = find(planner, lambda a: a.name == "Export" and a.getRoleName() in ("push button", "push button menu"))
if export is not None and not ("workbook" in export.description and "Outputs" in export.description):
    failures.append(f"the Export button is described as {export.description!r}")
if find(planner, lambda a: a.name == "Clear the filter" and a.getRoleName() == "push button") is None:
    failures.append("the Filter's clear button has no name")
subprocess.run(["import", "-window", "root", f"{out}/e2e_screen_reader_subnet_panel.png"])

tree = find(planner, lambda a: a.name == "Blocks" and a.getRoleName() in ("tree", "tree table"))
# Qt's tree takes no focus through AT-SPI: a click on its first row gives it
# (on the prefix, which a click does not start editing).
x, y, w, h = tree.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
xdo("mousemove", str(x + 210), str(y + 32), "click", "1")
settle(lambda: tree.getState().contains(pyatspi.STATE_FOCUSED))
# A popup menu is no child of the application on the bus: it is met as it shows.
popups = []


def heard_popup(e):
    if e.source is not None and e.detail1 and e.source.getRoleName() == "popup menu":
        popups.append(e.source)


pyatspi.Registry.registerEventListener(heard_popup, "object:state-changed:showing")
xdo("key", "shift+F10")


def block_menu():
    for menu in popups:
        try:
            if any(menu.getChildAtIndex(i).name.startswith("Split in two") for i in range(menu.childCount)):
                return menu
        except Exception:
            pass
    return None


if wait_for(block_menu, 10) is None:
    failures.append("Shift+F10 on the tree opened no block menu")
xdo("key", "Escape")
pump(0.5)
xdo("key", "ctrl+F4")
settle(lambda: find(pane, lambda a: a.getRoleName() == "frame" and a.name.startswith("Network Planner")) is None)
if find(pane, lambda a: a.getRoleName() == "frame" and a.name.startswith("Network Planner")) is not None:
    failures.append("Ctrl+F4 did not close the Network Planner")

for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
