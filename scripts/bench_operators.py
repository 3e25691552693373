#!/usr/bin/env python3
"""On demand, not in CI: the figures of the gateway's operators' tools
against simulated units behind converters at 9600 baud (8E1, 11 bits a
byte, both ways charged).

  scripts/bench_operators.py [--minutes N]      (2 by default)

  route_http_*        a route asked over HTTP of an idle unit, until its
                      answer: the line's own time for "ROS", "OS" (and
                      "OPFR" the first time) with their replies, and what
                      the gateway adds (median, 90th percentile, most)
  route_videohub_*    the same from a Videohub client, until the routing
                      block comes back
  front_panel_*       an output switched at the unit itself, until a
                      Videohub client and the event stream see it (most of
                      20), the limit being 1.5 s
  fleet_96_*          96 converters, each with 2 Videohub clients, the web
                      panel open in headless chromium and a change at some
                      unit every second: the longest gap between two reads
                      of one kind of any unit, the gateway's CPU (per mille
                      of one core) and resident memory, over N minutes
"""
import json, os, random, selectors, socket, statistics, subprocess, sys, threading, time
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench_gateway as g  # noqa: E402  (its helpers: processes, ports, the sim's control)

MINUTES = float(sys.argv[sys.argv.index("--minutes") + 1]) if "--minutes" in sys.argv else 2


def http_call(port, method, path, body=None):
    request = urllib.request.Request(f"http://127.0.0.1:{port}{path}", method=method,
                                     data=json.dumps(body).encode() if body is not None else None)
    with urllib.request.urlopen(request, timeout=30) as response:
        return json.load(response)


def videohub_client(port):
    s = socket.create_connection(("127.0.0.1", port))
    data = b""
    while b"END PRELUDE:\n\n" not in data:
        data += s.recv(65536)
    return s


def wait_online(http, unit, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        if http_call(http, "GET", f"/api/units/{unit}")["online"]:
            return
        time.sleep(0.2)
    raise SystemExit(f"unit {unit} not online")


def one_unit():
    converter, control_port, http, videohub = (g.free_port() for _ in range(4))
    g.start([g.SIM, "--listen", f"127.0.0.1:{converter}", "--control", f"127.0.0.1:{control_port}",
             "--baud", "9600"], control_port)
    g.gateway(f"[gateway]\nhttp = {http}\n[unit a]\ntcp = 127.0.0.1:{converter}\nvideohub = {videohub}\n")
    g.wait_port(http)
    wait_online(http, "a")
    time.sleep(1)
    return control_port, http, videohub


def route_line_ms(with_recall):
    """ROS and its OS reply, OS and GO, OPFR and GO."""
    nbytes = len("ROS\r\n") + 100 + 100 + len("GO\r\n")
    if with_recall:
        nbytes += len("OPFR\r\n") + len("GO\r\n")
    return nbytes * g.BYTE_MS


def report_over(name, times, line_ms):
    over = sorted(t - line_ms for t in times)
    g.report(f"{name}_line_ms", round(line_ms, 1))
    g.report(f"{name}_over_line_median_ms", round(statistics.median(over), 1))
    g.report(f"{name}_over_line_p90_ms", round(over[int(len(over) * 0.9)], 1))
    g.report(f"{name}_over_line_max_ms", round(over[-1], 1))


def routes(http, videohub):
    times = []
    http_call(http, "POST", "/api/units/a/pattern", {"pattern": "free"})
    for n in range(30):
        time.sleep(random.uniform(0.2, 0.7))
        t0 = time.perf_counter()
        http_call(http, "POST", "/api/units/a/route", {"output": 1 + n % 32, "input": 1 + (n * 7 + 3) % 32})
        times.append((time.perf_counter() - t0) * 1000)
    report_over("route_http", times, route_line_ms(False))
    client, times = videohub_client(videohub), []
    for n in range(30):
        time.sleep(random.uniform(0.2, 0.7))
        output, source = n % 32, (n * 5 + 11) % 32
        expect = f"VIDEO OUTPUT ROUTING:\n{output} {source}\n".encode()
        t0 = time.perf_counter()
        client.sendall(f"VIDEO OUTPUT ROUTING:\n{output} {source}\n\n".encode())
        data = b""
        while expect not in data:
            data += client.recv(65536)
        times.append((time.perf_counter() - t0) * 1000)
    report_over("route_videohub", times, route_line_ms(False))
    client.close()


def front_panel(control_port, http, videohub):
    client = videohub_client(videohub)
    events = urllib.request.urlopen(f"http://127.0.0.1:{http}/api/events", timeout=30)
    seen_event = {}

    def follow_events():
        for raw in events:
            line = raw.decode()
            if line.startswith("data: "):
                event = json.loads(line[6:])
                if event["kind"] == "state":
                    for entry in event["state"]["outputs"]:
                        seen_event.setdefault((entry["output"], entry["input"]), time.perf_counter())

    threading.Thread(target=follow_events, daemon=True).start()
    videohub_times, event_times = [], []
    client.settimeout(5)
    for n in range(20):
        time.sleep(random.uniform(0.5, 1.5))
        output = 1 + n % 32
        shown = http_call(http, "GET", "/api/units/a")["outputs"][output - 1]["input"]
        source = 1 + (shown or 0) % 32  # another input than the one shown: a change to see
        seen_event.pop((output, source), None)
        t0 = time.perf_counter()
        g.control(control_port, f"output 00 {output} I{source:02}")
        expect, data = f"{output - 1} {source - 1}\n".encode(), b""
        while expect not in data:
            data += client.recv(65536)
        videohub_times.append((time.perf_counter() - t0) * 1000)
        end = time.time() + 3
        while (output, source) not in seen_event and time.time() < end:
            time.sleep(0.005)
        event_times.append((seen_event.get((output, source), t0 + 3) - t0) * 1000)
    g.report("front_panel_videohub_max_ms", round(max(videohub_times)))
    g.report("front_panel_videohub_median_ms", round(statistics.median(videohub_times)))
    g.report("front_panel_event_stream_max_ms", round(max(event_times)))
    client.close()


def open_panel(http):
    """The web panel in headless chromium, if it is installed."""
    if not os.path.exists("/usr/bin/chromedriver"):
        return None
    driver = g.free_port()
    g.start(["/usr/bin/chromedriver", f"--port={driver}"], driver)
    options = {"binary": "/usr/bin/chromium",
               "args": ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"]}
    body = {"capabilities": {"alwaysMatch": {"browserName": "chrome", "goog:chromeOptions": options}}}
    session = json.load(urllib.request.urlopen(urllib.request.Request(
        f"http://127.0.0.1:{driver}/session", data=json.dumps(body).encode(),
        headers={"Content-Type": "application/json"}), timeout=60))["value"]["sessionId"]
    urllib.request.urlopen(urllib.request.Request(
        f"http://127.0.0.1:{driver}/session/{session}/url",
        data=json.dumps({"url": f"http://127.0.0.1:{http}/"}).encode(),
        headers={"Content-Type": "application/json"}), timeout=60)
    return session


def fleet_with_clients():
    server, control_port, http = g.free_port(), g.free_port(), g.free_port()
    videohubs = [g.free_port() for _ in range(96)]
    units = "".join(f"[unit c{n}]\nconverter = 127.0.1.{n}\nvideohub = {videohubs[n - 1]}\n"
                    for n in range(1, 97))
    proc = g.gateway(f"[gateway]\nserver = 127.0.0.1:{server}\nhttp = {http}\n" + units)
    g.wait_port(http)
    g.start([g.SIM, "--connect", f"127.0.0.1:{server}", "--converters", "96",
             "--control", f"127.0.0.1:{control_port}", "--baud", "9600"], control_port)
    time.sleep(10)
    clients = selectors.DefaultSelector()
    for port in videohubs:
        for _ in range(2):
            s = socket.create_connection(("127.0.0.1", port))
            s.setblocking(False)
            clients.register(s, selectors.EVENT_READ)
    stop = threading.Event()

    def read_clients():
        while not stop.is_set():
            for key, _ in clients.select(timeout=0.2):
                try:
                    key.fileobj.recv(65536)
                except BlockingIOError:
                    pass

    threading.Thread(target=read_clients, daemon=True).start()
    panel = open_panel(http)
    samples = []
    end = time.time() + MINUTES * 60
    while time.time() < end:
        before, t0 = g.cpu_seconds(proc.pid), time.time()
        for n in range(1, 97):
            g.control(control_port, f"log clear c{n}")
        period_end = time.time() + min(30, max(1, end - time.time()))
        while time.time() < period_end:
            g.control(control_port, f"output c{random.randint(1, 96)} {random.randint(1, 32)} "
                                    f"I{random.randint(1, 32):02}")
            time.sleep(1)
        cpu = (g.cpu_seconds(proc.pid) - before) / (time.time() - t0) * 1000
        gap = max(g.longest_gaps(g.control(control_port, f"log c{n}")) for n in range(1, 97))
        samples.append((cpu, g.rss_kb(proc.pid), gap))
    stop.set()
    g.report("fleet_96_clients", f"{2 * 96} Videohub, panel {'open' if panel else 'not available'}")
    g.report("fleet_96_longest_refresh_gap_ms", round(max(s[2] for s in samples) * 1000))
    g.report("fleet_96_cpu_per_mille_mean", round(statistics.mean(s[0] for s in samples)))
    g.report("fleet_96_cpu_per_mille_max", round(max(s[0] for s in samples)))
    g.report("fleet_96_rss_kb_max", max(s[1] for s in samples))


def main():
    try:
        control_port, http, videohub = one_unit()
        routes(http, videohub)
        front_panel(control_port, http, videohub)
        fleet_with_clients()
    finally:
        g.end_children()


if __name__ == "__main__":
    main()
