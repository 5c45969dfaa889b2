"""The entry points seen from a host: the record checks, and calls made one after the other in one process."""
import os
import unittest

from ktenv import PracticeTree, shown_items

MISSING = ('message id=1100 caption="Erreur" style=0x10 flag=1 text="Le chemin des données est incorrect.\\nLa mise à '
           'jour est impossible." -> ')


class EntryPoints(unittest.TestCase):
    def test_each_call_behaves_as_in_a_fresh_process(self):
        rows = [
            # path, calls, results, shown, first transcript line begins with
            ("both folders missing", [{"--app-dir": "/no-such/app", "--data-dir": "/no-such/data"}], ["1"], ["1100"],
             MISSING),
            ("critical, bad version", [{"--critical": True, "--ver-minor": None}], ["1"], ["1078"], "message id=1078 "),
            ("refused, then valid", [{"--practitioner": None}, {}], ["1", "1"], ["1084", "1021", "dialog 102"],
             'message id=1084 caption="Erreur" style=0x10 flag=1 '),
            ("run, then run again", [{}, {}], ["1", "1"], ["1021", "dialog 102", "dialog 102"],
             'buttons id=1021 caption="Talvo" style=0x24 '),
            ("critical, then ordinary", [{"--critical": True}, {}], ["0", "1"], ["1021", "dialog 102"], "buttons "),
            ("ordinary, then critical", [{}, {"--critical": True}], ["1", "0"], ["1021", "dialog 102"], "buttons "),
        ]
        for path, calls, results, shown, first in rows:
            with self.subTest(path):
                tree = PracticeTree()
                try:
                    options = [["--", *tree.record_options(**call)] for call in calls]
                    done, transcript = tree.kthost(*sum(options, []), script="buttons 1021 -> 24\n",
                                                   host=os.environ["TWO_CALLS"], timeout=30)
                    self.assertEqual(done.stdout.split(), [w for r in results for w in ("result:", r)], done.stderr)
                    self.assertEqual(shown_items(transcript), shown)
                    self.assertTrue(transcript[0].startswith(first), transcript)
                    log = tree.activity_log()
                    self.assertEqual(log.count("ktupdateDLL :   ---   ktupdateDLL"), 1, log)
                    self.assertEqual(log.count("Main update function starts"), sum("--critical" not in c for c in calls))
                    self.assertEqual(log.count("Case : normal"), shown.count("dialog 102"), log)
                    self.assertFalse(os.path.exists(os.path.join(tree.update, "updating.xml")), "no lock is left")
                finally:
                    tree.close()


if __name__ == "__main__":
    unittest.main()
