#!/usr/bin/env python3
"""The trace log of the 64-bit plug-in under Wine: switched on by the
registry value "logfile", appended to by every run, absent without it."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostlib  # noqa: E402

session = None
work = None


def read_text(path):
    with open(path, "rb") as f:
        return f.read().decode("latin-1").replace("\r\n", "\n")


class TraceLog(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.image = hostlib.windows_path(hostlib.sample_gradient(os.path.join(work, "input.png"), 16, 9))

    def run_start(self, *options):
        result = session.run_host(list(options) + ["--quiet", "--answer-dialogs", "--selector", "3", self.image])
        self.assertEqual(result.selector_results(), {3: 0}, result)
        return result

    def test_runs_write_and_append_the_trace_while_the_value_names_a_file(self):
        log = os.path.join(work, "trace.log")
        self.run_start("--logfile", hostlib.windows_path(log))
        self.assertTrue(os.path.isfile(log), "no trace file after a run with the logfile value")
        first = read_text(log)
        for text in ("Attach Process", "ENTER: ENTRYPOINT( selector(3)", "pFilterRecord:",
                     "EXIT : pfFilter::DoStartSelector( return(0) )"):
            self.assertIn(text, first)
        print("first run: trace written with attach, entry point, record dump and start exit lines")

        self.run_start("--logfile", hostlib.windows_path(log))
        second = read_text(log)
        self.assertTrue(second.startswith(first), "the second run did not append")
        appended = second[len(first):]
        self.assertTrue(appended.startswith("\n\nAttach Process"), repr(appended[:40]))
        self.assertIn("EXIT : pfFilter::DoStartSelector( return(0) )", appended)
        print("second run: appended after two empty lines, starting with \"Attach Process\"")

        self.run_start("--no-logfile")
        self.assertEqual(read_text(log), second, "a run without the value touched the trace file")
        query = session.reg("query", hostlib.REGISTRY_KEY, "/v", "logfile")
        self.assertNotEqual(query.code, 0, "the logfile value is still there: %s" % query)
        print("run without the value: registry value gone, no trace written")

    def test_without_the_value_no_file_is_created(self):
        quiet = os.path.join(work, "quiet")
        os.mkdir(quiet)
        self.run_start("--no-logfile", "--plane-files", hostlib.windows_path(os.path.join(quiet, "plane")))
        self.assertEqual(sorted(os.listdir(quiet)), ["plane0.png", "plane1.png", "plane2.png"])
        query = session.reg("query", hostlib.REGISTRY_KEY, "/v", "logfile")
        self.assertNotEqual(query.code, 0, "the logfile value is still there: %s" % query)
        print("without the value: no trace file created")


def main():
    global session, work
    args, _ = hostlib.parse_args()
    work = hostlib.temp_dir("corvane-trace-")
    with hostlib.wine_session(args) as wine:
        session = wine
        return hostlib.run_unittests([TraceLog])


if __name__ == "__main__":
    sys.exit(main())
