"""Sensor set-up end to end: initialize, configure, device information and the device scan,
against ocucam-sim over USB and over a serial line, with a monocular and a binocular camera."""

import json
import unittest

import ocutest

# Command codes the tests count at the simulator.
INIT_CAMERA = 0x2003
DEINIT_CAMERA = 0x2007
GET_CONFIG = 0x10C0
SET_CONFIG = 0x10C1
DEVICE_INFO = 0x1005
LOAD_GALLERY = 0x8003
COUNTED = (INIT_CAMERA, DEINIT_CAMERA, GET_CONFIG, SET_CONFIG, DEVICE_INFO, LOAD_GALLERY)

GOOD_ITEMS = {"deduplicationEnroll": True, "genuineThreshold": 1.05, "imposterThreshold": 1.1,
              "qualityStreaming": 50, "qualitySample": 80}


def configuration(items=None, **changes):
    """A configuration document: GOOD_ITEMS with `changes` (None drops a key), or the raw
    `items` text of the "item" array."""
    if items is None:
        values = dict(GOOD_ITEMS, **changes)
        items = ", ".join(json.dumps({"key": k, "value": v})
                          for k, v in values.items() if v is not None)
    return '{"configuration": {"item": [%s]}}' % items


def metadata(answer):
    """The "metadata" dictionary as {key: value}."""
    return {item["key"]: item.get("value") for item in answer.get("metadata", [])}


class SensorScenario:
    """One scenario over one camera link and model; the subclasses choose them."""

    camera = ()
    serial = None
    binocular = False

    @classmethod
    def setUpClass(cls):
        cls.service = ocutest.Service(camera=cls.camera, serial=cls.serial, tls=False)
        cls.sim = cls.service.simulator

    @classmethod
    def tearDownClass(cls):
        cls.service.finish()

    def call(self, method, path, body=None):
        return self.service.call(method, path, body)

    def status(self, method, route, session, body=None):
        return self.call(method, f"{route}?session_id={session}", body)["status"]

    def counts(self):
        return {code: self.sim.count(code) for code in COUNTED}

    def test_sensor_lifecycle(self):
        holder = self.service.locked_session()
        other = self.call("POST", "/1.0/register")["sessionId"]

        # Nothing reaches the camera for a session that does not hold the lock, or before
        # initialization.
        before = self.counts()
        for method, route in (("POST", "/1.0/initialize"), ("DELETE", "/1.0/initialize"),
                              ("GET", "/1.0/configure"), ("POST", "/1.0/configure"),
                              ("GET", "/1.0/deviceinfo"), ("GET", "/1.0/camera/scan")):
            self.assertEqual(self.status(method, route, other, configuration()),
                             "lockHeldByAnother", route)
            self.assertEqual(self.status(method, route, "not-a-session", configuration()),
                             "badValue", route)
        for method, route in (("GET", "/1.0/configure"), ("POST", "/1.0/configure"),
                              ("GET", "/1.0/deviceinfo")):
            self.assertEqual(self.status(method, route, holder, configuration()),
                             "initializationNeeded", route)
        self.assertEqual(self.counts(), before)

        # Initialize, then again: the second touches no camera.
        first = self.call("POST", f"/1.0/initialize?session_id={holder}")
        expected_streams = ["stream1", "stream2"] if self.binocular else ["stream"]
        self.assertEqual(first, {"status": "success",
                                 "cameraModality": "binocular" if self.binocular else "monocular",
                                 "streamUrls": expected_streams})
        self.assertEqual(self.sim.count(INIT_CAMERA), 1)
        after_first = self.counts()
        self.assertEqual(self.call("POST", f"/1.0/initialize?session_id={holder}"), first)
        self.assertEqual(self.counts(), after_first)

        # The configuration right after initialize: defaults and the camera's own threshold.
        described = self.call("GET", f"/1.0/configure?session_id={holder}")
        values = metadata(described)
        self.assertEqual(values["qualityStreaming"], 50)
        self.assertEqual(values["qualitySample"], 80)
        self.assertEqual(values["genuineThreshold"], 1.05)
        camera_imposter = values["imposterThreshold"]
        self.assertTrue(0 < camera_imposter < 2, camera_imposter)
        self.assertEqual(values["resolution"]["defaultValue"],
                         {"width": 640.0, "height": 480.0, "unit": "pixel"})
        self.assertEqual([item["key"] for item in described["metadata"]],
                         ["resolution", "qualityStreaming", "qualitySample", "genuineThreshold",
                          "imposterThreshold", "deduplicationEnroll", "imageFormat",
                          "biometricFormat"])

        # Refused documents change nothing.
        refused = {
            "badValue": [configuration(qualitySample=101), configuration(qualitySample=-1),
                         configuration(qualityStreaming=101)],
            "invalidParameter": [
                configuration(qualitySample=50.5), configuration(qualityStreaming=None),
                configuration(genuineThreshold=1), '{"configuration": {"item": 3}}',
                configuration(items='{"key": "genuineThreshold", "value": {}}'), "not json", ""],
        }
        for status, bodies in refused.items():
            for body in bodies:
                self.assertEqual(self.status("POST", "/1.0/configure", holder, body), status,
                                 body)
        self.assertEqual(metadata(self.call("GET", f"/1.0/configure?session_id={holder}")),
                         values)

        # Accepted: a whole-number threshold written with a fraction, the quality ends.
        self.assertEqual(self.status("POST", "/1.0/configure", holder,
                                     configuration(genuineThreshold=1.0, qualitySample=100,
                                                   qualityStreaming=0, imposterThreshold=1.25,
                                                   deduplicationEnroll=False)), "success")
        changed = metadata(self.call("GET", f"/1.0/configure?session_id={holder}"))
        self.assertEqual((changed["genuineThreshold"], changed["imposterThreshold"],
                          changed["qualitySample"], changed["qualityStreaming"],
                          changed["deduplicationEnroll"]), (1.0, 1.25, 100, 0, False))

        # The camera refusing the configuration: sensorFailure and nothing changed.
        self.assertEqual(self.sim.command("fail 10C1 1008"), "ok")
        self.assertEqual(self.status("POST", "/1.0/configure", holder, configuration()),
                         "sensorFailure")
        self.assertEqual(metadata(self.call("GET", f"/1.0/configure?session_id={holder}")),
                         changed)

        # Device information and the scan.
        info = self.call("GET", f"/1.0/deviceinfo?session_id={holder}")
        self.assertEqual(info["status"], "success")
        device = {item["key"]: item.get("value") for item in info["deviceInfo"]}
        self.assertEqual(list(device), ["productID", "productName", "isBinocular", "serialNumber",
                                        "propertyFlag", "kernelVersion", "kernelRevision",
                                        "deviceFeatures"])
        self.assertEqual(device["isBinocular"], 1 if self.binocular else 0)
        self.assertEqual(device["serialNumber"], "SIM00001")
        self.assertEqual(self.status("GET", "/1.0/deviceinfox", holder), "unsupported")
        self.check_scan(holder, device["productName"])
        self.assertEqual(self.status("GET", "/1.0/camera/list", holder), "unsupported")

        # Released: the camera is closed and the sensor needs initializing again.
        self.assertEqual(self.status("DELETE", "/1.0/initialize", holder), "success")
        self.assertEqual(self.sim.count(DEINIT_CAMERA), 1)
        self.assertEqual(self.status("POST", "/1.0/configure", holder, configuration()),
                         "initializationNeeded")
        self.assertEqual(self.status("GET", "/1.0/deviceinfo", holder), "initializationNeeded")
        # A camera that fails to load its gallery is not initialized; the next attempt is.
        self.assertEqual(self.sim.command("fail 8003 1008"), "ok")
        self.assertEqual(self.status("POST", "/1.0/initialize", holder), "sensorFailure")
        self.assertEqual(self.status("GET", "/1.0/configure", holder), "initializationNeeded")
        self.assertEqual(self.call("POST", f"/1.0/initialize?session_id={holder}"), first)
        self.assertEqual(self.status("POST", "/1.0/configure", holder, configuration()),
                         "success")

        # The holder leaves while the sensor is idle.
        self.assertEqual(self.status("DELETE", "/1.0/register", holder), "success")
        self.assertEqual(self.status("DELETE", "/1.0/register", other), "success")

    def check_scan(self, holder, product_name):
        scan = self.call("GET", f"/1.0/camera/scan?session_id={holder}")
        self.assertEqual(scan, {"status": "success", "devices": [product_name + " #1"]})


class UsbMonocularTest(SensorScenario, unittest.TestCase):
    pass


class UsbBinocularTest(SensorScenario, unittest.TestCase):
    camera = ("--model", "bino")
    binocular = True


class SerialMonocularTest(SensorScenario, unittest.TestCase):
    serial = 921600

    def check_scan(self, holder, product_name):
        # The scan looks for USB cameras only; with none attached it finds nothing.
        self.assertEqual(self.status("GET", "/1.0/camera/scan", holder), "sensorFailure")


class SerialBinocularTest(SerialMonocularTest):
    camera = ("--model", "bino")
    binocular = True


if __name__ == "__main__":
    unittest.main()
