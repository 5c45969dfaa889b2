"""The entry points seen from a host: record checks and the pre-run check across processes."""
import os
import select
import signal
import subprocess
import time
import unittest

from ktenv import PracticeTree, last_line, shown_items


class RecordChecks(unittest.TestCase):
    ROWS = [
        # path, critical, record overrides, script, what is shown first
        ("no practitioner", False, {"--practitioner": None}, "", 'message id=1084 caption="Erreur" style=0x10 flag=1 '
         'text="Le nom du praticien n\'est pas lisible. Mise à jour impossible." -> '),
        ("both folders missing", False, {"--app-dir": "{root}/no-app", "--data-dir": "{root}/no-data"}, "",
         'message id=1100 caption="Erreur" style=0x10 flag=1 text="Le chemin des données est incorrect.\\n'
         'La mise à jour est impossible." -> '),
        ("critical, bad version", True, {"--ver-minor": None}, "", "message id=1078 "),
        ("valid record", False, {}, "buttons 1021 -> 24\n", 'buttons id=1021 caption="Talvo" style=0x24 '),
    ]

    def test_every_path(self):
        for path, critical, overrides, script, first in self.ROWS:
            with self.subTest(path):
                tree = PracticeTree()
                try:
                    overrides = {k: v and v.format(root=tree.root) for k, v in overrides.items()}
                    args = (["--critical"] if critical else []) + tree.record_options(**overrides)
                    done, shown = tree.kthost(*args, script=script)
                    self.assertEqual(last_line(done.stdout), "result: 1", done.stderr)
                    self.assertTrue(shown and shown[0].startswith(first), shown)
                    if not script:
                        self.assertEqual(len(shown), 1, shown)
                    log = tree.activity_log()
                    self.assertEqual(log.count("ktupdateDLL :   ---   ktupdateDLL"), 1, log)
                    self.assertEqual("Case : normal" in log, path == "valid record", log)
                finally:
                    tree.close()


class TwoCallsInOneProcess(unittest.TestCase):
    """A host that stays open calls the module again: the later call behaves as in a fresh process."""
    ROWS = [
        # path, first call, second call, results, shown
        ("refused, then valid", {"--practitioner": None}, {}, ["1", "1"], ["1084", "1021", "dialog 102"]),
        ("run, then run again", {}, {}, ["1", "1"], ["1021", "dialog 102", "dialog 102"]),
        ("critical, then ordinary", {"--critical": True}, {}, ["0", "1"], ["1021", "dialog 102"]),
        ("ordinary, then critical", {}, {"--critical": True}, ["1", "0"], ["1021", "dialog 102"]),
    ]

    def test_every_pair(self):
        for path, first, second, results, shown in self.ROWS:
            with self.subTest(path):
                tree = PracticeTree()
                try:
                    calls = [["--"] + tree.record_options(**call) for call in (first, second)]
                    done, transcript = tree.kthost(*calls[0], *calls[1], script="buttons 1021 -> 24\n",
                                                   host=os.environ["TWO_CALLS"], timeout=30)
                    self.assertEqual(done.stdout.split(), [w for r in results for w in ("result:", r)], done.stderr)
                    self.assertEqual(shown_items(transcript), shown)
                    log = tree.activity_log()
                    self.assertEqual(log.count("Main update function starts"), results.count("1"), log)
                    self.assertFalse(os.path.exists(os.path.join(tree.update, "updating.xml")), "no lock is left")
                finally:
                    tree.close()


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
