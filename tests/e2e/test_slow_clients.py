"""Clients that hold the service's five workers without doing their part: connections that never
send a request, requests whose header never ends, previews that are never read. Each kind keeps
its connections open for ATTACK_SECONDS (reopening those the service closes) while a
well-behaved client asks GET /1.0/info twice a second; the test prints how long that client
waited, and checks that it was answered and that every worker is free again afterwards.

    OCU_ATTACK_SECONDS   length of each attack (default 30)
"""

import os
import socket
import statistics
import threading
import time
import unittest

import ocutest
from preview import PreviewReader

ATTACK_SECONDS = float(os.environ.get("OCU_ATTACK_SECONDS", "30"))
WORKERS = 5
CONFIGURATION = ocutest.configuration(qualityStreaming=100)


class Attack:
    """Keeps `count` connections to `port` open, each sent `opening` (bytes) once and then
    left alone: nothing more is sent and nothing is read. A connection the service closes is
    replaced at once."""

    def __init__(self, port, count, opening, receive_buffer=None):
        self.port = port
        self.count = count
        self.opening = opening
        self.receive_buffer = receive_buffer
        self.sockets = []
        self.replaced = 0
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)

    def _open(self):
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        if self.receive_buffer:
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, self.receive_buffer)
        sock.connect(("127.0.0.1", self.port))
        if self.opening:
            sock.sendall(self.opening)
        return sock

    def start(self):
        self.sockets = [self._open() for _ in range(self.count)]
        self._thread.start()

    def _run(self):
        while not self._stop.is_set():
            for i, sock in enumerate(self.sockets):
                if closed_by_peer(sock):
                    sock.close()
                    self.sockets[i] = self._open()
                    self.replaced += 1
            self._stop.wait(0.05)

    def stop(self):
        self._stop.set()
        self._thread.join()
        for sock in self.sockets:
            sock.close()


TCP_STATES_AFTER_PEER_CLOSED = {7, 8, 9}  # CLOSE, CLOSE_WAIT, LAST_ACK


def closed_by_peer(sock):
    """True when the service has closed (or reset) the connection, read or not: the state of
    the socket tells, whatever unread data waits in front of the end of the stream."""
    info = sock.getsockopt(socket.IPPROTO_TCP, socket.TCP_INFO, 8)
    return info[0] in TCP_STATES_AFTER_PEER_CLOSED


class WellBehavedClient:
    """Asks GET /1.0/info every half second and records how long each answer took."""

    def __init__(self, service):
        self.service = service
        self.waits = []
        self.failures = []
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)

    def _run(self):
        while not self._stop.is_set():
            began = time.monotonic()
            try:
                answer = self.service.request("GET", "/1.0/info", timeout=120)
                if answer.status != 200:
                    self.failures.append(answer.status)
            except OSError as error:
                self.failures.append(repr(error))
            self.waits.append(time.monotonic() - began)
            self._stop.wait(0.5)

    def start(self):
        self._thread.start()

    def stop(self):
        self._stop.set()
        self._thread.join()


class SlowClientsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.service = ocutest.Service(camera=("--capture-ms", "600000"), tls=False)
        cls.port = cls.service.http_port
        cls.query = "?session_id=" + cls.service.sensor_session(CONFIGURATION)

    @classmethod
    def tearDownClass(cls):
        cls.service.finish()

    def run_attack(self, name, attack, busy=0):
        client = WellBehavedClient(self.service)
        attack.start()
        client.start()
        time.sleep(ATTACK_SECONDS)
        client.stop()
        attack.stop()
        waits = sorted(client.waits)
        print(f"\n{name}: {attack.count} connections for {ATTACK_SECONDS:.0f} s, "
              f"{attack.replaced} reopened after the service closed them; GET /1.0/info "
              f"answered {len(waits)} times, median {statistics.median(waits):.3f} s, "
              f"longest {waits[-1]:.3f} s", flush=True)
        self.assertEqual(client.failures, [])
        self.assertGreater(len(waits), 0)
        self.assert_every_worker_free(busy)

    def assert_every_worker_free(self, busy=0):
        """All workers but one, less `busy` ones serving other clients, are taken by requests
        whose header never ends; one more request is answered while those are still open, so
        a worker was left for it. With a worker still held by the attack that request would
        wait until one of the holders timed out, and that holder would be closed before the
        answer. A holder may also time out because this process was slow to send the request
        on a loaded machine, so the check is tried three times; a held worker fails all three."""
        for _ in range(3):
            holders = [socket.create_connection(("127.0.0.1", self.port))
                       for _ in range(WORKERS - 1 - busy)]
            try:
                for sock in holders:
                    sock.sendall(b"GET /1.0/info HTTP/1.0\r\nHost: holder\r\n")
                time.sleep(0.05)  # the holders reach their workers before the last request
                answer = self.service.request("GET", "/1.0/info", timeout=120)
                self.assertEqual(answer.status, 200)
                if not any(closed_by_peer(sock) for sock in holders):
                    return
            finally:
                for sock in holders:
                    sock.close()
        self.fail("a request waited for a worker held by a request that never ended")

    def test_idle_connections(self):
        self.run_attack("idle connections", Attack(self.port, 50, b""))

    def test_half_sent_requests(self):
        self.run_attack("half-sent requests",
                        Attack(self.port, 50, b"GET /1.0/info HTTP/1.1\r\nHost: slow\r\n"))

    def test_previews_never_read(self):
        capture = threading.Thread(
            target=lambda: self.service.call("POST", "/1.0/capture" + self.query, timeout=900),
            daemon=True)
        capture.start()
        reading = None
        try:
            deadline = time.monotonic() + 10
            while "capturing=1" not in self.service.simulator.command("state"):
                self.assertLess(time.monotonic(), deadline, "the capture did not start")
                time.sleep(0.01)
            # A preview whose reader stops for seconds is ended at the frame it stopped in:
            # what came before is whole frames, and nothing follows the cut.
            stalled = PreviewReader(self.port, "/stream", stall_after=3, stall_seconds=6.0)
            stalled.start()
            stalled.join(20)
            self.assertFalse(stalled.is_alive())
            self.assertGreaterEqual(len(stalled.frames), 3)
            for _, frame in stalled.frames:
                self.assertTrue(frame.startswith(b"\xff\xd8") and frame.endswith(b"\xff\xd9"))
            self.assertIn("closed in the middle of a part", stalled.error or "")
            # A preview that is read slowly but steadily stays open throughout. It and the
            # capture request each hold a worker.
            reading = PreviewReader(self.port, "/stream", pace=0.25)
            reading.start()
            self.assertTrue(reading.started.wait(10))
            self.run_attack("previews never read",
                            Attack(self.port, 5, b"GET /stream HTTP/1.0\r\n\r\n",
                                   receive_buffer=4096), busy=2)
            self.assertIsNone(reading.error)
            frames = len(reading.frames)
            time.sleep(1)
            self.assertGreater(len(reading.frames), frames, "the slow reader's preview ended")
        finally:
            if reading is not None:
                reading.disconnect()
                reading.join(10)
            self.service.call("POST", "/1.0/cancel" + self.query)
            capture.join(30)


if __name__ == "__main__":
    unittest.main()
