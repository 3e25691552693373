#!/usr/bin/env python3
"""Start-up time and bus throughput of orvellan-sim.

  scripts/sim_bench.py [path/to/orvellan-sim]

Start-up: time from exec until the pty symlink exists and the control port
accepts a connection (median of 20 starts). Throughput: lines answered per
second over the pseudo-terminal and over a TCP connection (--listen), with
--baud off: one command at a time (send, wait for the reply), and pipelined
(many commands in flight).
"""
import os, select, signal, socket, statistics, subprocess, sys, tempfile, time, tty

SIM = sys.argv[1] if len(sys.argv) > 1 else "build/native/sim/orvellan-sim"


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def start(extra):
    pty = tempfile.mktemp(prefix="orv-bench-")
    control = free_port()
    t0 = time.perf_counter()
    proc = subprocess.Popen([SIM, "--pty", pty, "--control", f"127.0.0.1:{control}"] + extra,
                            stderr=subprocess.DEVNULL)
    while True:
        if os.path.islink(pty):
            try:
                socket.create_connection(("127.0.0.1", control), timeout=1).close()
                break
            except OSError:
                pass
        if time.perf_counter() - t0 > 5:
            raise SystemExit("simulator did not start")
        time.sleep(0.0005)
    return proc, pty, time.perf_counter() - t0


def stop(proc):
    proc.send_signal(signal.SIGTERM)
    proc.wait(timeout=5)


def lines_per_second(write, read, count, window):
    """Sends `count` ROP lines with at most `window` unanswered; returns lines/s."""
    sent = answered = 0
    pending = b""
    t0 = time.perf_counter()
    while answered < count:
        while sent < count and sent - answered < window:
            write(b"ROP\r\n")
            sent += 1
        pending += read()
        answered += pending.count(b"\n")
        pending = pending[pending.rfind(b"\n") + 1:]
    return count / (time.perf_counter() - t0)


def bench_pty(pty, count, window):
    fd = os.open(pty, os.O_RDWR | os.O_NOCTTY)
    tty.setraw(fd)

    def read():
        select.select([fd], [], [], 1)
        return os.read(fd, 65536)
    try:
        return lines_per_second(lambda b: os.write(fd, b), read, count, window)
    finally:
        os.close(fd)


def bench_tcp(port, count, window):
    s = socket.create_connection(("127.0.0.1", port))
    s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    try:
        return lines_per_second(s.sendall, lambda: s.recv(65536), count, window)
    finally:
        s.close()


def main():
    startups = []
    for _ in range(20):
        proc, _, seconds = start([])
        startups.append(seconds * 1000)
        stop(proc)
    print(f"start-up to ready: median {statistics.median(startups):.1f} ms, "
          f"max {max(startups):.1f} ms (20 starts)")

    listen = free_port()
    proc, pty, _ = start(["--listen", f"127.0.0.1:{listen}"])
    try:
        for name, bench in (("pty", lambda c, w: bench_pty(pty, c, w)),
                            ("tcp", lambda c, w: bench_tcp(listen, c, w))):
            one = bench(5000, 1)
            many = bench(50000, 64)
            print(f"{name}: {one:,.0f} lines/s one at a time, {many:,.0f} lines/s pipelined")
    finally:
        stop(proc)


if __name__ == "__main__":
    main()
