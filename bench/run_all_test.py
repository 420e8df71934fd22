"""Checks of bench/run-all's report, fed with canned JSON lines: no benchmark is built or run."""

import contextlib
import importlib.machinery
import importlib.util
import io
import json
import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
loader = importlib.machinery.SourceFileLoader("run_all", os.path.join(HERE, "run-all"))
spec = importlib.util.spec_from_loader("run_all", loader)
run_all = importlib.util.module_from_spec(spec)
loader.exec_module(run_all)


def line(bench, *measures):
    return json.dumps({"bench": bench, "measures": list(measures)})


def measure(name, ours, reference, goal=0, limit=0, note=""):
    return {"name": name, "unit": "ms", "rounds": 5, "ours": ours, "reference": reference,
            "ratio": ours / reference, "goal": goal, "limit": limit, "met": True, "note": note}


def passes(*outputs):
    return [run_all.parse_measures(output) for output in outputs]


class Report(unittest.TestCase):
    def test_only_json_lines_of_a_bench_are_read(self):
        output = "\n".join([
            "100 documents, 3 rounds",
            "walk ours 1.0 reference 0.5 {not json",
            '{"no bench": 1}',
            line("views", measure("open", 2.0, 1.0, goal=1.2)),
        ])
        self.assertEqual(list(run_all.parse_measures(output)), [("views", "open")])

    def test_figures_are_medians_of_the_passes(self):
        rows = run_all.aggregate(passes(
            line("a", measure("m", 3.0, 1.0)),
            line("a", measure("m", 1.0, 1.0)),
            line("a", measure("m", 8.0, 2.0))), 3)
        self.assertEqual((rows[0]["ours"], rows[0]["reference"], rows[0]["ratio"]), (3.0, 1.0, 3.0))
        self.assertEqual(rows[0]["result"], "-")

    def test_met_only_when_every_pass_meets_the_goal(self):
        met = run_all.aggregate(passes(*[line("a", measure("m", r, 1.0, goal=1.2)) for r in (1.0, 1.2, 1.1)]), 3)
        self.assertEqual(met[0]["result"], "met")
        # The median (1.1) meets the goal, one pass does not: missed, with every pass's ratio.
        missed = run_all.aggregate(passes(*[line("a", measure("m", r, 1.0, goal=1.2)) for r in (1.0, 1.3, 1.1)]),
                                   3)
        self.assertEqual(missed[0]["ratio"], 1.1)
        self.assertEqual(missed[0]["result"], "missed (1.00, 1.30, 1.10)")

    def test_an_absolute_limit_is_held_to_ours(self):
        rows = run_all.aggregate(passes(*[line("q", measure("open", ours, 0.1, limit=50)) for ours in (2, 60, 3)]), 3)
        self.assertEqual(rows[0]["result"], "missed (2.00, 60.0, 3.00)")
        self.assertEqual(run_all.goal_text(rows[0]), "ours <= 50 ms")

    def test_a_measure_missing_from_a_pass_is_incomplete(self):
        rows = run_all.aggregate(passes(
            line("a", measure("m", 1.0, 1.0, goal=2), measure("n", 1.0, 1.0, goal=2)),
            line("a", measure("m", 1.0, 1.0, goal=2))), 2)
        self.assertEqual([r["result"] for r in rows], ["met", "incomplete (1 of 2 passes)"])

    def test_figures_keep_three_significant_digits(self):
        self.assertEqual([run_all.figure(v) for v in (0.0123456, 1.23456, 45.678, 1234.5)],
                         ["0.0123", "1.23", "45.7", "1234"])
        self.assertEqual(run_all.ratio_text(0.0173), "0.0173")

    def test_the_readme_gets_the_report_whole_between_its_markers(self):
        text = "intro\n%s\nold table\n%s\nafter\n" % (run_all.BEGIN, run_all.END)
        self.assertEqual(run_all.into_readme(text, "new\n"),
                         "intro\n%s\nnew\n%s\nafter\n" % (run_all.BEGIN, run_all.END))
        with self.assertRaises(SystemExit):
            run_all.into_readme("no markers\n", "new\n")


class Runs(unittest.TestCase):
    """main() with benchmarks that print canned lines, one pass after another."""

    def run_main(self, benches, argv):
        out, err = io.StringIO(), io.StringIO()
        with contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
            status = run_all.main(argv, benches)
        return status, out.getvalue()

    def test_every_pass_runs_every_benchmark_and_a_failed_run_is_never_met(self):
        counter = os.path.join(os.environ.get("TMPDIR", "/tmp"), "run-all-test-%d" % os.getpid())
        self.addCleanup(lambda: os.path.exists(counter) and os.remove(counter))
        # The pass number comes from a file the fake benchmark appends to: ratios 1.0, 1.1, 1.2.
        script = ("echo x >> '%s'; n=$(($(wc -l < '%s') - 1)); echo '%s' | sed \"s/RATIO/1.$n/g\"" % (
            counter, counter, line("ok", {"name": "m", "unit": "s", "rounds": 3, "ours": "RATIO", "reference": 1,
                                          "ratio": "RATIO", "goal": 1.5, "limit": 0, "met": True, "note": ""})
            .replace('"RATIO"', "RATIO")))
        benches = [
            {"name": "ok", "rounds": 3, "command": ["sh", "-c", script]},
            {"name": "broken", "rounds": 3, "command": ["sh", "-c", "echo '%s'; exit 2" % line(
                "broken", measure("m", 1.0, 1.0, goal=2))]},
            {"name": "big", "rounds": 3, "million": True, "command": ["sh", "-c", "exit 3"]},
        ]
        status, report = self.run_main(benches, ["--passes", "3"])
        self.assertEqual(status, 1)
        self.assertIn("| ok: m | 1.10 s | 1.00 s | 1.10 | <= 1.5 | met |", report)
        self.assertIn("| broken: m |", report)
        self.assertIn("failed run: met", report)
        self.assertIn("- broken, pass 3: exit status 2", report)
        self.assertNotIn("big", report)  # the million-document entries run only when asked
        self.assertRegex(report.splitlines()[0], r"^bench/run-all, \d{4}-\d\d-\d\d \d\d:\d\d to \d\d:\d\d UTC; \d+ "
                                                 r"cores; load average .* at the start, .* at the end; commit ")

    def test_counts_reach_the_commands(self):
        canned = line("echo", measure("m", 1.0, 1.0, note="NOTE")).replace('"', '\\"').replace("NOTE", "$0 $1")
        benches = [{"name": "echo", "rounds": 9, "command": ["sh", "-c", 'echo "%s"' % canned, "{documents}",
                                                             "{rounds}"]}]
        _, report = self.run_main(benches, ["--quick", "--passes", "1"])
        self.assertIn("- echo: m: 2000 3", report)
        _, report = self.run_main(benches, ["--passes", "1", "--documents", "500"])
        self.assertIn("- echo: m: 500 9", report)


if __name__ == "__main__":
    unittest.main()
