"""Headless Debian Chromium driven through chromedriver, for the browser tests."""

import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service as DriverService


def chromium(window_size="1280,1000"):
    """(driver, profile folder): a headless Chromium that keeps its browser log; the caller
    quits the driver and removes the profile."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--window-size=" + window_size):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    profile = tempfile.mkdtemp(prefix="ocutest-chromium-")
    options.add_argument("--user-data-dir=" + profile)
    driver = webdriver.Chrome(service=DriverService("/usr/bin/chromedriver"), options=options)
    return driver, profile
