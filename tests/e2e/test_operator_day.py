"""An operator's day over HTTPS against ocucam-sim, as one script: take the sensor, enroll ten
people, verify and identify each of them and download what every identification captured in
every format, let half of them go, restart the service and the camera, and find the gallery as
it was left."""

import base64
import hashlib
import io
import json
import unittest

from PIL import Image

import ocutest

PEOPLE = ("ada", "ben", "cleo", "dan", "eva", "finn", "gus", "hana", "ivo", "june")
CONFIGURATION = ocutest.configuration(deduplicationEnroll=True)
ISO_VERSIONS = {"ISO/IEC 19794-6:2005": b"IIR\x00010\x00",
                "ISO/IEC 19794-6:2011": b"IIR\x00020\x00"}
JP2_SIGNATURE = b"\x00\x00\x00\x0cjP  \r\n\x87\n"


def params(image_format, **more):
    return json.dumps({"params": dict(imageFormat=image_format, encodingQuality=80, **more)})


def check_picture(test, data):
    test.assertEqual(Image.open(io.BytesIO(data)).size, (640, 480))


# Every download of one capture identifier: the variant, the parameter body (None: GET), the
# first metadata value expected, and a check of the decoded bytes.
DOWNLOADS = (
    ("image", None, "image/jpeg", check_picture),
    ("image", params("image/jpeg"), "image/jpeg", check_picture),
    ("image", params("image/png"), "image/png", check_picture),
    ("image", params("image/raw"), "image/raw",
     lambda test, data: test.assertEqual(len(data), 640 * 480)),
    ("image", params("image/jp2"), "image/jp2",
     lambda test, data: test.assertEqual(data[:12], JP2_SIGNATURE)),
    ("image", params("image/vnd.vantrel.raw"), "image/vnd.vantrel.raw",
     lambda test, data: test.assertGreater(len(data), 640 * 480)),
    ("image", params("image/vnd.vantrel.jp2"), "image/vnd.vantrel.jp2",
     lambda test, data: test.assertIn(b"\xff\x4f\xff\x51", data)),
    *(("image", params(image_format, imageKind=kind, isoRevision=revision), revision,
       lambda test, data, version=version: (
           test.assertEqual(data[:8], version),
           test.assertEqual(int.from_bytes(data[8:12], "big"), len(data))))
      for revision, version in ISO_VERSIONS.items()
      for image_format, kind in (("image/raw", "KIND 1"), ("image/jp2", "KIND 7"))),
    ("template", None, "unknownIris", lambda test, data: test.assertGreater(len(data), 0)),
)


class OperatorDayTest(unittest.TestCase):

    def setUp(self):
        self.service = ocutest.Service(camera=("--capture-ms", "100"))
        self.sim = self.service.simulator

    def tearDown(self):
        self.service.finish()

    def call(self, method, route, body=None, **query):
        text = "&".join(f"{key}={value}" for key, value in query.items())
        return self.service.call(method, f"{route}?{text}", body, tls=True)

    def take_sensor(self):
        self.session = self.call("POST", "/1.0/register")["sessionId"]
        self.assertEqual(self.call("POST", "/1.0/lock", session_id=self.session)["status"],
                         "success")
        for method, route, body in (("POST", "/1.0/initialize", None),
                                    ("POST", "/1.0/configure", CONFIGURATION)):
            self.assertEqual(self.call(method, route, body, session_id=self.session)["status"],
                             "success", route)

    def sensor(self, method, route, body=None, **query):
        return self.call(method, route, body, session_id=self.session, **query)

    def identify(self, person):
        self.assertEqual(self.sim.command("subject " + person), "ok")
        answer = self.sensor("POST", "/1.0/identifycapture")
        self.assertEqual(answer["status"], "success", person)
        return answer

    def assert_gallery(self, people):
        self.assertEqual(self.sensor("GET", "/1.0/users/id"),
                         {"status": "success", "userIds": list(people)})
        counts = {item["key"]: item["value"] for item in self.sensor("GET", "/1.0/gallery")
                  ["metadata"]}
        self.assertEqual(counts, {"usedIds": len(people), "maxIds": 1000,
                                  "usedTemplates": len(people), "maxTemplates": 1000,
                                  "maxTemplatesPerId": 8})

    def test_a_day_at_the_gate(self):
        self.take_sensor()
        self.assertEqual(self.sensor("DELETE", "/1.0/users"), {"status": "success"})
        for person in PEOPLE:
            self.assertEqual(self.sim.command("subject " + person), "ok")
            self.assertEqual(self.sensor("POST", "/1.0/capture")["status"], "success")
            self.assertEqual(self.sensor("POST", "/1.0/enroll", user_id=person),
                             {"status": "success"}, person)
        self.assert_gallery(PEOPLE)

        pictures = set()
        for person in PEOPLE:
            self.assertEqual(self.sim.command("subject " + person), "ok")
            verified = self.sensor("POST", "/1.0/verifycapture", user_id=person)
            self.assertEqual((verified["status"], verified["matched"]), ("success", True), person)
            identified = self.identify(person)
            self.assertEqual([entry["id"] for entry in identified["identified"]], [person])
            (capture_id,) = identified["captureIds"]
            for variant, body, first, check in DOWNLOADS:
                route = f"/1.0/download/{variant}"
                answer = self.call("GET" if body is None else "POST", route, body,
                                   capture_id=capture_id)
                self.assertEqual(answer["status"], "success", (person, variant, body))
                self.assertEqual(answer["metadata"][0]["value"], first, (person, body))
                data = base64.b64decode(answer["template" if variant == "template"
                                               else "sensorData"])
                check(self, data)
                if first == "image/raw":
                    pictures.add(hashlib.sha256(data).digest())
        self.assertEqual(len(pictures), len(PEOPLE))  # ten people, ten different eyes

        leaving, staying = PEOPLE[::2], PEOPLE[1::2]
        for person in leaving:
            self.assertEqual(self.sensor("DELETE", "/1.0/user", user_id=person),
                             {"status": "success"})
        self.assert_gallery(staying)

        self.service.stop()
        self.sim.stop()
        self.sim.start()
        self.service.start()
        self.take_sensor()
        self.assert_gallery(staying)
        self.assertEqual(self.identify(staying[-1])["identified"][0]["id"], staying[-1])
        self.assertEqual(self.identify(leaving[0])["identified"], [])


if __name__ == "__main__":
    unittest.main()
