"""What OcuService keeps to itself: secret files are never served, and the administration area
demands digest authentication against the configured password file and realm, refusing
everything when there is no usable password file."""

import os
import shutil
import unittest

import ocutest

SECRET = b"secret content"


def plant(path, content=SECRET):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(content)


class SecretFilesAreNotServed(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.service = ocutest.Service(simulator=False, password="pw")
        home = cls.service.home
        # The token file and the temporary files of every secret; the configuration file, the
        # password file and the certificate exist already.
        plant(os.path.join(home, "resource", "tokens.ini"), b"1\n" + SECRET)
        for name in ("resource/tokens.ini.tmp", "resource/password.tmp", "ssl/localhost.pem.tmp",
                     "config.ini.tmp"):
            plant(os.path.join(home, name))
        plant(os.path.join(home, "resource", "public.txt"), b"public")
        # The web server's error log, written into the home, which is the document root here.
        plant(os.path.join(home, "server_error.log"), SECRET)

    @classmethod
    def tearDownClass(cls):
        cls.service.__exit__(None, None, None)

    def assert_not_served(self, path, tls=False):
        answer = self.service.request("GET", path, tls=tls)
        self.assertNotEqual(answer.status, 200, f"{path} was served: {answer.body[:80]!r}")
        for secret in (SECRET, b"BEGIN", b"admin:administration", b"SERVER_PORTS"):
            self.assertNotIn(secret, answer.body, path)

    def test_each_secret_file_is_refused(self):
        for path in ("/config.ini", "/resource/tokens.ini", "/resource/password",
                     "/ssl/localhost.pem", "/resource/tokens.ini.tmp", "/resource/password.tmp",
                     "/ssl/localhost.pem.tmp", "/config.ini.tmp", "/server_error.log"):
            for tls in (False, True):
                with self.subTest(path=path, tls=tls):
                    self.assert_not_served(path, tls)

    def test_other_spellings_of_the_same_files_are_refused(self):
        for path in ("//resource/tokens.ini", "/resource//password", "/resource/./password",
                     "/ssl/../ssl/localhost.pem", "/resource/%74okens.ini", "/%63onfig.ini",
                     "/RESOURCE/../resource/PASSWORD", "/resource/password%00.txt",
                     "/config.ini?x=1", "/ssl/localhost.pem/"):
            with self.subTest(path=path):
                self.assert_not_served(path)

    def test_listings_do_not_show_them(self):
        for folder, hidden in (("/", b"config.ini"), ("/", b"server_error.log"),
                               ("/resource/", b"tokens.ini"),
                               ("/resource/", b"password"), ("/ssl/", b"localhost.pem")):
            with self.subTest(folder=folder):
                answer = self.service.request("GET", folder)
                self.assertEqual(answer.status, 200)
                self.assertNotIn(b'href="' + hidden, answer.body)
        self.assertIn(b"public.txt", self.service.request("GET", "/resource/").body)

    def test_ordinary_files_are_still_served(self):
        answer = self.service.request("GET", "/resource/public.txt")
        self.assertEqual((answer.status, answer.body), (200, b"public"))


class ConfFolderConfigIsHidden(unittest.TestCase):
    def test_configuration_in_conf_is_not_served(self):
        service = ocutest.Service(simulator=False, tls=False, start=False)
        try:
            os.makedirs(os.path.join(service.home, "conf"))
            shutil.copy(os.path.join(service.home, "config.ini"),
                        os.path.join(service.home, "conf", "config.ini"))
            service.start()
            answer = service.request("GET", "/conf/config.ini")
            self.assertNotEqual(answer.status, 200)
            self.assertNotIn(b"SERVER_PORTS", answer.body)
        finally:
            service.close()


# Every URI that begins with "/admin" or "/1.0/admin", in any case.
ADMIN_PATHS = ("/1.0/admin/tokens", "/1.0/admin/config", "/1.0/admin/token/generate",
               "/admin/", "/admin/page.html", "/1.0/admin", "/ADMIN/page.html", "/Admin",
               "/adminpage.html", "/1.0/ADMIN/tokens", "/1.0/%61dmin/tokens", "/%61dmin/page.html")


class AdministrationWithoutPasswordFile(unittest.TestCase):
    def test_every_administration_request_is_refused(self):
        with ocutest.Service(simulator=False) as service:
            plant(os.path.join(service.home, "admin", "page.html"), SECRET)
            for path in ADMIN_PATHS:
                for method in ("GET", "POST", "DELETE", "OPTIONS"):
                    with self.subTest(path=path, method=method):
                        answer = service.request(method, path, auth=("admin", "anything"))
                        self.assertEqual(answer.status, 401)
                        self.assertNotIn(SECRET, answer.body)
            # Nothing reached the handlers: no token file was written.
            self.assertFalse(os.path.exists(service.token_file))

    def test_a_directory_in_place_of_the_password_file_refuses_too(self):
        with ocutest.Service(simulator=False, tls=False) as service:
            os.makedirs(service.password_file)
            answer = service.request("GET", "/1.0/admin/tokens", auth=("admin", "x"))
            self.assertEqual(answer.status, 401)

    def test_an_empty_password_file_refuses_too(self):
        with ocutest.Service(simulator=False, tls=False) as service:
            open(service.password_file, "w").close()
            answer = service.request("GET", "/1.0/admin/tokens", auth=("admin", ""))
            self.assertEqual(answer.status, 401)


class AdministrationWithPassword(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.service = ocutest.Service(simulator=False, password="first secret")
        plant(os.path.join(cls.service.home, "admin", "page.html"), b"admin page")

    @classmethod
    def tearDownClass(cls):
        cls.service.__exit__(None, None, None)

    def test_right_credentials_pass(self):
        for tls in (False, True):
            with self.subTest(tls=tls):
                answer = self.service.request("GET", "/1.0/admin/tokens", tls=tls,
                                              auth=("admin", "first secret"))
                self.assertEqual(answer.status, 200)
                self.assertEqual(answer.json(), {"status": "success", "tokens": []})
                page = self.service.request("GET", "/admin/page.html", tls=tls,
                                            auth=("admin", "first secret"))
                self.assertEqual((page.status, page.body), (200, b"admin page"))

    def test_wrong_credentials_and_none_are_refused(self):
        for auth in (None, ("admin", "wrong"), ("root", "first secret"), ("admin", "")):
            for path in ADMIN_PATHS:
                with self.subTest(auth=auth, path=path):
                    answer = self.service.request("GET", path, auth=auth)
                    self.assertEqual(answer.status, 401)
                    self.assertIn("Digest", answer.header("WWW-Authenticate") or "")
                    self.assertIn('realm="administration"', answer.header("WWW-Authenticate"))

    def test_route_under_admin_token_reaches_its_handler(self):
        answer = self.service.request("GET", "/1.0/admin/token/generate",
                                      auth=("admin", "first secret"))
        self.assertEqual(answer.json()["status"], "success")
        self.assertRegex(answer.json()["token"], "^[0-9a-f-]{36}$")

    def test_token_of_8192_bytes_fits_through_digest_authentication(self):
        token = "t" * 8192
        path = f"/1.0/admin/token?token_id={token}"
        answer = self.service.request("POST", path, auth=("admin", "first secret"))
        self.assertEqual(answer.status, 200)
        self.assertEqual(answer.json()["status"], "success")
        answer = self.service.request("DELETE", path, auth=("admin", "first secret"))
        self.assertEqual(answer.json()["status"], "success")


class PasswordChange(unittest.TestCase):
    def test_changed_password_is_the_one_asked_for_next_in_the_configured_realm(self):
        config = "DIGEST_DOMAIN = ocu-admins\nHTPASSWD_FILE = private/htdigest\n"
        service = ocutest.Service(simulator=False, tls=False, start=False, config=config)
        try:
            ocutest.write_password_file(os.path.join(service.home, "private", "htdigest"),
                                        "old", realm="ocu-admins")
            service.start()
            refused = service.request("GET", "/1.0/admin/config", auth=("admin", "x"))
            self.assertIn('realm="ocu-admins"', refused.header("WWW-Authenticate"))
            answer = service.request("POST", "/1.0/admin/password?new_password=n%41w",
                                     auth=("admin", "old"))
            self.assertEqual(answer.json()["status"], "success")
            self.assertEqual(
                service.request("GET", "/1.0/admin/config", auth=("admin", "old")).status, 401)
            answer = service.request("GET", "/1.0/admin/config", auth=("admin", "n%41w"))
            self.assertEqual(answer.json(), {"status": "success", "tokenAuthentication": False})
            self.assertFalse(os.path.exists(service.password_file))
        finally:
            service.close()


if __name__ == "__main__":
    unittest.main()
