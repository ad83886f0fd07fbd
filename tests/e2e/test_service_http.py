"""OcuService's HTTP answers end to end, over plain HTTP and TLS: JSON framing, the CORS
preflight, route matching and what the web server answers itself."""

import json
import unittest

import ocutest

UNSUPPORTED_BODY = b'{\n    "status": "unsupported",\n    "message": "unsupported"\n}'

JSON_HEADER_NAMES = [
    "content-length", "Content-Type", "status", "Access-Control-Allow-Origin", "Cache-Control",
    "Pragma", "Expires",
]


def pretty(document):
    """The service's JSON text for a document: four blanks per level, ": " after names."""
    return json.dumps(document, indent=4, ensure_ascii=False).encode("utf-8")


class JsonAnswers(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.service = ocutest.Service(simulator=False)

    @classmethod
    def tearDownClass(cls):
        cls.service.__exit__(None, None, None)

    def check_json_answer(self, answer):
        self.assertEqual(answer.status, 200)
        self.assertEqual(answer.reason, "")
        self.assertEqual([name for name, _ in answer.headers], JSON_HEADER_NAMES)
        self.assertEqual(int(answer.header("content-length")), len(answer.body))
        self.assertEqual(answer.header("Content-Type"), "application/json; charset=UTF-8")
        self.assertEqual(answer.header("Cache-Control"), "no-cache, no-store, must-revalidate")
        self.assertEqual(answer.body, pretty(answer.json()))

    def test_unknown_command_answers_unsupported_on_both_ports(self):
        for tls in (False, True):
            with self.subTest(tls=tls):
                answer = self.service.request("GET", "/1.0/nothing", tls=tls)
                self.check_json_answer(answer)
                self.assertEqual(answer.body, UNSUPPORTED_BODY)

    def test_exact_bytes_of_a_json_answer(self):
        reply = self.service.raw(b"GET /1.0/nothing HTTP/1.1\r\nHost: localhost\r\n\r\n")
        self.assertEqual(
            reply,
            b"HTTP/1.1 200\r\ncontent-length: 61\r\n"
            b"Content-Type: application/json; charset=UTF-8\r\nstatus: 200\r\n"
            b"Access-Control-Allow-Origin: *\r\n"
            b"Cache-Control: no-cache, no-store, must-revalidate\r\nPragma: no-cache\r\n"
            b"Expires: 0\r\n\r\n" + UNSUPPORTED_BODY)

    def test_service_information_is_exact_pretty_printed_json(self):
        for tls in (False, True):
            with self.subTest(tls=tls):
                answer = self.service.request("GET", "/1.0/info", tls=tls)
                self.check_json_answer(answer)
                document = answer.json()
                self.assertEqual(document["status"], "success")
                preview = document["metadata"][2]["value"]["defaultValue"][0]["uri"]
                scheme = "https" if tls else "http"
                self.assertEqual(preview, f"{scheme}://127.0.0.1:{self.service.port(tls)}/stream")

    def test_info_with_extra_path_and_overlong_host_are_answered(self):
        for path, headers in (("/1.0/info/x", {}), ("/1.0/info", {"Host": "h" * 5000})):
            for tls in (False, True):
                with self.subTest(path=path, tls=tls):
                    answer = self.service.request("GET", path, headers=headers, tls=tls)
                    self.check_json_answer(answer)
                    self.assertEqual(answer.json()["status"], "unsupported")

    def test_preflight_echoes_origin_and_method_exactly(self):
        for tls in (False, True):
            with self.subTest(tls=tls):
                reply = self.service.raw(
                    b"OPTIONS /1.0/lock HTTP/1.1\r\nHost: localhost\r\n"
                    b"Origin: http://client.example:8000\r\n"
                    b"Access-Control-Request-Method: PUT\r\n\r\n", tls=tls)
                self.assertEqual(
                    reply,
                    b"HTTP/1.1 200\r\nstatus: 200\r\n"
                    b"Access-Control-Allow-Origin: http://client.example:8000\r\n"
                    b"Access-Control-Allow-Methods: PUT\r\n"
                    b"Access-Control-Allow-Headers: accept, content-type\r\n\r\n")

    def test_preflight_without_cors_headers_sends_empty_values(self):
        reply = self.service.raw(b"OPTIONS /1.0/register HTTP/1.1\r\nHost: localhost\r\n\r\n")
        self.assertEqual(
            reply,
            b"HTTP/1.1 200\r\nstatus: 200\r\nAccess-Control-Allow-Origin: \r\n"
            b"Access-Control-Allow-Methods: \r\n"
            b"Access-Control-Allow-Headers: accept, content-type\r\n\r\n")

    def test_administration_routes_are_not_answered_by_the_service_preflight(self):
        reply = self.service.raw(
            b"OPTIONS /1.0/admin/tokens HTTP/1.1\r\nHost: localhost\r\n"
            b"Origin: http://client.example\r\nAccess-Control-Request-Method: GET\r\n\r\n")
        self.assertTrue(reply.startswith(b"HTTP/1.1 "), reply)
        self.assertNotIn(b"Access-Control-Allow-Headers: accept, content-type", reply)
        self.assertNotIn(b"Access-Control-Allow-Methods: GET", reply)

    def test_method_a_handler_does_not_implement_is_left_to_the_web_server(self):
        answer = self.service.request("GET", "/1.0/lock")
        self.assertNotIn("json", answer.header("Content-Type") or "")
        self.assertNotEqual(answer.status, 200)

    def test_routes_match_by_prefix_in_registration_order(self):
        # "/1.0/token/x" is under no route of its own: the catch-all answers it.
        answer = self.service.request("GET", "/1.0/token/x")
        self.check_json_answer(answer)
        self.assertEqual(answer.body, UNSUPPORTED_BODY)

    def test_banner_shows_the_configured_ports(self):
        self.assertIn(f"Service hosted at http://localhost:{self.service.ports}\n",
                      self.service.output())


class StaticFiles(unittest.TestCase):
    def test_dot_document_root_serves_the_home(self):
        with ocutest.Service(simulator=False, tls=False) as service:
            with open(f"{service.home}/hello.txt", "w") as out:
                out.write("hello from the home\n")
            answer = service.request("GET", "/hello.txt")
            self.assertEqual(answer.status, 200)
            self.assertEqual(answer.body, b"hello from the home\n")


class WithTheSimulator(unittest.TestCase):
    def test_service_and_simulator_start_and_stop_together(self):
        try:
            service = ocutest.Service(simulator=True, tls=False)
        except (FileNotFoundError, RuntimeError) as error:
            self.skipTest(f"ocucam-sim not available: {error}")
        with service:
            self.assertIsNone(service.simulator.process.poll())
            self.assertEqual(service.request("GET", "/1.0/nothing").body, UNSUPPORTED_BODY)
        self.assertIsNotNone(service.simulator.process.poll())


if __name__ == "__main__":
    unittest.main()
