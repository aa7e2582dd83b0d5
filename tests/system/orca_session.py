#!/usr/bin/python3
"""A blind user's session with Loquora, with Orca listening.

    orca_session.py LOQA_BINARY

On the private display (tests/harness/session.sh) this starts a session bus of
its own, the accessibility bus, speech-dispatcher with its dummy output and
Orca, then Loquora on two documents. From the keyboard alone it reads the first
document aloud, pauses, resumes and stops, opens the File menu and moves Right,
Tabs to the volume and opens the options dialog. Each step reads only the lines
Orca logged for it, and the checks below judge what Orca said.

Exit status 0 when every check passes (a check in KNOWN_FAULTS must fail and is
shown as XFAIL), 1 otherwise, 77 when the display or Orca is missing outside
the full session. Every process started here is ended on the way out.
LOQA_ORCA_LOG=PATH keeps Orca's whole debug log there. Orca's echo of the
keys pressed is left out of what each step shows.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# Checks the program does not pass yet: each is shown as XFAIL with what Orca
# said, and one that starts passing fails the run (XPASS) until it leaves this set.
KNOWN_FAULTS = set()

FIRST = "Every morning the baker opens the shop before the sun comes up."
DOCUMENT = (FIRST + " She lights the oven, weighs the flour and shapes the loaves by hand while the street"
            " is still quiet. By seven the first customers are waiting at the door, and the smell of warm"
            " bread reaches the corner of the square. Later in the day she bakes cakes for the school,"
            " answers letters from suppliers and plans the next week with her two apprentices, who are"
            " learning the trade one loaf at a time.")
# Read Aloud, Pause/Resume and Stop, system-wide on a first start.
READ, PAUSE, STOP = "shift+ctrl+alt+F2", "shift+ctrl+alt+F5", "shift+ctrl+alt+F6"
# Speech lines of Orca's debug log: "HH:MM:SS.micro - SPEECH OUTPUT: 'text' voice=x{acss}",
# the voice given as {…} or as a list […].
SPEECH = re.compile(r"SPEECH OUTPUT: '(.*?)'(?: voice=\w+)?\s*(?:[\[{].*)?$")

# Orca's echo of the keys pressed ("left shift", "tab").
ECHO = re.compile(r"^((left|right) )?(shift|control|alt|meta|super)$|^(tab|space|escape|return)$", re.I)

# Orca's own start, without its check for other instances: those belong to
# other sessions (a developer's own screen reader), never to this private one.
# Its debug file is opened line-buffered, so each step can read its own lines.
ORCA_LAUNCHER = r"""
import builtins, sys
log = sys.argv[1]
def line_buffered(path, mode="r", *args, **kwargs):
    if path == log:
        return builtins.open(path, mode, buffering=1, encoding="utf-8")
    return builtins.open(path, mode, *args, **kwargs)
code = compile(open("/usr/bin/orca").read(), "/usr/bin/orca", "exec")
orca = {"__name__": "orca_launcher", "__file__": "/usr/bin/orca", "open": line_buffered}
exec(code, orca)
orca["otherOrcas"] = lambda: []
sys.argv = ["orca", "-u", sys.argv[2], "--debug-file", log]
sys.exit(orca["main"]())
"""


def log(text):
    print(text, flush=True)


class Session:
    def __init__(self, loqa):
        self.loqa = loqa
        self.root = tempfile.mkdtemp(prefix="loqa-orca.")
        self.mark = self.root  # in every child's environment, to find them all at the end
        self.env = dict(os.environ)
        home = os.path.join(self.root, "home")
        self.env.update({
            "LOQA_ORCA_MARK": self.mark,
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_RUNTIME_DIR": os.path.join(self.root, "run"),
            "GSETTINGS_BACKEND": "memory",
            "NO_AT_BRIDGE": "0",
        })
        for var in ("AT_SPI_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"):
            self.env.pop(var, None)
        os.makedirs(self.env["XDG_RUNTIME_DIR"], mode=0o700)
        os.makedirs(os.path.join(self.env["XDG_CONFIG_HOME"], "speech-dispatcher"))
        self.orca_log = os.path.join(self.root, "orca.log")
        self.procs = []

    def start(self, args, env=None, **kwargs):
        out = open(os.path.join(self.root, os.path.basename(args[0]) + ".out"), "ab")
        proc = subprocess.Popen(args, env=env or self.env, stdout=kwargs.pop("stdout", out), stderr=out,
                                start_new_session=True, **kwargs)
        self.procs.append(proc)
        return proc

    def run(self, args, timeout=15):
        return subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=timeout)

    def wait_until(self, what, seconds, test, proc=None):
        deadline = time.monotonic() + seconds
        while not test():
            if proc is not None and proc.poll() is not None:
                raise RuntimeError("%s: the process ended (status %s)" % (what, proc.returncode))
            if time.monotonic() > deadline:
                raise RuntimeError("%s: not within %d s" % (what, seconds))
            time.sleep(0.1)

    # The desktop's accessibility: a session bus, its accessibility bus switched
    # on, speech-dispatcher speaking into nothing, and Orca.
    def up(self):
        bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE)
        address = bus.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError("the session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        a11y = ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus"]
        self.wait_until("the accessibility bus", 20,
                        lambda: self.run(a11y + ["org.a11y.Bus.GetAddress"]).returncode == 0)
        set_on = self.run(a11y + ["org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
                                  "string:IsEnabled", "variant:boolean:true"])
        if set_on.returncode != 0:
            raise RuntimeError("accessibility cannot be switched on: " + set_on.stderr)

        with open(os.path.join(self.env["XDG_CONFIG_HOME"], "speech-dispatcher", "speechd.conf"), "w") as f:
            f.write('AddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\nAudioOutputMethod "alsa"\n')
        with open(os.path.join(self.env["HOME"], ".asoundrc"), "w") as f:
            f.write("pcm.!default { type null }\n")

        prefs = os.path.join(self.root, "orca-prefs")
        os.makedirs(prefs)
        self.orca = self.start(["/usr/bin/python3", "-c", ORCA_LAUNCHER, self.orca_log, prefs])
        self.wait_until("Orca saying \"Screen reader on.\"", 40,
                        lambda: "Screen reader on." in " ".join(self.spoken(0)), self.orca)

    def lines(self):
        try:
            with open(self.orca_log, encoding="utf-8", errors="replace") as f:
                return f.read().split("\n")[:-1]  # the last one may still be written
        except FileNotFoundError:
            return []

    def spoken(self, since):
        """What Orca said since line SINCE of its log, its echo of the keys left out."""
        said = []
        for line in self.lines()[since:]:
            m = SPEECH.search(line)
            if m and not ECHO.match(m.group(1).strip()):
                said.append(m.group(1).strip())
        return said

    def mark_log(self):
        return len(self.lines())

    # Waits until Orca has spoken after a key and then been quiet for a moment
    # (or has said nothing at all for a while), and gives what it said.
    def settle(self, since, silent_after=4.0, quiet=1.2, longest=20.0):
        start = time.monotonic()
        count, changed = 0, start
        while True:
            time.sleep(0.1)
            now = time.monotonic()
            n = len(self.spoken(since))
            if n != count:
                count, changed = n, now
            if count and now - changed >= quiet:
                break
            if not count and now - start >= silent_after:
                break
            if now - start >= longest:
                break
        return self.spoken(since)

    # A key or a chord ("ctrl+Tab"): modifiers are held down at a person's pace,
    # as the accessibility key listener misses chords sent all at once.
    def key(self, chord):
        *mods, key = chord.split("+")
        for m in mods:
            self.run(["xdotool", "keydown", m])
            time.sleep(0.1)
        self.run(["xdotool", "key", key])
        for m in reversed(mods):
            time.sleep(0.1)
            self.run(["xdotool", "keyup", m])

    def listen(self, name, chord, seconds):
        """Presses CHORD and gives what Orca said in the SECONDS after it, while
        it may still be talking (a reading goes on)."""
        since = self.mark_log()
        self.key(chord)
        time.sleep(seconds)
        said = self.spoken(since)
        log("  %-14s %s" % (name, said))
        return said

    def step(self, name, chord, **settle):
        since = self.mark_log()
        if chord:
            self.key(chord)
        said = self.settle(since, **settle)
        log("  %-14s %s" % (name, said))
        return said

    def start_loqa(self):
        home = os.path.join(self.root, "loqa")
        os.makedirs(os.path.join(home, "txt"))
        docs = []
        for name, text in (("notes", DOCUMENT), ("letters", "A short second document.")):
            path = os.path.join(home, "txt", name + ".txt")
            with open(path, "w") as f:
                f.write(text)
            docs.append(path)
        with open(os.path.join(home, "loqa.apl"), "w", newline="") as f:
            f.write("".join(p + "\r\n" for p in docs))
        with open(os.path.join(home, "loqa.ini"), "w", newline="") as f:
            f.write("[General]\r\nGreeting=0\r\n")
        env = dict(self.env, LOQA_HOME=home, LOQA_SOUND="null", QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        since = self.mark_log()
        self.loqa_proc = self.start([self.loqa], env=env)
        found = self.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Loquora$"], timeout=30)
        if found.returncode != 0 or self.loqa_proc.poll() is not None:
            raise RuntimeError("the Loquora window did not appear")
        self.run(["xdotool", "windowactivate", "--sync", found.stdout.split()[0]])
        said = self.settle(since, silent_after=10.0, quiet=2.0)
        log("  %-14s %s" % ("window", said))
        return said

    def down(self):
        # Loquora and Orca first (they save and leave on SIGTERM), then everything
        # that carries this session's mark, whoever started it (speech-dispatcher,
        # the accessibility registry), the session bus last.
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.send_signal(signal.SIGTERM)
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        for pid in self.strays():
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + 5
        while self.strays() and time.monotonic() < deadline:
            time.sleep(0.1)
        for pid in self.strays():
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        keep = os.environ.get("LOQA_ORCA_LOG")  # a path to keep Orca's whole log at
        if keep and os.path.exists(self.orca_log):
            shutil.copyfile(self.orca_log, keep)
        shutil.rmtree(self.root, ignore_errors=True)

    def strays(self):
        found = []
        needle = ("LOQA_ORCA_MARK=" + self.mark).encode()
        for pid in os.listdir("/proc"):
            if not pid.isdigit() or int(pid) == os.getpid():
                continue
            try:
                with open("/proc/%s/environ" % pid, "rb") as f:
                    if needle in f.read().split(b"\0"):
                        found.append(int(pid))
            except OSError:
                pass
        return found


class Checks:
    def __init__(self):
        self.bad = 0

    def check(self, name, ok, said):
        known = name in KNOWN_FAULTS
        if ok and not known:
            log("PASS  %s" % name)
        elif ok:
            log("XPASS %s: passes now, take it out of KNOWN_FAULTS" % name)
            self.bad += 1
        elif known:
            log("XFAIL %s: Orca said %s" % (name, said))
        else:
            log("FAIL  %s: Orca said %s" % (name, said))
            self.bad += 1


def has(said, pattern):
    return any(re.search(pattern, s) for s in said)


def percents(said):
    return [int(m.group(1)) for s in said for m in re.finditer(r"(\d+) ?(?:%|percent)", s)]


def walk_to(s, pattern, presses, chord="Tab"):
    """Presses CHORD until Orca says something matching PATTERN; what it said at each press."""
    steps = []
    for _ in range(presses):
        steps.append(s.step(chord, chord))
        if has(steps[-1], pattern):
            break
    return steps


def session(s, c):
    window = s.start_loqa()
    # The document tab list, before the editor in the Tab order.
    tab = s.step("shift+Tab", "shift+Tab")
    s.step("Tab", "Tab")

    # A run with the first start's system-wide keys: read, pause, resume, stop.
    # Orca is quiet while the words are highlighted; the run's start is
    # announced once, and resuming leaves the editor's text alone.
    reading = s.listen("read", READ, 5)
    paused = s.step("pause", PAUSE)
    resumed = s.listen("resume", PAUSE, 4)
    s.step("stop", STOP)

    run = reading + paused + resumed
    c.check("reading-is-quiet", not has(run, r"\b(un)?selected\b"), run)
    c.check("resume-leaves-text", not has(resumed, re.escape(FIRST[:40])), resumed)
    # Each change of the run's state is told once: the start, the pause, the
    # resume; the word positions in between never.
    told = [sum("Reading notes Aloud" in u for u in reading), sum(u.startswith("Paused") for u in paused),
            sum("Reading notes Aloud" in u for u in resumed)]
    c.check("run-announced-once", told == [1, 1, 1] and not has(run, "Word Position"), run)

    c.check("window-is-frame", has(window, r"^Loquora\b") and not has(window, r"\bdialog\b"), window)
    c.check("current-tab-spoken", has(tab, r"^notes page tab") and not has(tab, r"\bletters\b"), tab)

    # The menu bar: Alt alone opens File (F10 is "My WAV Folder"'s until the
    # user frees it), Right the next menu, Escape leaves it for the document.
    menu = s.step("Alt", "alt")
    # The toolkit tells of a menu as a popup menu.
    c.check("alt-opens-file-menu", has(menu, r"^File (popup )?menu\b") and has(menu, r"^New\b"), menu)
    right = s.step("Right", "Right")
    c.check("right-walks-menus", has(right, r"^Edit (popup )?menu\b"), right)
    back = s.step("Escape", "Escape", silent_after=2.0)
    c.check("escape-back-to-document", has(back, r"^Document text\b"), back)
    s.run(["xdotool", "search", "--onlyvisible", "--name", "^Loquora$", "windowactivate", "--sync"])

    # Read again from the start, long after Orca last spoke the gauge (it speaks
    # a progress bar at most every ten seconds), with the gauge where the last
    # run left it: a few seconds into a document of half a minute it stands low.
    again = s.listen("read again", READ, 3)
    s.step("stop", STOP)
    c.check("gauge-real-value", all(p < 30 for p in percents(reading)) and all(p < 15 for p in percents(again)),
            reading + ["..."] + again)

    # From the editor along the tool bar to the volume, then to Options.
    walked = walk_to(s, r"\bVolume\b|\bslider\b", 20)
    combo = next((step for step in walked if has(step, r"combo box")), [])
    c.check("voice-named-with-value", has(combo, r"^Voice combo box") and has(combo, r"English"), combo)
    volume = next((step for step in walked if has(step, r"\bVolume\b|\bslider\b")), [])
    # The toolkit passes a slider's value as a number only: the volume's is its percentage.
    levels = [float(m.group(1)) for u in volume for m in re.finditer(r"slider (\d+(?:\.\d+)?)", u)]
    c.check("volume-as-percent", bool(levels) and all(0 <= v <= 100 for v in levels), volume)
    walk_to(s, r"^Options\b", 6)
    options = s.step("space", "space", silent_after=15.0, quiet=2.0)
    c.check("options-open-on-page",
            has(options, r"\bOptions\b") and has(options, r"\bGeneral\b") and not has(options, r"^Close\b")
            and not has(options, r"phonetics"),
            options)
    # Ctrl+Tab from the page's first control: the next page says its name.
    page = s.step("ctrl+Tab", "ctrl+Tab")
    c.check("next-page-named", has(page, r"\bConversion\b"), page)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: orca_session.py LOQA_BINARY")
    missing = [p for p in ("/usr/bin/orca", "/usr/bin/speech-dispatcher", "/usr/libexec/at-spi-bus-launcher")
               if not os.path.exists(p)]
    if not os.environ.get("DISPLAY"):
        missing.append("a display")
    if missing:
        log("SKIP: needs %s" % ", ".join(missing))
        sys.exit(1 if os.environ.get("LOQA_NO_SKIP") == "1" else 77)
    started = time.monotonic()
    s, c = Session(sys.argv[1]), Checks()
    try:
        s.up()
        session(s, c)
    except (RuntimeError, subprocess.TimeoutExpired) as e:
        log("FAIL  the session: %s" % e)
        for name in sorted(os.listdir(s.root)):
            if name.endswith(".out"):
                with open(os.path.join(s.root, name), errors="replace") as f:
                    log("  | %s: %s" % (name, "  | ".join(f.readlines()[-15:])))
        c.bad += 1
    finally:
        s.down()
    log("%s in %.0f s" % ("failed" if c.bad else "passed", time.monotonic() - started))
    sys.exit(1 if c.bad else 0)


if __name__ == "__main__":
    main()
