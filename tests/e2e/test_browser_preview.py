"""The live preview in a real browser: headless Chromium shows GET /1.0/stream in an <img>
while a capture runs."""

import io
import os
import shutil
import threading
import time
import unittest

from PIL import Image, ImageStat

import ocutest
from browser import chromium

PAGE = """<!DOCTYPE html>
<html><head><link rel="icon" href="data:,"></head><body style="margin:0">
<img id="preview" src="/1.0/stream" alt="live preview">
</body></html>
"""



class BrowserPreviewTest(unittest.TestCase):

    def test_the_preview_shows_in_an_image_element(self):
        with ocutest.Service(camera=("--capture-ms", "5000"), tls=False) as service:
            with open(os.path.join(service.home, "preview.html"), "w") as page:
                page.write(PAGE)
            query = "?session_id=" + service.sensor_session()
            capture = threading.Thread(
                target=lambda: service.call("POST", "/1.0/capture" + query), daemon=True)
            capture.start()
            while "capturing=1" not in service.simulator.command("state"):
                time.sleep(0.01)
            driver, profile = chromium("1024,900")
            try:
                driver.get(service.url("/preview.html"))
                deadline = time.monotonic() + 5
                size = (0, 0)
                while size != (640, 480) and time.monotonic() < deadline:
                    size = tuple(driver.execute_script(
                        "const p = document.getElementById('preview');"
                        "return [p.naturalWidth, p.naturalHeight];"))
                    time.sleep(0.05)
                self.assertEqual(size, (640, 480))
                time.sleep(0.5)  # a few frames later
                shot = driver.find_element("id", "preview").screenshot_as_png
                logs = [entry for entry in driver.get_log("browser")
                        if entry["level"] == "SEVERE"]
            finally:
                driver.quit()
                shutil.rmtree(profile, ignore_errors=True)
            capture.join(15)
        image = Image.open(io.BytesIO(shot)).convert("L")
        self.assertEqual(image.size, (640, 480))
        # An eye, not a blank: the grey levels spread widely.
        stats = ImageStat.Stat(image)
        self.assertGreater(stats.stddev[0], 20, stats.stddev)
        low, high = image.getextrema()
        self.assertGreater(high - low, 100)
        self.assertEqual(logs, [], logs)


if __name__ == "__main__":
    unittest.main()
