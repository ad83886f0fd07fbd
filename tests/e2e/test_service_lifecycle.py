"""OcuService as a process: the command line, start-up from config.ini, the orderly stop on
SIGINT and SIGTERM, a port that is taken, fatal signals, and running as a systemd service."""

import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import unittest

import ocutest

STATISTICS = r"\nWSMemPool: Size: [ \d]{10}, Capacity: [ \d]{10} \n"
BIND_FAILURE = "null context when constructing CivetServer. Possible problem binding to port."
STARTUP_USAGE = ("\n\nRun as console -console\n\nFor Install use Service -install\n\n"
                 "For UnInstall use Service -remove\n\nFor start|stop use Service -start|stop\n\n")
UNKNOWN_SWITCH = ("\n\nUnknown parameter!\n\n\nUnknown Switch Usage\n\n"
                  "For Install use Service -install\n\nFor UnInstall use Service -remove\n\n"
                  "For start|stop use Service -start|stop\n\n")
NO_SERVICE_MANAGER = "The specified service control database does not exist.\n"


def run_program(args, env=None, timeout=ocutest.DEFAULT_TIMEOUT, cwd=None):
    """Runs OcuService to its end; returns (exit code, output)."""
    done = subprocess.run([ocutest.program("OcuService"), *args], env=env, cwd=cwd,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
    return done.returncode, done.stdout.decode("utf-8", "replace")


def systemd_running():
    return os.path.isdir("/run/systemd/system")


class OrderlyStop(unittest.TestCase):
    def check_stops_in_order(self, sig, caught_line):
        with ocutest.Service(simulator=False) as service:
            self.assertEqual(service.request("GET", "/1.0/info").status, 200)
            code = service.stop(sig)
            self.assertEqual(code, 0)
            output = service.output()
            banner = f"Service hosted at http://localhost:{service.ports}\n"
            self.assertRegex(output, "^" + re.escape(banner + caught_line + "Bye!\n") +
                             STATISTICS + "$")

    def test_interrupt_stops_in_order(self):
        self.check_stops_in_order(signal.SIGINT, "Caught signal 2\n")

    def test_terminate_stops_in_order(self):
        self.check_stops_in_order(signal.SIGTERM, "Caught signal 15\n")

    def test_requests_after_the_stop_are_refused(self):
        service = ocutest.Service(simulator=False, tls=False)
        with service:
            service.stop(signal.SIGINT)
            with self.assertRaises(OSError):
                service.request("GET", "/1.0/nothing", timeout=2)


class PortTaken(unittest.TestCase):
    def test_second_instance_on_the_same_port_fails_with_the_bind_message(self):
        with ocutest.Service(simulator=False) as first:
            second = ocutest.Service(simulator=False, ports=first.ports, start=False)
            try:
                second.launch(("-console", "0"))
                self.assertEqual(second.wait(), 0)
                self.assertRegex(second.output(),
                                 "^" + re.escape(BIND_FAILURE) + STATISTICS + "$")
            finally:
                second.close()
            # The first instance is unharmed.
            self.assertEqual(first.request("GET", "/1.0/nothing").status, 200)

    def test_port_taken_by_another_program(self):
        with socket.socket() as holder:
            holder.bind(("127.0.0.1", 0))
            holder.listen()
            port = holder.getsockname()[1]
            service = ocutest.Service(simulator=False, ports=f"127.0.0.1:{port}", start=False)
            try:
                service.launch(("-console", "0"))
                self.assertEqual(service.wait(), 0)
                self.assertTrue(service.output().startswith(BIND_FAILURE), service.output())
            finally:
                service.close()


class Configuration(unittest.TestCase):
    def test_conf_folder_comes_before_the_home_file(self):
        service = ocutest.Service(simulator=False, tls=False, start=False)
        try:
            port = ocutest.free_port()
            os.makedirs(os.path.join(service.home, "conf"))
            with open(os.path.join(service.home, "conf", "config.ini"), "w") as out:
                out.write(f"SERVER_PORTS=127.0.0.1:{port}\nSERVER_DUCUMENT_ROOT = .\n"
                          "HTPASSWD_FILE = resource/password\nTOKEN_FILE = resource/t.ini\n"
                          "SERVER_SSL_CERTICICATE = ssl/localhost.pem\n")
            service.http_port = port
            service.start()
            self.assertIn(f"Service hosted at http://localhost:127.0.0.1:{port}\n",
                          service.output())
            self.assertEqual(service.request("GET", "/1.0/nothing").status, 200)
            self.assertEqual(service.stop(), 0)
        finally:
            service.close()

    def test_overlong_joined_path_refuses_to_start(self):
        service = ocutest.Service(simulator=False, tls=False, start=False,
                                  config="TOKEN_FILE = " + "t" * 300 + "\n")
        try:
            service.launch(("-console", "0"))
            self.assertEqual(service.wait(), 0)
            self.assertEqual(service.output(),
                             "The path configured by TOKEN_FILE is longer than 259 characters.\n")
        finally:
            service.close()


class CommandLine(unittest.TestCase):
    def test_no_argument_outside_the_service_manager_prints_usage_and_ends(self):
        env = dict(os.environ)
        env.pop("NOTIFY_SOCKET", None)
        code, output = run_program([], env=env)
        self.assertEqual(code, 0)
        self.assertEqual(output, STARTUP_USAGE)

    def test_unknown_switch(self):
        code, output = run_program(["-Console", "0"])
        self.assertEqual(code, 0)
        self.assertEqual(output, UNKNOWN_SWITCH)

    @unittest.skipIf(systemd_running(), "would really change the services of this machine")
    def test_without_systemd_every_management_switch_says_so(self):
        for switch, expected in (("-install", NO_SERVICE_MANAGER),
                                 ("-start", NO_SERVICE_MANAGER),
                                 ("-stop", NO_SERVICE_MANAGER),
                                 ("-remove", NO_SERVICE_MANAGER * 2)):
            with self.subTest(switch=switch):
                code, output = run_program([switch, "0"])
                self.assertEqual(code, 0)
                self.assertEqual(output, expected)
        self.assertFalse(os.path.exists("/etc/systemd/system/OcuService.service"))


class FatalSignals(unittest.TestCase):
    def test_fatal_signal_prints_and_ends_the_process(self):
        for sig in (signal.SIGSEGV, signal.SIGFPE, signal.SIGILL):
            with self.subTest(signal=sig):
                service = ocutest.Service(simulator=False, tls=False)
                try:
                    service.process.send_signal(sig)
                    code = service.wait()
                    self.assertEqual(code, -sig)
                    self.assertIn(f"Caught signal {int(sig)}\n", service.output())
                    self.assertNotIn("Bye!", service.output())
                finally:
                    service.close()


class UnderSystemd(unittest.TestCase):
    """Started the way systemd starts a Type=notify unit: NOTIFY_SOCKET names the socket the
    service reports to, and SIGTERM asks it to stop."""

    def test_reports_ready_and_takes_sigterm_as_the_stop_control(self):
        service = ocutest.Service(simulator=False, tls=False, start=False)
        folder = tempfile.mkdtemp(prefix="ocutest-notify-")
        path = os.path.join(folder, "notify")
        notify = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        try:
            notify.bind(path)
            notify.settimeout(ocutest.DEFAULT_TIMEOUT)
            service.launch((), env={"NOTIFY_SOCKET": path})
            self.assertEqual(notify.recv(256), b"READY=1")
            service.wait_for_output("Service hosted at")
            self.assertEqual(service.request("GET", "/1.0/info").status, 200)
            service.process.send_signal(signal.SIGTERM)
            self.assertEqual(notify.recv(256), b"STOPPING=1")
            self.assertEqual(service.wait(), 0)
            output = service.output()
            self.assertTrue(output.startswith(STARTUP_USAGE + "Service hosted at"), output)
            self.assertNotIn("Caught signal", output)
            self.assertRegex(output, r"Bye!\n" + STATISTICS + "$")
        finally:
            notify.close()
            service.close()
            shutil.rmtree(folder, ignore_errors=True)

    def test_a_service_that_cannot_listen_ends_in_failure(self):
        """systemd restarts a unit that fails, not one that ended in order."""
        service = ocutest.Service(simulator=False, tls=False, start=False)
        folder = tempfile.mkdtemp(prefix="ocutest-notify-")
        path = os.path.join(folder, "notify")
        notify = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        taken = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        try:
            notify.bind(path)
            taken.bind(("127.0.0.1", service.http_port))
            taken.listen()
            service.launch((), env={"NOTIFY_SOCKET": path})
            self.assertEqual(service.wait(), 1)
            self.assertIn("Possible problem binding to port", service.output())
        finally:
            taken.close()
            notify.close()
            service.close()
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
