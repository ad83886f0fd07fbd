"""A client of the service's live preview: reads a multipart JPEG stream on its own thread and
keeps what arrived, or the JSON answer of a stream that did not start."""

import json
import socket
import threading
import time

BOUNDARY = b"--vantrel\r\n"
END = b"--vantrel--"
HEADER_END = b"\r\n\r\n"


class PreviewReader(threading.Thread):
    """GET `path` on the service's HTTP port. With `stall_after` frames read, the reader stops
    reading for `stall_seconds`; with `pace`, it waits that many seconds after every frame
    (a slow reader); either way with a small receive buffer so that the service feels it.

    After join(): `head` (the response header block), `frames` (list of (arrival time, JPEG
    bytes)), `closed` (the closing boundary came, and nothing after it), `answer` (the JSON
    body of a stream that did not start), `error` (an exception text, or None)."""

    def __init__(self, port, path, stall_after=None, stall_seconds=0.0, timeout=30.0, pace=None):
        super().__init__(daemon=True)
        self.port, self.path = port, path
        self.stall_after, self.stall_seconds = stall_after, stall_seconds
        self.pace = pace
        self.timeout = timeout
        self.head = b""
        self.frames = []
        self.closed = False
        self.answer = None
        self.error = None
        # Set once the stream's header, or the whole JSON answer, has arrived.
        self.started = threading.Event()
        self._socket = None

    def disconnect(self):
        """Goes away in the middle of the stream."""
        if self._socket is not None:
            self._socket.shutdown(socket.SHUT_RDWR)

    def run(self):
        try:
            self._read()
        except Exception as error:  # noqa: BLE001 (kept for the test to report)
            self.error = repr(error)
        finally:
            self.started.set()
            if self._socket is not None:
                self._socket.close()

    def _read(self):
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._socket = sock
        if self.stall_after is not None or self.pace is not None:
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 16384)
        sock.settimeout(self.timeout)
        sock.connect(("127.0.0.1", self.port))
        sock.sendall(f"GET {self.path} HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n".encode())
        data = b""
        while HEADER_END not in data:
            chunk = sock.recv(65536)
            if not chunk:
                raise ConnectionError(f"closed in the header: {data!r}")
            data += chunk
        self.head, _, data = data.partition(HEADER_END)
        if b"multipart/x-mixed-replace" not in self.head:
            length = int(self.head.lower().split(b"content-length: ")[1].split(b"\r\n")[0])
            while len(data) < length:
                data += sock.recv(65536)
            self.answer = json.loads(data[:length])
            return
        self.started.set()
        while True:
            if self.stall_after is not None and len(self.frames) == self.stall_after:
                self.stall_after = None
                time.sleep(self.stall_seconds)
            part, data = self._next_part(sock, data)
            if part is None:
                self.closed = data == b""
                return
            self.frames.append((time.monotonic(), part))
            if self.pace is not None:
                time.sleep(self.pace)

    @staticmethod
    def _fill(sock, data, size):
        while len(data) < size:
            chunk = sock.recv(65536)
            if not chunk:
                raise ConnectionError("closed in the middle of a part")
            data += chunk
        return data

    def _next_part(self, sock, data):
        """(JPEG bytes, rest), or (None, what followed the closing boundary)."""
        data = self._fill(sock, data, len(END))
        if data.startswith(END):
            rest = data[len(END):]
            sock.settimeout(1.0)
            try:
                rest += sock.recv(65536)
            except socket.timeout:
                pass
            return None, rest
        if not data.startswith(BOUNDARY):
            raise ValueError(f"no boundary: {data[:40]!r}")
        while HEADER_END not in data:
            data = self._fill(sock, data, len(data) + 1)
        head, _, data = data.partition(HEADER_END)
        lines = head.split(b"\r\n")
        if lines[1] != b"Content-Type: image/jpeg" or not lines[2].startswith(b"Content-length: "):
            raise ValueError(f"part header {head!r}")
        length = int(lines[2][len(b"Content-length: "):])
        if length == 0:
            return b"", data  # a missing frame: the service ends the stream right there
        data = self._fill(sock, data, length + 2)
        if data[length:length + 2] != b"\r\n":
            raise ValueError("part not ended by CR LF")
        return data[:length], data[length + 2:]
