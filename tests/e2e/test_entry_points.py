"""The entry points seen from a host: record checks and the pre-run check across processes."""
import os
import select
import signal
import subprocess
import time
import unittest

from ktenv import PracticeTree, last_line


class RecordChecks(unittest.TestCase):
    def setUp(self):
        self.tree = PracticeTree()

    def tearDown(self):
        self.tree.close()

    def test_no_practitioner_is_refused_with_its_message(self):
        done, shown = self.tree.kthost(*self.tree.record_options(**{"--practitioner": None}))
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(last_line(done.stdout), "result: 1")
        self.assertEqual(len(shown), 1, shown)
        self.assertTrue(shown[0].startswith(
            'message id=1084 caption="Erreur" style=0x10 flag=1 '
            'text="Le nom du praticien n\'est pas lisible. Mise à jour impossible." -> '), shown[0])

    def test_both_folders_missing_names_the_data_folder(self):
        done, shown = self.tree.kthost(*self.tree.record_options(
            **{"--app-dir": self.tree.path("no-app"), "--data-dir": self.tree.path("no-data")}))
        self.assertEqual(last_line(done.stdout), "result: 1")
        self.assertEqual(len(shown), 1, shown)
        self.assertIn('message id=1100 caption="Erreur" style=0x10', shown[0])
        self.assertIn('text="Le chemin des données est incorrect.\\nLa mise à jour est impossible."', shown[0])

    def test_a_critical_call_with_a_bad_version_says_so_and_stops_the_host(self):
        done, shown = self.tree.kthost("--critical", *self.tree.record_options(**{"--ver-minor": None}))
        self.assertEqual(last_line(done.stdout), "result: 1")
        self.assertEqual(len(shown), 1, shown)
        self.assertTrue(shown[0].startswith("message id=1078 "), shown[0])

    def test_a_valid_record_starts_the_run_and_the_load_is_logged_once(self):
        done, shown = self.tree.kthost(*self.tree.record_options(), script="buttons 1021 -> 24\n")
        self.assertEqual(last_line(done.stdout), "result: 1")
        self.assertTrue(shown[0].startswith('buttons id=1021 caption="Talvo" style=0x24 '), shown)
        log = self.tree.activity_log()
        self.assertEqual(log.count("ktupdateDLL :   ---   ktupdateDLL"), 1, log)
        self.assertIn("ktupdateDLL : Main update function starts", log)
        self.assertIn("ktupdateDLL : Case : normal", log)


class RunAlreadyInProgress(unittest.TestCase):
    def setUp(self):
        self.tree = PracticeTree()
        self.holder = None

    def tearDown(self):
        if self.holder:
            if self.holder.poll() is None:
                self.holder.kill()
                self.holder.wait(timeout=10)
            self.holder.stdout.close()
        self.tree.close()

    def start_first_run(self):
        self.holder = subprocess.Popen([os.environ["RUN_HOLDER"], self.tree.update, self.tree.app],
                                       env=self.tree.env, stdout=subprocess.PIPE, text=True)
        self.assertEqual(self.holder.stdout.readline().strip(), "ready")

    def test_a_second_call_wakes_the_first_run_and_does_nothing_else(self):
        self.start_first_run()
        time.sleep(0.5)  # the first run is asleep on its timer by now
        called = time.monotonic()
        done, shown = self.tree.kthost(*self.tree.record_options(**{"--practitioner": None}))
        returned = time.monotonic()
        self.assertEqual(last_line(done.stdout), "result: 1")
        self.assertEqual(shown, [], "a turned-away call shows nothing, not even the record check")
        ready, _, _ = select.select([self.holder.stdout], [], [], 10)
        self.assertTrue(ready, "the first run never woke")
        woke = self.holder.stdout.readline().split()
        self.assertEqual(woke[0], "woke")
        fields = dict(item.split("=") for item in woke[1:])
        self.assertEqual(fields["result"], "0", "the waiting run shows the main dialog instead of updating")
        self.assertGreater(int(fields["ms"]), 400, "it was waiting")
        # Both clocks are the machine's monotonic clock.
        self.assertGreater(float(fields["at"]), called, "woken by the call")
        self.assertLess(float(fields["at"]), returned + 1.0, "within a second of the call")

    def test_a_killed_first_run_blocks_nobody(self):
        self.start_first_run()
        self.holder.send_signal(signal.SIGKILL)
        self.holder.wait(timeout=10)
        done, shown = self.tree.kthost(*self.tree.record_options(**{"--practitioner": None}))
        self.assertEqual(last_line(done.stdout), "result: 1")
        self.assertEqual(len(shown), 1, "the call ran, so the record check answered")
        self.assertTrue(shown[0].startswith("message id=1084 "))


if __name__ == "__main__":
    unittest.main()
