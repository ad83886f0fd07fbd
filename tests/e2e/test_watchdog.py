"""systemd's watchdog as the service meets it: the test plays systemd's notification socket
(NOTIFY_SOCKET, WATCHDOG_USEC) and watches the keep-alives come while the web server answers,
stop while requests that never end hold every worker, and come back afterwards."""

import os
import socket
import tempfile
import time
import unittest

import ocutest
from test_slow_clients import Attack

INTERVAL_SECONDS = 2


class WatchdogTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="ocutest-notify-")
        self.path = os.path.join(self.folder, "notify")
        self.notify = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.notify.bind(self.path)
        self.service = None

    def start(self, ports=None):
        self.service = ocutest.Service(simulator=False, tls=ports is not None, ports=ports,
                                       start=False)
        self.service.launch(env={"NOTIFY_SOCKET": self.path,
                                 "WATCHDOG_USEC": str(INTERVAL_SECONDS * 1_000_000)})
        self.service.wait_for_output("Service hosted at")

    def tearDown(self):
        if self.service is not None:
            self.service.finish()
        self.notify.close()
        os.unlink(self.path)
        os.rmdir(self.folder)

    def keep_alives(self, seconds):
        """The keep-alive messages that arrive within `seconds`."""
        count = 0
        deadline = time.monotonic() + seconds
        while (left := deadline - time.monotonic()) > 0:
            self.notify.settimeout(left)
            try:
                message = self.notify.recv(4096)
            except socket.timeout:
                break
            count += message == b"WATCHDOG=1"
        return count

    def test_keep_alives_only_while_the_server_answers(self):
        self.start()
        # Every half interval, checked once a second.
        self.assertGreaterEqual(self.keep_alives(4), 2)

        attack = Attack(self.service.http_port, 50, b"GET /1.0/info HTTP/1.1\r\nHost: x\r\n")
        attack.start()
        try:
            self.keep_alives(1)  # one that was under way when the workers were taken
            self.assertEqual(self.keep_alives(4), 0)
        finally:
            attack.stop()
        self.assertGreaterEqual(self.keep_alives(8), 1)


class TlsOnlyWatchdogTest(WatchdogTest):
    """A service that listens on a TLS port only is asked over TLS."""

    def test_keep_alives_only_while_the_server_answers(self):
        self.start(ports=f"127.0.0.1:{ocutest.free_port()}s")
        self.assertGreaterEqual(self.keep_alives(4), 2)


if __name__ == "__main__":
    unittest.main()
