"""End-to-end test helpers: run OcuService (and the camera simulator) in a temporary home on
free loopback ports, and talk to the service over HTTP and HTTPS.

    import ocutest

    with ocutest.Service() as service:            # fresh home, simulator, HTTP and HTTPS
        answer = service.request("GET", "/1.0/info")
        print(answer.status, answer.header("content-length"), answer.json())
        answer = service.request("GET", "/1.0/admin/tokens", tls=True,
                                 auth=("admin", service.password))

What a Service sets up (everything is removed again on stop):
    <root>/home          OCUSERVICE_HOME and the working directory of the service; holds
                         config.ini, ssl/localhost.pem (a self-signed certificate) and
                         resource/password (digest password of user "admin", realm
                         "administration") when a password is given
    <root>/devices       OCUSERVICE_DEVICE_DIR, where the simulator publishes its camera
    <root>/camera        the simulator's gallery and control socket

Environment:
    OCU_E2E_BIN_DIR      folder of the programs under test; takes precedence over OCU_BIN_DIR,
                         so that the same tests can run against another build (for example a
                         sanitizer build: OCU_E2E_BIN_DIR=build-asan/bin ctest -L e2e)
    OCU_BIN_DIR          folder of the programs (set by ctest)

A Service checks, when it stops, that the service printed no sanitizer report.

Besides Service and Simulator: raw_exchange() sends raw bytes to any loopback port,
make_certificate() and write_password_file() make the home's secrets, free_port() and
program() find ports and built programs.
"""

import hashlib
import http.client
import json
import os
import shutil
import signal
import socket
import ssl
import subprocess
import tempfile
import threading
import time

DEFAULT_TIMEOUT = 10.0
ADMIN_USER = "admin"
DEFAULT_REALM = "administration"


def bin_dir():
    """The folder of the programs under test."""
    folder = os.environ.get("OCU_E2E_BIN_DIR") or os.environ.get("OCU_BIN_DIR")
    if not folder:
        raise RuntimeError("set OCU_BIN_DIR (or OCU_E2E_BIN_DIR) to the built programs' folder")
    return folder


def program(name):
    """The path of a built program, e.g. program("OcuService")."""
    return os.path.join(bin_dir(), name)


def free_port():
    """A loopback TCP port that was free a moment ago."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


_certificate_cache = None


def make_certificate(path):
    """Writes a self-signed certificate for CN=localhost with its key (one PEM file, key first,
    as the service expects) to `path`. One key pair is made per test process and reused."""
    global _certificate_cache
    if _certificate_cache is None:
        work = tempfile.mkdtemp(prefix="ocutest-cert-")
        try:
            subprocess.run(
                ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                 "-subj", "/CN=localhost", "-keyout", os.path.join(work, "key.pem"),
                 "-out", os.path.join(work, "cert.pem")],
                check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            with open(os.path.join(work, "key.pem"), "rb") as key, \
                    open(os.path.join(work, "cert.pem"), "rb") as cert:
                _certificate_cache = key.read() + cert.read()
        finally:
            shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(_certificate_cache)
    os.chmod(path, 0o600)


def password_line(user, realm, password):
    """One line of a digest password file: user:realm:md5(user:realm:password)."""
    digest = hashlib.md5(f"{user}:{realm}:{password}".encode()).hexdigest()
    return f"{user}:{realm}:{digest}\n"


def write_password_file(path, password, user=ADMIN_USER, realm=DEFAULT_REALM):
    """Writes a digest password file holding one user."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as out:
        out.write(password_line(user, realm, password))


def configuration(**changes):
    """The body of POST /1.0/configure as JSON text: no deduplication, thresholds 1.05 and
    1.1, qualities 50 and 80, each replaced by `changes` given by key."""
    values = {"deduplicationEnroll": False, "genuineThreshold": 1.05, "imposterThreshold": 1.1,
              "qualityStreaming": 50, "qualitySample": 80}
    values.update(changes)
    return json.dumps({"configuration": {"item": [{"key": key, "value": value}
                                                  for key, value in values.items()]}})


class Response:
    """An HTTP answer: status (int), reason, headers (list of (name, value)), body (bytes)."""

    def __init__(self, status, reason, headers, body):
        self.status = status
        self.reason = reason
        self.headers = headers
        self.body = body

    def header(self, name):
        """The first header of that name (case-insensitive), or None."""
        for key, value in self.headers:
            if key.lower() == name.lower():
                return value
        return None

    def text(self):
        return self.body.decode("utf-8")

    def json(self):
        return json.loads(self.body.decode("utf-8"))

    def __repr__(self):
        return f"Response({self.status}, {self.headers!r}, {self.body[:200]!r})"


def _digest_authorization(challenge, method, path, user, password):
    """The Authorization header answering a "WWW-Authenticate: Digest ..." challenge."""
    fields = {}
    for part in challenge[len("Digest"):].split(","):
        if "=" in part:
            key, value = part.strip().split("=", 1)
            fields[key.strip()] = value.strip().strip('"')
    realm, nonce = fields.get("realm", ""), fields.get("nonce", "")
    cnonce, nc = os.urandom(8).hex(), "00000001"

    def md5(text):
        return hashlib.md5(text.encode("latin-1")).hexdigest()

    ha1 = md5(f"{user}:{realm}:{password}")
    ha2 = md5(f"{method}:{path}")
    if "qop" in fields:
        answer = md5(f"{ha1}:{nonce}:{nc}:{cnonce}:auth:{ha2}")
        return (f'Digest username="{user}", realm="{realm}", nonce="{nonce}", uri="{path}", '
                f'qop=auth, nc={nc}, cnonce="{cnonce}", response="{answer}"')
    answer = md5(f"{ha1}:{nonce}:{ha2}")
    return (f'Digest username="{user}", realm="{realm}", nonce="{nonce}", uri="{path}", '
            f'response="{answer}"')


def _tls_context():
    context = ssl.create_default_context()
    context.check_hostname = False
    context.verify_mode = ssl.CERT_NONE
    return context


class Simulator:
    """ocucam-sim publishing one USB camera in `device_dir`, with its control socket at
    `control_path`. `command("subject alice")` sends one control line and returns the reply."""

    def __init__(self, device_dir, state_dir, extra_args=(), serial_link=None, baud=None):
        self.device_dir = device_dir
        self.control_path = os.path.join(state_dir, "sim.control")
        self.gallery = os.path.join(state_dir, "gallery.dat")
        args = [program("ocucam-sim"), "--device-dir", device_dir, "--gallery", self.gallery,
                "--control", self.control_path, *extra_args]
        if serial_link is not None:
            args += ["--serial", serial_link]
            if baud is not None:
                args += ["--baud", str(baud)]
        self.args = args
        self.start()

    def start(self):
        """Starts the program (again) and waits until its control socket answers."""
        self.process = subprocess.Popen(self.args, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + DEFAULT_TIMEOUT
        while True:
            if self.process.poll() is not None:
                raise RuntimeError(f"ocucam-sim ended at start with {self.process.returncode}")
            try:
                with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as probe:
                    probe.connect(self.control_path)
                break
            except OSError:
                if time.monotonic() > deadline:
                    self.stop()
                    raise RuntimeError("ocucam-sim did not open its control socket")
                time.sleep(0.02)

    def command(self, line, timeout=DEFAULT_TIMEOUT):
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as control:
            control.settimeout(timeout)
            control.connect(self.control_path)
            control.sendall(line.encode() + b"\n")
            reply = b""
            while not reply.endswith(b"\n"):
                chunk = control.recv(4096)
                if not chunk:
                    break
                reply += chunk
        return reply.decode().strip()

    def count(self, code):
        """How many command blocks of `code` (an int) the camera received so far."""
        reply = self.command(f"count {code:04X}")
        if not reply.startswith("ok "):
            raise RuntimeError(f"count {code:04X}: {reply}")
        return int(reply.split()[1])

    def kill(self):
        """SIGKILL, as if the camera died: what it published is left behind."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(DEFAULT_TIMEOUT)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Service:
    """OcuService -console 0 in a fresh home. Arguments:

    simulator   start ocucam-sim beside the service (default True)
    tls         also listen on an HTTPS port (default True)
    password    write resource/password for user "admin" with this password (default None:
                no password file, so the administration area refuses everything)
    config      extra config.ini lines (text), appended after SERVER_PORTS
    ports       the SERVER_PORTS value to use instead of fresh loopback ports
    start       start at once (default True); otherwise call start() yourself
    camera      extra ocucam-sim arguments, e.g. ("--model", "bino")
    serial      a baud rate: the simulator serves its camera on a serial line at that rate
                (a pseudo-terminal) and the service is configured to use it; None: USB

    After start(), `http_port`, `https_port`, `home`, `password_file`, `token_file` and
    `process` are set; `output()` is what the service printed so far.
    """

    def __init__(self, simulator=True, tls=True, password=None, config="", ports=None,
                 start=True, camera=(), serial=None):
        self.root = tempfile.mkdtemp(prefix="ocutest-")
        self.home = os.path.join(self.root, "home")
        self.device_dir = os.path.join(self.root, "devices")
        self.camera_dir = os.path.join(self.root, "camera")
        for folder in (self.home, self.device_dir, self.camera_dir,
                       os.path.join(self.home, "resource")):
            os.makedirs(folder, exist_ok=True)
        self.password = password
        self.password_file = os.path.join(self.home, "resource", "password")
        self.token_file = os.path.join(self.home, "resource", "tokens.ini")
        self.certificate = os.path.join(self.home, "ssl", "localhost.pem")
        make_certificate(self.certificate)
        if password is not None:
            write_password_file(self.password_file, password)
        self.http_port = free_port()
        self.https_port = free_port() if tls else None
        if ports is None:
            ports = f"127.0.0.1:{self.http_port}"
            if tls:
                ports += f",127.0.0.1:{self.https_port}s"
        self.ports = ports
        with open(os.path.join(self.home, "config.ini"), "w") as out:
            out.write(f"SERVER_PORTS = {ports}\n"
                      "SERVER_DUCUMENT_ROOT = .\n"
                      "SERVER_SSL_CERTICICATE = ssl/localhost.pem\n"
                      "HTPASSWD_FILE = resource/password\n"
                      f"DIGEST_DOMAIN = {DEFAULT_REALM}\n"
                      "TOKEN_FILE = resource/tokens.ini\n")
            if serial is not None:
                out.write("CAMERA_CONNECTION = serial\n"
                          f"CAMERA_SERIAL_PORT = {os.path.join(self.camera_dir, 'tty')}\n"
                          f"CAMERA_BAUD_RATE = {serial}\n")
            out.write(config)
        self.simulator = None
        if simulator:
            self.simulator = Simulator(
                self.device_dir, self.camera_dir, camera,
                serial_link=None if serial is None else os.path.join(self.camera_dir, "tty"),
                baud=serial)
        self.process = None
        self._output = []
        self._output_changed = threading.Condition()
        self._reader = None
        if start:
            try:
                self.start()
            except BaseException:
                self.close()
                raise

    # Process control -------------------------------------------------------------------

    def environment(self):
        env = dict(os.environ)
        env["OCUSERVICE_HOME"] = self.home
        env["OCUSERVICE_DEVICE_DIR"] = self.device_dir
        return env

    def launch(self, args=("-console", "0"), env=None):
        """Starts OcuService with `args` in the home, without waiting for anything. `env`
        (a dict) adds to or replaces variables of the environment()."""
        environment = self.environment()
        environment.update(env or {})
        if self._reader is not None and not self._reader.is_alive() and self.process.stdout:
            self.process.stdout.close()  # of a run before this one, ended and read to its end
        self.process = subprocess.Popen([program("OcuService"), *args], cwd=self.home,
                                        env=environment, stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT)
        self._reader = threading.Thread(target=self._read_output, daemon=True)
        self._reader.start()

    def start(self, timeout=DEFAULT_TIMEOUT, env=None):
        """Starts the service and waits until every route answers. `env` as for launch()."""
        self.launch(env=env)
        self.wait_for_output("Service hosted at", timeout)
        deadline = time.monotonic() + timeout
        while True:
            try:
                answer = self.request("GET", "/1.0/nothing", timeout=2)
                if "json" in (answer.header("content-type") or ""):
                    return
            except OSError:
                pass
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("OcuService did not get ready:\n" + self.output())
            time.sleep(0.02)

    def _read_output(self):
        for line in iter(self.process.stdout.readline, b""):
            with self._output_changed:
                self._output.append(line.decode("utf-8", "replace"))
                self._output_changed.notify_all()
        with self._output_changed:
            self._output_changed.notify_all()

    def output(self):
        """Everything the service printed so far."""
        with self._output_changed:
            return "".join(self._output)

    def wait_for_output(self, text, timeout=DEFAULT_TIMEOUT):
        """Waits until the output contains `text`; raises when the process ends first."""
        deadline = time.monotonic() + timeout
        with self._output_changed:
            while text not in "".join(self._output):
                remaining = deadline - time.monotonic()
                if remaining <= 0 or (self.process.poll() is not None and
                                      not self._reader.is_alive()):
                    raise RuntimeError(f"no {text!r} in the output:\n" + "".join(self._output))
                self._output_changed.wait(min(remaining, 0.1))

    def stop(self, sig=signal.SIGINT, timeout=DEFAULT_TIMEOUT):
        """Sends `sig` and waits for the process to end; returns its exit code."""
        if self.process is None:
            return None
        if self.process.poll() is None:
            self.process.send_signal(sig)
        try:
            code = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise RuntimeError("OcuService did not stop:\n" + self.output())
        self._reader.join(timeout)
        return code

    def wait(self, timeout=DEFAULT_TIMEOUT):
        """Waits for a process that ends by itself; returns its exit code."""
        code = self.process.wait(timeout)
        self._reader.join(timeout)
        return code

    def sanitizer_report(self):
        """The sanitizer report in the output, or None."""
        text = self.output()
        for marker in ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                       "WARNING: ThreadSanitizer", "ERROR: ThreadSanitizer"):
            if marker in text:
                return text
        return None

    def finish(self):
        """Stops the service and removes everything, then fails when the service printed a
        sanitizer report (for a tearDownClass)."""
        report = None
        try:
            self.stop()
            report = self.sanitizer_report()
        finally:
            self.close()
        if report:
            raise AssertionError("sanitizer report from OcuService:\n" + report)

    def close(self):
        """Stops everything still running and removes the temporary folders."""
        try:
            if self.process is not None and self.process.poll() is None:
                self.stop()
        finally:
            if self.simulator is not None:
                self.simulator.stop()
            if self.process is not None and self.process.stdout:
                self.process.stdout.close()
            shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, kind, value, trace):
        report = None
        try:
            if self.process is not None and self.process.poll() is None:
                self.stop()
            if self.process is not None:
                report = self.sanitizer_report()
        finally:
            self.close()
        if report is not None and kind is None:
            raise AssertionError("sanitizer report from OcuService:\n" + report)
        return False

    # Clients ---------------------------------------------------------------------------

    def port(self, tls=False):
        return self.https_port if tls else self.http_port

    def url(self, path, tls=False):
        return f"{'https' if tls else 'http'}://127.0.0.1:{self.port(tls)}{path}"

    def connection(self, tls=False, timeout=DEFAULT_TIMEOUT):
        """A fresh http.client connection to the service."""
        if tls:
            return http.client.HTTPSConnection("127.0.0.1", self.https_port, timeout=timeout,
                                               context=_tls_context())
        return http.client.HTTPConnection("127.0.0.1", self.http_port, timeout=timeout)

    def request(self, method, path, body=None, headers=None, tls=False, auth=None,
                timeout=DEFAULT_TIMEOUT):
        """Sends one request on a fresh connection and returns its Response. `path` is sent as
        it stands (query included). `auth` = (user, password): digest authentication, with
        the challenge taken from a GET of `path` without credentials first (on a path that
        needs no authentication that GET is served like any other)."""
        headers = dict(headers or {})
        if isinstance(body, str):
            body = body.encode("utf-8")
        if auth is None:
            return self._exchange(method, path, body, headers, tls, timeout)
        # The challenge comes from a GET without body (refused by the guard, so it runs
        # nothing), so that a large body is sent only once, with the credentials; a stale
        # nonce is answered with a fresh challenge, taken once more.
        answer = self._exchange("GET", path, None, dict(headers), tls, timeout)
        for _ in range(2):
            challenge = answer.header("www-authenticate") or ""
            if answer.status != 401 or not challenge.startswith("Digest"):
                return self._exchange(method, path, body, headers, tls, timeout)
            headers["Authorization"] = _digest_authorization(challenge, method, path, *auth)
            answer = self._exchange(method, path, body, headers, tls, timeout)
            if answer.status != 401 or "stale=true" not in (
                    answer.header("www-authenticate") or ""):
                break
        return answer

    def _exchange(self, method, path, body, headers, tls, timeout):
        connection = self.connection(tls, timeout)
        try:
            own_host = any(name.lower() == "host" for name in headers)
            connection.putrequest(method, path, skip_host=own_host, skip_accept_encoding=True)
            for name, value in headers.items():
                connection.putheader(name, value)
            if body is not None and "Content-Length" not in headers:
                connection.putheader("Content-Length", str(len(body)))
            connection.endheaders(body)
            reply = connection.getresponse()
            data = reply.read()
            return Response(reply.status, reply.reason, reply.getheaders(), data)
        finally:
            connection.close()

    def call(self, method, path, body=None, **kwargs):
        """A JSON request: checks the HTTP 200 and the exact content-length, returns the body
        as a dict."""
        answer = self.request(method, path, body=body, **kwargs)
        if answer.status != 200 or int(answer.header("content-length") or -1) != len(answer.body):
            raise AssertionError(f"{method} {path}: {answer!r}")
        return answer.json()

    def locked_session(self):
        """Registers a session and takes the sensor lock with it; returns its identifier."""
        session = self.call("POST", "/1.0/register")["sessionId"]
        status = self.call("POST", "/1.0/lock?session_id=" + session)["status"]
        if status != "success":
            raise AssertionError(f"lock: {status}")
        return session

    def start_sensor(self, session, body=None):
        """Initializes and configures the sensor for the lock holder `session` with the
        configuration document `body` (default: configuration())."""
        query = "?session_id=" + session
        for method, route, document in (("POST", "/1.0/initialize", None),
                                        ("POST", "/1.0/configure", body or configuration())):
            status = self.call(method, route + query, document)["status"]
            if status != "success":
                raise AssertionError(f"{route}: {status}")

    def sensor_session(self, body=None):
        """locked_session() with the sensor started (start_sensor); returns its identifier."""
        session = self.locked_session()
        self.start_sensor(session, body)
        return session

    def raw(self, data, tls=False, timeout=DEFAULT_TIMEOUT, close_write=False,
            one_response=False):
        """raw_exchange() with the service's HTTP (or, with `tls`, HTTPS) port."""
        return raw_exchange(self.port(tls), data, tls, timeout, close_write, one_response)


def raw_exchange(port, data, tls=False, timeout=DEFAULT_TIMEOUT, close_write=False,
                 one_response=False):
    """Sends raw bytes to a loopback port on a fresh connection and returns every byte received
    until the server closes the connection (or `timeout` passes without data). With
    `close_write` the sending side is shut down after the bytes (plain connections only). With
    `one_response` it returns as soon as one whole answer arrived (its header block and as many
    body bytes as its content-length says), without waiting for the close."""
    plain = socket.create_connection(("127.0.0.1", port), timeout=timeout)
    stream = _tls_context().wrap_socket(plain) if tls else plain
    received = b""
    try:
        stream.sendall(data)
        if close_write and not tls:
            stream.shutdown(socket.SHUT_WR)
        while not (one_response and _complete_response(received)):
            try:
                chunk = stream.recv(65536)
            except (socket.timeout, ConnectionResetError, ssl.SSLError):
                break
            if not chunk:
                break
            received += chunk
    finally:
        stream.close()
    return received


def _complete_response(data):
    """Whether `data` holds a header block and the body its content-length announces."""
    end = data.find(b"\r\n\r\n")
    if end < 0:
        return False
    length = 0
    for line in data[:end].split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip())
    return len(data) >= end + 4 + length
