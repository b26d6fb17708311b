#!/usr/bin/env python3
"""The Linux side of the real-client tests, started and ended by scripts/test.

It runs, on 127.0.0.1 only:
- OpenSSH's sshd with a configuration, host keys, pid file and log of its own in the folder
  given: password authentication for the test user and key authentication only for the key user,
  who exist for this sshd only (its own /etc/passwd and /etc/shadow in a mount namespace of its
  own), local forwarding only;
- a small web server and a small HTTP proxy: the "server port" of the tests' account;
- the broker the Windows relay ssh.exe (tests/support/real_ssh_relay.cpp) connects to. For each
  relay it starts the Linux ssh with the relay's arguments unchanged, streams ssh's standard
  error back as it comes, carries ssh's askpass questions to the relay and its answers back, and
  ends ssh when the relay's connection closes. ssh runs in a mount namespace of its own in which
  the user's home is a folder of the build tree, so that no one's ~/.ssh is read or written;
- a control port for the tests: stop, start and re-key the server, and what the run needs to
  know (ports, user, password).

Both the broker and the control listen on one port; the first line of a connection says which.
On SIGTERM or SIGINT it ends everything it started and exits. The password comes in the
environment variable MARROWIN_REAL_SSH_PASSWORD, never on a command line.
"""

import ctypes
import http.server
import os
import pwd
import secrets
import shutil
import signal
import socket
import socketserver
import struct
import subprocess
import sys
import tempfile
import threading
import time

SSHD = "/usr/sbin/sshd"
SSH = "/usr/bin/ssh"
SSH_KEYGEN = "/usr/bin/ssh-keygen"
CHROMIUM = "/usr/bin/chromium"
# A name only sshd's side can look up (its own /etc/hosts): a page fetched by this name came
# through the tunnel by name, never looked up on the client's side.
SERVER_ONLY_HOST = "marrowin-only.test"
HERE = os.path.dirname(os.path.abspath(__file__))


def log(text):
    sys.stderr.write("real-ssh: %s\n" % text)
    sys.stderr.flush()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def accepts(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=1):
            return True
    except OSError:
        return False


def descendants(pid):
    """The ids of every process below pid, read from /proc."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
        except OSError:
            continue
        # The command name is in parentheses and may hold spaces; the parent id follows it.
        parent = int(stat[stat.rindex(")") + 2:].split()[1])
        children.setdefault(parent, []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        for child in children.get(todo.pop(), []):
            found.append(child)
            todo.append(child)
    return found


def kill_ids(ids, sig=signal.SIGKILL):
    for pid in ids:
        try:
            os.kill(pid, sig)
        except ProcessLookupError:
            pass


# --------------------------------------------------------------------------------------------
# sshd


def password_hash(password):
    """The password as /etc/shadow holds it (SHA-512 crypt)."""
    import warnings
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)
        import crypt
    return crypt.crypt(password, crypt.mksalt(crypt.METHOD_SHA512))


class Sshd:
    """sshd runs in a mount namespace of its own in which /etc/passwd, /etc/shadow and
    /etc/hosts are files of ours: they hold the test user, with the run's password, besides the
    accounts sshd needs itself, and a host name for this machine that only sshd knows. So the
    user and the name exist for this sshd alone, and nothing of the system's changes."""

    def __init__(self, folder, user, password):
        self.folder = folder
        self.user = user
        self.key_user = user + "-key"
        self.authorized_keys = os.path.join(folder, "authorized_keys")
        self.port = free_port()
        self.log_path = os.path.join(folder, "sshd.log")
        self.config = os.path.join(folder, "sshd_config")
        self.keys = [os.path.join(folder, "host_key_a"), os.path.join(folder, "host_key_b")]
        self.key = 0
        self.process = None
        for key in self.keys:
            for path in (key, key + ".pub"):
                if os.path.exists(path):
                    os.remove(path)
            subprocess.run([SSH_KEYGEN, "-q", "-t", "ed25519", "-N", "", "-C", "marrowin-test",
                            "-f", key], check=True)
        self.write_accounts(password)
        # sshd's privilege separation needs its empty directory, owned by root.
        os.makedirs("/run/sshd", mode=0o755, exist_ok=True)

    def write_accounts(self, password):
        etc = os.path.join(self.folder, "etc")
        os.makedirs(etc, mode=0o700, exist_ok=True)
        uid = 61000
        while True:
            try:
                pwd.getpwuid(uid)
                uid += 1
            except KeyError:
                break
        # root and the privilege separation user as the system has them, without any password.
        accounts = [pwd.getpwuid(0), pwd.getpwnam("sshd")]
        lines = ["%s:x:%d:%d:%s:%s:%s" % (a.pw_name, a.pw_uid, a.pw_gid, a.pw_gecos, a.pw_dir,
                                           a.pw_shell) for a in accounts]
        for name in (self.user, self.key_user):
            lines.append("%s:x:%d:%d:Marrowin's real OpenSSH tests:/nonexistent:/usr/sbin/nologin"
                         % (name, uid, uid))
        today = int(time.time() // 86400)
        shadow = ["%s:*:%d:0:99999:7:::" % (a.pw_name, today) for a in accounts]
        shadow.append("%s:*:%d:0:99999:7:::" % (self.key_user, today))
        shadow.append("%s:%s:%d:0:99999:7:::" % (self.user, password_hash(password), today))
        self.passwd_file = os.path.join(etc, "passwd")
        self.shadow_file = os.path.join(etc, "shadow")
        with open(self.passwd_file, "w") as f:
            f.write("\n".join(lines) + "\n")
        with open(os.open(self.shadow_file, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600),
                  "w") as f:
            f.write("\n".join(shadow) + "\n")
        self.hosts_file = os.path.join(etc, "hosts")
        with open("/etc/hosts") as system, open(self.hosts_file, "w") as f:
            f.write(system.read() + "\n127.0.0.1 %s\n" % SERVER_ONLY_HOST)

    def write_config(self):
        lines = [
            "Port %d" % self.port,
            "ListenAddress 127.0.0.1",
            "HostKey %s" % self.keys[self.key],
            "PidFile %s" % os.path.join(self.folder, "sshd.pid"),
            "AllowUsers %s %s" % (self.user, self.key_user),
            # Passwords as our /etc/shadow holds them, through no PAM stack of the system's.
            "UsePAM no",
            "PasswordAuthentication yes",
            "KbdInteractiveAuthentication no",
            "PubkeyAuthentication no",
            "AuthorizedKeysFile none",
            "PermitRootLogin no",
            "AllowTcpForwarding local",
            "PermitOpen 127.0.0.1:* localhost:* %s:*" % SERVER_ONLY_HOST,
            "AllowAgentForwarding no",
            "AllowStreamLocalForwarding no",
            "X11Forwarding no",
            "PermitTTY no",
            "PermitTunnel no",
            "PrintMotd no",
            "LogLevel VERBOSE",
            # The keys' folder is in the build tree, whose folders others may write to.
            "StrictModes no",
            # The key user signs in with a key of the list the tests make, and with nothing else.
            "Match User %s" % self.key_user,
            "    PasswordAuthentication no",
            "    PubkeyAuthentication yes",
            "    AuthorizedKeysFile %s" % self.authorized_keys,
            "    AuthenticationMethods publickey",
        ]
        with open(self.config, "w") as f:
            f.write("\n".join(lines) + "\n")

    def start(self):
        if self.running():
            return True
        self.write_config()
        # unshare and sh exec in turn, so the process started is sshd's own.
        self.process = subprocess.Popen(
            ["/usr/bin/unshare", "--mount", "--propagation", "private", "--", "/bin/sh", "-c",
             'mount --bind "$1" /etc/passwd && mount --bind "$2" /etc/shadow && '
             'mount --bind "$3" /etc/hosts && shift 3 && exec "$@"', "sh", self.passwd_file,
             self.shadow_file, self.hosts_file,
             SSHD, "-D", "-f", self.config, "-E", self.log_path], stdin=subprocess.DEVNULL)
        deadline = time.time() + 10
        while time.time() < deadline:
            if self.process.poll() is not None:
                log("sshd ended at its start with code %d; see %s" % (self.process.returncode,
                                                                     self.log_path))
                return False
            if accepts(self.port):
                return True
            time.sleep(0.05)
        return False

    def running(self):
        return self.process is not None and self.process.poll() is None

    def stop(self):
        """Ends sshd and every session it serves, as a server that goes away does."""
        if self.process is None:
            return
        sessions = descendants(self.process.pid)
        kill_ids(sessions, signal.SIGTERM)
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        kill_ids(sessions)
        self.process = None

    def make_client_keys(self):
        """The test's keys, made anew: "plain" without a passphrase, "locked" with one, both known
        to the server, and "stranger", which it does not know. Each file is 0600, as ssh wants
        it. Answers the folder and the passphrase."""
        folder = os.path.join(self.folder, "client-keys")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder, mode=0o700)
        passphrase = "pass " + secrets.token_hex(8)
        for name, words in (("plain", ""), ("locked", passphrase), ("stranger", "")):
            subprocess.run([SSH_KEYGEN, "-q", "-t", "ed25519", "-N", words, "-C", name, "-f",
                            os.path.join(folder, name)], check=True)
            os.chmod(os.path.join(folder, name), 0o600)
        with open(self.authorized_keys, "w") as f:
            for name in ("plain", "locked"):
                with open(os.path.join(folder, name + ".pub")) as pub:
                    f.write(pub.read())
        return folder, passphrase

    def use_key(self, index):
        self.key = index
        if self.running():
            self.stop()
            return self.start()
        return True


# --------------------------------------------------------------------------------------------
# The web server and the HTTP proxy behind the tunnel


# The benchmark's download.
BIG_PAGE = "/50mb"
BIG_SIZE = 50 * 1024 * 1024


class WebHandler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path == BIG_PAGE:
            self.send_response(200)
            self.send_header("Content-Length", str(BIG_SIZE))
            self.end_headers()
            chunk = b"m" * 65536
            for _ in range(BIG_SIZE // len(chunk)):
                self.wfile.write(chunk)
            return
        body = ("<html><body>%s</body></html>\n" % self.server.marker).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


class ProxyHandler(socketserver.StreamRequestHandler):
    """Plain HTTP requests with an absolute URI to a host on this machine, one a connection."""

    def handle(self):
        head = b""
        while b"\r\n\r\n" not in head and len(head) < 65536:
            chunk = self.request.recv(4096)
            if not chunk:
                return
            head += chunk
        request_line, _, rest = head.partition(b"\r\n")
        parts = request_line.split(b" ")
        if len(parts) != 3 or not parts[1].startswith(b"http://"):
            self.request.sendall(b"HTTP/1.0 400 Bad Request\r\nContent-Length: 0\r\n\r\n")
            return
        target, _, path = parts[1][7:].partition(b"/")
        host, _, port = target.partition(b":")
        if host not in (b"127.0.0.1", b"localhost"):
            self.request.sendall(b"HTTP/1.0 403 Forbidden\r\nContent-Length: 0\r\n\r\n")
            return
        self.server.requests.append(request_line.decode(errors="replace"))
        with socket.create_connection((host.decode(), int(port or b"80")), timeout=10) as out:
            out.sendall(b" ".join([parts[0], b"/" + path, b"HTTP/1.0"]) + b"\r\n" + rest)
            while True:
                data = out.recv(65536)
                if not data:
                    break
                self.request.sendall(data)


class DnsWatch:
    """Counts the frames on any interface of this machine that carry SERVER_ONLY_HOST as DNS
    writes a name (length-prefixed labels): a query for it by anyone, over UDP or TCP, to any
    name server. The tunnel carries the name as text, which this does not match."""

    def __init__(self):
        self.wire_name = b"".join(bytes([len(label)]) + label.encode()
                                  for label in SERVER_ONLY_HOST.split("."))
        self.seen = 0
        self.sock = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.ntohs(0x0003))
        threading.Thread(target=self.watch, daemon=True).start()

    def watch(self):
        while True:
            try:
                frame = self.sock.recv(65535)
            except OSError:
                return
            if self.wire_name in frame:
                self.seen += 1


def chromium_fetch(proxy, web_port, marker):
    """Headless Chromium fetches the page by the name only sshd knows, through the proxy given
    as Windows' settings name it: "ok", or what went wrong on one line."""
    if not os.path.exists(CHROMIUM):
        return "no chromium\n"
    profile = tempfile.mkdtemp(prefix="marrowin-chromium-")
    try:
        shown = subprocess.run(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--user-data-dir=" + profile, "--proxy-server=http://" + proxy,
             "--dump-dom", "http://%s:%d/" % (SERVER_ONLY_HOST, web_port)],
            capture_output=True, text=True, timeout=90, stdin=subprocess.DEVNULL)
        if marker in shown.stdout:
            return "ok\n"
        return ("not the page: " + (shown.stdout + shown.stderr)[-300:]).replace("\n", " ") + "\n"
    except subprocess.TimeoutExpired:
        return "chromium did not finish\n"
    finally:
        shutil.rmtree(profile, ignore_errors=True)


class Threading(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True
    allow_reuse_address = True


# --------------------------------------------------------------------------------------------
# The broker: one Linux ssh for each relay

# Frames both ways: one byte of type, four bytes of length (little-endian), the payload.
# Relay to broker: A argument, V "NAME=value" of ssh's environment, G go, R askpass answer
# (four bytes of exit code, then the program's output). Broker to relay: E standard error
# bytes, Q askpass question, X ssh's exit code (four bytes, signed).


def read_exactly(sock, size):
    data = b""
    while len(data) < size:
        chunk = sock.recv(size - len(data))
        if not chunk:
            raise ConnectionError("closed")
        data += chunk
    return data


def read_frame(sock):
    kind, size = struct.unpack("<cI", read_exactly(sock, 5))
    return kind, read_exactly(sock, size) if size else b""


# ssh runs in a mount namespace of its own in which the user's home (which OpenSSH takes from
# the password database, not from $HOME) is a folder of the build tree.
PRIVATE_HOME = ["/usr/bin/unshare", "--mount", "--propagation", "private", "--", "/bin/sh", "-c",
                'mount --bind "$1" "$2" && shift 2 && exec "$@"', "sh"]


class Broker:
    def __init__(self, folder, askpass_program, port):
        self.home = os.path.join(folder, "home")
        self.real_home = pwd.getpwuid(os.getuid()).pw_dir
        self.askpass_program = askpass_program
        self.port = port
        self.runs_log = os.path.join(folder, "ssh-runs.log")
        self.lock = threading.Lock()
        self.sessions = {}  # token -> Session
        self.runs = 0
        self.running = set()
        self.clear_known_hosts()

    def clear_known_hosts(self):
        if os.path.isdir(self.home):
            shutil.rmtree(self.home)
        os.makedirs(os.path.join(self.home, ".ssh"), mode=0o700)

    # The private home's ~/.ssh/config: none, one that asks for connection sharing, or one with
    # a line ssh cannot read.
    CONFIGS = {
        "none": None,
        "sharing": "Host *\n    ControlMaster auto\n    ControlPath ~/.ssh/cm-%r@%h:%p\n",
        "bad": "Host *\n    ServerAliveInterval 15\n    NoSuchOption yes\n",
    }

    def write_ssh_config(self, name):
        if name not in self.CONFIGS:
            return False
        path = os.path.join(self.home, ".ssh", "config")
        if os.path.exists(path):
            os.remove(path)
        if self.CONFIGS[name] is not None:
            with open(os.open(path, os.O_WRONLY | os.O_CREAT, 0o600), "w") as f:
                f.write(self.CONFIGS[name])
        return True

    def record(self, text):
        with self.lock, open(self.runs_log, "ab") as f:
            f.write(text if isinstance(text, bytes) else text.encode())

    def serve_relay(self, sock):
        arguments, environment = [], {}
        while True:
            kind, payload = read_frame(sock)
            if kind == b"A":
                arguments.append(payload.decode())
            elif kind == b"V":
                name, _, value = payload.decode().partition("=")
                environment[name] = value
            elif kind == b"G":
                break
        Session(self, sock, arguments, environment).run()

    def serve_askpass(self, sock, token, prompt):
        with self.lock:
            session = self.sessions.get(token)
        if session is None:
            sock.sendall(struct.pack("<i", 1))
            return
        code, answer = session.ask(prompt)
        sock.sendall(struct.pack("<i", code) + answer)


class Session:
    def __init__(self, broker, sock, arguments, environment):
        self.broker = broker
        self.sock = sock
        self.arguments = arguments
        self.environment = environment
        self.send_lock = threading.Lock()
        self.answers = []
        self.answered = threading.Condition()
        self.closed = False
        self.token = secrets.token_hex(16)

    def send(self, kind, payload=b""):
        with self.send_lock:
            self.sock.sendall(struct.pack("<cI", kind, len(payload)) + payload)

    def ask(self, prompt):
        """Carries one askpass question to the relay; its exit code and output."""
        try:
            self.send(b"Q", prompt)
        except OSError:
            return 1, b""
        with self.answered:
            while not self.answers and not self.closed:
                self.answered.wait(1)
            if not self.answers:
                return 1, b""
            return self.answers.pop(0)

    def run(self):
        broker = self.broker
        env = {"PATH": "/usr/bin:/bin", "HOME": broker.real_home, "LANG": "C.UTF-8"}
        # What plink.exe set for ssh is passed on; its askpass program is reached through ours.
        for name in ("SSH_ASKPASS_REQUIRE", "DISPLAY"):
            if name in self.environment:
                env[name] = self.environment[name]
        if "SSH_ASKPASS" in self.environment:
            env["SSH_ASKPASS"] = broker.askpass_program
            env["MARROWIN_REAL_SSH"] = "127.0.0.1:%d" % broker.port
            env["MARROWIN_REAL_SSH_TOKEN"] = self.token
        with broker.lock:
            broker.sessions[self.token] = self
            broker.runs += 1
            run = broker.runs
        broker.record("=== run %d: ssh %s\n" % (run, " ".join(self.arguments)))
        # A key file is named as Windows sees it; Wine's drive Z: is the Linux root.
        arguments = [a.replace('IdentityFile="Z:/', 'IdentityFile="/', 1) for a in self.arguments]
        try:
            # unshare and sh exec in turn, so the process started is ssh's own.
            ssh = subprocess.Popen(PRIVATE_HOME + [broker.home, broker.real_home, SSH] +
                                   arguments, env=env, cwd="/", stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                   start_new_session=True)
        except OSError as error:
            message = "The real-ssh broker could not start ssh: %s\n" % error
            broker.record(message)
            self.send(b"E", message.encode())
            self.send(b"X", struct.pack("<i", 255))
            return
        with broker.lock:
            broker.running.add(ssh.pid)
        threading.Thread(target=self.watch_relay, args=(ssh,), daemon=True).start()
        try:
            while True:
                data = os.read(ssh.stderr.fileno(), 4096)
                if not data:
                    break
                broker.record(data)
                try:
                    self.send(b"E", data)
                except OSError:
                    pass
            code = ssh.wait()
        finally:
            self.end_ssh(ssh)
            with broker.lock:
                broker.running.discard(ssh.pid)
                broker.sessions.pop(self.token, None)
        broker.record("=== run %d ended with %d\n" % (run, code))
        try:
            self.send(b"X", struct.pack("<i", code if code >= 0 else 255))
        except OSError:
            pass

    def watch_relay(self, ssh):
        """Reads the relay's answers; its connection closing ends ssh."""
        try:
            while True:
                kind, payload = read_frame(self.sock)
                if kind == b"R" and len(payload) >= 4:
                    with self.answered:
                        self.answers.append((struct.unpack("<i", payload[:4])[0], payload[4:]))
                        self.answered.notify_all()
        except (OSError, ConnectionError, struct.error):
            pass
        with self.answered:
            self.closed = True
            self.answered.notify_all()
        self.end_ssh(ssh)

    @staticmethod
    def end_ssh(ssh):
        # ssh leads its own process group, which holds its askpass program too.
        if ssh.poll() is None:
            try:
                os.killpg(ssh.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            try:
                ssh.wait(3)
            except subprocess.TimeoutExpired:
                pass
        try:
            os.killpg(ssh.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass


# --------------------------------------------------------------------------------------------
# The one port of the broker and the control


class Services:
    def __init__(self, folder, user, password):
        self.folder = folder
        self.user = user
        self.password = password
        self.marker = "marrowin-real-ssh-" + secrets.token_hex(8)
        self.temp = tempfile.mkdtemp(prefix="marrowin-real-ssh-")
        # ssh runs the askpass program from a place its private home cannot hide.
        askpass = os.path.join(self.temp, "askpass")
        shutil.copy(os.path.join(HERE, "askpass.py"), askpass)
        os.chmod(askpass, 0o755)
        self.listener = socket.socket()
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(64)
        self.port = self.listener.getsockname()[1]
        self.sshd = Sshd(folder, user, password)
        self.broker = Broker(folder, askpass, self.port)
        self.web = Threading(("127.0.0.1", 0), WebHandler)
        self.web.marker = self.marker
        self.proxy = Threading(("127.0.0.1", 0), ProxyHandler)
        self.proxy.requests = []
        self.control_lock = threading.Lock()
        self.dns = DnsWatch()
        for server in (self.web, self.proxy):
            threading.Thread(target=server.serve_forever, daemon=True).start()

    def info(self):
        return {
            "sshd_port": self.sshd.port,
            "user": self.user,
            "key_user": self.sshd.key_user,
            "password": self.password,
            "web_port": self.web.server_address[1],
            "proxy_port": self.proxy.server_address[1],
            "marker": self.marker,
            "sshd_log": self.sshd.log_path,
            "runs_log": self.broker.runs_log,
        }

    def control(self, command):
        with self.control_lock:
            if command == "info":
                return "".join("%s=%s\n" % item for item in self.info().items())
            if command == "reset":
                # The first key again, nothing known of it by the client.
                self.broker.clear_known_hosts()
                ok = self.sshd.use_key(0) and self.sshd.start()
                return "ok\n" if ok else "failed\n"
            if command == "stop":
                self.sshd.stop()
                return "ok\n"
            if command == "start":
                return "ok\n" if self.sshd.start() else "failed\n"
            if command == "new-host-key":
                return "ok\n" if self.sshd.use_key(1) else "failed\n"
            if command == "fingerprint":
                # "256 SHA256:... comment (ED25519)": the fingerprint a client is shown.
                shown = subprocess.run([SSH_KEYGEN, "-lf", self.sshd.keys[self.sshd.key] + ".pub"],
                                       capture_output=True, text=True).stdout.split()
                return (shown[1] if len(shown) > 1 else "unknown") + "\n"
            if command == "client-keys":
                return "%s %s\n" % self.sshd.make_client_keys()
            if command.startswith("ssh-config "):
                ok = self.broker.write_ssh_config(command[len("ssh-config "):])
                return "ok\n" if ok else "unknown\n"
            if command == "runs":
                with self.broker.lock:
                    return "%d %d\n" % (self.broker.runs, len(self.broker.running))
            if command == "proxy-requests":
                return "%d\n" % len(self.proxy.requests)
            if command == "dns-queries":
                return "%d\n" % self.dns.seen
            if command.startswith("chromium "):
                return chromium_fetch(command.split(" ", 1)[1], self.web.server_address[1],
                                      self.marker)
            return "unknown\n"

    def serve(self, sock):
        with sock:
            try:
                first = b""
                while not first.endswith(b"\n") and len(first) < 256:
                    byte = sock.recv(1)
                    if not byte:
                        return
                    first += byte
                words = first.decode().split()
                if words == ["relay"]:
                    self.broker.serve_relay(sock)
                elif len(words) == 2 and words[0] == "askpass":
                    size = struct.unpack("<I", read_exactly(sock, 4))[0]
                    self.broker.serve_askpass(sock, words[1], read_exactly(sock, size))
                elif words and words[0] == "control":
                    sock.sendall(self.control(" ".join(words[1:])).encode())
            except (OSError, ConnectionError, struct.error, UnicodeDecodeError):
                pass

    def accept_forever(self):
        while True:
            try:
                sock, _ = self.listener.accept()
            except OSError:
                return
            threading.Thread(target=self.serve, args=(sock,), daemon=True).start()

    def own_children(self):
        with self.broker.lock:
            own = set(self.broker.running)
        if self.sshd.process is not None:
            own.add(self.sshd.process.pid)
        return own

    def end(self):
        self.listener.close()
        with self.broker.lock:
            running = list(self.broker.running)
        for pid in running:
            try:
                os.killpg(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.sshd.stop()
        self.web.shutdown()
        self.proxy.shutdown()
        shutil.rmtree(self.temp, ignore_errors=True)
        left = descendants(os.getpid())
        kill_ids(left)
        for pid in left:
            try:
                os.waitpid(pid, 0)
            except ChildProcessError:
                pass


PR_SET_CHILD_SUBREAPER = 36


def reap_orphans(services):
    """sshd's session processes that lose their parent come to us (we are their subreaper)
    and are reaped here; the children we wait for ourselves are left alone."""
    while True:
        time.sleep(1)
        own = services.own_children()
        for pid in children_of(os.getpid()):
            if pid in own:
                continue
            try:
                os.waitpid(pid, os.WNOHANG)
            except ChildProcessError:
                pass


def children_of(pid):
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open("/proc/%s/stat" % entry) as f:
                    stat = f.read()
            except OSError:
                continue
            if int(stat[stat.rindex(")") + 2:].split()[1]) == pid:
                found.append(int(entry))
    return found


def main():
    # Whatever our children leave behind stays ours, to be reaped and, at the end, ended.
    ctypes.CDLL(None).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    folder = os.path.abspath(sys.argv[1])
    user = sys.argv[2]
    password = os.environ.get("MARROWIN_REAL_SSH_PASSWORD", "")
    os.makedirs(folder, exist_ok=True)
    services = Services(folder, user, password)

    def stop(signum, frame):
        services.end()
        os._exit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    if not services.sshd.start():
        services.end()
        sys.exit(1)
    threading.Thread(target=services.accept_forever, daemon=True).start()
    threading.Thread(target=reap_orphans, args=(services,), daemon=True).start()
    # Ready: the port is told through a file that appears whole.
    ready = os.path.join(folder, "port")
    with open(ready + ".new", "w") as f:
        f.write("%d\n" % services.port)
    os.rename(ready + ".new", ready)
    while True:
        signal.pause()


if __name__ == "__main__":
    main()
