"""Enrollment, verification, identification and the gallery end to end against ocucam-sim: one
scenario from an empty gallery back to an empty one on a monocular and on a binocular camera,
the verification threshold, a verification cancelled in the middle of its capture, and a gallery
that outlives restarts of the service and of the camera, also a camera killed during a commit."""

import os
import re
import struct
import threading
import time
import unittest

import ocutest

START_CAPTURE = 0x2009
COMMIT_GALLERY = 0x8016
CAPACITY = 1000  # the simulator's default --gallery-capacity, in templates
FIRMWARE = 0x40003  # the simulator's default firmware, the creator of its templates
LONG_ID = "L" * 31
NO_USER = {"status": "invalidId", "message": "User ID does not exist."}
BAD_USER = {"status": "badValue", "message": "badValue", "badFields": ["userId"]}
OK = {"status": "success"}


def configuration(threshold=1.0, deduplicate=False):
    return ocutest.configuration(genuineThreshold=threshold, deduplicationEnroll=deduplicate)


def float32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def float32_below(value):
    """The largest 32-bit float below the (positive) 32-bit float nearest to `value`."""
    bits = struct.unpack("<I", struct.pack("<f", value))[0]
    return struct.unpack("<f", struct.pack("<I", bits - 1))[0]


def items(*pairs):
    return [{"key": key, "value": value} for key, value in pairs]


class BiometricSession:
    """A service with a simulated camera and a session holding the lock; the subclasses choose
    the camera model."""

    camera = ()
    eyes = 1  # templates and capture identifiers per capture
    eye_counts = (0, 0, 1)  # left, right and unknown templates of one enrollment

    @classmethod
    def setUpClass(cls):
        cls.service = ocutest.Service(camera=("--capture-ms", "150", *cls.camera), tls=False)
        cls.sim = cls.service.simulator
        cls.holder = cls.service.locked_session()

    @classmethod
    def tearDownClass(cls):
        cls.service.finish()

    def call(self, method, route, body=None, session=None, **query):
        """`route` with the session (the holder's unless given) and `query` in its query text."""
        pairs = [("session_id", session or self.holder)] + list(query.items())
        return self.service.call(method, route + "?" + "&".join(f"{k}={v}" for k, v in pairs),
                                 body)

    def start_sensor(self, **settings):
        for method, route, body in (("POST", "/1.0/initialize", None),
                                    ("POST", "/1.0/configure", configuration(**settings))):
            self.assertEqual(self.call(method, route, body)["status"], "success", route)

    def restart_sensor(self):
        self.assertEqual(self.call("DELETE", "/1.0/initialize")["status"], "success")
        self.start_sensor()

    def show(self, subject):
        self.assertEqual(self.sim.command("subject " + subject), "ok")

    def enroll(self, subject, user_id):
        """Captures `subject` and enrolls that capture under `user_id`; returns the answer."""
        self.show(subject)
        self.assertEqual(self.call("POST", "/1.0/capture")["status"], "success")
        return self.call("POST", "/1.0/enroll", user_id=user_id)

    def verify(self, subject, user_id):
        self.show(subject)
        return self.call("POST", "/1.0/verifycapture", user_id=user_id)

    def assert_gallery(self, user_ids, templates=None):
        """The user list is `user_ids` and the counts fit it (`eyes` templates per user unless
        `templates` says otherwise)."""
        self.assertEqual(self.call("GET", "/1.0/users/id"),
                         {"status": "success", "userIds": user_ids})
        used = len(user_ids) * self.eyes if templates is None else templates
        self.assertEqual(self.call("GET", "/1.0/gallery"), {"status": "success", "metadata": items(
            ("usedIds", len(user_ids)), ("maxIds", CAPACITY), ("usedTemplates", used),
            ("maxTemplates", CAPACITY), ("maxTemplatesPerId", 8))})

    def template_info(self, enrollments):
        left, right, unknown = (count * enrollments for count in self.eye_counts)
        return {"status": "success", "metadata": items(
            ("templateVersion", 1), ("creatorVersion", FIRMWARE), ("leftIrisCount", left),
            ("rightIrisCount", right), ("unknownIrisCount", unknown),
            ("totalIrisCount", self.eyes * enrollments))}

    def test_gallery_from_empty_to_empty(self):
        self.assertEqual(self.call("DELETE", "/1.0/initialize")["status"], "success")
        stranger = self.service.call("POST", "/1.0/register")["sessionId"]
        # What every endpoint answers before initialization; none reaches the camera.
        needed = {"status": "initializationNeeded", "message": "initializationNeeded"}
        unsupported = {"status": "unsupported", "message": "unsupported"}
        endpoints = (("POST", "/1.0/enroll", {"user_id": "alice"}, needed),
                     ("POST", "/1.0/verifycapture", {"user_id": "alice"}, needed),
                     ("POST", "/1.0/identifycapture", {}, needed),
                     ("GET", "/1.0/gallery", {}, needed),
                     ("GET", "/1.0/users/id", {}, needed),
                     ("DELETE", "/1.0/users", {}, needed),
                     ("GET", "/1.0/user/templateinfo", {"user_id": "alice"}, needed),
                     ("DELETE", "/1.0/user", {"user_id": "alice"}, needed),
                     ("GET", "/1.0/users/info", {}, unsupported),
                     ("GET", "/1.0/users/names", {}, unsupported),
                     ("GET", "/1.0/user/info", {"user_id": "alice"}, unsupported),
                     ("GET", "/1.0/user/photo", {"user_id": "alice"}, unsupported),
                     ("POST", "/1.0/user", {"user_id": "alice"}, unsupported))
        starts = self.sim.count(START_CAPTURE)
        for method, route, query, answer in endpoints:
            body = "{}" if method == "POST" else None
            self.assertEqual(self.call(method, route, body, **query), answer, route)
            self.assertEqual(self.call(method, route, body, session=stranger, **query)["status"],
                             "lockHeldByAnother", route)
        self.assertEqual(self.sim.count(START_CAPTURE), starts)

        # Initialized but not configured: matching needs the configuration, the gallery not.
        self.assertEqual(self.call("POST", "/1.0/initialize")["status"], "success")
        configuration_needed = {"status": "configurationNeeded",
                                "message": "configurationNeeded"}
        for method, route, query, answer in (
                ("POST", "/1.0/enroll", {"user_id": "alice"}, configuration_needed),
                ("POST", "/1.0/verifycapture", {"user_id": "alice"}, configuration_needed),
                ("POST", "/1.0/identifycapture", {}, configuration_needed),
                ("DELETE", "/1.0/users", {}, OK),
                ("DELETE", "/1.0/user", {"user_id": "alice"}, OK),
                ("GET", "/1.0/user/templateinfo", {"user_id": "alice"}, NO_USER)):
            self.assertEqual(self.call(method, route, **query), answer, route)
        self.assert_gallery([])
        self.assertEqual(self.call("POST", "/1.0/configure", configuration()), OK)

        # Enrollment, and the user identifiers the service and the camera take.
        self.assertEqual(self.enroll("alice", "alice"), OK)
        self.assert_gallery(["alice"])
        self.assertEqual(self.call("GET", "/1.0/user/templateinfo", user_id="alice"),
                         self.template_info(1))
        self.assertEqual(self.enroll("bob", "bob"), OK)
        self.assert_gallery(["alice", "bob"])
        self.show("longname")
        self.assertEqual(self.call("POST", "/1.0/capture")["status"], "success")
        for user_id, answer in ((LONG_ID + "L", BAD_USER), ("al-ice", BAD_USER), ("", BAD_USER),
                                ("al_ice", {"status": "invalidId", "message": "Invalid userId."}),
                                (LONG_ID, OK)):
            self.assertEqual(self.call("POST", "/1.0/enroll", user_id=user_id), answer, user_id)
        self.assertEqual(self.call("POST", "/1.0/enroll"), BAD_USER)
        starts = self.sim.count(START_CAPTURE)
        for method, route in (("POST", "/1.0/verifycapture"), ("GET", "/1.0/user/templateinfo"),
                              ("DELETE", "/1.0/user")):
            self.assertEqual(self.call(method, route, user_id=LONG_ID + "L"), BAD_USER, route)
        self.assertEqual(self.sim.count(START_CAPTURE), starts)
        self.assert_gallery(["alice", "bob", LONG_ID])

        # Verification: who stands in front of the camera against whom they claim to be.
        for subject, claimed, matched in (("alice", "alice", True), ("bob", "alice", False),
                                          ("bob", "bob", True), ("alice", "bob", False)):
            answer = self.verify(subject, claimed)
            self.assertEqual(list(answer), ["status", "matched", "captureIds"], answer)
            self.assertEqual((answer["status"], answer["matched"]), ("success", matched),
                             (subject, claimed))
            self.assertEqual(len(answer["captureIds"]), self.eyes)
        # The images the last verification matched can be downloaded.
        template = self.service.call("GET", "/1.0/download/template?capture_id=" +
                                     answer["captureIds"][0])
        self.assertEqual(template["status"], "success")
        self.assertEqual(self.verify("alice", "carol"), NO_USER)

        # Identification: the enrolled person with their distance, a stranger with nobody.
        for subject, found in (("alice", ["alice"]), ("longname", [LONG_ID]), ("zed", [])):
            self.show(subject)
            reply = self.service.request("POST", "/1.0/identifycapture?session_id=" + self.holder)
            answer = reply.json()
            self.assertEqual(list(answer), ["status", "captureIds", "identified"], answer)
            self.assertEqual(len(answer["captureIds"]), self.eyes)
            self.assertEqual([entry["id"] for entry in answer["identified"]], found)
            for entry in answer["identified"]:
                self.assertIsInstance(entry["distance"], float)
                self.assertTrue(0 <= entry["distance"] < 1.0, entry)
            self.assertEqual(len(re.findall(rb'"distance": \d\.\d{6}\n', reply.body)), len(found))

        # With duplicate detection, an enrolled iris is refused under another identifier, and
        # taken again under its own until that identifier holds 8 templates.
        self.assertEqual(self.call("POST", "/1.0/configure", configuration(deduplicate=True)), OK)
        self.assertEqual(self.enroll("alice", "alicetwin"),
                         {"status": "duplicatedEnrollment", "message": "Duplicated enrollment."})
        enrollments = 1
        while enrollments * self.eyes < 8:
            self.assertEqual(self.call("POST", "/1.0/enroll", user_id="alice"), OK)
            enrollments += 1
        self.assertEqual(self.call("POST", "/1.0/enroll", user_id="alice"),
                         {"status": "failure", "message": "Cannot enroll more to this userId."})
        self.assertEqual(self.call("GET", "/1.0/user/templateinfo", user_id="alice"),
                         self.template_info(enrollments))
        self.assert_gallery(["alice", "bob", LONG_ID], templates=8 + 2 * self.eyes)
        self.assertEqual(self.call("POST", "/1.0/configure", configuration()), OK)

        # Deletion, of unknown and known users, then of everyone.
        for user_id in ("nobody", "alice"):
            self.assertEqual(self.call("DELETE", "/1.0/user", user_id=user_id), OK)
        self.assertEqual(self.call("GET", "/1.0/user/templateinfo", user_id="alice"), NO_USER)
        self.assert_gallery(["bob", LONG_ID])
        self.assertEqual(self.call("DELETE", "/1.0/users"), OK)
        self.assert_gallery([])


class MonocularBiometricsTest(BiometricSession, unittest.TestCase):

    def setUp(self):
        self.assertEqual(self.sim.command("capture-ms 150"), "ok")

    def fresh_gallery(self, *subjects):
        """An initialized, configured sensor and a gallery of exactly `subjects` (each enrolled
        under its own name)."""
        self.restart_sensor()
        self.assertEqual(self.call("DELETE", "/1.0/users"), OK)
        for subject in subjects:
            self.assertEqual(self.enroll(subject, subject), OK)

    def test_a_distance_equal_to_the_threshold_does_not_match(self):
        self.fresh_gallery("alice")
        for threshold in (1.0, 0.5, 1.05):
            self.assertEqual(self.call("POST", "/1.0/configure", configuration(threshold)), OK)
            exact = float32(threshold)
            for distance, matched in ((exact, False), (float32_below(exact), True),
                                      (1.9, False), (0.0, True)):
                self.assertEqual(self.sim.command(f"next-distance {distance!r}"), "ok")
                answer = self.verify("alice", "alice")
                self.assertEqual((answer["status"], answer.get("matched")), ("success", matched),
                                 (threshold, distance))

    def test_camera_refusals(self):
        self.fresh_gallery("alice")
        failed = {"status": "sensorFailure", "message": "sensorFailure"}
        no_room = {"status": "failure", "message": "Cannot enroll more to this userId."}
        # The camera's answer to one command (code, status) and what the request answers then.
        for code, status, method, route, query, answer in (
                (0x8007, 0x4006, "POST", "/1.0/enroll", {"user_id": "alice"}, no_room),
                (0x8007, 0x4008, "POST", "/1.0/enroll", {"user_id": "alice"}, no_room),
                (COMMIT_GALLERY, 0x1008, "POST", "/1.0/enroll", {"user_id": "alice"}, failed),
                (0x301A, 0x1008, "POST", "/1.0/verifycapture", {"user_id": "alice"}, failed),
                (0x3017, 0x1008, "POST", "/1.0/identifycapture", {}, failed),
                (0x8004, 0x1008, "GET", "/1.0/gallery", {}, failed),
                (0x8004, 0x1008, "GET", "/1.0/users/id", {}, failed),
                (0x3021, 0x1008, "GET", "/1.0/user/templateinfo", {"user_id": "alice"}, failed),
                (0x8014, 0x1008, "DELETE", "/1.0/user", {"user_id": "alice"}, failed),
                (0x8015, 0x1008, "DELETE", "/1.0/users", {}, failed),
                (0x8015, 0x4005, "DELETE", "/1.0/users", {}, OK),
                (COMMIT_GALLERY, 0x4005, "DELETE", "/1.0/users", {}, OK)):
            sent = self.sim.count(code)
            self.assertEqual(self.sim.command(f"fail {code:04X} {status:04X}"), "ok")
            self.assertEqual(self.call(method, route, **query), answer, (code, status))
            self.assertEqual(self.sim.count(code), sent + 1, (code, status))

    def test_a_verification_cancelled_during_its_capture(self):
        self.fresh_gallery("alice")
        self.assertEqual(self.sim.command("capture-ms 20000"), "ok")
        worker = threading.Thread(target=lambda: setattr(
            worker, "answer", self.verify("alice", "alice")), daemon=True)
        worker.start()
        deadline = time.monotonic() + 5
        while "capturing=1" not in self.sim.command("state"):
            self.assertLess(time.monotonic(), deadline, "the capture did not start")
            time.sleep(0.01)
        busy = {"status": "sensorBusy", "message": "sensorBusy"}
        for method, route, query in (("POST", "/1.0/enroll", {"user_id": "bob"}),
                                     ("POST", "/1.0/identifycapture", {}),
                                     ("GET", "/1.0/gallery", {}), ("GET", "/1.0/users/id", {}),
                                     ("DELETE", "/1.0/user", {"user_id": "alice"})):
            self.assertEqual(self.call(method, route, **query), busy, route)
        self.assertEqual(self.call("POST", "/1.0/cancel"), OK)
        worker.join(5)
        self.assertEqual(worker.answer, {"status": "canceled", "message": "canceled"})
        self.assertEqual(self.sim.command("capture-ms 150"), "ok")
        self.assertTrue(self.verify("alice", "alice")["matched"])
        self.assert_gallery(["alice"])

    def test_the_gallery_outlives_restarts_and_a_camera_killed_during_a_commit(self):
        cls = type(self)
        self.fresh_gallery("alice", "bob")
        self.service.stop()
        self.service.start()
        cls.holder = self.service.locked_session()
        self.start_sensor()
        self.assert_gallery(["alice", "bob"])
        self.sim.stop()
        self.sim.start()
        self.restart_sensor()
        self.assert_gallery(["alice", "bob"])
        self.show("bob")  # the templates came back too, not only the names
        self.assertEqual([entry["id"] for entry in
                          self.call("POST", "/1.0/identifycapture")["identified"]], ["bob"])

        # Killed while the new gallery waits in its temporary file: the old one stays; killed
        # after the commit, before its answer: the new one is there.
        temporary = self.sim.gallery + ".tmp"
        for fault, users in (("commit-pause 5000", ["alice", "bob"]),
                             (f"delay {COMMIT_GALLERY:04X} 5000", ["alice", "bob", "carol"])):
            commits = self.sim.count(COMMIT_GALLERY)
            self.show("carol")
            self.assertEqual(self.call("POST", "/1.0/capture")["status"], "success")
            self.assertEqual(self.sim.command(fault), "ok")
            worker = threading.Thread(target=lambda: setattr(
                worker, "answer", self.call("POST", "/1.0/enroll", user_id="carol")),
                daemon=True)
            worker.start()
            deadline = time.monotonic() + 5
            if fault.startswith("commit-pause"):
                while not os.path.exists(temporary):
                    self.assertLess(time.monotonic(), deadline, "no commit began")
                    time.sleep(0.001)
            else:
                while self.sim.count(COMMIT_GALLERY) == commits:
                    self.assertLess(time.monotonic(), deadline, "no commit arrived")
                    time.sleep(0.005)
            self.sim.kill()
            worker.join(10)
            self.assertEqual(worker.answer["status"], "sensorFailure", fault)
            self.sim.start()
            self.restart_sensor()
            self.assert_gallery(users)


class BinocularBiometricsTest(BiometricSession, unittest.TestCase):
    camera = ("--model", "bino")
    eyes = 2
    eye_counts = (1, 1, 0)


if __name__ == "__main__":
    unittest.main()
