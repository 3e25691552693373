#!/usr/bin/env python3
"""On demand, not in CI: the figures of orvellan-gateway against simulated
units that answer at 9600 baud (8E1, 11 bits a byte, both ways charged).

  scripts/bench_gateway.py [--minutes N]      (10 by default)

  raw_round_trip_*        a raw client's line to an idle converter's unit and
                          its reply, next to the line's own time for it
  fleet_96_*              96 converters connecting in: the longest gap between
                          two reads of one kind of any unit (every unit's
                          state is refreshed within it), the gateway's CPU
                          (per mille of one core) and resident memory, sampled
                          over N minutes
  bus_32_round_ms         an RS-485 bus of 32 units: one round of the polls
  hostile_*               1,000 connections opened and reset, then 10 MB of
                          garbage to each of 8 raw ports: the gateway's
                          memory and descriptors before and after, and a
                          line still answered
"""
import os, signal, socket, statistics, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIM = os.path.join(ROOT, "build/native/sim/orvellan-sim")
GATEWAY = os.path.join(ROOT, "build/native/src/orvellan-gateway")
MINUTES = float(sys.argv[sys.argv.index("--minutes") + 1]) if "--minutes" in sys.argv else 10
BYTE_MS = 11 * 1000 / 9600
children = []


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def wait_port(port, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.5).close()
            return
        except OSError:
            time.sleep(0.05)
    raise SystemExit(f"nothing listens on {port}")


def start(args, ready_port=None):
    proc = subprocess.Popen(args, stderr=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    children.append(proc)
    if ready_port:
        wait_port(ready_port)
    return proc


def control(port, line):
    with socket.create_connection(("127.0.0.1", port)) as s:
        s.sendall((line + "\n").encode())
        data = b""
        while not (data.startswith(b"OK") or b"\nOK" in data or data.startswith(b"ERR")):
            chunk = s.recv(1 << 20)
            if not chunk:
                break
            data += chunk
        return data.decode(errors="replace")


def gateway(config):
    path = tempfile.mktemp(suffix=".ini", prefix="orv-bench-gateway-")
    with open(path, "w") as f:
        f.write(config)
    return start([GATEWAY, path])


def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_kb(pid):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    return -1


def descriptors(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def ask(sock, line):
    sock.sendall(line)
    data = b""
    while not data.endswith(b"\n"):
        data += sock.recv(4096)
    return data


def end_children():
    """Every process the benchmark started, ended as Ctrl-C ends it (killed after 5 s)."""
    for proc in children:
        proc.send_signal(signal.SIGINT)
    for proc in children:
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()


def report(name, value):
    print(f"{name:36} {value}")


def raw_round_trip():
    converter, control_port, raw = free_port(), free_port(), free_port()
    start([SIM, "--listen", f"127.0.0.1:{converter}", "--control", f"127.0.0.1:{control_port}",
           "--baud", "9600"], control_port)
    gateway(f"[unit a]\ntcp = 127.0.0.1:{converter}\nraw = {raw}\n")
    wait_port(raw)
    time.sleep(2)  # the unit online; its polls leave the line idle most of the time
    trips = []
    with socket.create_connection(("127.0.0.1", raw)) as s:
        for _ in range(50):
            time.sleep(0.6)  # between two polls: the unit idle
            t0 = time.perf_counter()
            reply = ask(s, b"RCT05\r\n")
            trips.append((time.perf_counter() - t0) * 1000)
    line_ms = (len(b"RCT05\r\n") + len(reply)) * BYTE_MS
    report("raw_round_trip_line_ms", round(line_ms, 1))
    report("raw_round_trip_median_ms", round(statistics.median(trips), 1))
    report("raw_round_trip_median_over_line_ms", round(statistics.median(trips) - line_ms, 1))


def longest_gaps(log):
    """The longest time between two reads of one kind, from a unit's log."""
    last, longest = {}, 0.0
    for row in log.splitlines():
        parts = row.split(" ", 2)
        if len(parts) < 3 or not parts[0][:1].isdigit():
            continue
        at, kind = float(parts[0]), parts[2][:4]
        if kind in ("ROCD", "ROS\\") and kind in last:
            longest = max(longest, at - last[kind])
        last[kind] = at
    return longest


def fleet():
    server, control_port = free_port(), free_port()
    units = "".join(f"[unit c{n}]\nconverter = 127.0.1.{n}\n" for n in range(1, 97))
    proc = gateway(f"[gateway]\nserver = 127.0.0.1:{server}\n" + units)
    wait_port(server)
    start([SIM, "--connect", f"127.0.0.1:{server}", "--converters", "96",
           "--control", f"127.0.0.1:{control_port}", "--baud", "9600"], control_port)
    time.sleep(10)
    samples = []
    end = time.time() + MINUTES * 60
    while time.time() < end:
        before, t0 = cpu_seconds(proc.pid), time.time()
        for n in range(1, 97):
            control(control_port, f"log clear c{n}")
        time.sleep(min(30, max(1, end - time.time())))
        cpu = (cpu_seconds(proc.pid) - before) / (time.time() - t0) * 1000
        gap = max(longest_gaps(control(control_port, f"log c{n}")) for n in range(1, 97))
        samples.append((cpu, rss_kb(proc.pid), gap))
    report("fleet_96_longest_refresh_gap_ms", round(max(s[2] for s in samples) * 1000))
    report("fleet_96_cpu_per_mille_mean", round(statistics.mean(s[0] for s in samples)))
    report("fleet_96_cpu_per_mille_max", round(max(s[0] for s in samples)))
    report("fleet_96_rss_kb_first", samples[0][1])
    report("fleet_96_rss_kb_last", samples[-1][1])
    report("fleet_96_rss_kb_max", max(s[1] for s in samples))
    return proc


def bus():
    pty, control_port = tempfile.mktemp(prefix="orv-bench-bus-"), free_port()
    start([SIM, "--pty", pty, "--line", "rs485", "--units", "32", "--baud", "9600",
           "--control", f"127.0.0.1:{control_port}"], control_port)
    units = "".join(f"[unit u{n:02}]\nserial = {pty}\nline = rs485\naddress = {n:02}\n"
                    for n in range(32))
    gateway(units)
    time.sleep(20)
    control(control_port, "log clear")
    time.sleep(30)
    times = [float(row.split(" ", 1)[0]) for row in control(control_port, "log 00").splitlines()
             if row[:1].isdigit() and "ROCD" in row]
    rounds = [b - a for a, b in zip(times, times[1:])]
    report("bus_32_round_ms", round(statistics.median(rounds) * 1000) if rounds else -1)


def hostile():
    raws, converters = [free_port() for _ in range(8)], []
    config = ""
    for n, raw in enumerate(raws):
        converter, control_port = free_port(), free_port()
        start([SIM, "--listen", f"127.0.0.1:{converter}", "--control", f"127.0.0.1:{control_port}"],
              control_port)
        config += f"[unit h{n}]\ntcp = 127.0.0.1:{converter}\nraw = {raw}\n"
    proc = gateway(config)
    for raw in raws:
        wait_port(raw)
    time.sleep(1)
    report("hostile_rss_kb_before", rss_kb(proc.pid))
    report("hostile_fds_before", descriptors(proc.pid))
    for n in range(1000):
        s = socket.create_connection(("127.0.0.1", raws[n % 8]))
        s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
        s.close()
    garbage = bytes(range(256)) * 4096  # 1 MB, no line end for long stretches
    for raw in raws:
        with socket.create_connection(("127.0.0.1", raw)) as s:
            for _ in range(10):
                s.sendall(garbage)
    time.sleep(2)
    report("hostile_rss_kb_after", rss_kb(proc.pid))
    report("hostile_fds_after", descriptors(proc.pid))
    with socket.create_connection(("127.0.0.1", raws[0])) as s:
        report("hostile_still_answers", ask(s, b"RCT05\r\n")[:4].decode())


def main():
    try:
        raw_round_trip()
        bus()
        hostile()
        fleet()
    finally:
        end_children()


if __name__ == "__main__":
    main()
