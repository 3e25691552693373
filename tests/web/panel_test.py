#!/usr/bin/env python3
"""The gateway's web panel in a real browser (Debian's chromium, headless,
driven through chromedriver's WebDriver protocol), with the HTTP API
beside it, against a simulated unit behind a converter at 9600 baud:

  - the API refuses a call without the token and answers one with it;
  - the panel asks for the token once, then holds its session cookie;
  - it shows what the unit shows;
  - a click on an output, then on an input, routes it at the unit;
  - a change made at the unit (an output switched, a pattern recalled at
    its front panel) appears within 2 s, with no reload.

  tests/web/panel_test.py [--screenshot FILE]
"""
import base64, datetime, json, os, re, socket, sys, tempfile, urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gateway_process  # noqa: E402
from gateway_process import GATEWAY, SIM, control, end_children, free_port, start, wait_for  # noqa: E402

TOKEN = "panel-test-token-0123456789"


def shown_at_unit(control_port):
    """The input each output shows, as the simulated unit answers "ROCD"."""
    reply = control(control_port, "get 00 ROCD")
    fields = re.search(r"OCD(\d{64})", reply).group(1)
    return [int(fields[i:i + 2]) for i in range(0, 64, 2)]


def api(port, method, path, body=None, token=TOKEN):
    return gateway_process.api(port, method, path, body, token)


class Browser:
    """Just enough of WebDriver: a session, a page, a script, a click."""

    def __init__(self, port):
        self.base = f"http://127.0.0.1:{port}"
        options = {"binary": "/usr/bin/chromium",
                   "args": ["--headless=new", "--no-sandbox", "--disable-gpu",
                            "--disable-dev-shm-usage", "--window-size=1400,1100"]}
        answer = self.call("POST", "/session", {"capabilities": {"alwaysMatch": {
            "browserName": "chrome", "goog:chromeOptions": options}}})
        self.session = answer["sessionId"]

    def call(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(self.base + path, method=method, data=data,
                                         headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(request, timeout=60) as response:
            return json.load(response)["value"]

    def at(self, path, body=None, method="POST"):
        return self.call(method, f"/session/{self.session}{path}", body)

    def open(self, url):
        self.at("/url", {"url": url})

    def script(self, source, *args):
        return self.at("/execute/sync", {"script": source, "args": list(args)})

    def click(self, css):
        element = self.at("/element", {"using": "css selector", "value": css})
        self.at(f"/element/{next(iter(element.values()))}/click", {})

    def type(self, css, text):
        element = self.at("/element", {"using": "css selector", "value": css})
        self.at(f"/element/{next(iter(element.values()))}/value", {"text": text})

    def screenshot(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.at("/screenshot", method="GET")))

    def quit(self):
        self.call("DELETE", f"/session/{self.session}")


def panel_row(browser, output):
    """What the panel shows for an output: its yellow input, its "SP" label."""
    return browser.script(
        "const r = document.querySelector('[data-unit=\"a\"] tr[data-output=\"' + arguments[0] + '\"]');"
        "if (!r) return null;"
        "const cell = r.querySelector('td.shown');"
        "return [cell ? Number(cell.dataset.input) : 0, r.querySelector('th.sp').textContent];",
        output)


def main():
    screenshot = sys.argv[sys.argv.index("--screenshot") + 1] if "--screenshot" in sys.argv else None
    converter, control_port, http, driver, raw = (free_port() for _ in range(5))
    start([SIM, "--listen", f"127.0.0.1:{converter}", "--control", f"127.0.0.1:{control_port}",
           "--baud", "9600"], control_port)
    config = tempfile.NamedTemporaryFile("w", suffix=".ini", delete=False)
    config.write(f"[gateway]\nhttp = 127.0.0.1:{http}\ntoken = {TOKEN}\n"
                 f"[unit a]\nname = スタジオA\ntcp = 127.0.0.1:{converter}\nraw = {raw}\n")
    config.close()
    log = tempfile.TemporaryFile()
    start([GATEWAY, config.name], http, log)
    start(["/usr/bin/chromedriver", f"--port={driver}"], driver)

    status, error = api(http, "GET", "/api/units", token=None)
    assert status == 401 and "token" in error["error"], (status, error)
    wait_for("the unit online", lambda: api(http, "GET", "/api/units/a")[1]["online"], 10)

    # The unit's clock, put ten years back through the raw port, to the
    # computer's clock over the API.
    with socket.create_connection(("127.0.0.1", raw)) as line:
        line.sendall(b"DSY10\r\n")
        assert line.makefile("rb").readline() == b"GO\r\n"
    status, answer = api(http, "POST", "/api/units/a/clock-sync")
    assert status == 200, (status, answer)
    unit_clock = datetime.datetime.strptime(control(control_port, "get 00 clock")[3:], "%Y-%m-%d %H:%M:%S")
    behind = (datetime.datetime.now() - unit_clock).total_seconds()
    assert -1 <= behind <= 1.5, (unit_clock, behind)  # the unit shows whole seconds

    browser = Browser(driver)
    try:
        browser.open(f"http://127.0.0.1:{http}/")
        wait_for("the panel asks for the token",
                 lambda: browser.script("return getComputedStyle(document.getElementById('token-form')).display") == "block", 10)
        browser.type("#token", TOKEN)
        browser.click("#token-form button")
        wait_for("the panel shows the unit", lambda: panel_row(browser, 32), 10)

        # What the unit shows, output by output.
        unit = shown_at_unit(control_port)
        panel = [panel_row(browser, output)[0] for output in range(1, 33)]
        assert panel == unit, (panel, unit)

        # A click on output 03, then on input 07: the unit routes it.
        target = 7 if unit[2] != 7 else 8
        browser.click('[data-unit="a"] th.out[data-output="3"]')
        browser.click(f'[data-unit="a"] th.in[data-input="{target}"]')
        wait_for("the route at the unit", lambda: shown_at_unit(control_port)[2] == target, 5)
        wait_for("the route on the panel", lambda: panel_row(browser, 3)[0] == target, 5)
        assert shown_at_unit(control_port)[3] == unit[3], "the other outputs stay as they were"

        # A change at the unit itself reaches the panel within 2 s.
        control(control_port, "output 00 5 I09")
        wait_for("an output switched at the unit", lambda: panel_row(browser, 5)[0] == 9, 2)
        control(control_port, "output 00 6 S02")
        wait_for("a switching pattern at the unit", lambda: panel_row(browser, 6)[1] == "SP02", 2)
        control(control_port, "panel 00 pattern 05")
        wait_for("a pattern recalled at the front panel",
                 lambda: browser.script("return document.querySelector('[data-unit=\"a\"] button.current')?.dataset.pattern") == "5"
                 and panel_row(browser, 3)[0] == 3, 2)
        if screenshot:
            browser.screenshot(screenshot)
    finally:
        browser.quit()
    print("the web panel: token, state, a route by clicks, the unit's own changes within 2 s; "
          "the clock synced over the API")


if __name__ == "__main__":
    try:
        main()
    finally:
        end_children()
