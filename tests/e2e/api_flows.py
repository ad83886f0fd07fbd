"""Client flows over the whole HTTP API, against OcuService with the camera simulator: sessions
and the lock, the sensor, captures with previews, cancel, sample quality, every download,
enrollment, verification, identification, the gallery and the administration routes, with the
refusals a client meets on the way.

run_all(observe) runs them on a monocular and a binocular camera and calls
observe(method, target, response) with every answer. The API description's examples are
taken this way (scripts/openapi.py), and the contract test validates every answer with it.
"""

import json
import re
import threading
import time

import ocutest

PASSWORD = "first-secret"
NEW_PASSWORD = "second-secret"
UNKNOWN_ID = "00000000-0000-4000-8000-000000000000"
CAPTURE_MS = "1500"


class OperationMatcher:
    """The document path of a request: its own path when the document has it, else the first
    templated path that fits. None when the document has no operation for it."""

    def __init__(self, document):
        self.paths = document["paths"]
        self.templates = [(re.compile("^" + re.sub(r"\{[^}]+\}", "[^/]+", path) + "$"), path)
                          for path in self.paths if "{" in path]

    def __call__(self, method, target):
        path = target.split("?", 1)[0]
        if path not in self.paths:
            path = next((p for pattern, p in self.templates if pattern.match(path)), None)
        if path is None or method.lower() not in self.paths[path]:
            return None
        return path


class Client:
    """Requests to a Service whose answers go to `observe` as well."""

    def __init__(self, service, observe):
        self.service = service
        self.observe = observe
        self.auth = None

    def request(self, method, target, body=None, auth=None, headers=None):
        response = self.service.request(method, target, body=body, auth=auth, headers=headers)
        self.observe(method, target, response)
        return response

    def call(self, method, target, body=None, admin=False):
        """The JSON answer as a dict."""
        response = self.request(method, target, body, self.auth if admin else None)
        if response.status != 200:
            raise AssertionError(f"{method} {target}: {response!r}")
        return response.json()

    def status(self, method, target, body=None, admin=False):
        return self.call(method, target, body, admin)["status"]


def expect(answer, status, message=None):
    if answer["status"] != status or (message is not None and answer.get("message") != message):
        raise AssertionError(f"expected {status} {message or ''}: {answer}")
    return answer


def wait_for_capture(service):
    deadline = time.monotonic() + ocutest.DEFAULT_TIMEOUT
    while "capturing=1" not in service.simulator.command("state"):
        if time.monotonic() > deadline:
            raise AssertionError("the capture did not start")
        time.sleep(0.01)


def capture_with(client, target, during=()):
    """Sends a capturing request; once the camera captures, runs each of `during` (callables)
    on a thread of its own. Returns the capturing request's answer; raises what a thread
    raised."""
    answer, raised = {}, []

    def run(work):
        try:
            work()
        except Exception as error:  # noqa: BLE001 (raised again below)
            raised.append(error)

    request = threading.Thread(
        target=run, args=(lambda: answer.update(client.call("POST", target)),))
    request.start()
    wait_for_capture(client.service)
    helpers = [threading.Thread(target=run, args=(work,)) for work in during]
    for thread in helpers:
        thread.start()
    for thread in helpers + [request]:
        thread.join(30)
    if raised:
        raise raised[0]
    return answer


def session_and_lock(client):
    """Refusals of the session table, ending with session A holding the lock."""
    c = client
    a = expect(c.call("POST", "/1.0/register"), "success")["sessionId"]
    b = expect(c.call("POST", "/1.0/register"), "success")["sessionId"]
    expect(c.call("POST", "/1.0/lock?session_id=bad"), "badValue")
    expect(c.call("POST", f"/1.0/lock?session_id={UNKNOWN_ID}"), "invalidId")
    expect(c.call("POST", f"/1.0/lock?session_id={a}"), "success")
    expect(c.call("POST", f"/1.0/lock?session_id={b}"), "lockHeldByAnother")
    expect(c.call("DELETE", f"/1.0/lock?session_id={b}"), "lockHeldByAnother")
    expect(c.call("PUT", f"/1.0/lock?session_id={b}"), "success")
    expect(c.call("PUT", f"/1.0/lock?session_id={a}"), "failure")
    expect(c.call("POST", f"/1.0/initialize?session_id={a}"), "lockHeldByAnother")
    expect(c.call("DELETE", f"/1.0/lock?session_id={b}"), "success")
    expect(c.call("POST", f"/1.0/initialize?session_id={a}"), "lockNotHeld")
    expect(c.call("DELETE", "/1.0/register?session_id=x"), "badValue")
    expect(c.call("DELETE", f"/1.0/register?session_id={b}"), "success")
    expect(c.call("POST", f"/1.0/lock?session_id={a}"), "success")
    return a


def sensor(client, q):
    """Initialization and configuration, with what a client meets before each."""
    c = client
    expect(c.call("GET", "/1.0/info"), "success")
    expect(c.call("GET", "/1.0/nothing"), "unsupported")
    expect(c.call("POST", "/1.0/nothing"), "unsupported")
    expect(c.call("GET", f"/1.0/camera/scan?{q}"), "sensorFailure")
    expect(c.call("GET", f"/1.0/configure?{q}"), "initializationNeeded")
    expect(c.call("GET", f"/1.0/deviceinfo?{q}"), "initializationNeeded")
    expect(c.call("GET", f"/1.0/gallery?{q}"), "initializationNeeded")
    expect(c.call("GET", f"/1.0/download/image?capture_id={UNKNOWN_ID}"), "initializationNeeded")
    expect(c.call("POST", f"/1.0/initialize?{q}"), "success")
    expect(c.call("GET", f"/1.0/configure?{q}"), "success")
    expect(c.call("POST", f"/1.0/capture?{q}"), "configurationNeeded")
    expect(c.call("POST", f"/1.0/enroll?{q}&user_id=alice"), "configurationNeeded")
    expect(c.call("GET", f"/1.0/samplequality?capture_id={UNKNOWN_ID}"), "configurationNeeded")
    expect(c.call("POST", f"/1.0/configure?{q}", "{}"), "invalidParameter")
    expect(c.call("POST", f"/1.0/configure?{q}", ocutest.configuration(qualitySample=101)),
           "badValue")
    expect(c.call("POST", f"/1.0/configure?{q}", ocutest.configuration()), "success")
    expect(c.call("GET", f"/1.0/deviceinfo?{q}"), "success")
    expect(c.call("GET", f"/1.0/camera/scan?{q}"), "success")
    expect(c.call("GET", f"/1.0/getstream?{q}"), "nocapturing")
    for name in ("stream", "stream1", "stream2"):
        for path in (f"/1.0/{name}", f"/{name}"):
            expect(c.call("GET", path), "failure", "No capturing is going on.")
    expect(c.call("POST", f"/1.0/capture?{q}&cap_purpose=Enrollment"), "badValue")
    preflight = c.request("OPTIONS", "/1.0/lock", headers={
        "Origin": "http://console.example", "Access-Control-Request-Method": "PUT"})
    if preflight.status != 200 or preflight.body:
        raise AssertionError(f"preflight: {preflight!r}")


def read_stream(client, name):
    response = client.request("GET", f"/{name}")
    if b"--vantrel--" not in response.body:
        raise AssertionError(f"{name}: {response!r}")


def capture_and_downloads(client, q, session):
    """A capture with two previews and a snapshot beside it, then every download."""
    c = client
    c.service.simulator.command("subject alice")
    answer = capture_with(c, f"/1.0/capture?{q}&cap_purpose=enrollment", [
        lambda: read_stream(c, "1.0/stream"),
        lambda: read_stream(c, "stream"),
        lambda: expect(c.call("GET", f"/1.0/getstream?{q}"), "success"),
        lambda: expect(c.call("DELETE", f"/1.0/register?session_id={session}"), "sensorBusy"),
    ])
    capture_id = expect(answer, "success")["captureIds"][0]
    d = f"/1.0/download/image?capture_id={capture_id}"
    expect(c.call("GET", f"/1.0/samplequality?capture_id={capture_id}"), "success")
    expect(c.call("GET", f"/1.0/samplequality?capture_id={UNKNOWN_ID}"), "invalidId")
    expect(c.call("GET", "/1.0/download/image?capture_id=nothing"), "badValue")
    expect(c.call("GET", d), "success")
    expect(c.call("GET", f"/1.0/download/template?capture_id={capture_id}"), "success")
    for image_format in ("image/raw", "image/jpeg", "image/jp2", "image/png",
                         "image/vnd.vantrel.raw", "image/vnd.vantrel.jp2"):
        params = {"imageFormat": image_format, "imageKind": "KIND 3", "encodingQuality": 70}
        expect(c.call("POST", d, json.dumps({"params": params})), "success")
    for params, status in (
            ({"imageFormat": "image/raw", "isoRevision": "ISO/IEC 19794-6:2005"}, "success"),
            ({"imageFormat": "image/jp2", "imageKind": "KIND 7_2_5",
              "isoRevision": "ISO/IEC 19794-6:2011"}, "success"),
            ({"imageFormat": "image/png", "isoRevision": "ISO/IEC 19794-6:2011"},
             "invalidParameter")):
        expect(c.call("POST", d, json.dumps({"params": dict(params, encodingQuality=60)})),
               status)
    expect(c.call("POST", d, json.dumps({"params": {"imageFormat": "image/png"}})), "failure",
           "Invalid download parameters.")
    for method, path in (("GET", "/1.0/download"), ("POST", "/1.0/download"),
                         ("POST", "/1.0/download/template")):
        expect(c.call(method, f"{path}?capture_id={capture_id}"), "unsupported")
    for path in ("/1.0/camera", "/1.0/users", "/1.0/user"):
        expect(c.call("GET", f"{path}?{q}"), "unsupported")
    return capture_id


def cancel_and_no_sample(client, q):
    c = client
    expect(c.call("POST", f"/1.0/cancel?{q}"), "success")
    c.service.simulator.command("capture-ms 5000")
    answer = capture_with(c, f"/1.0/capture?{q}", [
        lambda: expect(c.call("POST", f"/1.0/cancel?{q}"), "success")])
    expect(answer, "canceled")
    c.service.simulator.command("capture-ms " + CAPTURE_MS)
    c.service.simulator.command("subject none")
    expect(c.call("POST", f"/1.0/capture?{q}"), "failure", "No qualified sample.")
    c.service.simulator.command("subject alice")


def biometrics(client, q):
    """Enroll alice (the last capture is hers), verify, identify, the gallery and deletions."""
    c = client
    expect(c.call("POST", f"/1.0/enroll?{q}&user_id=bad-id"), "badValue")
    expect(c.call("POST", f"/1.0/enroll?{q}&user_id=alice"), "success")
    expect(c.call("POST", f"/1.0/enroll?{q}&user_id=under_score"), "invalidId")
    expect(c.call("POST", f"/1.0/verifycapture?{q}&user_id=alice"), "success")
    expect(c.call("POST", f"/1.0/verifycapture?{q}&user_id=nobody"), "invalidId")
    identified = expect(c.call("POST", f"/1.0/identifycapture?{q}"), "success")["identified"]
    if [entry["id"] for entry in identified] != ["alice"]:
        raise AssertionError(f"identified {identified}")
    expect(c.call("POST", f"/1.0/configure?{q}", ocutest.configuration(deduplicationEnroll=True)),
           "success")
    expect(c.call("POST", f"/1.0/enroll?{q}&user_id=bob"), "duplicatedEnrollment")
    expect(c.call("POST", f"/1.0/configure?{q}", ocutest.configuration()), "success")
    expect(c.call("GET", f"/1.0/gallery?{q}"), "success")
    expect(c.call("GET", f"/1.0/users/id?{q}"), "success")
    expect(c.call("GET", f"/1.0/users/info?{q}"), "unsupported")
    expect(c.call("GET", f"/1.0/user/templateinfo?{q}&user_id=alice"), "success")
    expect(c.call("GET", f"/1.0/user/templateinfo?{q}&user_id=nobody"), "invalidId")
    expect(c.call("GET", f"/1.0/user/info?{q}&user_id=alice"), "unsupported")
    expect(c.call("POST", f"/1.0/user?{q}&user_id=alice", "{}"), "unsupported")
    expect(c.call("DELETE", f"/1.0/user?{q}&user_id=alice"), "success")
    expect(c.call("DELETE", f"/1.0/users?{q}"), "success")
    expect(c.call("GET", f"/1.0/gallery?{q}"), "success")
    expect(c.call("GET", f"/1.0/users/id?{q}"), "success")
    expect(c.call("DELETE", f"/1.0/initialize?{q}"), "success")


def administration(client):
    """Tokens, the token check and the password, with and without credentials."""
    c = client
    refused = c.request("GET", "/1.0/admin/tokens")
    if refused.status != 401:
        raise AssertionError(f"without credentials: {refused!r}")
    c.auth = (ocutest.ADMIN_USER, PASSWORD)
    expect(c.call("GET", "/1.0/admin/token", admin=True), "unsupported")
    token = expect(c.call("GET", "/1.0/admin/token/generate", admin=True), "success")["token"]
    expect(c.call("POST", f"/1.0/admin/token?token_id={token}", admin=True), "success")
    expect(c.call("POST", f"/1.0/admin/token?token_id={token}", admin=True), "duplicatedToken")
    expect(c.call("POST", "/1.0/admin/token", admin=True), "badValue")
    expect(c.call("GET", "/1.0/admin/tokens", admin=True), "success")
    expect(c.call("POST", "/1.0/admin/config", '{"config": {"tokenAuthentication": 1}}',
                  admin=True), "unsupported")
    expect(c.call("POST", "/1.0/admin/config", '{"config": {"tokenAuthentication": true}}',
                  admin=True), "success")
    expect(c.call("GET", "/1.0/admin/config", admin=True), "success")
    expect(c.call("POST", "/1.0/register"), "failure", "Access token required!")
    expect(c.call("POST", "/1.0/register", '{"token": "other"}'), "failure",
           "Invalid access token!")
    expect(c.call("POST", "/1.0/register", json.dumps({"token": token})), "success")
    expect(c.call("POST", "/1.0/admin/config", '{"config": {"tokenAuthentication": false}}',
                  admin=True), "success")
    expect(c.call("DELETE", f"/1.0/admin/token?token_id={token}", admin=True), "success")
    expect(c.call("DELETE", "/1.0/admin/token?token_id=", admin=True), "badValue")
    expect(c.call("POST", "/1.0/admin/password", admin=True), "badValue",
           "Password must be not empty!")
    expect(c.call("POST", f"/1.0/admin/password?new_password={NEW_PASSWORD}", admin=True),
           "success")
    c.auth = (ocutest.ADMIN_USER, NEW_PASSWORD)
    expect(c.call("GET", "/1.0/admin/tokens", admin=True), "success")


def monocular(observe):
    with ocutest.Service(tls=False, password=PASSWORD,
                         camera=("--capture-ms", CAPTURE_MS)) as service:
        client = Client(service, observe)
        session = session_and_lock(client)
        q = f"session_id={session}"
        sensor(client, q)
        cancel_and_no_sample(client, q)
        capture_and_downloads(client, q, session)
        biometrics(client, q)
        administration(client)


def binocular(observe):
    with ocutest.Service(tls=False, camera=("--model", "bino", "--capture-ms", CAPTURE_MS)) \
            as service:
        c = Client(service, observe)
        session = expect(c.call("POST", "/1.0/register"), "success")["sessionId"]
        q = f"session_id={session}"
        expect(c.call("POST", f"/1.0/lock?{q}"), "success")
        expect(c.call("POST", f"/1.0/initialize?{q}"), "success")
        expect(c.call("POST", f"/1.0/configure?{q}", ocutest.configuration()), "success")
        answer = capture_with(c, f"/1.0/capture?{q}", [
            lambda: read_stream(c, "1.0/stream1"), lambda: read_stream(c, "stream2")])
        for capture_id in expect(answer, "success")["captureIds"]:
            expect(c.call("GET", f"/1.0/samplequality?capture_id={capture_id}"), "success")
            expect(c.call("GET", f"/1.0/download/image?capture_id={capture_id}"), "success")
        expect(c.call("GET", f"/1.0/download/template?capture_id={capture_id}"), "success")


def run_all(observe):
    monocular(observe)
    binocular(observe)
