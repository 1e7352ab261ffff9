#!/usr/bin/python3
"""A file server for the end-to-end tests that misbehaves on request.

Mounts BACKING at MOUNT (FUSE, as root) and serves it as it is, until the
tests write another line into the CONTROL file (outside the mount), which
is read every 20 ms. Its first line is the mode, its second a question: a
new question is answered in the status (see below) once the status holds
every call that ended before it. The modes:

  normal          every call is served
  stall           the calls of the programs wait until the line changes,
                  as calls to a server that stopped answering do; flush and
                  release pass, rename, unlink and rmdir fail at once with
                  ETIMEDOUT
  gone            every call fails with EIO (a dropped share); flush and
                  release pass
  refuse-replace  a rename onto an existing name fails with EACCES
  damage GLOB     every write to a file whose path below the mount matches
                  GLOB is stored with one byte changed; reads give what is
                  stored
  after N LINE    served as usual until a write would take the bytes written
                  since this line past N; from that write on, LINE holds
  stop            the stalled calls go on, and the server unmounts and ends
                  (as on SIGTERM, SIGINT or SIGHUP, and 300 s after its
                  start)

Wine's own server (wineserver) makes file calls for every program of the
prefix: it opens and creates files, renames and unlinks them, and closes the
last descriptor of each. A call of it that waited would freeze every Wine
program of the prefix, which Windows never does, so its calls never wait:
they are served, but rename, unlink and rmdir fail as they do for everyone.

The STATUS file, replaced as a whole whenever something changes, holds lines
of tab-separated fields: "pid" and this process's id; "mount" and the mount's
real path; "control" and the line last read; "mode" and the line in force;
"waiting" and the number of calls waiting now; "answer" and the question
last read; "written", a byte count and a path below the mount, for every
file written, counted by the name it was written under; "error" and why the
server could not start.

Usage: misbehaving_server.py BACKING MOUNT CONTROL STATUS
"""

import errno
import fnmatch
import os
import select
import signal
import subprocess
import sys
import threading
import time

# Calls that pass whatever happens: the end of an open file. Wine's server
# makes them for every program at its CloseHandle.
ALWAYS_PASS = {"flush", "release", "releasedir", "init", "destroy"}
# Calls that fail at once while the server stalls, as a timed-out network
# call fails: Wine's server makes them for every program of the prefix.
FAIL_WHEN_STALLED = {"rename", "unlink", "rmdir"}
# A server serves one test: whatever becomes of the test (a driver killed
# on its time-out cannot stop it), it unmounts and ends after this long.
LIFETIME = 300


def fail(code):
    # libfuse answers the call with the error number of an OSError.
    raise OSError(code, os.strerror(code))


class Control:
    """The mode in force, and the calls that wait for it to change."""

    def __init__(self, mount):
        self.mount = mount
        self.lock = threading.Condition()
        self.line = "normal"  # the control file's line
        self.mode = "normal"  # the line in force
        self.after = None  # (bytes, line) of an "after" line not yet in force
        self.since = 0  # bytes written since the "after" line was read
        self.waiting = 0
        self.written = {}
        self.question = ""
        self.dirty = True

    def set(self, line):
        with self.lock:
            self.line = line
            words = line.split(None, 2)
            if words and words[0] == "after" and len(words) == 3 and words[1].isdigit():
                self.after = (int(words[1]), words[2])
                self.since = 0
                self.mode = "normal"
            else:
                self.after = None
                self.mode = line
            self.dirty = True
            self.lock.notify_all()

    def admit(self, op, by_wine_server, written=0):
        """Waits or fails as the mode says, for one call."""
        with self.lock:
            if self.after is not None and written > 0:
                if self.since + written > self.after[0]:
                    self.mode = self.after[1]
                    self.after = None
                    self.dirty = True
                else:
                    self.since += written
            while True:
                mode = self.mode.split(None, 1)[0] if self.mode.strip() else "normal"
                if op in ALWAYS_PASS:
                    return
                if mode == "gone":
                    fail(errno.EIO)
                if mode != "stall":
                    return
                if op in FAIL_WHEN_STALLED:
                    fail(errno.ETIMEDOUT)
                if by_wine_server:
                    return
                self.waiting += 1
                self.dirty = True
                self.lock.wait()
                self.waiting -= 1
                self.dirty = True

    def ask(self, question):
        """A new question is answered by a status written after it was read,
        so it holds every call that ended before it was asked."""
        with self.lock:
            if question != self.question:
                self.question = question
                self.dirty = True

    def damages(self, rel):
        with self.lock:
            words = self.mode.split(None, 1)
            return len(words) == 2 and words[0] == "damage" and fnmatch.fnmatch(rel, words[1])

    def count(self, rel, n):
        with self.lock:
            self.written[rel] = self.written.get(rel, 0) + n
            self.dirty = True

    def status(self):
        with self.lock:
            self.dirty = False
            lines = [
                "pid\t%d" % os.getpid(),
                "mount\t" + self.mount,
                "control\t" + self.line,
                "mode\t" + self.mode,
                "waiting\t%d" % self.waiting,
                "answer\t" + self.question,
            ]
            lines += ["written\t%d\t%s" % (n, rel) for rel, n in sorted(self.written.items())]
            return "\n".join(lines) + "\n"


def write_status(path, text):
    temporary = path + ".new"
    with open(temporary, "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(temporary, path)


def caller_is_wine_server(pid, known={}):
    """Whether the thread that made the call belongs to Wine's server."""
    if pid not in known:
        try:
            exe = os.path.basename(os.readlink("/proc/%d/exe" % pid))
        except OSError:
            exe = ""
        # A call the kernel makes on its own (pid 0) belongs to nobody.
        known[pid] = pid == 0 or exe.startswith("wineserver")
    return known[pid]


def make_server(fusepy, backing, control):
    class Server(fusepy.Operations):
        use_ns = True

        def __call__(self, op, path, *args):
            written = len(args[0]) if op == "write" else 0
            control.admit(op, caller_is_wine_server(fusepy.fuse_get_context()[2]), written)
            return getattr(self, op)(path, *args)

        def real(self, path):
            return os.path.join(backing, path.lstrip("/"))

        def getattr(self, path, fi=None):
            st = os.fstat(fi.fh) if fi else os.lstat(self.real(path))
            keys = ("st_mode", "st_ino", "st_nlink", "st_uid", "st_gid", "st_size", "st_blocks",
                    "st_atime_ns", "st_mtime_ns", "st_ctime_ns")
            attrs = {k.replace("_ns", ""): getattr(st, k) for k in keys}
            attrs["st_blksize"] = st.st_blksize
            return attrs

        def access(self, path, amode):
            if not os.access(self.real(path), amode):
                fail(errno.EACCES)

        def readdir(self, path, fh):
            return [".", ".."] + os.listdir(self.real(path))

        def readlink(self, path):
            return os.readlink(self.real(path))

        def statfs(self, path):
            st = os.statvfs(self.real(path))
            return {k: getattr(st, k) for k in ("f_bsize", "f_frsize", "f_blocks", "f_bfree",
                                                 "f_bavail", "f_files", "f_ffree", "f_namemax")}

        def open(self, path, fi):
            fi.fh = os.open(self.real(path), fi.flags)
            fi.direct_io = 1  # reads and writes reach this server, not the page cache
            return 0

        def create(self, path, mode, fi):
            fi.fh = os.open(self.real(path), fi.flags | os.O_CREAT, mode)
            fi.direct_io = 1
            return 0

        def read(self, path, size, offset, fi):
            return os.pread(fi.fh, size, offset)

        def write(self, path, data, offset, fi):
            rel = path.lstrip("/") if path else "?"
            if control.damages(rel):
                changed = bytearray(data)
                changed[-1] ^= 0xFF
                data = bytes(changed)
            n = os.pwrite(fi.fh, data, offset)
            control.count(rel, n)
            return n

        def truncate(self, path, length, fi=None):
            if fi:
                os.ftruncate(fi.fh, length)
            else:
                os.truncate(self.real(path), length)

        def flush(self, path, fi):
            return 0

        def release(self, path, fi):
            os.close(fi.fh)

        def fsync(self, path, datasync, fi):
            os.fsync(fi.fh)

        def mkdir(self, path, mode):
            os.mkdir(self.real(path), mode)

        def rmdir(self, path):
            os.rmdir(self.real(path))

        def unlink(self, path):
            os.unlink(self.real(path))

        def rename(self, old, new):
            if control.mode == "refuse-replace" and os.path.lexists(self.real(new)):
                fail(errno.EACCES)
            os.rename(self.real(old), self.real(new))

        def chmod(self, path, mode):
            os.chmod(self.real(path), mode)

        def chown(self, path, uid, gid):
            os.chown(self.real(path), uid, gid)

        def utimens(self, path, times=None):
            os.utime(self.real(path), ns=times)

        def init(self, path):
            control.set(control.line)  # the status says the mount is there

    return Server()


def mounted(mount):
    escaped = mount.replace("\\", "\\134").replace(" ", "\\040").replace("\t", "\\011")
    with open("/proc/mounts", encoding="utf-8", errors="replace") as f:
        return any(line.split(" ")[1] == escaped for line in f)


def unmount(mount):
    # A program that still holds a file keeps a plain unmount from working:
    # the mount is then taken away from the file name space at once, and
    # ends when the last file is closed.
    for args in (["-u"], ["-u", "-z"]):
        if subprocess.run(["fusermount3"] + args + [mount], stderr=subprocess.DEVNULL).returncode == 0:
            return


def watch(control_path, status_path, control, mount, wakeup):
    """Reads the control file and writes the status, until told to stop."""
    last = None
    end = time.monotonic() + LIFETIME
    while True:
        readable, _, _ = select.select([wakeup], [], [], 0.02)
        stop = bool(readable) or time.monotonic() > end
        try:
            with open(control_path, encoding="utf-8") as f:
                lines = f.read().split("\n")
        except OSError:
            lines = None
        if lines is not None:
            line = lines[0].strip()
            stop = stop or line == "stop"
            if line != last and not stop:
                control.set(line)
            last = line
            control.ask(lines[1].strip() if len(lines) > 1 else "")
        if stop:
            control.set("normal")
            write_status(status_path, control.status())
            unmount(mount)
            return
        if control.dirty:
            write_status(status_path, control.status())


def cannot_start(status_path, why):
    write_status(status_path, "pid\t%d\nerror\t%s\n" % (os.getpid(), why))
    sys.exit(1)


def main():
    backing, mount, control_path, status_path = (os.path.abspath(a) for a in sys.argv[1:5])
    try:
        import fusepy
    except ImportError:
        cannot_start(status_path, "python3-fusepy is not installed")
    except OSError as e:
        cannot_start(status_path, "libfuse cannot be loaded (%s)" % e)
    if not os.path.exists("/dev/fuse"):
        cannot_start(status_path, "there is no /dev/fuse")
    try:
        os.close(os.open("/dev/fuse", os.O_RDWR))
    except OSError as e:
        cannot_start(status_path, "/dev/fuse cannot be opened (%s)" % e.strerror)
    if mounted(mount):
        unmount(mount)  # left by a run cut short
    os.makedirs(mount, exist_ok=True)
    mount = os.path.realpath(mount)  # as the system's list of mounts names it

    control = Control(mount)
    # Signals reach a pipe that the watcher reads: the main thread stays in
    # libfuse's loop until the mount is gone.
    read_end, write_end = os.pipe()
    os.set_blocking(write_end, False)
    signal.set_wakeup_fd(write_end)
    for sig in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
        signal.signal(sig, lambda *_: None)
    # fusepy hands SIGINT to libfuse, whose handler ends the loop while calls
    # still wait, and leaves the mount: the handler above keeps it.
    fusepy.signal = lambda sig, handler: signal.getsignal(sig)
    threading.Thread(
        target=watch,
        args=(control_path, status_path, control, mount, read_end),
        daemon=True,
    ).start()
    try:
        fusepy.FUSE(make_server(fusepy, backing, control), mount, raw_fi=True, foreground=True,
                    nothreads=False, fsname="misbehaving", use_ino=True, hard_remove=True,
                    big_writes=True, max_write=131072, entry_timeout=0, attr_timeout=0,
                    negative_timeout=0)
    except RuntimeError as e:
        cannot_start(status_path, "FUSE cannot mount %s (libfuse gives %s; not root?)" % (mount, e))


if __name__ == "__main__":
    main()
