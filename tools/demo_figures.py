#!/usr/bin/env python3
"""Whole-process figures of the demo show on a virtual 1920 x 1080 screen (Xvfb).

    python3 tools/demo_figures.py [--seconds 30] [--runs 5]

- start to first frame: from starting `yov` to the first grab of the screen showing the
  scene (most of its pixels drawn), with the picture cache warm (a first run is not counted);
- CPU time of the process over the show as a share of one core, after a settling second,
  for the full-screen show ("/f", the whole 1920 x 1080 screen) and the windowed one ("/w").

The aims: first frame under 300 ms, CPU under 10 % of one core. Needs a release build
(build/release/bin/yov), Xvfb and nothing else: the screen is read through libxcb.
"""
import argparse
import ctypes
import ctypes.util
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
YOV = os.path.join(ROOT, "build", "release", "bin", "yov")
WIDTH, HEIGHT = 1920, 1080
BACKGROUND = (0xEA, 0xCA, 0xA6)  # the demo's "$BACKGROUND #A6CAEA" as blue, green, red


class Cookie(ctypes.Structure):
    _fields_ = [("sequence", ctypes.c_uint)]


class Screen:
    """The root window of an X display, read through libxcb."""

    def __init__(self, display):
        xcb = ctypes.CDLL(ctypes.util.find_library("xcb") or "libxcb.so.1")
        xcb.xcb_connect.restype = ctypes.c_void_p
        xcb.xcb_connect.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
        xcb.xcb_connection_has_error.argtypes = [ctypes.c_void_p]
        xcb.xcb_get_setup.restype = ctypes.c_void_p
        xcb.xcb_get_setup.argtypes = [ctypes.c_void_p]
        xcb.xcb_get_image.restype = Cookie
        xcb.xcb_get_image.argtypes = [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint32, ctypes.c_int16,
                                      ctypes.c_int16, ctypes.c_uint16, ctypes.c_uint16, ctypes.c_uint32]
        xcb.xcb_get_image_reply.restype = ctypes.c_void_p
        xcb.xcb_get_image_reply.argtypes = [ctypes.c_void_p, Cookie, ctypes.c_void_p]
        xcb.xcb_get_image_data.restype = ctypes.POINTER(ctypes.c_uint8)
        xcb.xcb_get_image_data.argtypes = [ctypes.c_void_p]
        xcb.xcb_get_image_data_length.argtypes = [ctypes.c_void_p]
        self.xcb = xcb
        self.libc = ctypes.CDLL(None)
        self.conn = xcb.xcb_connect(display.encode(), None)
        if not self.conn or xcb.xcb_connection_has_error(self.conn):
            raise RuntimeError("cannot open display " + display)
        setup = xcb.xcb_get_setup(self.conn)
        # The first screen follows the fixed setup block, the vendor string and the formats.
        raw = ctypes.cast(setup, ctypes.POINTER(ctypes.c_uint8))
        vendor_len = raw[24] | raw[25] << 8
        formats = raw[29]
        offset = 40 + ((vendor_len + 3) & ~3) + 8 * formats
        self.root = int.from_bytes(bytes(raw[offset:offset + 4]), "little")

    def drawn_share(self, step=509, width=None, height=None):
        """The share of sampled pixels that show the scene: neither black nor the demo's
        background colour, which a show window has before its first frame. Every step-th
        pixel is sampled, so a look takes a few milliseconds."""
        cookie = self.xcb.xcb_get_image(self.conn, 2, self.root, 0, 0, width or WIDTH, height or HEIGHT, 0xFFFFFFFF)
        reply = self.xcb.xcb_get_image_reply(self.conn, cookie, None)
        if not reply:
            return 0.0
        length = self.xcb.xcb_get_image_data_length(reply)
        data = ctypes.string_at(self.xcb.xcb_get_image_data(reply), length)
        self.libc.free(ctypes.c_void_p(reply))
        seen = drawn = 0
        for i in range(0, length - 3, 4 * step):
            seen += 1
            pixel = (data[i], data[i + 1], data[i + 2])
            drawn += pixel != (0, 0, 0) and pixel != BACKGROUND
        return drawn / seen if seen else 0.0


def start_xvfb(width=WIDTH, height=HEIGHT):
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", f"{width}x{height}x24",
                             "-nolisten", "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            raise RuntimeError("Xvfb did not start")
        number += chunk
    os.close(read)
    return xvfb, ":" + number.decode().strip()


def set_value(env, name, value):
    """Sets a DWORD value of the program's settings file, which the program reads at start."""
    path = os.path.join(env["YOV_CONFIG_HOME"], "registry.reg")
    with open(path, encoding="latin-1") as f:
        lines = [line for line in f.read().splitlines() if not line.startswith(f'"{name}"=')]
    at = lines.index("[HKEY_CURRENT_USER\\Software\\Vantrel\\Yov]") + 1
    lines.insert(at, f'"{name}"=dword:{value:08x}')
    with open(path, "w", encoding="latin-1") as f:
        f.write("\n".join(lines) + "\n")


def demo_environment(home, display, script="demo.ttt", yov=None):
    """The environment of a yov on the display with its settings, locks and log in home, the
    demo scene (or another script of data/demo) at the top of its recent lists."""
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", TMP=home,
               YOV_CONFIG_HOME=os.path.join(home, "config"), XDG_RUNTIME_DIR=os.path.join(home, "run"))
    env.pop("XSCREENSAVER_WINDOW", None)
    os.makedirs(env["XDG_RUNTIME_DIR"], exist_ok=True, mode=0o700)
    for switch, name in (("/addcnf", script), ("/addstk", "demo.stk")):
        subprocess.run([yov or YOV, switch, os.path.join(ROOT, "data", "demo", name)], env=env, check=True)
    return env


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def stop(process):
    process.terminate()
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def first_frame_ms(env, screen, mode):
    begin = time.monotonic()
    yov = subprocess.Popen([YOV, mode], env=env, stderr=subprocess.DEVNULL)
    try:
        while time.monotonic() - begin < 20:
            if screen.drawn_share() > 0.5:
                return (time.monotonic() - begin) * 1000
            time.sleep(0.002)
        return float("nan")
    finally:
        stop(yov)


def cpu_share(env, mode, seconds):
    yov = subprocess.Popen([YOV, mode], env=env, stderr=subprocess.DEVNULL)
    try:
        time.sleep(1)
        before, at = cpu_seconds(yov.pid), time.monotonic()
        time.sleep(seconds)
        return (cpu_seconds(yov.pid) - before) / (time.monotonic() - at)
    finally:
        stop(yov)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=30)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    if not os.access(YOV, os.X_OK):
        sys.exit("build first: cmake --preset release && cmake --build --preset release")
    home = tempfile.mkdtemp(prefix="yov-figures-")
    xvfb, display = start_xvfb()
    try:
        env = demo_environment(home, display)
        screen = Screen(display)
        first_frame_ms(env, screen, "/f")  # warms the picture cache and the file cache
        times = [first_frame_ms(env, screen, "/f") for _ in range(args.runs)]
        print(f"start to first frame (/f, 1920 x 1080, warm): median {statistics.median(times):.0f} ms, "
              f"min {min(times):.0f} ms, max {max(times):.0f} ms (aim: under 300 ms)")
        for mode, what in (("/f", "full screen 1920 x 1080"), ("/w", "window 800 x 600")):
            share = cpu_share(env, mode, args.seconds)
            print(f"CPU over {args.seconds:.0f} s of show ({what}): {share * 100:.1f} % of one core (aim: under 10 %)")
        # The full-screen show's drawing methods ("DrawAlgF"): GDI by vehicles, by whole trains,
        # and the surfaces with one, two and three buffers.
        for alg in range(5):
            set_value(env, "DrawAlgF", alg)
            share = cpu_share(env, "/f", args.seconds)
            print(f"  full screen, DrawAlgF {alg}: {share * 100:.1f} % of one core")
    finally:
        stop(xvfb)
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
