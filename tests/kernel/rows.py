"""The kernel tier's boots, each with its rows: what the guest runs, and what this side checks."""
import os
import re
import time

from tier import Boot, Display, PacedReader

# tst_wire's rows that run on each driver: every emulation with the interactive demo and its clear
# sequence, reset, the demo lines (every byte value among them) and show, a character set, and a
# display-line change, each through the windows and through vq3360ctl.
WIRE_ROWS = ["emulation", "persistentDemo", "charset:RUSSIA (3,3)", "displayLine:19200 N_8_1"]


class Adapter:
    """The USB adapter us<n>, plugged and unplugged through QEMU's monitor; its far end is a
    virtual display or any chardev."""

    def __init__(self, boot, n, serial):
        self.boot, self.n, self.serial = boot, n, serial
        self.plugged = False

    def plug(self, chardev):
        qmp = self.boot.qmp
        qmp.hmp(f"chardev-add {chardev},id=u{self.n}")
        qmp.hmp(f"device_add usb-serial,id=us{self.n},bus=xhci.0,chardev=u{self.n},"
                f"serial={self.serial}")
        self.plugged = True

    def unplug(self):
        if not self.plugged:
            return
        qmp = self.boot.qmp
        qmp.hmp(f"device_del us{self.n}")
        qmp.wait_event("DEVICE_DELETED")
        qmp.hmp(f"chardev-remove u{self.n}")
        self.plugged = False


class RemoteLine:
    """The far end of $VQ_TEST_LINE, which the tests' Pty uses in the guest for a pseudo-terminal
    (tests/support/testpty.h): bytes are taken only once the test reads, as from a master, and
    not while stopped; an adapter is unplugged where a master would close, and plugged back for
    the next Pty. Keeps, for each test row, the bytes that came through once it read again."""

    def __init__(self, boot, reader, adapter=None):
        self.boot, self.reader, self.adapter = boot, reader, adapter
        self.handed = 0  # bytes the test has read
        self.row, self.resumed, self.came = "", None, {}
        self.plugs = 0
        boot.handlers["line"] = self.ask

    def wait(self, enough):
        """Until enough came, or nothing more does for a second."""
        last, quiet = len(self.reader.got), time.monotonic()
        while not enough() and time.monotonic() - quiet < 1:
            time.sleep(0.02)
            if len(self.reader.got) != last:
                last, quiet = len(self.reader.got), time.monotonic()

    def ask(self, what, *words):
        r = self.reader
        # A stopped adapter's far end would stop QEMU itself: its writes to it block.
        stops = self.adapter is None
        if what == "new":
            self.end()
            self.row, self.resumed = " ".join(words), None
            if self.adapter and not self.adapter.plugged:
                self.plugs += 1
                sock = os.path.join(self.boot.work, f"adapter.{self.plugs}.sock")
                self.adapter.plug(f"socket,path={sock},server=on,wait=off")
                r.start(sock)
            r.stopped = False
            self.handed = r.settle()
            r.stopped = stops
            return ""
        if what != "stop" and r.stopped:  # reading again
            self.resumed = len(r.got)
        r.stopped = what == "stop" and stops
        if what in ("take", "unread"):
            want = int(words[0]) if words else 0
            self.wait(lambda: what == "take" and len(r.got) - self.handed >= want)
            if what == "unread":
                return str(len(r.got) - self.handed)
            data = r.got[self.handed:self.handed + want]
            self.handed += len(data)
            return data.hex()
        if what == "unplug":
            self.adapter.unplug()
        return ""

    def end(self):
        if self.resumed is not None:
            self.came[self.row] = len(self.reader.got) - self.resumed
        self.resumed = None


def test_rows(out, function):
    """tst_port's verdict on each row of a function it ran: PASS or FAIL!, and the row."""
    return re.findall(rf"^(PASS|FAIL!) +: TstPort::{function}\((.*)\)", out, re.M)


def failures(out):
    """What tst_port said of each row that failed."""
    return "".join(re.findall(r"^FAIL!.*\n(?: .*\n)*", out, re.M))


def wire(tier):
    """Bytes exact on both drivers: tst_wire's rows in the guest, the windows offscreen and
    vq3360ctl on the 8250 (ttyS1) and on the adapter (ttyUSB0), each display on this side."""
    boot = Boot(tier, "wire")
    vd = tier.exe("vq3360-virtual-display")
    first = Display(vd, boot.share, "display.0")
    boot.displays["/dev/ttyS1"] = first
    boot.line(f"serial,path={first.path}", 1)
    boot.args += ["-device", "qemu-xhci,id=xhci"]
    adapter = Adapter(boot, 1, "VQ1")
    count = [0]

    def display(device):
        count[0] += 1
        fresh = Display(vd, boot.share, f"display.{count[0]}")
        if device == "/dev/ttyS1":
            boot.qmp.hmp(f"chardev-change s1 serial,path={fresh.path}")
        else:
            adapter.plug(f"serial,path={fresh.path}")
        old = boot.displays.get(device)
        if old:
            old.stop()
        boot.displays[device] = fresh
        return fresh.name

    boot.handlers.update(display=display, unplug=lambda: adapter.unplug() or "")
    rows = " ".join(f"'{r}'" for r in WIRE_ROWS)
    boot.run(f"""
export VQ_TEST_DISPLAY=/vq/remote-display
for device in /dev/ttyS1 /dev/ttyUSB0; do
    VQ_TEST_DEVICE=$device step "wire-${{device#/dev/}}" $build/tests/e2e/tst_wire {rows}
done
""")
    for device in ("ttyS1", "ttyUSB0"):
        rc, out, err = boot.result(f"wire-{device}")
        tier.rows.check(f"bytes exact on {device}: tst_wire {' '.join(WIRE_ROWS)}", rc == 0,
                        f"exit {rc}\n{out}{err}")




# tst_port's rows for every close's wait, on the 8250 with the reader stopped or going again.
CLOSE_ROWS = ["Close the port, the wait runs out", "Close the port, the line going again",
              "Close the port, far end not reading, Close now", "main window closed, Close now",
              "main window closed, the line going again", "End, the line going again",
              "End, the wait runs out", "SIGTERM, the line going again",
              "SIGHUP, the wait runs out"]

# The PC dialog's rates, each at N,8,1, and its other framings at 9600.
LINES = [f"{b},n,8,1" for b in (300, 600, 1200, 2400, 4800, 9600, 19200, 38400)] + [
    f"9600,{f}" for f in ("n,7,1", "e,8,1", "e,7,1", "o,8,1", "o,7,1")]
RATES = (300, 600, 1200, 2400, 4800, 9600, 19200, 38400)
FRAMINGS = ("N81", "N71", "E81", "E71", "O81", "O71")


def programmed(trace_lines):
    """Each line setting the guest's driver gave the UART, with how long it stayed: (baud,
    parity, data bits, stop bits) and seconds, in order."""
    settings = []
    for l in trace_lines:
        m = re.match(r"\d+@([\d.]+):\S+ baudrate=(\d+) parity='(\w)' data=(\d) stop=(\d)", l)
        settings.append((float(m[1]), (int(m[2]), m[3], int(m[4]), int(m[5]))))
    return [(s, (settings[i + 1][0] if i + 1 < len(settings) else t) - t)
            for i, (t, s) in enumerate(settings)]


def framing(tier):
    """Each line chosen reaches the 8250 driver as chosen, QEMU's trace the witness; rescue
    visits all 48, none skipped, each for at least the line time of what it sent there."""
    boot = Boot(tier, "framing")
    boot.line("null", 1)
    ctl = tier.exe("vq3360ctl")
    script = "".join(f"step line-{l} {ctl} --device /dev/ttyS1 --line {l} show\n" for l in LINES)
    boot.run(script + f"step rescue {ctl} --device /dev/ttyS1 rescue\n")
    for l in LINES:
        rc, out, err = boot.result(f"line-{l}")
        b, p, d, s = l.split(",")
        want = (int(b), p.upper(), int(d), int(s))
        got = [s for s, _ in programmed(boot.trace_of(f"line-{l}"))]
        tier.rows.check(f"vq3360ctl --line {l} reaches the 8250 driver", rc == 0 and want in got,
                        f"exit {rc} {err.strip()}; the driver programmed {got}")
    rc, out, err = boot.result("rescue")
    # The driver programs a line in steps, however long the host keeps QEMU waiting between
    # them: the line again, and for a moment its framing at the last rate or at half a divisor.
    # Rescue's lines are found in order among them; any other setting is one it went to.
    steps = programmed(boot.trace_of("rescue"))
    want = [(b, f[0], int(f[1]), 1) for b in RATES for f in FRAMINGS] + [(9600, "N", 8, 1)]
    visited, strays = [], []
    for k, (s, t) in enumerate(steps):
        if len(visited) < len(want) and s == want[len(visited)]:
            visited.append([s, t])
        elif visited and s == visited[-1][0]:
            visited[-1][1] += t
        elif visited and len(visited) < len(want) and (
                k + 1 == len(steps) or steps[k + 1][0][1:] != s[1:]):
            strays.append(s)
    tier.rows.check("rescue on the 8250 visits all 48 lines in turn, then 9600 N,8,1",
                    rc == 0 and len(visited) == len(want) and not strays,
                    f"exit {rc} {err.strip()}; visited {[s for s, _ in visited]}, "
                    f"and also {strays}")
    # Ten bytes at each: the two display-line commands.
    short = [(s, round(t * 1000)) for s, t in visited[:48]
             if t < 10 * (1 + s[2] + (s[1] != "N") + s[3]) / s[0]]
    tier.rows.check("rescue's waits on the 8250 count start, parity and stop bits", not short,
                    f"left these lines before their bytes' time (ms): {short}")


def names(tier):
    """COM numbers and names from udev, with two UARTs and two adapters of different serial
    numbers: the documented order, the stable names listed, each display getting its own bytes;
    then an adapter unplugged and plugged back, while bytes wait and while its old node is held."""
    boot = Boot(tier, "names")
    vd = tier.exe("vq3360-virtual-display")
    far = {}
    for n, device in ((1, "ttyS1"), (2, "ttyS2")):
        far[device] = boot.displays[device] = Display(vd, boot.share, f"display.{device}")
        boot.line(f"serial,path={far[device].path}", n)
    boot.args += ["-device", "qemu-xhci,id=xhci"]
    adapters = {}
    for n, serial in ((1, "VQA"), (2, "VQB")):
        adapters[serial] = Adapter(boot, n, serial)
        far[serial] = boot.displays[serial] = Display(vd, boot.share, f"display.{serial}")
    boot.handlers.update(unplug=lambda serial: adapters[serial].unplug() or "",
                         plug=lambda serial: adapters[serial].plug(
                             f"serial,path={far[serial].path}") or "")
    by_id = "/dev/serial/by-id/usb-QEMU_QEMU_USB_SERIAL_{}-if00-port0"
    boot.run(f"""
ask plug VQA >/dev/null && ask plug VQB >/dev/null
/lib/systemd/systemd-udevd --daemon && udevadm trigger && udevadm settle
step list-ctl $build/vq3360ctl --list-ports
step list-app $build/vq3360 -platform offscreen --list-ports
for device in /dev/ttyS1 /dev/ttyS2 {by_id.format("VQA")} {by_id.format("VQB")}; do
    step "identify-${{device##*/}}" $build/vq3360ctl --device "$device" identify
done
# Unplugged during vq3360ctl's last wait: 200 characters at 300 baud take seven seconds.
$build/vq3360ctl --device {by_id.format("VQA")} --line 300,n,8,1 upper "$(printf '%0200d' 0)" \
    >/vq/last-wait.out 2>/vq/last-wait.err &
sleep 2
ask unplug VQA >/dev/null
wait $!; echo $? >/vq/last-wait.rc
# Plugged back while a program still holds its old node: another node, the same COM number.
link={by_id.format("VQA")}
while [ -e $link ]; do sleep 0.05; done
ask plug VQA >/dev/null
until [ -e $link ]; do sleep 0.05; done
exec 5>$link
ask unplug VQA >/dev/null
while [ -e $link ]; do sleep 0.05; done
ask plug VQA >/dev/null
until [ -e $link ]; do sleep 0.05; done
step replugged-list $build/vq3360ctl --list-ports
step replugged-identify $build/vq3360ctl --device {by_id.format("VQA")} identify
exec 5>&-
""")
    expected = [("COM1", "/dev/ttyS0"), ("COM2", "/dev/ttyS1"), ("COM3", "/dev/ttyS2"),
                ("COM4", by_id.format("VQA")), ("COM5", by_id.format("VQB"))]
    for step in ("list-ctl", "list-app"):
        rc, out, err = boot.result(step)
        listed = re.findall(r"(COM\d+)(?: in vq3360)?; (?:as --device |--com \d=)(\S+)", out)
        tier.rows.check(f"{step}: COM1 onward in the documented order, by stable names",
                        rc == 0 and listed == expected, f"exit {rc}, listed {listed}\n{out}{err}")
    for (com, device), key in zip(expected[1:], ("ttyS1", "ttyS2", "VQA", "VQB")):
        rc, out, err = boot.result(f"identify-{device.split('/')[-1]}")
        seen = {m[1] for e in far[key].events() if (m := re.match(r"(COM\d+) ", e["line1"]))}
        tier.rows.check(f"identify on {com} reaches its own display only",
                        rc == 0 and seen == {com}, f"exit {rc} {err.strip()}: showed {seen}")
    rc, out, err = boot.result("last-wait")
    tier.rows.check("unplugged during vq3360ctl's last wait: the device fails (exit 1)",
                    rc == 1 and "the device went away" in err, f"exit {rc}: {out}{err}")
    rc, out, err = boot.result("replugged-list")
    listed = re.findall(r"(COM\d+) in vq3360; as --device (\S+)", out)
    nodes = re.findall(r"^(/dev/ttyUSB\d+)", out, re.M)
    tier.rows.check("plugged back as another node, the adapter keeps its COM number",
                    rc == 0 and sorted(listed) == expected and "/dev/ttyUSB0" not in nodes,
                    f"exit {rc}, nodes {nodes}, listed {listed}\n{err}")


def paced(tier):
    """Pending bytes on the 8250 against a reader that takes them at the line's rate and can
    stop: vq3360ctl's counts, on SIGTERM and on a stalled line, against what the reader got;
    then the windows, through tst_port's rows on the line: Set OK on each of the PC dialog's
    lines, the pending count and every close's wait."""
    boot = Boot(tier, "paced")
    sock = os.path.join(boot.work, "line.sock")
    boot.line(f"socket,path={sock},server=on,wait=off", 1)
    reader = PacedReader(boot, sock)
    boot.started.append(reader.start)
    taken = {}

    def pace(how, step=""):
        """Before a run: the reader stopped or running; after it: what QEMU held meanwhile
        comes through, and what the run's bytes came to is kept."""
        if how == "go":
            before = len(reader.got)
            reader.stopped = False
            after = reader.settle()
            taken[step] = after - taken[step]
            return str(after - before)
        taken[step] = reader.settle()
        reader.stopped = how == "stop"
        return ""

    boot.handlers["pace"] = pace
    line = RemoteLine(boot, reader)
    ctl = f"{tier.exe('vq3360ctl')} --device /dev/ttyS1"
    long_text = "x" * 3000
    runs = {
        # name: reader stopped, vq3360ctl's arguments, signal after a second, what it says
        # The wait after SIGTERM lets the bytes go; all had been handed over.
        "sigterm-paced": (False, f"upper {long_text} show", "TERM", 143, ""),
        "sigterm-stalled": (True, f"--line 115200,n,8,1 upper {long_text} show", "TERM", 143,
                            "stopped by SIGTERM; "),
        # More than QEMU takes in before the line stops (some 300 bytes).
        "stalled": (True, f"emulation adm787 upper {long_text} show", "", 1,
                    "failed after 1 of 3 actions: "),
    }
    script = ""
    for name, (stop, args, signal, _, _) in runs.items():
        script += f"""ask pace {'stop' if stop else 'run'} {name} >/dev/null
{ctl} {args} >/vq/{name}.out 2>/vq/{name}.err & pid=$!
{f'sleep 1; kill -{signal} $pid' if signal else ''}
wait $pid; echo $? >/vq/{name}.rc
ask pace go {name} >/vq/{name}.held
"""
    port = tier.exe("tests/serial/tst_port")
    closes = " ".join(f"'closeWhilePending:{r}'" for r in CLOSE_ROWS)
    boot.run(script + f"""export VQ_TEST_LINE=/dev/ttyS1 VQ_TEST_ASK=/vq/remote-line
step windows-framing {port} pcLine
step windows-close {port} {closes}
""")
    line.end()
    for name, (stop, args, signal, code, says) in runs.items():
        rc, out, err = boot.result(name)
        words = args.split()
        total = 5 * sum(w in ("upper", "show", "emulation") for w in words) + len(long_text)
        m = re.search(r"(\d+) bytes were not sent", err)
        told = int(m[1]) if m else 0
        held = boot.file(f"{name}.held").strip()
        # The UART's own FIFO, 16 bytes, is not in the driver's count: what sits there when
        # the port closes on a stopped line is lost uncounted.
        fifo = total - told - taken.get(name, total)
        tier.rows.check(f"{name}: vq3360ctl's count is what the reader never got ({held} bytes "
                        f"came through once it read again, {fifo} were in the UART's FIFO)",
                        rc == code and says in err and 0 <= fifo <= (16 if stop else 0),
                        f"exit {rc}, {err.strip()}; told {told}, the reader got "
                        f"{taken.get(name)} of {total}")
    # The windows: "Set OK" in the PC settings dialog, each rate and framing, as tst_port's
    # rows did it on the 8250; QEMU's trace says what its driver programmed.
    rc, out, err = boot.result("windows-framing")
    got = [s for s, _ in programmed(boot.trace_of("windows-framing"))]
    want = [(int(b), p.upper(), int(d), int(s)) for b, p, d, s in (l.split(",") for l in LINES)]
    rest = iter(got)
    tier.rows.check("the windows' Set OK gives the 8250 driver each of the PC dialog's lines",
                    rc == 0 and all(w in rest for w in want) and
                    len(test_rows(out, "pcLine")) == len(LINES),
                    f"exit {rc}, the driver programmed {got}\n{failures(out)}{err}")
    # Their pending count and every close's wait, the line stopped or going again: each count
    # the windows told is what the reader never got, QEMU's part coming through once it reads.
    rc, out, err = boot.result("windows-close")
    verdicts = dict((tag, v) for v, tag in test_rows(out, "closeWhilePending"))
    for row in CLOSE_ROWS:
        tier.rows.check(f"windows on the 8250, {row}: the pending count and what was told not "
                        f"sent are what the reader never got ({line.came.get(row, 0)} bytes "
                        f"came through once it read again)",
                        verdicts.get(row) == "PASS", f"exit {rc}\n{failures(out)}{err}")


def replug(tier):
    """The windows on the adapter, udev running: unplugged while idle, while bytes wait and while
    its port is closed, then plugged back while tst_port still holds its old node: the row comes
    back and the port opens, by the adapter's stable name, on its new node."""
    boot = Boot(tier, "replug")
    boot.args += ["-device", "qemu-xhci,id=xhci"]
    RemoteLine(boot, PacedReader(boot, None, paced=False), Adapter(boot, 1, "VQC"))
    rows = " ".join(f"'deviceGone:{r}'" for r in REPLUG_ROWS)
    boot.run(f"""
/lib/systemd/systemd-udevd --daemon && udevadm trigger && udevadm settle
export VQ_TEST_LINE=/dev/serial/by-id/usb-QEMU_QEMU_USB_SERIAL_VQC-if00-port0
export VQ_TEST_ASK=/vq/remote-line
step windows-replug {tier.exe('tests/serial/tst_port')} {rows}
""")
    rc, out, err = boot.result("windows-replug")
    verdicts = dict((tag, v) for v, tag in test_rows(out, "deviceGone"))
    nodes = boot.file("line-nodes").split()
    for i, row in enumerate(REPLUG_ROWS):
        held, back = (nodes[2 * i:2 * i + 2] + ["no node", "no node"])[:2]
        tier.rows.check(f"windows on the adapter, {row}: told at once if its port was open, "
                        f"its row red; plugged back as {back} while {held} is held, the row "
                        f"back and the port open by the same COM number",
                        verdicts.get(row) == "PASS" and held != back != "no node",
                        f"exit {rc}, nodes {nodes}\n{failures(out)}{err}")


# tst_port's rows the adapter runs: its far end gone at once, with the port open or closed.
REPLUG_ROWS = ["far end gone, idle", "far end gone while sending 1 MiB",
               "unplugged while closed, back"]


def bench(tier, rounds=5):
    """For scripts/bench.sh, not a test: vq3360ctl runs and rescue in the guest against the
    paced reader, beside the line time of the bytes they send. Prints RESULT lines."""
    boot = Boot(tier, "bench")
    sock = os.path.join(boot.work, "line.sock")
    boot.line(f"socket,path={sock},server=on,wait=off", 1)
    reader = PacedReader(boot, sock)
    boot.started.append(reader.start)
    ctl = f"{tier.exe('vq3360ctl')} --device /dev/ttyS1"
    run = f"emulation adm787 upper {'x' * 200} show"
    figures = {  # name: arguments, line time in ms of what it sends
        "paced9600": (f"--line 9600,n,8,1 {run}", 215 * 10 / 9600 * 1000),
        "paced1200": (f"--line 1200,n,8,1 {run}", 215 * 10 / 1200 * 1000),
        "rescue": ("rescue", 1000 * (10 * 10 / 9600 + sum(
            10 * (1 + int(f[1]) + (f[0] != "N") + 1) / b for b in RATES for f in FRAMINGS))),
        "start": ("--version", 0),
    }
    script = f"for round in $(seq {rounds}); do\n"
    for name, (args, _) in figures.items():
        script += (f"    t=$(date +%s%N); {ctl if name != 'start' else tier.exe('vq3360ctl')} "
                   f"{args} >/dev/null 2>&1; echo {name} $((($(date +%s%N) - t) / 1000)) "
                   f">>/vq/times\n")
    boot.run(script + "done\n")
    times = {}
    for line in boot.file("times").splitlines():
        name, us = line.split()
        times.setdefault(name, []).append(int(us) / 1000)
    start = sorted(times.get("start", [0]))[len(times.get("start", [0])) // 2]
    for name, (_, floor) in figures.items():
        got = sorted(times.get(name, []))
        if name == "start" or not got:
            continue
        print(f"RESULT\t{name}\tms\t{got[len(got) // 2]:.1f}\t{got[0]:.1f}\t{got[-1]:.1f}"
              f"\t{floor:.1f}\t{floor:.1f}\t{floor:.1f}\t{len(got)}\t{start:.1f}", flush=True)


BOOTS = {"wire": wire, "framing": framing, "names": names, "paced": paced, "replug": replug}
