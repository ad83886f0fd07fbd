"""The operator's console (www/) in headless Chromium against the service and its simulator,
click by click: session, lock (by keyboard), sensor, configuration, a capture while its preview
shows frames, downloads, enrollment, verification, identification and deletion; both previews
of a binocular camera; and the administration page turning the token check on, which the
console's registration then meets. The browser's log must stay free of errors. Screenshots of
the main steps go to <build>/artifacts/console/."""

import os
import re
import shutil
import time
import unittest

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

import ocutest
from browser import chromium

WWW = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                   "www")
ARTIFACTS = os.path.join(os.path.dirname(ocutest.bin_dir()), "artifacts", "console")
UUID = re.compile(r"^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$")
PASSWORD = "console-secret"
WAIT = 15.0
# Captures long enough for the preview to be seen on a loaded machine.
CAPTURE = ("--capture-ms", "2500")

# Every form control has a label and every button a name.
UNLABELLED = """
const bare = [...document.querySelectorAll('input, select, textarea')]
  .filter((control) => control.labels.length === 0).map((control) => control.id);
const nameless = [...document.querySelectorAll('button')]
  .filter((button) => !button.textContent.trim() && !button.getAttribute('aria-label'))
  .map((button) => button.id);
return bare.concat(nameless);
"""
# The decoded size of the images in an element.
IMAGE_SIZES = """
return [...arguments[0].querySelectorAll('img')].map((i) => [i.naturalWidth, i.naturalHeight]);
"""
# The length and first bytes of the file behind a download link.
LINKED_FILE = """
const done = arguments[arguments.length - 1];
fetch(arguments[0].href).then((r) => r.arrayBuffer())
  .then((b) => done([b.byteLength, [...new Uint8Array(b.slice(0, 12))]]));
"""



def serve_console(service):
    """Links the console's files into the service's home, its document root, as the run
    command does."""
    for name in os.listdir(WWW):
        os.symlink(os.path.join(WWW, name), os.path.join(service.home, name))


class ConsoleTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        os.makedirs(ARTIFACTS, exist_ok=True)
        cls.driver, cls.profile = chromium()

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        shutil.rmtree(cls.profile, ignore_errors=True)

    def tearDown(self):
        errors = [entry for entry in self.driver.get_log("browser")
                  if entry["level"] in ("SEVERE", "WARNING")]
        self.assertEqual(errors, [])

    # Helpers ---------------------------------------------------------------------------

    def find(self, element_id):
        return self.driver.find_element(By.ID, element_id)

    def text(self, element_id):
        return self.find(element_id).text

    def until(self, condition, what):
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline:
            value = condition()
            if value:
                return value
            time.sleep(0.05)
        self.fail(f"waited in vain for {what}")

    def outcome(self, element_id, expected="success"):
        """Waits for the answer shown in an output element and checks it."""
        shown = self.until(lambda: (self.text(element_id) or "…") != "…" and
                           self.text(element_id), element_id)
        self.assertEqual(shown, expected, element_id)

    def press(self, button_id, output_id, expected="success"):
        self.find(button_id).click()
        self.outcome(output_id, expected)

    def shoot(self, name, element_id):
        """A screenshot of the window with that element in its middle."""
        self.driver.execute_script("arguments[0].scrollIntoView({block: 'center'})",
                                   self.find(element_id))
        self.driver.save_screenshot(os.path.join(ARTIFACTS, name + ".png"))

    def open_console(self, service):
        self.driver.get(service.url("/"))
        self.until(lambda: self.text("bar-session") == "none", "the console")
        self.assertEqual(self.driver.execute_script(UNLABELLED), [])

    def start_sensor(self):
        self.press("session-register", "session-outcome")
        self.assertRegex(self.text("bar-session"), UUID)
        self.find("session-lock").send_keys(Keys.ENTER)  # by keyboard
        self.outcome("session-outcome")
        self.assertEqual(self.text("bar-lock"), "held")
        self.press("sensor-initialize", "sensor-outcome")
        self.outcome("configure-outcome")  # the configuration is read along
        self.assertEqual(self.text("qualitySample-range"), "0 to 100")
        self.press("configure-apply", "configure-outcome")
        self.assertTrue(self.text("bar-sensor").startswith("configured"))

    def capture_with_preview(self, streams, shot):
        """Captures and checks that every stream's preview showed frames while it ran."""
        self.find("capture-start").click()
        previews = self.driver.find_elements(By.CSS_SELECTOR, "#previews figure")
        self.assertEqual([p.find_element(By.TAG_NAME, "figcaption").text.split(":")[0]
                          for p in previews], streams)
        self.until(lambda: all(
            self.driver.execute_script(IMAGE_SIZES, p) == [[640, 480]] and
            re.search(r": [1-9]\d* frames", p.text) for p in previews), "preview frames")
        self.assertEqual(self.text("bar-capture"), "running")
        self.shoot(shot, "previews")
        self.outcome("capture-outcome")
        rows = self.find("capture-rows").find_elements(By.TAG_NAME, "tr")
        return [row.text.split() for row in rows]

    # Scenarios -------------------------------------------------------------------------

    def test_a_monocular_camera_driven_click_by_click(self):
        with ocutest.Service(tls=False, camera=("--subject", "alice", *CAPTURE)) as service:
            serve_console(service)
            self.open_console(service)
            self.start_sensor()
            self.shoot("1-configured", "configure-form")
            [[capture_id, eye, total, usable]] = self.capture_with_preview(["stream"],
                                                                           "2-capture-preview")
            self.assertRegex(capture_id, UUID)
            self.assertEqual(eye, "unknownIris")
            self.assertTrue(0 < int(total) <= 100 and 0 < int(usable) <= 100)

            self.press("download-default", "download-outcome")
            self.assertEqual(self.driver.execute_script(IMAGE_SIZES, self.find("download-result")),
                             [[640, 480]])
            self.assertIn("image/jpeg", self.text("download-result"))
            self.shoot("3-download-jpeg", "download-result")
            Select(self.find("download-format")).select_by_value("image/jp2")
            self.press("download-image", "download-outcome")
            link = self.find("download-result").find_element(By.TAG_NAME, "a")
            size, start = self.driver.execute_async_script(LINKED_FILE, link)
            self.assertIn(f"(image/jp2, {size:,} bytes)", self.text("download-result"))
            self.assertEqual(bytes(start), b"\0\0\0\x0cjP  \r\n\x87\n")  # JP2 signature box
            self.assertTrue(link.get_attribute("download").endswith(".jp2"))

            self.find("user-id").send_keys("alice")
            self.press("user-enroll", "biometrics-outcome")
            self.until(lambda: self.text("user-rows").startswith("alice"), "alice listed")
            self.press("user-verify", "biometrics-outcome")
            self.assertEqual(self.text("match-result"), "alice: matched")
            self.press("user-identify", "biometrics-outcome")
            self.assertRegex(self.text("match-result"), r"^alice \(distance 0\.\d+\)$")
            self.press("gallery-refresh", "gallery-outcome")
            self.assertIn("usedIds\n1", self.text("gallery-counts"))
            self.driver.find_element(By.CSS_SELECTOR, "[aria-label='Template info of alice']").click()
            self.outcome("gallery-outcome")
            self.assertRegex(self.text("user-rows"), r"^alice .*, total 1 Template info Delete$")
            self.shoot("4-enrolled", "gallery-counts")
            self.driver.find_element(By.CSS_SELECTOR, "[aria-label='Delete alice']").click()
            self.outcome("gallery-outcome")
            self.until(lambda: self.text("user-rows") == "", "alice gone")
            self.assertIn("usedIds\n0", self.text("gallery-counts"))
            self.assertIn("DELETE /1.0/user?session_id=", self.text("log-rows"))
            self.shoot("5-deleted", "log-rows")

    def test_b_a_binocular_camera_shows_both_previews(self):
        with ocutest.Service(tls=False, camera=("--model", "bino", *CAPTURE)) as service:
            serve_console(service)
            self.open_console(service)
            self.start_sensor()
            self.assertEqual(self.text("bar-sensor"), "configured (binocular)")
            rows = self.capture_with_preview(["stream1", "stream2"], "6-binocular-previews")
            self.assertEqual([row[1] for row in rows], ["rightIris", "leftIris"])

    def test_c_administration_page_turns_the_token_check_on(self):
        with ocutest.Service(tls=False, password=PASSWORD) as service:
            serve_console(service)
            self.driver.get(service.url("/admin/").replace(
                "://", f"://{ocutest.ADMIN_USER}:{PASSWORD}@"))
            self.outcome("check-outcome")
            self.outcome("tokens-outcome")
            self.assertEqual(self.driver.execute_script(UNLABELLED), [])
            self.press("token-generate", "tokens-outcome")
            token = self.find("token-new").get_attribute("value")
            self.assertRegex(token, UUID)
            self.press("token-add", "tokens-outcome")
            self.assertEqual(self.text("token-rows"), f"{token} Delete")
            self.find("check-on").click()
            self.press("check-apply", "check-outcome")
            self.shoot("7-administration", "token-rows")

            self.open_console(service)
            self.press("session-register", "session-outcome", "failure: Access token required!")
            self.find("token").send_keys(token)
            self.press("session-register", "session-outcome")
            self.assertRegex(self.text("bar-session"), UUID)
            self.shoot("8-registered-with-token", "session-outcome")


if __name__ == "__main__":
    unittest.main()
