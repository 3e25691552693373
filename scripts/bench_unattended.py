#!/usr/bin/env python3
"""On demand, not in CI: the gateway's unattended work against simulated
converters (9600 baud), with a webhook listening on 127.0.0.1.

  scripts/bench_unattended.py

  scheduled_recall_ms     a pattern recall scheduled for the next minute,
                          from that minute (the computer's clock) until the
                          unit has the pattern in force ("get c1:00 ROP")
  offline_event_ms        a converter dropped ("drop c2") until the webhook
                          has its one offline event
  online_event_ms         the converter let back ("connect c2") until the
                          webhook has its one online event
  webhook_c2_events       every event the webhook got for c2 meanwhile, in
                          order: "offline online" is the goal
  log_lines               the gateway's JSON log has as many lines as the
                          webhook got events
"""
import datetime, http.server, json, os, sys, tempfile, threading, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench_gateway as g  # noqa: E402  (its helpers: processes, ports, the sim's control)

received = []  # (time, event)


class Hook(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers["Content-Length"]))
        received.append((time.time(), json.loads(body)))
        self.send_response(204)
        self.end_headers()

    def log_message(self, *args):
        pass


def wait_for(condition, seconds):
    end = time.time() + seconds
    while time.time() < end:
        if condition():
            return time.time()
        time.sleep(0.01)
    return None


def main():
    hook_port, server, control_port, api = (g.free_port() for _ in range(4))
    hook = http.server.ThreadingHTTPServer(("127.0.0.1", hook_port), Hook)
    threading.Thread(target=hook.serve_forever, daemon=True).start()
    folder = tempfile.mkdtemp(prefix="orv-bench-unattended-")
    minute = (datetime.datetime.now() + datetime.timedelta(minutes=1)).replace(second=0, microsecond=0)
    if (minute - datetime.datetime.now()).total_seconds() < 15:
        minute += datetime.timedelta(minutes=1)
    g.gateway(f"[gateway]\nserver = 127.0.0.1:{server}\nhttp = {api}\n"
              f"log = {folder}/events.log\nwebhook = http://127.0.0.1:{hook_port}/hook\n"
              "[unit c1]\nconverter = 127.0.1.1\n[unit c2]\nconverter = 127.0.1.2\n"
              f"[schedule soon]\nwhen = daily {minute:%H:%M}\ndo = pattern 7\nunits = c1\nlate = 1m\n")
    g.wait_port(api)
    g.start([g.SIM, "--connect", f"127.0.0.1:{server}", "--converters", "2",
             "--control", f"127.0.0.1:{control_port}", "--baud", "9600"], control_port)
    try:
        wait_for(lambda: sum(1 for _, e in received if e["kind"] == "online") == 2, 20)
        at = wait_for(lambda: "OP07" in g.control(control_port, "get c1:00 ROP"),
                      (minute - datetime.datetime.now()).total_seconds() + 10)
        g.report("scheduled_recall_ms", round((at - minute.timestamp()) * 1000) if at else "never")

        before = len(received)
        c2 = lambda kind: [t for t, e in received[before:] if e["unit"] == "c2" and e["kind"] == kind]
        dropped = time.time()
        g.control(control_port, "drop c2")
        offline = wait_for(lambda: c2("offline"), 10)
        g.report("offline_event_ms", round((offline - dropped) * 1000) if offline else "never")
        back = time.time()
        g.control(control_port, "connect c2")
        online = wait_for(lambda: c2("online"), 10)
        g.report("online_event_ms", round((online - back) * 1000) if online else "never")
        time.sleep(5)
        g.report("webhook_c2_events",
                 " ".join(e["kind"] for _, e in received[before:] if e["unit"] == "c2") or "none")
        lines = open(f"{folder}/events.log").read().splitlines()
        g.report("log_lines", f"{len(lines)} (webhook: {len(received)})")
    finally:
        hook.shutdown()
        g.end_children()


if __name__ == "__main__":
    main()
