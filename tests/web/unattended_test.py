#!/usr/bin/env python3
"""The gateway's unattended work against a simulated unit behind a
converter, with a webhook listening on 127.0.0.1:

  - a backup over the API, kept with its differences from the one before,
    the oldest dropped beyond `keep`, and the differences of two listed;
  - the unit compared with its approved file: one drift event naming each
    setting, the password masked, in the JSON log and at the webhook;
  - a schedule entry run now recalls its pattern at the unit;
  - the unit silent for a while: exactly one offline and one online event.

  tests/web/unattended_test.py
"""
import http.server, json, os, shutil, socket, sys, tempfile, threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gateway_process import GATEWAY, SIM, api, control, end_children, free_port, start, wait_for  # noqa: E402

hooked = []


class Hook(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        hooked.append(json.loads(self.rfile.read(int(self.headers["Content-Length"]))))
        self.send_response(204)
        self.end_headers()

    def log_message(self, *args):
        pass


def kinds(unit):
    return [e["kind"] for e in hooked if e["unit"] == unit and e["kind"] in ("online", "offline")]


def main():
    converter, control_port, http_port, raw, hook_port = (free_port() for _ in range(5))
    hook = http.server.ThreadingHTTPServer(("127.0.0.1", hook_port), Hook)
    threading.Thread(target=hook.serve_forever, daemon=True).start()
    folder = tempfile.mkdtemp(prefix="orv-unattended-")
    with open(os.path.join(folder, "gateway.ini"), "w") as ini:
        ini.write(f"[gateway]\nhttp = {http_port}\nlog = events.log\ntimeout = 500\n"
                  f"webhook = http://127.0.0.1:{hook_port}/hook\n"
                  f"[unit a]\ntcp = 127.0.0.1:{converter}\nraw = {raw}\n"
                  "backups = backups/a\nkeep = 2\napproved = approved.dat\n"
                  "[schedule night]\nwhen = daily 22:00\ndo = pattern 7\nunits = a\n")
    start([SIM, "--listen", f"127.0.0.1:{converter}", "--control", f"127.0.0.1:{control_port}"],
          control_port)
    start([GATEWAY, os.path.join(folder, "gateway.ini")], http_port)
    try:
        wait_for("the unit online", lambda: kinds("a") == ["online"], 10)
        status, first = api(http_port, "POST", "/api/units/a/backup")
        assert status == 200 and first["differences"] is None, (status, first)
        shutil.copy(os.path.join(folder, "backups/a", first["name"]), os.path.join(folder, "approved.dat"))

        with socket.create_connection(("127.0.0.1", raw)) as line:
            for command in (b"PN123456\r\n", b"TSDR8\r\n"):
                line.sendall(command)
                assert line.recv(100) == b"GO\r\n"
        status, compared = api(http_port, "POST", "/api/units/a/compare")
        assert status == 200 and compared["count"] == 2, (status, compared)
        drift = wait_for("the drift at the webhook", lambda: [e for e in hooked if e["kind"] == "drift"], 5)
        assert "password: ****** | ******" in drift[0]["detail"] and "123456" not in drift[0]["detail"], drift
        assert "dateTimeRange: 0 | 7" in drift[0]["detail"], drift

        names = []
        for _ in range(2):
            wait_for("a new second", lambda: api(http_port, "POST", "/api/units/a/backup")[1]["name"] not in names + [first["name"]], 5)
            names = [b["name"] for b in api(http_port, "GET", "/api/units/a/backups")[1]]
        listed = api(http_port, "GET", "/api/units/a/backups")[1]
        assert len(listed) == 2 and first["name"] not in names, listed
        status, diff = api(http_port, "GET", f"/api/units/a/backups/{names[0]}/diff/{names[1]}")
        assert status == 200 and diff["count"] == 0, diff

        status, _ = api(http_port, "POST", "/api/schedule/night/run")
        assert status == 200
        wait_for("the scheduled pattern at the unit", lambda: "OP07" in control(control_port, "get 00 ROP"), 5)
        schedule = api(http_port, "GET", "/api/schedule")[1]
        assert schedule[0]["next"].endswith("T22:00:00"), schedule

        control(control_port, "fault silence all")
        wait_for("offline once", lambda: kinds("a") == ["online", "offline"], 15, lambda: kinds("a"))
        control(control_port, "fault clear")
        wait_for("online again once", lambda: kinds("a") == ["online", "offline", "online"], 15,
                 lambda: kinds("a"))
        logged = [json.loads(line) for line in open(os.path.join(folder, "events.log"))]
        assert [e["kind"] for e in logged] == [e["kind"] for e in hooked], (logged, hooked)
    finally:
        hook.shutdown()
        shutil.rmtree(folder, ignore_errors=True)
    print("unattended: backups with their history, drift, a schedule run, one offline and one online")


if __name__ == "__main__":
    try:
        main()
    finally:
        end_children()
