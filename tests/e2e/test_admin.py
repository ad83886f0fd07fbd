"""The administration routes end to end: digest authentication in front of every route, token
management with the token file on disk following every change, the token check switch and
the password change."""

import base64
import os
import shutil
import tempfile
import unittest
import urllib.error
import urllib.request

import ocutest

PASSWORD = "first secret"

# Every administration route with the methods its handler implements.
ADMIN_REQUESTS = [
    ("GET", "/1.0/admin/token/generate", None),
    ("POST", "/1.0/admin/token?token_id=x", None),
    ("DELETE", "/1.0/admin/token?token_id=x", None),
    ("GET", "/1.0/admin/tokens", None),
    ("GET", "/1.0/admin/config", None),
    ("POST", "/1.0/admin/config", '{"config": {"tokenAuthentication": false}}'),
    ("POST", "/1.0/admin/password?new_password=" + PASSWORD.replace(" ", "%20"), None),
]


def read_token_file(path):
    """(switch, tokens) as the token file on disk says."""
    with open(path, "rb") as source:
        lines = source.read().split(b"\n")
    return lines[0][:1] != b"0", [base64.b64decode(line) for line in lines[1:]]


def digest_opener(service, password, user="admin"):
    """A urllib opener that answers the service's digest challenge."""
    passwords = urllib.request.HTTPPasswordMgrWithDefaultRealm()
    passwords.add_password(None, service.url("/"), user, password)
    return urllib.request.build_opener(urllib.request.HTTPDigestAuthHandler(passwords))


def open_with(opener, service, method, path, body=None):
    """(HTTP status, body bytes) of one request through `opener`."""
    data = body.encode() if body is not None else (b"" if method == "POST" else None)
    request = urllib.request.Request(service.url(path), data=data, method=method)
    if body is not None:
        request.add_header("Content-Type", "application/json")
    try:
        with opener.open(request, timeout=10) as reply:
            return reply.status, reply.read()
    except urllib.error.HTTPError as error:
        return error.code, error.read()


class AdminTest(unittest.TestCase):

    def setUp(self):
        self.service = ocutest.Service(simulator=False, tls=False, password=PASSWORD)
        self.addCleanup(self.service.close)

    def admin(self, method, path, body=None, password=PASSWORD):
        headers = {"Content-Type": "application/json"} if body is not None else None
        answer = self.service.request(method, path, body=body, headers=headers,
                                      auth=("admin", password))
        self.assertEqual(answer.status, 200, answer)
        return answer.json()

    def listed(self):
        return [token.encode("latin-1") for token in self.admin("GET", "/1.0/admin/tokens")["tokens"]]

    def switch(self):
        return self.admin("GET", "/1.0/admin/config")["tokenAuthentication"]

    def assert_file_matches_store(self):
        self.assertEqual(read_token_file(self.service.token_file), (self.switch(), self.listed()))

    def test_every_route_refuses_requests_without_credentials(self):
        for method, path, body in ADMIN_REQUESTS:
            answer = self.service.request(method, path, body=body)
            self.assertEqual(answer.status, 401, (method, path))
            self.assertTrue((answer.header("www-authenticate") or "").startswith("Digest"))
        wrong = self.service.request("GET", "/1.0/admin/tokens", auth=("admin", "wrong"))
        self.assertEqual(wrong.status, 401)
        other_user = self.service.request("GET", "/1.0/admin/tokens", auth=("root", PASSWORD))
        self.assertEqual(other_user.status, 401)
        self.assertFalse(os.path.exists(self.service.token_file))

    def test_every_route_accepts_digest_credentials_from_urllib(self):
        opener = digest_opener(self.service, PASSWORD)
        for method, path, body in ADMIN_REQUESTS:
            status, reply = open_with(opener, self.service, method, path, body)
            self.assertEqual(status, 200, (method, path, reply))
            self.assertIn(b'"status": "success"', reply, (method, path))

    def test_changed_password_is_the_one_required_next(self):
        result = self.admin("POST", "/1.0/admin/password?new_password=second%20one")
        self.assertEqual(result, {"status": "success"})
        old = self.service.request("GET", "/1.0/admin/tokens", auth=("admin", PASSWORD))
        self.assertEqual(old.status, 401)
        # The percent escape is part of the new password as it stands.
        self.assertEqual(self.admin("GET", "/1.0/admin/tokens", password="second%20one")["tokens"], [])
        status, _ = open_with(digest_opener(self.service, "second%20one"), self.service, "GET",
                              "/1.0/admin/config")
        self.assertEqual(status, 200)
        status, _ = open_with(digest_opener(self.service, PASSWORD), self.service, "GET",
                              "/1.0/admin/config")
        self.assertEqual(status, 401)

    def test_empty_password_is_refused(self):
        for path in ("/1.0/admin/password", "/1.0/admin/password?new_password="):
            self.assertEqual(self.admin("POST", path),
                             {"status": "badValue", "message": "Password must be not empty!",
                              "badFields": ["password"]})
        self.assertEqual(self.admin("GET", "/1.0/admin/config")["status"], "success")

    def test_tokens_and_the_file_on_disk_follow_every_change(self):
        self.assertEqual(self.admin("GET", "/1.0/admin/tokens"), {"status": "success", "tokens": []})
        generated = self.admin("GET", "/1.0/admin/token/generate")["token"]
        self.assertRegex(generated, r"^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$")
        self.assertEqual(self.listed(), [])
        self.assertNotEqual(self.admin("GET", "/1.0/admin/token/generate")["token"], generated)
        self.assertEqual(self.admin("GET", "/1.0/admin/token")["status"], "unsupported")

        self.assertEqual(self.admin("POST", "/1.0/admin/token?token_id=first"), {"status": "success"})
        self.assert_file_matches_store()
        self.assertEqual(self.admin("POST", "/1.0/admin/token?token_id=" + generated)["status"], "success")
        self.assertEqual(self.listed(), [b"first", generated.encode()])
        self.assert_file_matches_store()
        self.assertEqual(self.admin("POST", "/1.0/admin/token?token_id=" + generated),
                         {"status": "duplicatedToken", "message": "Duplicated token"})
        self.assert_file_matches_store()

        self.assertEqual(self.admin("POST", "/1.0/admin/config",
                                    '{"config": {"tokenAuthentication": true}}'), {"status": "success"})
        self.assertTrue(self.switch())
        self.assert_file_matches_store()
        self.assertEqual(self.admin("POST", "/1.0/admin/config",
                                    '{"config": {"tokenAuthentication": 1}}')["status"], "unsupported")
        self.assertTrue(self.switch())

        self.assertEqual(self.admin("DELETE", "/1.0/admin/token?token_id=first"), {"status": "success"})
        self.assertEqual(self.listed(), [generated.encode()])
        self.assert_file_matches_store()
        self.assertEqual(self.admin("DELETE", "/1.0/admin/token?token_id=unknown"), {"status": "success"})
        self.assert_file_matches_store()

        # The check is on: registration needs the remaining token.
        register = self.service.request("POST", "/1.0/register", body='{"token": "%s"}' % generated,
                                        headers={"Content-Type": "application/json"})
        self.assertEqual(register.json()["status"], "success")
        refused = self.service.request("POST", "/1.0/register", body='{"token": "first"}',
                                       headers={"Content-Type": "application/json"})
        self.assertEqual(refused.json(), {"status": "failure", "message": "Invalid access token!"})

        # A restart reads back what the file says.
        self.service.stop()
        self.service.start()
        self.assertEqual((self.switch(), self.listed()), (True, [generated.encode()]))

    def test_token_id_limits_and_raw_values(self):
        for query in ("", "?token_id=", "?token_id=&a=b", "?token_id"):
            for method in ("POST", "DELETE"):
                self.assertEqual(self.admin(method, "/1.0/admin/token" + query),
                                 {"status": "badValue", "message": "badValue", "badFields": ["token"]},
                                 (method, query))
        long_token = "t" * 4000
        self.assertEqual(self.admin("POST", "/1.0/admin/token?token_id=" + long_token)["status"], "success")
        # Values are taken raw up to the next "&": no percent decoding.
        self.assertEqual(self.admin("POST", "/1.0/admin/token?token_id=a&b=c")["status"], "success")
        self.assertEqual(self.admin("POST", "/1.0/admin/token?token_id=p%26q%20r")["status"], "success")
        expected = [long_token.encode(), b"a", b"p%26q%20r"]
        self.assertEqual(self.listed(), expected)
        self.assert_file_matches_store()
        self.assertEqual(self.admin("DELETE", "/1.0/admin/token?token_id=p%26q%20r")["status"], "success")
        self.assert_file_matches_store()
        self.service.stop()
        self.service.start()
        self.assertEqual(self.listed(), expected[:2])

    # The digest Authorization header repeats the request target, so it exceeds 8 KiB here.
    def test_token_id_of_8192_bytes_passes_digest_authentication(self):
        longest = "t" * 8192
        self.assertEqual(self.admin("POST", "/1.0/admin/token?token_id=" + longest)["status"], "success")
        self.assertEqual(self.admin("POST", "/1.0/admin/token?token_id=" + longest + "u"),
                         {"status": "badValue", "message": "badValue", "badFields": ["token"]})
        self.assertEqual(self.listed(), [longest.encode()])
        self.assert_file_matches_store()

    def test_failed_saves_leave_memory_unchanged(self):
        self.assertEqual(self.admin("POST", "/1.0/admin/token?token_id=kept")["status"], "success")
        os.remove(self.service.token_file)
        os.mkdir(self.service.token_file)
        self.assertEqual(self.admin("POST", "/1.0/admin/token?token_id=new"),
                         {"status": "duplicatedToken", "message": "Duplicated token"})
        self.assertEqual(self.admin("DELETE", "/1.0/admin/token?token_id=kept"),
                         {"status": "failure", "message": "failure"})
        self.assertEqual(self.admin("POST", "/1.0/admin/config",
                                    '{"config": {"tokenAuthentication": true}}'),
                         {"status": "failure", "message": "failure"})
        self.assertEqual(self.listed(), [b"kept"])
        self.assertFalse(self.switch())
        # Once the file can be written again, the next change saves everything.
        os.rmdir(self.service.token_file)
        self.assertEqual(self.admin("POST", "/1.0/admin/token?token_id=new")["status"], "success")
        self.assertEqual(read_token_file(self.service.token_file), (False, [b"kept", b"new"]))

    def test_no_preflight_answer_on_admin_routes(self):
        for path in ("/1.0/admin/token", "/1.0/admin/tokens", "/1.0/admin/config", "/1.0/admin/password"):
            raw = self.service.raw(("OPTIONS %s HTTP/1.1\r\nHost: x\r\nOrigin: http://o.test\r\n"
                                    "Access-Control-Request-Method: GET\r\nConnection: close\r\n\r\n"
                                    % path).encode())
            self.assertNotIn(b"Access-Control-Allow-Headers: accept, content-type", raw, path)


class AdminWithoutPasswordFileTest(unittest.TestCase):

    def test_every_route_is_refused_when_no_password_file_exists(self):
        with ocutest.Service(simulator=False, tls=False) as service:
            self.assertFalse(os.path.exists(service.password_file))
            for method, path, body in ADMIN_REQUESTS:
                answer = service.request(method, path, body=body, auth=("admin", PASSWORD))
                self.assertEqual(answer.status, 401, (method, path))
            self.assertFalse(os.path.exists(service.password_file))
            self.assertFalse(os.path.exists(service.token_file))


class ReadOnlyHomeTest(unittest.TestCase):
    """The service run by an unprivileged user in a home it may read but not write."""

    @unittest.skipUnless(os.geteuid() == 0 and shutil.which("setpriv"),
                         "needs root to start the service as another user")
    def test_saving_fails_and_memory_stays(self):
        service = ocutest.Service(simulator=False, tls=False, password=PASSWORD, start=False)
        self.addCleanup(service.close)
        with open(service.token_file, "w") as out:
            out.write("0\n" + base64.b64encode(b"kept").decode())
        for folder, _, files in os.walk(service.root):
            os.chmod(folder, 0o755)
            for name in files:
                os.chmod(os.path.join(folder, name), 0o644)
        os.chmod(os.path.join(service.home, "resource"), 0o555)
        os.chmod(service.home, 0o555)
        self.addCleanup(os.chmod, os.path.join(service.home, "resource"), 0o755)
        self.addCleanup(os.chmod, service.home, 0o755)

        # A program folder whose OcuService is the real one started as user nobody.
        wrapper_dir = tempfile.mkdtemp(prefix="ocutest-nobody-")
        self.addCleanup(shutil.rmtree, wrapper_dir, True)
        wrapper = os.path.join(wrapper_dir, "OcuService")
        with open(wrapper, "w") as out:
            out.write("#!/bin/sh\nexec setpriv --reuid=65534 --regid=65534 --clear-groups %s \"$@\"\n"
                      % ocutest.program("OcuService"))
        os.chmod(wrapper, 0o755)
        saved = os.environ.get("OCU_E2E_BIN_DIR")
        os.environ["OCU_E2E_BIN_DIR"] = wrapper_dir
        try:
            service.start()
        finally:
            if saved is None:
                del os.environ["OCU_E2E_BIN_DIR"]
            else:
                os.environ["OCU_E2E_BIN_DIR"] = saved

        def admin(method, path, body=None):
            headers = {"Content-Type": "application/json"} if body is not None else None
            return service.request(method, path, body=body, headers=headers,
                                   auth=("admin", PASSWORD)).json()

        self.assertEqual(admin("GET", "/1.0/admin/tokens")["tokens"], ["kept"])
        self.assertEqual(admin("POST", "/1.0/admin/token?token_id=new")["status"], "duplicatedToken")
        self.assertEqual(admin("DELETE", "/1.0/admin/token?token_id=kept")["status"], "failure")
        self.assertEqual(admin("POST", "/1.0/admin/config",
                               '{"config": {"tokenAuthentication": true}}')["status"], "failure")
        self.assertEqual(admin("POST", "/1.0/admin/password?new_password=x"),
                         {"status": "failure", "message": "Updating password failed!"})
        self.assertEqual(admin("GET", "/1.0/admin/tokens")["tokens"], ["kept"])
        self.assertEqual(admin("GET", "/1.0/admin/config")["tokenAuthentication"], False)
        self.assertEqual(read_token_file(service.token_file), (False, [b"kept"]))
        self.assertEqual(service.stop(), 0)


if __name__ == "__main__":
    unittest.main()
