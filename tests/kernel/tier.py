#!/usr/bin/env python3
"""The kernel tier: the project's programs on a real kernel's serial drivers.

Boots Debian's 6.1 kernel under QEMU's software emulation with this machine's root shared
read-only, so the programs built here run in the guest unchanged. The guest's 8250 UART and an
FTDI-type USB adapter (ftdi_sio) lead out to this side: to a virtual display, whose events are the
oracle, or to a reader that takes bytes at the line's rate and can stop. QEMU's trace says what
the guest's driver programmed. Every boot has a time limit, and the guest powers off on any
failure.

usage: tier.py BUILD_DIR [BOOT...] | tier.py BUILD_DIR --bench
Exit status 0 when every row passed, 1 when one failed, 77 when the tier cannot run here (said why).
"""
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # nothing written into the source tree
SKIPPED = 77
BOOT_LIMIT_S = 300  # only against a guest that hangs; no row depends on time
CACHE = os.environ.get("VQ_KERNEL_CACHE") or os.path.join(
    os.environ.get("XDG_CACHE_HOME") or os.path.expanduser("~/.cache"), "vq3360-kernel")
MODULES = "9pnet_virtio 9p overlay virtio_pci xhci_pci ftdi_sio"


def skip(why):
    print(f"SKIPPED: {why}", flush=True)
    sys.exit(SKIPPED)


class CannotBoot(Exception):
    """QEMU or the kernel never reached the tier's own code: a machine that cannot run it."""


class Failures:
    """Rows and what went wrong in each; a row that fails says why, with the guest's words."""

    def __init__(self):
        self.failed = []

    def check(self, row, ok, why=""):
        print(f"{'PASS' if ok else 'FAIL'}  {row}" + ("" if ok else f": {why}"), flush=True)
        if not ok:
            self.failed.append(row)
        return ok


class Qmp:
    """QEMU's machine protocol on a unix socket: monitor commands and the events between."""

    def __init__(self, path, qemu):
        self.sock = socket.socket(socket.AF_UNIX)
        while self.sock.connect_ex(path) != 0:
            if qemu.poll() is not None:
                raise CannotBoot(qemu.stdout.read().decode(errors="replace").strip())
            time.sleep(0.05)
        self.file = self.sock.makefile("rw")
        self.events = []
        self.file.readline()  # the greeting
        self.execute("qmp_capabilities")

    def execute(self, command, **arguments):
        self.file.write(json.dumps({"execute": command, "arguments": arguments}) + "\n")
        self.file.flush()
        while True:
            reply = json.loads(self.file.readline())
            if "event" in reply:
                self.events.append(reply["event"])
                continue
            if "error" in reply:
                raise RuntimeError(f"{command}: {reply['error']['desc']}")
            return reply["return"]

    def hmp(self, line):
        said = self.execute("human-monitor-command", **{"command-line": line})
        if said.strip():
            raise RuntimeError(f"{line}: {said.strip()}")

    def wait_event(self, name):
        while name not in self.events:
            self.events.append(json.loads(self.file.readline()).get("event"))
        self.events.remove(name)


class Display:
    """The virtual display, headless, on this side; its events go to a file the guest reads."""

    def __init__(self, exe, share, name):
        self.name = name
        self.file = os.path.join(share, name)
        with open(self.file, "wb") as out:
            self.proc = subprocess.Popen([exe, "--headless"], stdout=out, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            with open(self.file, "rb") as f:
                first = f.readline()
            if first.endswith(b"\n"):
                self.path = first.decode().strip()
                return
            time.sleep(0.02)
        raise RuntimeError("the virtual display printed no device")

    def events(self):
        with open(self.file, "rb") as f:
            return [json.loads(line) for line in f.read().splitlines()[1:]]

    def stop(self):
        self.proc.terminate()
        self.proc.wait()


class PacedReader:
    """The far end of a line as a display's receiver takes it: a byte a frame time at most, the
    frame as the guest's driver last programmed it (QEMU's trace), and none while stopped.
    Unpaced, it takes what comes: QEMU's USB adapter blocks the whole guest while its far end
    does not read."""

    def __init__(self, boot, path, paced=True):
        self.boot, self.path, self.paced = boot, path, paced
        self.got = bytearray()
        self.stopped = False
        self.frame = (9600, 10)  # baud, bits a byte
        self.traced = 0

    def start(self, path=None):
        self.path = path or self.path
        self.sock = socket.socket(socket.AF_UNIX)
        self.sock.connect(self.path)
        self.sock.setblocking(False)
        threading.Thread(target=self.read, daemon=True).start()

    def follow_trace(self):
        if not os.path.exists(self.boot.trace):
            return
        with open(self.boot.trace, "rb") as f:
            f.seek(self.traced)
            text = f.read()
        self.traced += len(text)
        for m in re.finditer(rb"baudrate=(\d+) parity='(\w)' data=(\d) stop=(\d)", text):
            self.frame = (int(m[1]), 1 + int(m[3]) + (m[2] != b"N") + int(m[4]))

    def read(self):
        credit, last = 0.0, time.monotonic()
        while True:
            self.follow_trace()
            now = time.monotonic()
            baud, bits = self.frame
            # A receiver holds a FIFO's worth at most: no time saved up beyond it.
            credit = 0.0 if self.stopped else min(credit + (now - last) * baud / bits, 16)
            if not self.paced:
                credit = 65536
            last = now
            if credit >= 1:
                try:
                    data = self.sock.recv(int(credit))
                    if not data:
                        return
                    self.got += data
                    credit -= len(data)
                except BlockingIOError:
                    pass
            time.sleep(max(bits / baud, 0.001))

    def settle(self):
        """Waits until nothing more arrives for a while; the bytes taken so far."""
        while True:
            before = len(self.got)
            time.sleep(0.5)
            if len(self.got) == before:
                return before


class Boot:
    """One guest: the host's root under a writable layer, a shared folder for the guest's script
    and results, and the serial lines the boot's rows need."""

    def __init__(self, tier, name):
        self.tier, self.name = tier, name
        self.work = os.path.join(tier.work, name)
        shutil.rmtree(self.work, ignore_errors=True)
        self.share = os.path.join(self.work, "share")
        os.makedirs(self.share)
        self.trace = os.path.join(self.work, "trace.log")
        self.args = []
        self.handlers = {"mark": self.mark, "up": lambda: ""}
        self.marks = {}
        self.displays = {}
        self.started = []  # called once QEMU is up
        self.qmp = None

    def line(self, chardev, nth):
        """ttyS<nth> in the guest, its far end the chardev given ("serial,path=..." and so on)."""
        self.args += ["-chardev", f"{chardev},id=s{nth}", "-serial", f"chardev:s{nth}"]

    def mark(self, name):
        """Where a step's part of the trace starts."""
        self.marks[name] = os.path.getsize(self.trace) if os.path.exists(self.trace) else 0
        return ""

    def trace_of(self, step, event="serial_update_parameters"):
        """The trace lines of one event from a step's mark to the next mark."""
        starts = sorted(self.marks.values())
        start = self.marks[step]
        end = next((s for s in starts if s > start), None)
        with open(self.trace, "rb") as f:
            f.seek(start)
            text = f.read(None if end is None else end - start).decode(errors="replace")
        return [l for l in text.splitlines() if event in l]

    def run(self, script):
        """Boots, runs the script as the guest's first process, and returns the console's text."""
        for name in ("guest-lib.sh", "remote-display", "remote-line"):
            shutil.copy(os.path.join(HERE, name), self.share)
        with open(os.path.join(self.share, "guest.sh"), "w") as f:
            f.write("source /vq/guest-lib.sh\ntrap '/bin/busybox poweroff -f' EXIT\nask up\n")
            f.write(f"build={self.tier.build}\n{script}\n")
        qmp_path = os.path.join(self.work, "qmp.sock")
        cmd = ["qemu-system-x86_64", "-accel", "tcg", "-m", "1536", "-nodefaults",
               "-display", "none", "-no-reboot", "-kernel", os.path.join(CACHE, "vmlinux"),
               "-initrd", self.tier.initramfs, "-append", "console=ttyS0 panic=-1 quiet",
               "-virtfs", "local,path=/,mount_tag=host,security_model=none,readonly=on,"
               "multidevs=remap",
               "-virtfs", f"local,path={self.share},mount_tag=vq,security_model=none",
               "-chardev", "stdio,id=console,signal=off", "-serial", "chardev:console",
               "-qmp", f"unix:{qmp_path},server=on,wait=off",
               "-trace", "serial_update_parameters", "-trace", "usb_serial_*",
               "-msg", "timestamp=on", "-D", self.trace] + self.args
        console, started = [], False
        qemu = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT)
        killer = threading.Timer(BOOT_LIMIT_S, qemu.kill)
        killer.start()
        try:
            self.qmp = Qmp(qmp_path, qemu)
            for call in self.started:
                call()
            for raw in qemu.stdout:
                text = raw.decode(errors="replace").rstrip("\r\n")
                console.append(text)
                request = re.match(r"@vq (\S+) (\S+) ?(.*)", text)
                if request:
                    started = True
                    answer = self.handlers[request[2]](*request[3].split())
                    with open(os.path.join(self.share, f"ack.{request[1]}.new"), "w") as f:
                        f.write(answer)
                    os.rename(os.path.join(self.share, f"ack.{request[1]}.new"),
                              os.path.join(self.share, f"ack.{request[1]}"))
        finally:
            killer.cancel()
            qemu.kill()
            qemu.wait()
            for d in self.displays.values():
                d.stop()
        with open(os.path.join(self.work, "console.log"), "w") as f:
            f.write("\n".join(console) + "\n")
        if not started and not any(l.startswith("vq-init:") for l in console):
            raise CannotBoot("\n".join(console[-5:]) or f"QEMU ended with status {qemu.returncode}")
        return "\n".join(console)

    def file(self, name):
        """A file the guest left on the shared folder; empty when it left none."""
        try:
            return open(os.path.join(self.share, name), errors="replace").read()
        except OSError:
            return ""

    def result(self, step):
        """A step's exit status, standard output and standard error."""
        rc = self.file(f"{step}.rc").strip()
        if not rc:
            return None, "", f"the step did not end (see {self.work}/console.log)"
        return int(rc), self.file(f"{step}.out"), self.file(f"{step}.err")


class Tier:
    def __init__(self, build):
        self.build = os.path.abspath(build)
        self.work = os.path.join(self.build, "kernel-tier")
        os.makedirs(self.work, exist_ok=True)
        self.rows = Failures()
        self.initramfs = os.path.join(self.work, "initramfs.cpio.gz")

    def exe(self, name):
        return os.path.join(self.build, name)

    def make_initramfs(self):
        """Static busybox, the modules the guest loads and what they need, and the init script."""
        version = open(os.path.join(CACHE, "version")).read().strip()
        root = os.path.join(self.work, "initramfs")
        shutil.rmtree(root, ignore_errors=True)
        os.makedirs(os.path.join(root, "bin"))
        shutil.copy("/bin/busybox", os.path.join(root, "bin"))
        shutil.copytree(os.path.join(CACHE, "lib"), os.path.join(root, "lib"))
        shutil.copy(os.path.join(HERE, "init"), root)
        subprocess.run(["/bin/busybox", "depmod", "-b", root, version], check=True)
        with open(self.initramfs, "wb") as out:
            listing = subprocess.run(["find", "."], cwd=root, capture_output=True, check=True)
            cpio = subprocess.run(["/bin/busybox", "cpio", "-o", "-H", "newc"], cwd=root,
                                  input=listing.stdout, capture_output=True, check=True)
            out.write(cpio.stdout)

    def can_run(self):
        if not shutil.which("qemu-system-x86_64"):
            skip("qemu-system-x86_64 is not installed (bash scripts/deps.sh kernel)")
        if not os.path.exists("/bin/busybox"):
            skip("static busybox is not installed (bash scripts/deps.sh kernel)")
        if not os.path.exists(os.path.join(CACHE, "vmlinux")):
            skip(f"no guest kernel in {CACHE} (bash scripts/deps.sh kernel)")
        probe = subprocess.run(["qemu-system-x86_64", "-version"], capture_output=True, text=True)
        if probe.returncode != 0:
            skip(f"QEMU cannot run here: {probe.stderr.strip()}")


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    tier = Tier(sys.argv[1])
    tier.can_run()
    tier.make_initramfs()
    import rows
    if sys.argv[2:] == ["--bench"]:
        rows.bench(tier)
        return 0
    chosen = sys.argv[2:] or list(rows.BOOTS)
    started = time.monotonic()
    for name in chosen:
        try:
            rows.BOOTS[name](tier)
        except CannotBoot as e:
            skip(f"the guest does not boot on this machine: {e}")
    print(f"kernel tier: {len(chosen)} boots in {time.monotonic() - started:.0f} s", flush=True)
    if tier.rows.failed:
        print("failed: " + ", ".join(tier.rows.failed), flush=True)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
