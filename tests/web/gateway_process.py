"""What the gateway's tests share: the built programs, processes that end
with the test, free loopback ports, waiting, the simulator's control port
and the HTTP API."""
import json, os, socket, subprocess, time, urllib.error, urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The native build's, unless the test is told others (ctest names its build's).
SIM = os.environ.get("ORV_SIM_PATH", os.path.join(ROOT, "build/native/sim/orvellan-sim"))
GATEWAY = os.environ.get("ORV_GATEWAY_PATH", os.path.join(ROOT, "build/native/src/orvellan-gateway"))
children = []


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(what, condition, seconds, seen=None):
    end = time.time() + seconds
    while time.time() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"{what}: not within {seconds} s" + (f" ({seen()})" if seen else ""))


def listening(port):
    try:
        socket.create_connection(("127.0.0.1", port), timeout=0.5).close()
        return True
    except OSError:
        return False


def start(args, port, log=subprocess.DEVNULL):
    children.append(subprocess.Popen(args, stdout=log, stderr=log))
    wait_for(f"{os.path.basename(args[0])} listening on {port}", lambda: listening(port), 15)


def control(port, line):
    with socket.create_connection(("127.0.0.1", port)) as s:
        s.sendall((line + "\n").encode())
        return s.makefile().readline().strip()


def api(port, method, path, body=None, token=None):
    request = urllib.request.Request(f"http://127.0.0.1:{port}{path}", method=method,
                                     data=json.dumps(body).encode() if body is not None else None)
    if token:
        request.add_header("Authorization", "Bearer " + token)
    try:
        with urllib.request.urlopen(request, timeout=15) as response:
            return response.status, json.load(response)
    except urllib.error.HTTPError as error:
        return error.code, json.load(error)


def end_children():
    for child in children:
        child.terminate()
        child.wait()
