"""A short crash campaign: kthost killed at random moments of update runs (crash_run.py)."""
import io
import unittest

import crash_run


class CrashRun(unittest.TestCase):
    def test_killed_runs_lose_nothing_and_the_last_run_ends_cleanly(self):
        out = io.StringIO()
        kills, _, failures, differences = crash_run.crash_campaign(kills=8, seed=16, out=out)
        self.assertEqual((kills, failures, differences), (8, [], []), out.getvalue())


if __name__ == "__main__":
    unittest.main()
