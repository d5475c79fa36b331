"""twtrace html on big traces, as a person opens the page: for a 10 MB and a
100 MB trace (the demo session's trace repeated) the time twtrace takes to write
the page, the page's size, and in chromium (headless) the time to the first
paint (the facts at the head of the page) and until the record list is ready.
   html_first_paint.py CHROMIUM TWTRACE SAMPLE_TRACE"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "html"))
import cdp  # noqa: E402


def main():
    chromium, twtrace, sample = sys.argv[1:4]
    text = open(sample, "rb").read()
    scratch = tempfile.mkdtemp(prefix="twtrace-html-bench-")
    browser = cdp.Browser(chromium, timeout=600)
    try:
        browser.call("Page.setLifecycleEventsEnabled", enabled=True)
        for megabytes in (10, 100):
            trace = os.path.join(scratch, f"trace-{megabytes}mb.txt")
            with open(trace, "wb") as f:
                for _ in range(0, (megabytes << 20) + len(text) - 1, len(text)):
                    f.write(text)
            page = trace[:-4] + ".html"
            start = time.monotonic()
            subprocess.run([twtrace, "html", trace], check=True, stdout=subprocess.DEVNULL)
            writing = time.monotonic() - start
            start = time.monotonic()
            browser.load("file://" + page)
            while not browser.evaluate("document.getElementById('shown').textContent"):
                time.sleep(0.05)
            ready = time.monotonic() - start
            paint = browser.evaluate(
                "performance.getEntriesByType('paint').find(e => e.name === 'first-contentful-paint')?.startTime ?? -1")
            print(f"{megabytes} MB trace: page written in {writing:.2f} s, page {os.path.getsize(page) / (1 << 20):.0f} MB, "
                  f"first paint {paint / 1000:.2f} s, records ready {ready:.1f} s")
            os.remove(trace)
            os.remove(page)
    finally:
        browser.close()
        os.rmdir(scratch)


if __name__ == "__main__":
    main()
