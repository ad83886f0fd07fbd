"""Sessions, the sensor lock, the access-token check on registration and the service
information, end to end against a running OcuService."""

import base64
import json
import os
import threading
import unittest

import ocutest

UNKNOWN_ID = "00000000-0000-4000-8000-000000000000"


def write_token_file(path, switch, tokens, line_end="\n"):
    with open(path, "wb") as out:
        out.write(switch.encode())
        for token in tokens:
            out.write(line_end.encode() + base64.b64encode(token))


def info_with_host(service, host, tls=False):
    """GET /1.0/info carrying exactly this Host header; the answer's JSON body."""
    raw = service.raw(b"GET /1.0/info HTTP/1.1\r\nHost: " + host.encode() +
                      b"\r\nConnection: close\r\n\r\n", tls=tls)
    head, _, body = raw.partition(b"\r\n\r\n")
    assert head.startswith(b"HTTP/1.1 200\r\n"), raw
    return json.loads(body)


class SessionsTest(unittest.TestCase):
    """One service for the whole class; each test registers its own sessions."""

    @classmethod
    def setUpClass(cls):
        cls.service = ocutest.Service(simulator=False)

    @classmethod
    def tearDownClass(cls):
        cls.service.finish()

    def call(self, method, path, body=None, **kwargs):
        answer = self.service.request(method, path, body=body, **kwargs)
        self.assertEqual(answer.status, 200, answer)
        self.assertEqual(int(answer.header("content-length")), len(answer.body))
        return answer.json()

    def register(self):
        result = self.call("POST", "/1.0/register")
        self.assertEqual(result["status"], "success", result)
        return result["sessionId"]

    def lock(self, method, session_id):
        return self.call(method, "/1.0/lock?session_id=" + session_id)["status"]

    def unregister(self, session_id):
        return self.call("DELETE", "/1.0/register?session_id=" + session_id)["status"]

    def test_registration_answers_exactly_status_and_session_id(self):
        answer = self.service.request("POST", "/1.0/register")
        session_id = answer.json()["sessionId"]
        self.assertRegex(session_id, r"^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$")
        self.assertEqual(answer.text(),
                         '{\n    "status": "success",\n    "sessionId": "%s"\n}' % session_id)
        self.assertEqual(self.unregister(session_id), "success")

    def test_lock_steal_and_unlock_across_two_sessions(self):
        a, b = self.register(), self.register()
        try:
            self.assertEqual(self.lock("POST", a), "success")
            self.assertEqual(self.lock("POST", a), "success")
            refused = self.call("POST", "/1.0/lock?session_id=" + b)
            self.assertEqual(refused, {"status": "lockHeldByAnother",
                                       "message": "Lock is held by another session"})
            self.assertEqual(self.lock("DELETE", b), "lockHeldByAnother")
            # b's steal is the first successful one, so the prevention period lets it through;
            # a's steal back comes within 30 s of it and is refused.
            self.assertEqual(self.lock("PUT", b), "success")
            self.assertEqual(self.lock("PUT", a), "failure")
            self.assertEqual(self.lock("POST", a), "lockHeldByAnother")
            self.assertEqual(self.lock("DELETE", b), "success")
            self.assertEqual(self.lock("DELETE", b), "success")
            self.assertEqual(self.lock("POST", a), "success")
            # Ending the holder's session frees the lock.
            self.assertEqual(self.unregister(a), "success")
            self.assertEqual(self.lock("POST", a), "invalidId")
            self.assertEqual(self.lock("POST", b), "success")
        finally:
            self.unregister(a)
            self.unregister(b)

    def test_upper_case_form_of_a_live_identifier_is_invalid(self):
        a = self.register()
        try:
            result = self.call("POST", "/1.0/lock?session_id=" + a.upper())
            self.assertEqual(result, {"status": "invalidId",
                                      "message": "Invalid ID (either not found, expired or not registered)"})
            self.assertEqual(self.lock("POST", a), "success")
            self.assertEqual(self.lock("DELETE", a), "success")
        finally:
            self.unregister(a)

    def test_malformed_session_ids_are_bad_values(self):
        a = self.register()
        try:
            for query in ["", "?session_id=", "?session_id=&x=1", "?xsession_id=" + a,
                          "?session_id=" + a[:-1], "?session_id=" + a + "0",
                          "?session_id=" + a[:-3] + "%41", "?session_id=" + a[:-1] + "%"]:
                for method in ("POST", "PUT", "DELETE"):
                    result = self.call(method, "/1.0/lock" + query)
                    self.assertEqual(result, {"status": "badValue", "message": "badValue",
                                              "badFields": ["sessionId"]}, (method, query))
                self.assertEqual(self.call("DELETE", "/1.0/register" + query)["badFields"],
                                 ["sessionId"])
            # What follows the identifier after "&" is not part of it.
            self.assertEqual(self.lock("POST", a + "&more=1"), "success")
            self.assertEqual(self.lock("DELETE", a), "success")
        finally:
            self.unregister(a)

    def test_unregister_of_unknown_identifiers_succeeds(self):
        self.assertEqual(self.unregister(UNKNOWN_ID), "success")
        self.assertEqual(self.lock("POST", UNKNOWN_ID), "invalidId")

    def test_command_word_must_be_register(self):
        self.assertEqual(self.call("POST", "/1.0/registerx")["status"], "unsupported")
        self.assertEqual(self.call("DELETE", "/1.0/registerx?session_id=" + UNKNOWN_ID)["status"],
                         "unsupported")

    def test_cancel_without_a_session_is_a_bad_value(self):
        self.assertEqual(self.call("POST", "/1.0/cancel"),
                         {"status": "badValue", "message": "badValue", "badFields": ["sessionId"]})
        a = self.register()
        try:
            self.assertEqual(self.call("POST", "/1.0/cancel?session_id=" + a)["status"], "lockNotHeld")
        finally:
            self.unregister(a)

    def test_preflight_on_lock(self):
        answer = self.service.raw(
            b"OPTIONS /1.0/lock HTTP/1.1\r\nHost: x\r\nOrigin: http://client.test\r\n"
            b"Access-Control-Request-Method: PUT\r\nConnection: close\r\n\r\n")
        self.assertEqual(answer, b"HTTP/1.1 200\r\nstatus: 200\r\n"
                                 b"Access-Control-Allow-Origin: http://client.test\r\n"
                                 b"Access-Control-Allow-Methods: PUT\r\n"
                                 b"Access-Control-Allow-Headers: accept, content-type\r\n\r\n")

    def test_get_on_lock_is_left_to_the_web_server(self):
        answer = self.service.request("GET", "/1.0/lock")
        self.assertNotIn("json", answer.header("content-type") or "")

    def test_info_reports_periods_and_preview_address(self):
        answer = info_with_host(self.service, "camera.test:8081")
        metadata = answer["metadata"]
        self.assertEqual(answer["status"], "success")
        self.assertEqual(metadata[0], {"key": "sessionTimeout", "value": 600})
        self.assertEqual(metadata[1], {"key": "lockStealingPreventionPeriod", "value": 30})
        self.assertEqual(metadata[2]["value"]["defaultValue"][0]["uri"],
                         "http://camera.test:8081/stream")

    def test_info_with_longer_path_or_long_host_is_answered_unsupported(self):
        for path in ("/1.0/info/x", "/1.0/info/"):
            self.assertEqual(self.call("GET", path),
                             {"status": "unsupported", "message": "unsupported"}, path)
        self.assertEqual(info_with_host(self.service, "h" * 238)["status"], "success")
        self.assertEqual(info_with_host(self.service, "h" * 239),
                         {"status": "unsupported", "message": "unsupported"})

    def test_sixty_concurrent_registrations_get_thirty_sessions(self):
        results = []
        guard = threading.Lock()

        def register():
            result = self.service.request("POST", "/1.0/register").json()
            with guard:
                results.append(result)

        threads = [threading.Thread(target=register) for _ in range(60)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        ids = [r["sessionId"] for r in results if r["status"] == "success"]
        try:
            self.assertEqual(len(ids), 30)
            self.assertEqual(len(set(ids)), 30)
            failures = [r for r in results if r["status"] != "success"]
            self.assertEqual(failures, [{"status": "failure", "message": "failure"}] * 30)
        finally:
            for session_id in ids:
                self.unregister(session_id)
        self.unregister(self.register())


class ServiceInfoTlsTest(unittest.TestCase):
    """GET /1.0/info on the TLS port names the TLS form of the preview address."""

    def test_info_over_tls_gives_the_tls_address(self):
        with ocutest.Service(simulator=False) as service:
            answer = info_with_host(service, "camera.test:4444", tls=True)
            uri = answer["metadata"][2]["value"]["defaultValue"][0]["uri"]
            self.assertEqual(uri, "https://camera.test:4444/stream")
            self.assertEqual(info_with_host(service, "h" * 237, tls=True)["status"], "success")
            self.assertEqual(info_with_host(service, "h" * 238, tls=True)["status"], "unsupported")


class TokenCheckTest(unittest.TestCase):
    """Registration while the token file turns the check on."""

    def start(self, switch, tokens, line_end="\n", extra_lines=()):
        service = ocutest.Service(simulator=False, start=False)
        self.addCleanup(service.close)
        write_token_file(service.token_file, switch, tokens, line_end)
        if extra_lines:
            with open(service.token_file, "ab") as out:
                for line in extra_lines:
                    out.write(b"\n" + line)
        service.start()
        return service

    def register(self, service, body=None):
        headers = {"Content-Type": "application/json"} if body is not None else None
        return service.request("POST", "/1.0/register", body=body, headers=headers).json()

    def test_check_off_needs_no_token(self):
        service = self.start("0", [b"A"])
        self.assertEqual(self.register(service)["status"], "success")
        self.assertEqual(self.register(service, '{"token": 5}')["status"], "success")

    def test_missing_token_file_means_check_off(self):
        service = ocutest.Service(simulator=False)
        self.addCleanup(service.close)
        self.assertFalse(os.path.exists(service.token_file))
        self.assertEqual(self.register(service)["status"], "success")

    def test_check_on(self):
        service = self.start("1", [b"token-A", b"token-B"])
        self.assertEqual(self.register(service, json.dumps({"token": "token-A"}))["status"], "success")
        self.assertEqual(self.register(service, json.dumps({"token": "token-B", "x": [1]}))["status"],
                         "success")
        invalid = {"status": "failure", "message": "Invalid access token!"}
        required = {"status": "failure", "message": "Access token required!"}
        self.assertEqual(self.register(service, json.dumps({"token": "token-C"})), invalid)
        self.assertEqual(self.register(service, json.dumps({"token": "token-A "})), invalid)
        self.assertEqual(self.register(service), required)
        self.assertEqual(self.register(service, json.dumps({"token": 5})), required)
        self.assertEqual(self.register(service, json.dumps({"tokens": "token-A"})), required)
        self.assertEqual(self.register(service, "token-A"), required)

    def test_crlf_lines_and_an_overlong_line_in_the_token_file(self):
        service = self.start("1", [b"first", b"second"], line_end="\r\n",
                             extra_lines=[b"Q" * 20000, base64.b64encode(b"third")])
        for token in ("first", "second", "third"):
            self.assertEqual(self.register(service, json.dumps({"token": token}))["status"],
                             "success", token)
        # A reader that took the line in 16384-character pieces would turn its last 3616
        # characters into a token of its own.
        tail = base64.b64decode(b"Q" * 3616).decode("latin-1")
        self.assertEqual(self.register(service, json.dumps({"token": tail})),
                         {"status": "failure", "message": "Invalid access token!"})


if __name__ == "__main__":
    unittest.main()
