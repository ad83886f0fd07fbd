"""What a client of an installed OcuService sees, checked from the network namespace the
service runs in (the package tests start this with nsenter):

- HTTPS on port 4444 with the certificate made at installation, verified for "localhost";
- a session that locks the sensor, initializes and configures the camera (ocucam-sim), one
  capture and its image downloaded as a JPEG;
- the console at http://localhost:8081/, the very file the package installed;
- nothing of the home (certificate, configuration) served.

    python3 camera_check.py ROOT   ROOT: the installed system's root folder as seen from here
Exits 1 with the reason on the first thing that is not as it should be."""

import base64
import json
import os
import ssl
import sys
import urllib.error
import urllib.request

HOME = "/var/lib/ocuservice"
CONFIGURATION = {"configuration": {"item": [
    {"key": "deduplicationEnroll", "value": False},
    {"key": "genuineThreshold", "value": 1.05},
    {"key": "imposterThreshold", "value": 1.1},
    {"key": "qualityStreaming", "value": 50},
    {"key": "qualitySample", "value": 80}]}}


def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


class Client:
    def __init__(self, root):
        self.context = ssl.create_default_context(
            cafile=os.path.join(root, HOME.lstrip("/"), "ssl/localhost.pem"))

    def fetch(self, url, method="GET", body=None, timeout=30):
        """(HTTP status, body bytes); the status of an error answer rather than an exception."""
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request(url, data=data, method=method)
        try:
            with urllib.request.urlopen(request, timeout=timeout,
                                        context=self.context) as answer:
                return answer.status, answer.read()
        except urllib.error.HTTPError as error:
            return error.code, error.read()

    def call(self, route, method="POST", body=None, timeout=30):
        url = "https://localhost:4444" + route
        status, data = self.fetch(url, method, body, timeout)
        if status != 200:
            fail(f"{method} {url}: HTTP {status}")
        answer = json.loads(data)
        if answer.get("status") != "success":
            fail(f"{method} {url}: {answer}")
        return answer


def main():
    root = sys.argv[1]
    client = Client(root)

    session = client.call("/1.0/register")["sessionId"]
    query = "?session_id=" + session
    client.call("/1.0/lock" + query)
    modality = client.call("/1.0/initialize" + query).get("cameraModality")
    client.call("/1.0/configure" + query, body=CONFIGURATION)
    ids = client.call("/1.0/capture" + query, timeout=60)["captureIds"]
    if not ids:
        fail("the capture answered no capture identifier")
    image = client.call("/1.0/download/image?capture_id=" + ids[0], method="GET")
    jpeg = base64.b64decode(image["sensorData"])
    if not (jpeg.startswith(b"\xff\xd8\xff") and jpeg.rstrip(b"\0").endswith(b"\xff\xd9")):
        fail(f"the downloaded image is no JPEG ({len(jpeg)} bytes)")
    print(f"HTTPS with the installed certificate: session, {modality} camera, capture "
          f"{ids[0]}, a JPEG of {len(jpeg)} bytes")

    status, page = client.fetch("http://localhost:8081/")
    with open(os.path.join(root, "usr/share/ocuservice/www/index.html"), "rb") as installed:
        expected = installed.read()
    if status != 200 or page != expected:
        fail(f"http://localhost:8081/ is not the installed console (HTTP {status})")
    print("http://localhost:8081/ serves the installed console")

    for path in ("/ssl/localhost.pem", "/conf/config.ini", "/config.ini", "/server_error.log",
                 "/resource/tokens.ini"):
        status, _ = client.fetch("http://localhost:8081" + path)
        if status == 200:
            fail(f"http://localhost:8081{path} is served")
    print("nothing of the home is served")


if __name__ == "__main__":
    main()
