"""The kernel tier's boots, each with its rows: what the guest runs, and what this side checks."""
import os

from tier import Boot, Display

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


BOOTS = {"wire": wire}
