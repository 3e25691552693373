#!/usr/bin/env python3
"""On demand, not in CI: clock sync of simulated units whose clocks start ten
years behind, behind converters at 9600 baud (8E1, 11 bits a byte).

  scripts/bench_clock.py

  cli_one_unit_*      orvellan-cli clock-sync --tcp of one converter's unit
  cli_fleet_96_*      orvellan-cli clock-sync --listen, 96 converters that
                      connect to it: from their start to the tool's end
  gateway_fleet_96_*  the gateway's POST /api/units/ID/clock-sync to each of
                      96 converters' units at once, until the last answers
  *_worst_s           of every unit, how far its clock ("get UNIT clock") is
                      from the computer's just after, in whole seconds
"""
import datetime, os, subprocess, sys, threading, time, urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench_gateway as g  # noqa: E402  (its helpers: processes, ports, the sim's control)

CLI = os.path.join(g.ROOT, "build/native/src/orvellan-cli")
TEN_YEARS = str(10 * 365 * 24 * 3600)


def worst_offset(control_port, units):
    """Of `units` ("00", "c5:00"), the farthest clock from the computer's, in
    whole seconds: the simulated units count seconds in step with the
    computer's, so a unit in step shows the computer's second."""
    worst = 0
    for unit in units:
        while True:
            before = int(time.time())
            text = g.control(control_port, f"get {unit} clock").strip()[3:]
            after = int(time.time())
            if before == after:
                break
        shown = datetime.datetime.strptime(text, "%Y-%m-%d %H:%M:%S")
        computer = datetime.datetime.fromtimestamp(before)
        worst = max(worst, abs(int((shown - computer).total_seconds())))
    return worst


def cli_one_unit():
    converter, control_port = g.free_port(), g.free_port()
    g.start([g.SIM, "--listen", f"127.0.0.1:{converter}", "--control", f"127.0.0.1:{control_port}",
             "--baud", "9600", "--clock-behind", TEN_YEARS], control_port)
    t0 = time.perf_counter()
    subprocess.run([CLI, "clock-sync", "--tcp", f"127.0.0.1:{converter}"], check=True,
                   stderr=subprocess.DEVNULL)
    g.report("cli_one_unit_ms", round((time.perf_counter() - t0) * 1000))
    g.report("cli_one_unit_worst_s", worst_offset(control_port, ["00"]))


def cli_fleet():
    listen, control_port = g.free_port(), g.free_port()
    tool = subprocess.Popen([CLI, "clock-sync", "--listen", f"127.0.0.1:{listen}",
                             "--converters", "96", "--wait-s", "30"],
                            stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)
    g.children.append(tool)
    time.sleep(0.5)  # listening (a probe would be taken for a converter)
    t0 = time.perf_counter()
    g.start([g.SIM, "--connect", f"127.0.0.1:{listen}", "--converters", "96",
             "--control", f"127.0.0.1:{control_port}", "--baud", "9600",
             "--clock-behind", TEN_YEARS], control_port)
    errors = tool.communicate(timeout=60)[1]
    status = tool.returncode
    if status:
        print(errors[-2000:], file=sys.stderr)
    g.report("cli_fleet_96_ms", round((time.perf_counter() - t0) * 1000))
    g.report("cli_fleet_96_exit", status)
    g.report("cli_fleet_96_worst_s", worst_offset(control_port, [f"c{n}:00" for n in range(1, 97)]))


def gateway_fleet():
    server, control_port, http = g.free_port(), g.free_port(), g.free_port()
    units = "".join(f"[unit c{n}]\nconverter = 127.0.1.{n}\n" for n in range(1, 97))
    g.gateway(f"[gateway]\nserver = 127.0.0.1:{server}\nhttp = {http}\n" + units)
    g.wait_port(http)
    g.start([g.SIM, "--connect", f"127.0.0.1:{server}", "--converters", "96",
             "--control", f"127.0.0.1:{control_port}", "--baud", "9600",
             "--clock-behind", TEN_YEARS], control_port)
    time.sleep(5)  # every converter connected and polled
    answers = {}

    def sync(n):
        request = urllib.request.Request(f"http://127.0.0.1:{http}/api/units/c{n}/clock-sync",
                                         method="POST")
        try:
            answers[n] = urllib.request.urlopen(request, timeout=60).status
        except urllib.error.HTTPError as error:
            answers[n] = error.code

    t0 = time.perf_counter()
    threads = [threading.Thread(target=sync, args=(n,)) for n in range(1, 97)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    g.report("gateway_fleet_96_ms", round((time.perf_counter() - t0) * 1000))
    g.report("gateway_fleet_96_answered_200", sum(1 for s in answers.values() if s == 200))
    g.report("gateway_fleet_96_worst_s",
             worst_offset(control_port, [f"c{n}:00" for n in range(1, 97)]))


def main():
    try:
        cli_one_unit()
        cli_fleet()
        gateway_fleet()
    finally:
        g.end_children()


if __name__ == "__main__":
    main()
