#!/usr/bin/env python3
"""Opens a web gallery from disk in headless Chromium, driven through chromedriver's WebDriver
HTTP API, with every host name unresolvable. Checks that every picture loads, that no request
leaves the gallery's folder, that the keys move between pages and that descriptions show as text.
Screenshots of the index and of a picture page go to the output folder.

usage: web_gallery.py GALLERY_DIR OUTPUT_DIR DESCRIPTION"""

import base64
import json
import os
import socket
import subprocess
import sys
import time
import urllib.parse
import urllib.request

gallery, output, description = os.path.realpath(sys.argv[1]), sys.argv[2], sys.argv[3]
root_url = "file://" + urllib.parse.quote(gallery)
KEYS = {"Right": "\ue014", "Left": "\ue012", "Escape": "\ue00c"}
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


with socket.socket() as probe:
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
driver = subprocess.Popen(["chromedriver", f"--port={port}"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
base = f"http://127.0.0.1:{port}"


def call(method, path, body=None):
    data = None if body is None else json.dumps(body).encode()
    request = urllib.request.Request(base + path, data=data, method=method,
                                     headers={"Content-Type": "application/json"})
    with urllib.request.urlopen(request, timeout=60) as answer:
        return json.loads(answer.read())["value"]


def wait_for(test, what, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = test()
        if value:
            return value
        time.sleep(0.05)
    raise SystemExit(f"FAIL: timed out waiting for {what}")


wait_for(lambda: socket.socket().connect_ex(("127.0.0.1", port)) == 0, "chromedriver")
session = call("POST", "/session", {"capabilities": {"alwaysMatch": {
    "browserName": "chrome",
    "goog:chromeOptions": {
        "binary": "/usr/bin/chromium",
        "args": ["--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1200,900",
                 "--host-resolver-rules=MAP * ~NOTFOUND", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update"]}}}})["sessionId"]
s = f"/session/{session}"


def js(script, *args):
    return call("POST", s + "/execute/sync", {"script": script, "args": list(args)})


def url():
    return urllib.parse.unquote(call("GET", s + "/url"))


def open_page(address):
    call("POST", s + "/url", {"url": address})
    wait_for(lambda: js("return document.readyState === 'complete' && "
                        "Array.from(document.images).every(i => i.complete)"), address)


def key(name):
    call("POST", s + "/actions", {"actions": [{"type": "key", "id": "keys", "actions": [
        {"type": "keyDown", "value": KEYS[name]}, {"type": "keyUp", "value": KEYS[name]}]}]})


def screenshot(name):
    with open(os.path.join(output, name), "wb") as f:
        f.write(base64.b64decode(call("GET", s + "/screenshot")))


def page_checks(label):
    broken = js("return Array.from(document.images).filter(i => !(i.naturalWidth > 0))"
                ".map(i => i.src)")
    check(not broken, f"{label}: every picture loaded {broken}")
    outside = js("return performance.getEntriesByType('resource').map(e => e.name)"
                 ".filter(n => !n.startsWith(arguments[0] + '/'))", root_url)
    check(not outside, f"{label}: no request outside the folder {outside}")


try:
    os.makedirs(output, exist_ok=True)
    open_page(root_url + "/index.html")
    count = js("return document.querySelectorAll('main a').length")
    check(count >= 6, f"the index lists the records ({count})")
    page_checks("index")
    check(all(js("return Array.from(document.images).map(i => i.alt.length > 0)")),
          "every thumbnail has an alt text")
    screenshot("index.png")
    pages = js("return Array.from(document.querySelectorAll('main a')).map(a => a.href)")
    described = None
    for n, address in enumerate(pages, 1):
        open_page(address)
        page_checks(f"page {n}")
        if js("return document.querySelector('video') !== null"):
            check(js("return document.querySelector('a[download]') !== null"),
                  f"page {n}: the clip has a download link")
        if js("return document.getElementById('description') !== null && "
              "document.getElementById('description').textContent === arguments[0]",
              description):
            described = n
            check(js("return document.querySelectorAll('#description *').length === 0 && "
                     "document.scripts.length === 1 && document.title.indexOf('x') !== 0"),
                  f"page {n}: the description is text, no element came out of it")
            screenshot("picture.png")
    check(described is not None, "a page shows the description as it was typed")

    # The keys: Right, Left, Escape from the first record's page.
    open_page(pages[0])
    key("Right")
    check(wait_for(lambda: url().endswith("/pages/2.html"), "Right"), "Right goes to page 2")
    key("Left")
    check(wait_for(lambda: url().endswith("/pages/1.html"), "Left"), "Left goes back to page 1")
    key("Escape")
    check(wait_for(lambda: url().endswith("/index.html#r1"), "Escape"), "Escape goes to the index")
    focused = wait_for(lambda: js("return document.activeElement.id"), "focus")
    check(focused == "r1", "the record left has the keyboard focus on the index")
    outline = js("return getComputedStyle(document.activeElement).outlineStyle")
    check(outline not in ("none", ""), f"the focus is visible ({outline})")
finally:
    try:
        call("DELETE", s)
    finally:
        driver.terminate()
        driver.wait(10)

print(f"web gallery: {len(failures)} failed")
sys.exit(1 if failures else 0)
