"""Drvlaunch run from temporary folders holding stub installers.

Each stub is a small shell script named dpinst64.exe or dpinst32.exe that records how it was
started (its path and arguments) in a file beside it and exits with its own code.
"""

import os
import shutil
import signal
import subprocess
import tempfile
import unittest

BIN_DIR = os.environ.get("OCU_BIN_DIR", "")
DRVLAUNCH = os.path.join(BIN_DIR, "Drvlaunch")

# Stub exit codes, so a test can tell which installer ran.
EXIT_64 = 0xA5
EXIT_32 = 0x3C

RUNNING = "Running dpinst depending on the underlying platform\n"
OS_64 = "We are on a 64 bit OS.\n"
OS_32 = "We are on a 32 bit OS.\n"


def stub_script(exit_code, extra=""):
    return (
        "#!/bin/sh\n"
        'printf "%s\\n" "$0" "$@" > "$0.args"\n'
        + extra
        + "exit %d\n" % exit_code
    )


def plain_environment():
    """The environment without any locale setting but LC_ALL=C: ASCII only, English texts."""
    env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "LANG"))}
    env["LC_ALL"] = "C"
    return env


class DrvlaunchTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.access(DRVLAUNCH, os.X_OK):
            raise AssertionError("no Drvlaunch program in OCU_BIN_DIR=%r" % BIN_DIR)

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="drvlaunch-e2e-").encode()
        self.addCleanup(shutil.rmtree, self.root)

    # --- helpers -------------------------------------------------------------------------

    def package(self, folder, installers=(64, 32)):
        """Drvlaunch and the given stub installers in `folder` (bytes, made if needed)."""
        os.makedirs(os.path.join(folder, b"drivers"), exist_ok=True)
        program = os.path.join(folder, b"Drvlaunch")
        shutil.copy(DRVLAUNCH, program)
        for bits in installers:
            self.stub(folder, bits, stub_script(EXIT_64 if bits == 64 else EXIT_32))
        return program

    def stub(self, folder, bits, script, mode=0o755):
        path = os.path.join(folder, b"drivers", b"dpinst%d.exe" % bits)
        with open(path, "w") as out:
            out.write(script)
        os.chmod(path, mode)
        return path

    def recorded(self, folder, bits):
        """The lines a stub recorded (its own path, then its arguments), or None if it never ran."""
        path = os.path.join(folder, b"drivers", b"dpinst%d.exe.args" % bits)
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read().split(b"\n")[:-1]

    def run_launcher(self, argv0, executable=None, cwd=None, prefix=(), **kwargs):
        """Runs Drvlaunch with the first argument `argv0`; answers (stdout bytes, status)."""
        kwargs.setdefault("env", plain_environment())
        kwargs.setdefault("stdout", subprocess.PIPE)
        if prefix:
            # setarch and the like take the program and its arguments after their own.
            args = list(prefix) + [executable or argv0]
            done = subprocess.run(args, cwd=cwd, timeout=60, **kwargs)
        else:
            done = subprocess.run(
                [argv0], executable=executable, cwd=cwd, timeout=60, **kwargs
            )
        return done.stdout, done.returncode

    # --- the installer runs ---------------------------------------------------------------

    def test_runs_the_64_bit_installer_with_lm_and_prints_its_exit_code(self):
        folder = os.path.join(self.root, b"pkg")
        program = self.package(folder)
        out, status = self.run_launcher(program)
        self.assertEqual(status, 0)
        self.assertEqual(
            out.decode(),
            "Application directory: %s\n" % folder.decode()
            + RUNNING
            + OS_64
            + "CreateProcess succeeded\n"
            "Process finished.\n"
            "Process exit code = 0xA5\n"
            "Thread exit code = 0xA500\n",
        )
        self.assertEqual(
            self.recorded(folder, 64), [folder + b"/drivers/dpinst64.exe", b"/lm"]
        )
        self.assertIsNone(self.recorded(folder, 32))

    def test_runs_the_32_bit_installer_on_a_32_bit_kernel(self):
        setarch = shutil.which("setarch")
        if setarch is None:
            self.skipTest("setarch is not installed")
        probe = subprocess.run([setarch, "i686", "uname", "-m"], capture_output=True)
        if probe.returncode != 0 or probe.stdout.strip() != b"i686":
            self.skipTest("this kernel offers no 32-bit personality")
        folder = os.path.join(self.root, b"pkg32")
        program = self.package(folder)
        out, status = self.run_launcher(program, prefix=[setarch, "i686"])
        self.assertEqual(status, 0)
        self.assertIn((OS_32 + "CreateProcess succeeded\n").encode(), out)
        self.assertIn(b"Process exit code = 0x3C\n", out)
        self.assertEqual(
            self.recorded(folder, 32), [folder + b"/drivers/dpinst32.exe", b"/lm"]
        )
        self.assertIsNone(self.recorded(folder, 64))

    def test_installer_output_comes_between_the_launchers_lines(self):
        folder = os.path.join(self.root, b"order")
        program = self.package(folder, installers=())
        self.stub(folder, 64, stub_script(0, extra="echo installer speaking\n"))
        out, _ = self.run_launcher(program)
        # The installer runs beside the launcher from the moment it is started, so its line may
        # come before or after "CreateProcess succeeded"; it always comes after the bitness line
        # and before "Process finished.", and no line is torn apart.
        lines = out.split(b"\n")
        self.assertIn(b"installer speaking", lines)
        speaking = lines.index(b"installer speaking")
        self.assertLess(lines.index(OS_64.rstrip("\n").encode()), speaking)
        self.assertLess(speaking, lines.index(b"Process finished."))
        self.assertLess(
            lines.index(b"CreateProcess succeeded"), lines.index(b"Process finished.")
        )

    def test_installer_ended_by_a_signal(self):
        folder = os.path.join(self.root, b"killed")
        program = self.package(folder, installers=())
        self.stub(folder, 64, stub_script(0, extra="kill -TERM $$\nsleep 5\n"))
        out, status = self.run_launcher(program)
        self.assertEqual(status, 0)
        self.assertIn(b"Process exit code = 0x8F\nThread exit code = 0xF\n", out)

    # --- the installer cannot run ---------------------------------------------------------

    def test_missing_installer_reports_create_process_and_no_process(self):
        folder = os.path.join(self.root, b"empty")
        program = self.package(folder, installers=())
        out, status = self.run_launcher(program)
        self.assertEqual(status, 0)
        self.assertEqual(
            out.decode(),
            "Application directory: %s\n" % folder.decode()
            + RUNNING
            + OS_64
            + "ERROR: CreateProcess(): 0x2: No such file or directory\n"
            "No process created\n",
        )

    def test_installer_without_execute_permission(self):
        folder = os.path.join(self.root, b"noexec")
        program = self.package(folder, installers=())
        self.stub(folder, 64, stub_script(0), mode=0o644)
        out, status = self.run_launcher(program)
        self.assertEqual(status, 0)
        self.assertTrue(
            out.endswith(b"ERROR: CreateProcess(): 0xD: Permission denied\nNo process created\n"),
            out,
        )
        self.assertIsNone(self.recorded(folder, 64))

    # --- the program path -----------------------------------------------------------------

    def test_first_argument_without_separator_is_the_folder(self):
        folder = os.path.join(self.root, b"pkg")
        self.package(folder)
        out, status = self.run_launcher(b"pkg", executable=DRVLAUNCH, cwd=self.root)
        self.assertEqual(status, 0)
        self.assertTrue(out.startswith(b"Application directory: pkg\n" + RUNNING.encode()), out)
        self.assertEqual(self.recorded(folder, 64), [b"pkg/drivers/dpinst64.exe", b"/lm"])

    def test_relative_path_with_forward_slashes_is_cut_at_the_last_one(self):
        folder = os.path.join(self.root, b"a", b"b")
        self.package(folder)
        out, status = self.run_launcher(b"./a/b/Drvlaunch", executable=DRVLAUNCH, cwd=self.root)
        self.assertEqual(status, 0)
        self.assertTrue(out.startswith(b"Application directory: ./a/b\n"), out)
        self.assertEqual(self.recorded(folder, 64), [b"./a/b/drivers/dpinst64.exe", b"/lm"])

    def test_backslash_separates_as_well(self):
        folder = os.path.join(self.root, b"win")
        self.package(folder)
        out, status = self.run_launcher(b"win\\Drvlaunch.exe", executable=DRVLAUNCH, cwd=self.root)
        self.assertEqual(status, 0)
        self.assertTrue(out.startswith(b"Application directory: win\n"), out)
        self.assertEqual(self.recorded(folder, 64), [b"win/drivers/dpinst64.exe", b"/lm"])

    def test_folder_with_blanks_runs_its_own_installer_not_a_shorter_prefix(self):
        # Windows, given the unquoted line ".../my dir/drivers/dpinst64.exe /lm", would try
        # ".../my" first; here that file must stay untouched.
        decoy = os.path.join(self.root, b"my")
        with open(decoy, "w") as out:
            out.write('#!/bin/sh\ntouch "$0.ran"\n')
        os.chmod(decoy, 0o755)
        folder = os.path.join(self.root, b"my dir")
        program = self.package(folder)
        out, status = self.run_launcher(program)
        self.assertEqual(status, 0)
        self.assertIn(b"Process exit code = 0xA5\n", out)
        self.assertEqual(
            self.recorded(folder, 64), [folder + b"/drivers/dpinst64.exe", b"/lm"]
        )
        self.assertFalse(os.path.exists(decoy + b".ran"))

    def test_non_ascii_folder_is_printed_as_utf8_in_the_c_locale(self):
        name = "Ωμέγα-日本語-é"
        folder = os.path.join(self.root, name.encode())
        program = self.package(folder)
        out, status = self.run_launcher(program)
        self.assertEqual(status, 0)
        self.assertTrue(
            out.startswith(("Application directory: %s\n" % folder.decode()).encode("utf-8")),
            out,
        )
        self.assertEqual(
            self.recorded(folder, 64), [folder + b"/drivers/dpinst64.exe", b"/lm"]
        )

    def test_folder_name_that_is_not_utf8_still_names_its_installer(self):
        folder = os.path.join(self.root, b"raw\xff\xfe")
        program = self.package(folder)
        out, status = self.run_launcher(program)
        self.assertEqual(status, 0)
        first_line = out.split(b"\n")[0]
        self.assertTrue(first_line.endswith(b"raw\xef\xbf\xbd\xef\xbf\xbd"), first_line)
        first_line.decode("utf-8")  # valid UTF-8 throughout
        self.assertEqual(
            self.recorded(folder, 64), [folder + b"/drivers/dpinst64.exe", b"/lm"]
        )

    def path_of_length(self, length):
        """A folder under the temporary root, made, whose Drvlaunch path is `length` bytes."""
        tail = b"/Drvlaunch"
        folder = self.root
        while len(folder) + len(tail) < length:
            step = min(200, length - len(tail) - len(folder) - 1)
            folder = os.path.join(folder, b"d" * max(step, 1))
        self.assertEqual(len(folder) + len(tail), length)
        return folder

    def test_program_path_of_1023_characters_runs_the_installer(self):
        folder = self.path_of_length(1023)
        program = self.package(folder)
        self.assertEqual(len(program), 1023)
        out, status = self.run_launcher(program)
        self.assertEqual(status, 0)
        self.assertIn(b"Process exit code = 0xA5\n", out)
        self.assertEqual(
            self.recorded(folder, 64), [folder + b"/drivers/dpinst64.exe", b"/lm"]
        )

    def test_program_path_of_1024_characters_is_refused(self):
        folder = self.path_of_length(1024)
        program = self.package(folder)
        self.assertEqual(len(program), 1024)
        out, status = self.run_launcher(program)
        self.assertEqual(status, 0)
        self.assertEqual(
            out,
            b"ERROR: The program path is 1024 characters long; at most 1023 fit\n"
            b"No process created\n",
        )
        self.assertIsNone(self.recorded(folder, 64))

    def test_program_path_of_5000_characters_is_refused(self):
        out, status = self.run_launcher(b"/" + b"x" * 4999, executable=DRVLAUNCH)
        self.assertEqual(status, 0)
        self.assertEqual(
            out,
            b"ERROR: The program path is 5000 characters long; at most 1023 fit\n"
            b"No process created\n",
        )

    # --- the console ----------------------------------------------------------------------

    def test_installer_still_runs_when_nobody_reads_the_output(self):
        folder = os.path.join(self.root, b"pipe")
        program = self.package(folder)
        read_end, write_end = os.pipe()
        os.close(read_end)
        try:
            _, status = self.run_launcher(program, stdout=write_end)
        finally:
            os.close(write_end)
        self.assertEqual(status, 0)
        self.assertEqual(
            self.recorded(folder, 64), [folder + b"/drivers/dpinst64.exe", b"/lm"]
        )


if __name__ == "__main__":
    unittest.main()
