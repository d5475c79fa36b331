"""The pages of twtrace html in chromium: what a person sees and does there.
   page_test.py CHROMIUM ARTEFACTS   (demo.html, faulty.html, hostile.html, diff.html there)
Each page: the failure count, the first failure's link and where it leads, the
state picture's states, the filter narrowing the records, the key to the next
failure, a screenshot at 1280x800 that is not blank, and a console with no
error. The hostile page: none of the source's markup or script runs, and its
strings show exactly as the source wrote them. The diff page of the demo and the
hostile session: its differences marked, the hostile strings inert there too."""
import os
import sys
import time

import cdp

HOSTILE_IDENTITY = ("\"\"quoted' & <i>name</i>\" by </script><b id=pwned>x</b> (family <img src=x onerror=alert(1)>), "
                    "version 0.0 \"javascript:alert(1)\", TWAIN 2.0 (00001)")
HOSTILE_FILE_NAME = ("</script><script>document.title='pwned'</script><img src=x onerror=\"document.title='pwned'\">"
                     "<a href=\"javascript:alert(1)\">x</a>")

# page, failures, findings, first failure, its condition code, states, filter, records it leaves of all
PAGES = [
    ("demo", 1, 0, "00017 DG_CONTROL/DAT_CAPABILITY/MSG_SET (CAP_KQ_DUALIMAGE)", "TWCC_CAPUNSUPPORTED",
     [3, 4, 5, 6, 7, 5, 4, 3], "DAT_STATUS", "1 of 31 records"),
    ("faulty", 3, 3, "00014 DG_CONTROL/DAT_KQ_EDGEFILLAREA/MSG_GET", "status never asked", [3, 4, 3],
     "TWRC_FAILURE", "3 of 17 records"),
    ("hostile", 1, 0, "00004 DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_XRESOLUTION)", "TWCC_BADCAP", [3, 4, 3],
     "filexfer", "1 of 6 records"),
]

# The states the picture's line visits, read against its own grid labels.
STATES_JS = """(() => {
  const svg = document.getElementById('state-picture');
  const level = {};
  for (const t of svg.querySelectorAll('text')) if (/^[1-7]$/.test(t.textContent)) level[Number(t.getAttribute('y')) - 4] = Number(t.textContent);
  const ys = document.getElementById('state-line').getAttribute('points').trim().split(/\\s+/).map(p => Number(p.split(',')[1]));
  return ys.map(y => level[y] ?? -1).filter((s, i, all) => i === 0 || s !== all[i - 1]);
})()"""

failures = []


def check(what, got, expected):
    if got != expected:
        failures.append(f"{what}: got {got!r}, expected {expected!r}")


def text(browser, selector):
    return browser.evaluate(f"(document.querySelector({selector!r}) || {{}}).textContent ?? null")


def press(browser, key):
    for kind in ("keyDown", "keyUp"):
        browser.call("Input.dispatchKeyEvent", type=kind, key=key, text=key if kind == "keyDown" else "")


def check_page(browser, artefacts, name, failure_count, finding_count, first_failure, condition, states, word, left):
    page = os.path.join(artefacts, name + ".html")
    browser.load("file://" + page)
    at = name + ": "
    check(at + "failure count", text(browser, "#failure-count"), str(failure_count))
    check(at + "finding count", text(browser, "#finding-count"), str(finding_count))
    check(at + "finding list", browser.evaluate("document.querySelectorAll('#findings li').length"), finding_count)
    check(at + "first failure", text(browser, "#failures li a"), first_failure)
    check(at + "its condition code", text(browser, "#failures li .condition"), condition)
    check(at + "states", browser.evaluate(STATES_JS), states)
    marks = browser.evaluate("[...document.querySelectorAll('#state-picture a.mark.failure')].map(a => a.getAttribute('href'))")
    check(at + "failure marks", len(marks), failure_count)
    # The first failure's link leads to its record, unfolded.
    target = browser.evaluate("document.querySelector('#failures li a').getAttribute('href')")
    check(at + "first failure links to a failure mark's record", target in marks, True)
    browser.evaluate("document.querySelector('#failures li a').click()")
    time.sleep(0.2)
    check(at + "linked record", browser.evaluate(f"document.querySelector({target!r} + ' .name').textContent"), first_failure)
    check(at + "linked record unfolded", "Return Code = [TWRC_FAILURE]" in (browser.evaluate(
        f"document.querySelector({target!r} + ' pre').textContent") or ""), True)
    browser.screenshot(os.path.join(artefacts, name + "-failure.png"))
    # The key n from the top goes to the first failure, p back from the last row finds it too.
    browser.evaluate("history.replaceState(null, '', location.pathname); window.scrollTo(0, 0)")
    browser.load("file://" + page)
    press(browser, "n")
    check(at + "key n", browser.evaluate("location.hash"), target)
    # The screenshot of the page as it opens.
    browser.load("file://" + page)
    shot = browser.screenshot(os.path.join(artefacts, name + ".png"))
    check(at + "screenshot not blank (colours seen, at least 8)", cdp.png_colours(shot) >= 8, True)
    # The filter narrows the records as it is typed.
    all_rows = browser.evaluate("document.querySelectorAll('#record-list .record').length")
    browser.evaluate("document.getElementById('filter').focus()")
    browser.call("Input.insertText", text=word)
    time.sleep(0.6)
    check(at + "filter " + word, text(browser, "#shown"), left)
    check(at + "rows after the filter", browser.evaluate("document.querySelectorAll('#record-list .record').length"),
          int(left.split()[0]))
    check(at + "rows before the filter", all_rows, int(left.split()[2]))
    check(at + "console errors", browser.errors(), [])


def check_hostile(browser, artefacts):
    browser.load("file://" + os.path.join(artefacts, "hostile.html"))
    check("hostile: identity shown as written", text(browser, "#source"), HOSTILE_IDENTITY)
    check("hostile: title", browser.evaluate("document.title"), "TWAIN trace hostile.txt")
    check("hostile: planted elements", browser.evaluate(
        "document.querySelectorAll('#pwned, img, i, b, iframe, object, embed, a[href^=\"javascript:\"]').length"), 0)
    check("hostile: scripts (the two data blocks and the page's own)",
          browser.evaluate("document.scripts.length"), 3)
    browser.evaluate("document.getElementById('filter').value = 'DAT_SETUPFILEXFER';"
                     "document.getElementById('filter').dispatchEvent(new Event('input'))")
    time.sleep(0.6)
    browser.evaluate("document.querySelector('#record-list .record .head').click();"
                     "document.querySelector('#record-list .record').scrollIntoView()")
    check("hostile: file name shown as written", f"FileName = [{HOSTILE_FILE_NAME}]" in (
        browser.evaluate("document.querySelector('#record-list pre').textContent") or ""), True)
    browser.screenshot(os.path.join(artefacts, "hostile-record.png"))
    check("hostile: title after the record was unfolded", browser.evaluate("document.title"), "TWAIN trace hostile.txt")
    check("hostile: dialogs", [e for e in browser.events if e.get("method") == "Page.javascriptDialogOpening"], [])
    check("hostile: console errors", browser.errors(), [])
    # A link whose filter is no valid escape opens with the filter as written (from
    # another page: a new fragment alone would not load the page again).
    browser.load("about:blank")
    browser.load("file://" + os.path.join(artefacts, "hostile.html") + "#filter=%E0%A4%A")
    check("hostile: malformed filter link", [browser.evaluate("document.getElementById('filter').value"),
                                             text(browser, "#shown")], ["%E0%A4%A", "0 of 6 records"])
    check("hostile: console errors after a malformed link", browser.errors(), [])


def check_diff(browser, artefacts):
    browser.load("file://" + os.path.join(artefacts, "diff.html"))
    check("diff: count", text(browser, "#difference-count"), "32 differences (A: 31 records, B: 6 records)")
    check("diff: marked rows", browser.evaluate(
        "['only-a', 'only-b', 'changed', 'parted'].map(k => document.querySelectorAll('tr.' + k).length)"), [26, 1, 5, 0])
    check("diff: hostile strings as written", browser.evaluate(
        "[...document.querySelectorAll('tr.changes li')].some(li => li.textContent === "
        "'TW_IDENTITY.Manufacturer: [NORVA] | [</script><b id=pwned>x</b>]')"), True)
    check("diff: planted elements or scripts", browser.evaluate(
        "document.querySelectorAll('#pwned, img, i, b, script, a[href^=\"javascript:\"]').length"), 0)
    shot = browser.screenshot(os.path.join(artefacts, "diff.png"))
    check("diff: screenshot not blank", cdp.png_colours(shot) >= 8, True)
    check("diff: console errors", browser.errors(), [])


def main():
    chromium, artefacts = sys.argv[1], sys.argv[2]
    browser = cdp.Browser(chromium)
    try:
        for page in PAGES:
            check_page(browser, artefacts, *page)
        check_hostile(browser, artefacts)
        check_diff(browser, artefacts)
    finally:
        browser.close()
    for failure in failures:
        print("FAILED:", failure)
    print(f"{len(PAGES) + 2} pages checked in chromium, {len(failures)} failures; artefacts in {artefacts}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
