"""The entry points seen from a host: the record checks, and calls made one after the other in one process."""
import os
import unittest

from ktenv import PracticeTree, last_line, shown_items


class EntryPoints(unittest.TestCase):
    def each(self, rows, check):
        """check(tree, *row) in a fresh tree for each row."""
        for path, *row in rows:
            with self.subTest(path):
                tree = PracticeTree()
                try:
                    check(tree, *row)
                finally:
                    tree.close()

    def test_record_checks(self):
        rows = [
            # path, critical, record overrides, script, what is shown first
            ("both folders missing", False, {"--app-dir": "{root}/no-app", "--data-dir": "{root}/no-data"}, "",
             'message id=1100 caption="Erreur" style=0x10 flag=1 text="Le chemin des données est incorrect.\\n'
             'La mise à jour est impossible." -> '),
            ("critical, bad version", True, {"--ver-minor": None}, "", "message id=1078 "),
            ("valid record", False, {}, "buttons 1021 -> 24\n", 'buttons id=1021 caption="Talvo" style=0x24 '),
        ]
        def check(tree, critical, overrides, script, first):
            overrides = {k: v and v.format(root=tree.root) for k, v in overrides.items()}
            done, shown = tree.kthost(*(["--critical"] if critical else []), *tree.record_options(**overrides),
                                      script=script)
            self.assertEqual(last_line(done.stdout), "result: 1", done.stderr)
            self.assertTrue(shown and shown[0].startswith(first), shown)
            if not script:
                self.assertEqual(len(shown), 1, shown)
            log = tree.activity_log()
            self.assertEqual(log.count("ktupdateDLL :   ---   ktupdateDLL"), 1, log)
            self.assertEqual("Case : normal" in log, not overrides and not critical, log)
        self.each(rows, check)

    def test_two_calls_in_one_process_behave_as_in_fresh_processes(self):
        rows = [
            # path, first call, second call, results, shown
            ("refused, then valid", {"--practitioner": None}, {}, ["1", "1"], ["1084", "1021", "dialog 102"]),
            ("run, then run again", {}, {}, ["1", "1"], ["1021", "dialog 102", "dialog 102"]),
            ("critical, then ordinary", {"--critical": True}, {}, ["0", "1"], ["1021", "dialog 102"]),
            ("ordinary, then critical", {}, {"--critical": True}, ["1", "0"], ["1021", "dialog 102"]),
        ]
        def check(tree, first, second, results, shown):
            calls = [["--", *tree.record_options(**call)] for call in (first, second)]
            done, transcript = tree.kthost(*calls[0], *calls[1], script="buttons 1021 -> 24\n",
                                           host=os.environ["TWO_CALLS"], timeout=30)
            self.assertEqual(done.stdout.split(), [w for r in results for w in ("result:", r)], done.stderr)
            self.assertEqual(shown_items(transcript), shown)
            log = tree.activity_log()
            self.assertEqual(log.count("Main update function starts"), results.count("1"), log)
            self.assertFalse(os.path.exists(os.path.join(tree.update, "updating.xml")), "no lock is left")
        self.each(rows, check)


if __name__ == "__main__":
    unittest.main()
