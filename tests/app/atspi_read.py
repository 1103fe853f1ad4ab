"""The window read through the desktop's accessibility bus, as a screen
reader reads it: tab sets that say which tab is chosen, sheets named after
their tabs, a word decoded by the bus's own actions, its lines described by
their bits, and the boxes a chosen line lights described as lit."""
import sys
import time

import pyatspi

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL", what)


# The window is awaited for what it shows on the bus, never for a time: this
# only ends a wait that never comes, however slow the machine.
HANG_SECONDS = 120


def application(name, wait=HANG_SECONDS):
    end = time.time() + wait
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.3)
    return None


def nodes(root, depth=0):
    if root is None or depth > 20:
        return
    yield root
    for child in root:
        yield from nodes(child, depth + 1)


def selected(node):
    return node.getState().contains(pyatspi.STATE_SELECTED)


def until(condition, wait=HANG_SECONDS):
    end = time.time() + wait
    while time.time() < end:
        if condition():
            return True
        time.sleep(0.2)
    return condition()


app = application(sys.argv[1])
if app is None:
    print(f"FAIL the window did not reach the accessibility bus in {HANG_SECONDS} s")
    sys.exit(1)
everything = list(nodes(app))
tab_lists = [n for n in everything if n.getRole() == pyatspi.ROLE_PAGE_TAB_LIST]
check(len(tab_lists) == 4, "four tab sets")
for tabs in tab_lists:
    names = [t.name for t in tabs]
    chosen = [t.name for t in tabs if selected(t)]
    check(len(chosen) == 1, f"one chosen tab among {names}: {chosen}")
check(["Преобразователь", "АХ", "Неисправности"] in [[t.name for t in tabs] for tabs in tab_lists], "the top tabs")
tab_names = [t.name for tabs in tab_lists for t in tabs]
sheets = {n.name: n for n in everything if n.getRole() != pyatspi.ROLE_PAGE_TAB and n.name in tab_names}
for name in tab_names:
    check(name in sheets, f"a sheet named {name}")

# "СКО": a word written and decoded through the bus.
sko = sheets.get("СКО")
check(sko is not None, "the sheet СКО")
if sko is not None:
    inside = list(nodes(sko))
    boxes = sorted((n for n in inside if n.name.startswith("Слово 0, позиция ")), key=lambda n: n.name)
    check(len(boxes) == 5, "five boxes of the word")
    for box, digit in zip(boxes, "271A6"):
        box.queryEditableText().setTextContents(digit)
    button = next((n for n in inside if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name == "Проверить"), None)
    check(button is not None, "the button Проверить")
    lists = [n for n in inside if n.getRole() == pyatspi.ROLE_LIST]
    check(len(lists) == 1 and lists[0].name == "Результат: СКО", "the result list")
    if button is not None and lists:
        action = button.queryAction()
        action.doAction(0)
        result = lists[0]
        check(until(lambda: result.childCount > 5), f"the press fills the list (it has {result.childCount} lines)")
        lines = [result[i] for i in range(result.childCount)]
        described = [line for line in lines if line.description.startswith("Слово 0, бит")]
        check(len(described) > 5, "lines described by their bits")
        # A list is a table of one column to the bus: a row chosen through it.
        result.queryTable().addRowSelection(1)
        check(until(lambda: selected(result[1])), f"the chosen line is selected (selected: {[i for i in range(result.childCount) if selected(result[i])]})")
        lit = lambda: [b.name for b in boxes if b.description.startswith("Биты выбранной строки: ")]
        check(until(lambda: len(lit()) > 0), f"the boxes of the chosen line are described as lit ({[b.description for b in boxes]})")
        print("line:", result[1].name, "|", result[1].description, "| lit:", lit())

print(f"atspi_read: {len(failures)} failed")
sys.exit(1 if failures else 0)
