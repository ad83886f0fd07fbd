"""Capture, live preview and download end to end against ocucam-sim: a monocular and a
binocular camera over USB, one capture over a serial line, faults of the camera and of
clients, and the downloads decoded by independent decoders."""

import base64
import io
import json
import subprocess
import tempfile
import threading
import time
import unittest

from PIL import Image

import ocutest
from preview import PreviewReader

START_CAPTURE = 0x2009
UNKNOWN_ID = "00000000-0000-4000-8000-000000000000"
PURPOSES = ("verification", "enrollment", "identification", "enrollmentV2",
            "liveEnrollBothEyes")


def params(**values):
    return json.dumps({"params": values})


class CameraSession:
    """A service with a simulated camera, and a session holding the lock with the sensor
    initialized and configured."""

    camera = ()
    serial = None

    @classmethod
    def setUpClass(cls):
        cls.service = ocutest.Service(camera=("--capture-ms", "600", *cls.camera),
                                      serial=cls.serial, tls=False)
        cls.sim = cls.service.simulator
        cls.holder = cls.service.locked_session()
        cls.query = "?session_id=" + cls.holder
        cls.start_sensor()

    @classmethod
    def start_sensor(cls):
        cls.service.start_sensor(cls.holder)

    @classmethod
    def tearDownClass(cls):
        cls.service.finish()

    def setUp(self):
        self.assertEqual(self.sim.command("capture-ms 600"), "ok")
        self.assertEqual(self.sim.command("subject guest"), "ok")

    def call(self, method, path, body=None):
        return self.service.call(method, path, body)

    def capture(self, purpose=None):
        suffix = "" if purpose is None else "&cap_purpose=" + purpose
        return self.call("POST", "/1.0/capture" + self.query + suffix)

    def captured_ids(self):
        answer = self.capture()
        self.assertEqual(answer["status"], "success", answer)
        return answer["captureIds"]

    def in_background(self, method, path, body=None):
        """Sends a request on another thread; join() the thread, then read `.answer`."""
        worker = threading.Thread(target=lambda: setattr(
            worker, "answer", self.call(method, path, body)), daemon=True)
        worker.start()
        return worker

    def wait_until_capturing(self, timeout=5.0):
        deadline = time.monotonic() + timeout
        while "capturing=1" not in self.sim.command("state"):
            self.assertLess(time.monotonic(), deadline, "the capture did not start")
            time.sleep(0.01)

    def stream(self, name, **kwargs):
        reader = PreviewReader(self.service.http_port, name, **kwargs)
        reader.start()
        self.assertTrue(reader.started.wait(10), name)
        return reader

    def download(self, capture_id, body=None, variant="image"):
        path = f"/1.0/download/{variant}?capture_id={capture_id}"
        return self.call("GET" if body is None else "POST", path, body)


class MonocularCaptureTest(CameraSession, unittest.TestCase):

    def test_purposes_identifiers_and_sample_quality(self):
        starts = self.sim.count(START_CAPTURE)
        for purpose in (None, "") + PURPOSES:
            ids = self.captured_ids()
            self.assertEqual(len(ids), 1, purpose)
            quality = self.call("GET", "/1.0/samplequality?capture_id=" + ids[0])
            self.assertEqual(quality["status"], "success")
            self.assertEqual(quality["quality"]["submodality"], "unknownIris")
            self.assertEqual(quality["quality"]["lowerUsableAreaScore"], -1)
            self.assertTrue(0 < quality["quality"]["totalScore"] <= 100, quality)
        self.assertEqual(self.sim.count(START_CAPTURE), starts + 2 + len(PURPOSES))
        for purpose in ("Enrollment", "enrolment", "enrollment%20"):
            answer = self.capture(purpose)
            self.assertEqual(answer, {"status": "badValue", "message": "badValue",
                                      "badFields": ["capturePurpose"]}, purpose)
        self.assertEqual(self.sim.count(START_CAPTURE), starts + 2 + len(PURPOSES))

        # A new capture makes the identifiers of the one before unknown.
        old = ids[0]
        self.captured_ids()
        self.assertEqual(self.download(old)["status"], "invalidId")
        self.assertEqual(self.call("GET", "/1.0/samplequality?capture_id=" + old)["status"],
                         "invalidId")
        self.assertEqual(self.call("GET", "/1.0/samplequality?capture_id=x")["badFields"],
                         ["captureId"])

    def test_nobody_in_front_of_the_camera(self):
        self.assertEqual(self.sim.command("subject none"), "ok")
        self.assertEqual(self.capture(), {"status": "failure",
                                          "message": "No qualified sample."})

    def test_cancel(self):
        self.assertEqual(self.call("POST", "/1.0/cancel" + self.query), {"status": "success"})
        self.assertEqual(self.sim.command("capture-ms 20000"), "ok")
        waiting = self.in_background("POST", "/1.0/capture" + self.query)
        self.wait_until_capturing()
        other = self.call("POST", "/1.0/register")["sessionId"]
        self.assertEqual(self.call("POST", "/1.0/cancel?session_id=" + other)["status"],
                         "lockHeldByAnother")
        # The holder may not leave while its capture runs.
        self.assertEqual(self.call("DELETE", "/1.0/register" + self.query)["status"],
                         "sensorBusy")
        self.assertEqual(self.call("POST", "/1.0/initialize" + self.query)["status"],
                         "sensorBusy")
        self.assertEqual(self.call("POST", "/1.0/cancel" + self.query), {"status": "success"})
        waiting.join(5)
        self.assertEqual(waiting.answer, {"status": "canceled", "message": "canceled"})
        self.assertEqual(self.sim.command("capture-ms 600"), "ok")
        self.captured_ids()

    def test_preview_listeners(self):
        self.assertEqual(self.call("GET", "/1.0/stream"),
                         {"status": "failure", "message": "No capturing is going on."})
        # Large frames, so that the slow reader's small socket buffer fills at once.
        self.assertEqual(self.call("POST", "/1.0/configure" + self.query,
                                   ocutest.configuration(qualityStreaming=100)),
                         {"status": "success"})
        self.assertEqual(self.sim.command("capture-ms 4000"), "ok")
        waiting = self.in_background("POST", "/1.0/capture" + self.query)
        self.wait_until_capturing()
        steady = self.stream("/1.0/stream")
        slow = self.stream("/stream", pace=0.2)
        deadline = time.monotonic() + 5
        while not (steady.frames and slow.frames):
            self.assertLess(time.monotonic(), deadline)
            time.sleep(0.01)
        # One capture waiter and two streams fill the hub.
        self.assertEqual(self.call("GET", "/1.0/stream1"),
                         {"status": "failure", "message": "No more streaming clients allowed."})
        snapshot = self.call("GET", "/1.0/getstream" + self.query)
        self.assertEqual(snapshot["status"], "success")
        self.assertEqual(len(snapshot["streamDatas"]), 1)
        self.assertEqual(Image.open(io.BytesIO(base64.b64decode(
            snapshot["streamDatas"][0]))).size, (640, 480))
        waiting.join(10)
        steady.join(5)
        slow.join(5)
        self.assertEqual(waiting.answer["status"], "success")
        for reader in (steady, slow):
            self.assertIsNone(reader.error)
            self.assertTrue(reader.closed)
            self.assertTrue(reader.head.startswith(b"HTTP/1.1 200 OK\r\n"))
            for _, frame in reader.frames:
                self.assertEqual(Image.open(io.BytesIO(frame)).size, (640, 480))
        # The slow reader (five frames a second at most) kept its stream to the end but lost
        # frames instead of holding the steady one back, which took in clearly more.
        self.assertGreater(len(steady.frames), len(slow.frames) + 10,
                           (len(slow.frames), len(steady.frames)))
        self.assertEqual(self.call("GET", "/1.0/getstream" + self.query)["status"],
                         "nocapturing")
        self.start_sensor()

    def test_a_client_that_goes_away_frees_its_place(self):
        self.assertEqual(self.sim.command("capture-ms 4000"), "ok")
        waiting = self.in_background("POST", "/1.0/capture" + self.query)
        self.wait_until_capturing()
        leaving = self.stream("/1.0/stream")
        staying = self.stream("/1.0/stream")
        leaving.disconnect()
        deadline = time.monotonic() + 3
        while True:
            late = self.stream("/stream")
            if late.answer is None:
                break
            self.assertEqual(late.answer["message"], "No more streaming clients allowed.")
            self.assertLess(time.monotonic(), deadline, "the slot was never freed")
            time.sleep(0.05)
        for reader in (waiting, staying, late, leaving):
            reader.join(10)
        self.assertEqual(waiting.answer["status"], "success")
        for reader in (staying, late):
            self.assertFalse(reader.is_alive())
            self.assertIsNone(reader.error)
            self.assertTrue(reader.closed, (len(reader.frames), reader.head))
        self.assertGreater(len(late.frames), 0)

    def test_stream2_of_a_monocular_camera_ends_at_once(self):
        self.assertEqual(self.sim.command("capture-ms 2000"), "ok")
        waiting = self.in_background("POST", "/1.0/capture" + self.query)
        self.wait_until_capturing()
        second = self.stream("/1.0/stream2")
        second.join(5)
        waiting.join(10)
        self.assertTrue(second.closed)
        self.assertEqual([frame for _, frame in second.frames], [b""])

    def test_downloads_decode_to_the_frame(self):
        capture_id = self.captured_ids()[0]
        jpeg = self.download(capture_id)
        self.assertEqual(jpeg["metadata"], [{"key": "imageFormat", "value": "image/jpeg"},
                                            {"key": "submodality", "value": "unknownIris"}])
        self.assert_decodes(jpeg["sensorData"], "JPEG")
        png = self.download(capture_id, params(imageFormat="image/png", encodingQuality=90))
        self.assertEqual(png["metadata"][0]["value"], "image/png")
        pixels = self.assert_decodes(png["sensorData"], "PNG")
        raw = self.download(capture_id, params(imageFormat="image/raw", encodingQuality=50))
        self.assertEqual(base64.b64decode(raw["sensorData"]), pixels.tobytes())
        jp2 = self.download(capture_id, params(imageFormat="image/jp2", encodingQuality=50))
        self.assertEqual(self.jp2_size(jp2["sensorData"]), (640, 480))
        cropped = self.download(capture_id, params(imageFormat="image/jp2", encodingQuality=50,
                                                   imageKind="KIND 3"))
        width, height = self.jp2_size(cropped["sensorData"])
        self.assertTrue(0 < width < 640 and 0 < height < 480, (width, height))
        for vendor in ("image/vnd.vantrel.raw", "image/vnd.vantrel.jp2"):
            answer = self.download(capture_id, params(imageFormat=vendor, encodingQuality=80))
            self.assertEqual(answer["status"], "success", vendor)
            self.assertGreater(len(base64.b64decode(answer["sensorData"])), 0)
        for revision, version in (("ISO/IEC 19794-6:2005", b"010\0"),
                                  ("ISO/IEC 19794-6:2011", b"020\0")):
            for kind, fmt in (("KIND 1", "image/raw"), ("KIND 7", "image/jp2"),
                              ("KIND 7_3_5", "image/jp2")):
                answer = self.download(capture_id, params(imageFormat=fmt, encodingQuality=80,
                                                          imageKind=kind, isoRevision=revision))
                self.assertEqual(answer["status"], "success", (revision, kind))
                self.assertEqual(answer["metadata"][0]["value"], revision)
                record = base64.b64decode(answer["sensorData"])
                self.assertEqual(record[:8], b"IIR\0" + version)
                self.assertEqual(int.from_bytes(record[8:12], "big"), len(record))
        template = self.download(capture_id, variant="template")
        self.assertEqual(template["metadata"], [{"key": "submodality", "value": "unknownIris"}])
        self.assertGreater(len(base64.b64decode(template["template"])), 0)

    def assert_decodes(self, text, kind):
        image = Image.open(io.BytesIO(base64.b64decode(text)))
        self.assertEqual((image.format, image.size), (kind, (640, 480)))
        if kind == "JPEG":
            with tempfile.NamedTemporaryFile(suffix=".jpg") as source:
                source.write(base64.b64decode(text))
                source.flush()
                decoded = subprocess.run(["djpeg", "-pnm", source.name], check=True,
                                         capture_output=True).stdout
            self.assertTrue(decoded.startswith(b"P5\n640 480\n255\n"), decoded[:20])
        return image.convert("L")

    @staticmethod
    def jp2_size(text):
        """The size OpenJPEG's own decoder finds."""
        with tempfile.TemporaryDirectory() as folder:
            source, target = folder + "/image.jp2", folder + "/image.pgm"
            with open(source, "wb") as out:
                out.write(base64.b64decode(text))
            subprocess.run(["opj_decompress", "-i", source, "-o", target], check=True,
                           capture_output=True)
            with Image.open(target) as image:
                return image.size

    def test_download_refusals(self):
        capture_id = self.captured_ids()[0]
        bad_params = ("", "[]", '{"params": 3}', params(imageFormat="image/JPEG",
                                                          encodingQuality=80),
                      params(imageFormat="image/jpeg", encodingQuality=80.0),
                      params(imageFormat="image/jpeg"),
                      params(imageFormat="image/jpeg", encodingQuality=0),
                      params(imageFormat="image/jpeg", encodingQuality=101))
        for body in bad_params:
            self.assertEqual(self.download(capture_id, body),
                             {"status": "failure", "message": "Invalid download parameters."},
                             body)
        for target in ("/1.0/download/image?capture_id=nope", "/1.0/download/image"):
            for method in ("GET", "POST"):
                self.assertEqual(self.call(method, target, params())["badFields"],
                                 ["captureId"], (method, target))
        self.assertEqual(self.download(capture_id, variant="images")["status"], "unsupported")
        self.assertEqual(self.download(capture_id, params(), variant="template")["status"],
                         "unsupported")
        self.assertEqual(self.download(capture_id.upper())["status"], "invalidId")
        self.assertEqual(self.download(UNKNOWN_ID)["status"], "invalidId")
        refused_by_camera = (
            params(imageFormat="image/jp2", encodingQuality=80, imageKind="KIND 7_3_5",
                   isoRevision="none"),
            params(imageFormat="image/png", encodingQuality=80,
                   isoRevision="ISO/IEC 19794-6:2011"))
        for body in refused_by_camera:
            self.assertEqual(self.download(capture_id, body)["status"], "invalidParameter",
                             body)
        # A 2005 record knows only kind 1, whatever the request says.
        kind7 = self.download(capture_id, params(imageFormat="image/raw", encodingQuality=80,
                                                 imageKind="KIND 7",
                                                 isoRevision="ISO/IEC 19794-6:2005"))
        self.assertEqual(kind7["status"], "success")
        self.assertEqual(self.sim.command("fail 200C 1008"), "ok")
        self.assertEqual(self.download(capture_id)["status"], "sensorFailure")
        # Another sensor operation under way: the download does not queue behind it.
        self.assertEqual(self.sim.command("delay 200C 1500"), "ok")
        slow = self.in_background("GET", f"/1.0/download/image?capture_id={capture_id}")
        time.sleep(0.5)
        self.assertEqual(self.download(capture_id)["status"], "sensorBusy")
        slow.join(5)
        self.assertEqual(slow.answer["status"], "success")
        self.assertEqual(self.download(capture_id)["status"], "success")

    def test_uninitialized_and_unconfigured_sensor(self):
        capture_id = self.captured_ids()[0]
        try:
            self.assertEqual(self.call("DELETE", "/1.0/initialize" + self.query)["status"],
                             "success")
            for path in (f"/1.0/download/image?capture_id={capture_id}",
                         f"/1.0/samplequality?capture_id={capture_id}"):
                self.assertEqual(self.call("GET", path)["status"], "initializationNeeded")
            self.assertEqual(self.capture()["status"], "initializationNeeded")
            self.assertEqual(self.call("POST", "/1.0/initialize" + self.query)["status"],
                             "success")
            self.assertEqual(self.capture()["status"], "configurationNeeded")
            self.assertEqual(self.download(capture_id)["status"], "configurationNeeded")
        finally:
            self.start_sensor()


class BinocularCaptureTest(CameraSession, unittest.TestCase):
    camera = ("--model", "bino")

    def test_both_eyes(self):
        right, left = self.captured_ids()
        for capture_id, eye in ((right, "rightIris"), (left, "leftIris")):
            quality = self.call("GET", "/1.0/samplequality?capture_id=" + capture_id)
            self.assertEqual(quality["quality"]["submodality"], eye)
            jpeg = self.download(capture_id)
            self.assertEqual(jpeg["metadata"][1], {"key": "submodality", "value": eye})
            self.assertEqual(Image.open(io.BytesIO(base64.b64decode(jpeg["sensorData"]))).size,
                             (640, 480))
            template = self.download(capture_id, variant="template")
            self.assertEqual(template["metadata"], [{"key": "submodality",
                                                     "value": "bothIrises"}])
        # Different eyes, different images.
        images = [self.download(i, params(imageFormat="image/raw", encodingQuality=80))
                  for i in (right, left)]
        self.assertNotEqual(images[0]["sensorData"], images[1]["sensorData"])

    def test_both_previews(self):
        self.assertEqual(self.sim.command("capture-ms 2000"), "ok")
        waiting = self.in_background("POST", "/1.0/capture" + self.query)
        self.wait_until_capturing()
        first, second = self.stream("/1.0/stream1"), self.stream("/stream2")
        time.sleep(0.3)
        snapshot = self.call("GET", "/1.0/getstream" + self.query)
        self.assertEqual(len(snapshot["streamDatas"]), 2)
        for reader in (waiting, first, second):
            reader.join(10)
        self.assertEqual(len(waiting.answer["captureIds"]), 2)
        self.assertTrue(first.closed and second.closed)
        # About sixty frames came in the two seconds; a loaded machine takes fewer of them in.
        self.assertGreater(len(first.frames), 5)
        self.assertGreater(len(second.frames), 5)
        self.assertNotEqual(first.frames[-1][1], second.frames[-1][1])


class CameraFaultTest(CameraSession, unittest.TestCase):

    def test_camera_error_in_the_middle(self):
        self.assertEqual(self.sim.command("capture-ms 3000"), "ok")
        waiting = self.in_background("POST", "/1.0/capture" + self.query)
        self.wait_until_capturing()
        reader = self.stream("/1.0/stream")
        time.sleep(0.3)
        self.assertEqual(self.sim.command("fail 200F 1008"), "ok")
        reader.join(5)
        waiting.join(5)
        self.assertTrue(reader.closed)
        self.assertEqual(waiting.answer, {"status": "canceled", "message": "canceled"})
        self.captured_ids()

    def test_camera_gone_in_the_middle(self):
        self.assertEqual(self.sim.command("capture-ms 10000"), "ok")
        waiting = self.in_background("POST", "/1.0/capture" + self.query)
        self.wait_until_capturing()
        readers = [self.stream("/1.0/stream"), self.stream("/stream")]
        time.sleep(0.3)
        self.sim.kill()
        killed = time.monotonic()
        waiting.join(2)
        self.assertFalse(waiting.is_alive(), "the capture did not answer within 2 s")
        self.assertLess(time.monotonic() - killed, 2.0)
        self.assertIn(waiting.answer["status"], ("canceled", "sensorFailure"))
        for reader in readers:
            reader.join(2)
            self.assertTrue(reader.closed)
        self.sim.start()
        self.assertEqual(self.call("DELETE", "/1.0/initialize" + self.query)["status"],
                         "success")
        self.start_sensor()
        self.assertEqual(len(self.captured_ids()), 1)


class SerialCaptureTest(CameraSession, unittest.TestCase):
    serial = 921600

    def test_one_capture(self):
        capture_id = self.captured_ids()[0]
        answer = self.download(capture_id, params(imageFormat="image/jp2", encodingQuality=50,
                                                  imageKind="KIND 7"))
        self.assertEqual(answer["status"], "success")


if __name__ == "__main__":
    unittest.main()
