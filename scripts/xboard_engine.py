"""An engine process spoken to over the xboard protocol, as the match and
game scripts use it (scripts/thread-match.py, scripts/strength-match.py,
tools/wdl-games.py). MATCH_TRACE=1 in the environment echoes every line sent
and read on standard error."""
import os
import select
import subprocess
import sys
import time


class XboardEngine:
    def __init__(self, argv, folder, setup=(), start_timeout=60):
        """Starts `argv` in `folder`, waits for its features, then sends the
        lines of `setup`."""
        self.p = subprocess.Popen(argv, cwd=folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True, bufsize=1)
        self.fd = self.p.stdout.fileno()
        self.pending = b""
        self.usermove = False
        self.trace = bool(os.environ.get("MATCH_TRACE"))
        self.send("xboard")
        self.send("protover 2")

        def feature(line):
            self.usermove |= line.startswith("feature") and "usermove=1" in line
            return "done=1" in line

        if self.wait_for(feature, start_timeout) is None:
            self.close()
            raise RuntimeError("%s gave no feature done=1" % argv[0])
        for line in setup:
            self.send(line)

    def send(self, line):
        if self.trace:
            print("  >%s> %s" % (self.p.args[0], line), file=sys.stderr)
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()

    def send_move(self, move):
        """A move of the opponent, as the engine asked for it."""
        self.send(("usermove " if self.usermove else "") + move)

    def wait_for(self, test, timeout, keep=lambda line: False, seen=None):
        """The first line that passes `test`, or None after `timeout` seconds
        (0: only what has arrived). Lines passed over go to `seen`, except
        those that pass `keep`: those stay to be read, and end the wait."""
        end = time.monotonic() + timeout
        while True:
            while b"\n" in self.pending:
                raw, rest = self.pending.split(b"\n", 1)
                line = raw.decode(errors="replace").strip()
                if keep(line):
                    return None
                self.pending = rest
                if self.trace:
                    print("  <%s> %s" % (self.p.args[0], line), file=sys.stderr)
                if test(line):
                    return line
                if seen:
                    seen(line)
            left = max(0.0, end - time.monotonic())
            ready, _, _ = select.select([self.fd], [], [], left)
            if not ready:
                return None
            chunk = os.read(self.fd, 65536)
            if not chunk:
                return None
            self.pending += chunk

    def close(self):
        try:
            self.send("quit")
            self.p.wait(5)
        except Exception:
            self.p.kill()
