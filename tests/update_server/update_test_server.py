#!/usr/bin/env python3
"""A small update server for the tests, on 127.0.0.1 only.

    update_test_server.py start ROOT    start in the background; ROOT/server.port tells the port
    update_test_server.py stop ROOT     stop the server started for ROOT
    update_test_server.py serve ROOT    serve in the foreground

Every test keeps its own site, a folder ROOT/SITE, reached as
http://127.0.0.1:PORT/SITE/:

    /SITE/                         answers 200 (the connectivity probe)
    /SITE/files/NAME               serves ROOT/SITE/files/NAME
    /SITE/download.php?file=NAME   serves ROOT/SITE/downloads/NAME

A file that does not exist answers 404. Beside a file, NAME.how (JSON)
changes how it is answered:

    {"status": 500}          this status, with a short body
    {"length": false}        no Content-Length: the body comes chunked
    {"chunk": 4096, "delay": 0.05}   the body in pieces, with a pause after each
    {"wait": 2}              a pause before the answer starts
    {"drop_after": 1000}     the connection drops after this many body bytes
    {"sign": "latest.txt"}   the body is the signature file of files/latest.txt
                             (it need not exist itself): 128 hexadecimal digits
                             and LF, by ROOT/test-key.pem; with "key": "other"
                             by ROOT/other-key.pem; "truncate": N keeps N bytes

At start two Ed25519 key pairs are made with openssl (when there is one):
ROOT/test-key.pem with its raw public key in ROOT/test-key.hex, and
ROOT/other-key.pem.

Every request is appended to ROOT/SITE/requests.log.
"""

import http.server
import json
import os
import shutil
import signal
import socketserver
import subprocess
import sys
import time
import urllib.parse


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "SumwiseTestServer/1"

    def log_message(self, format, *args):  # quiet
        pass

    def do_GET(self):
        try:
            self.answer()
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def answer(self):
        root = self.server.root
        url = urllib.parse.urlsplit(self.path)
        parts = url.path.lstrip("/").split("/", 1)
        site = parts[0]
        rest = parts[1] if len(parts) > 1 else ""
        site_dir = os.path.join(root, site)
        if not site or "/" in site or site.startswith(".") or not os.path.isdir(site_dir):
            return self.send_plain(404, b"no such site\n")
        with open(os.path.join(site_dir, "requests.log"), "a") as log:
            log.write(self.path[len(site) + 2:] + "\n")

        if rest == "":
            return self.send_plain(200, b"Sumwise test update server\n")
        if rest.startswith("files/"):
            name = rest[len("files/"):]
            folder = "files"
        elif rest == "download.php":
            name = urllib.parse.parse_qs(url.query).get("file", [""])[0]
            folder = "downloads"
        else:
            return self.send_plain(404, b"not found\n")
        if not name or "/" in name or "\\" in name or name.startswith("."):
            return self.send_plain(404, b"not found\n")
        path = os.path.join(site_dir, folder, name)
        how = {}
        if os.path.isfile(path + ".how"):
            with open(path + ".how") as f:
                how = json.load(f)
        time.sleep(float(how.get("wait", 0)))
        if "sign" in how:
            body = signature_file(root, os.path.join(site_dir, "files", str(how["sign"])), how)
            if body is None:
                return self.send_plain(500, b"cannot sign\n")
            return self.send_body(body, how)
        if not os.path.isfile(path):
            return self.send_plain(int(how.get("status", 404)), b"not found\n")
        status = int(how.get("status", 200))
        if status != 200:
            return self.send_plain(status, b"the server says no\n")
        with open(path, "rb") as f:
            body = f.read()
        self.send_body(body, how)

    def send_plain(self, status, body):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_body(self, body, how):
        with_length = bool(how.get("length", True))
        chunk = int(how.get("chunk", 0)) or max(len(body), 1)
        delay = float(how.get("delay", 0))
        drop_after = how.get("drop_after")
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if with_length:
            self.send_header("Content-Length", str(len(body)))
        else:
            self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        sent = 0
        while sent < len(body):
            piece = body[sent:sent + chunk]
            if drop_after is not None and sent + len(piece) > int(drop_after):
                piece = piece[:max(int(drop_after) - sent, 0)]
                self.write_piece(piece, with_length)
                self.wfile.flush()
                self.close_connection = True
                self.connection.shutdown(2)
                return
            self.write_piece(piece, with_length)
            self.wfile.flush()
            sent += len(piece)
            if delay:
                time.sleep(delay)
        if not with_length:
            self.wfile.write(b"0\r\n\r\n")

    def write_piece(self, piece, with_length):
        if not piece:
            return
        if with_length:
            self.wfile.write(piece)
        else:
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))


def signature_file(root, path, how):
    key = os.path.join(root, "other-key.pem" if how.get("key") == "other" else "test-key.pem")
    out = path + ".signature.bin"
    done = subprocess.run(["openssl", "pkeyutl", "-sign", "-rawin", "-inkey", key, "-in", path, "-out", out],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if done.returncode != 0:
        return None
    with open(out, "rb") as f:
        body = f.read().hex().encode() + b"\n"
    os.remove(out)
    if "truncate" in how:
        body = body[:int(how["truncate"])]
    return body


def make_keys(root):
    """The test key pairs; none without openssl."""
    if shutil.which("openssl") is None:
        return
    for name in ("test-key", "other-key"):
        pem = os.path.join(root, name + ".pem")
        subprocess.run(["openssl", "genpkey", "-algorithm", "ed25519", "-out", pem], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    der = subprocess.run(["openssl", "pkey", "-in", os.path.join(root, "test-key.pem"), "-pubout", "-outform", "DER"],
                         check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    with open(os.path.join(root, "test-key.hex"), "w") as f:
        f.write(der[-32:].hex() + "\n")


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def files(root):
    return os.path.join(root, "server.port"), os.path.join(root, "server.pid")


def serve(root):
    port_file, pid_file = files(root)
    server = Server(("127.0.0.1", 0), Handler)
    server.root = root
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    with open(pid_file + ".new", "w") as f:
        f.write(str(os.getpid()))
    os.replace(pid_file + ".new", pid_file)
    with open(port_file + ".new", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".new", port_file)
    try:
        server.serve_forever()
    finally:
        for name in (port_file, pid_file):
            try:
                os.remove(name)
            except OSError:
                pass


def running_pid(root):
    _, pid_file = files(root)
    try:
        with open(pid_file) as f:
            pid = int(f.read().strip())
        os.kill(pid, 0)
        return pid
    except (OSError, ValueError):
        return None


def stop(root):
    pid = running_pid(root)
    if pid is not None:
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            if running_pid(root) is None:
                break
            time.sleep(0.05)
        else:
            os.kill(pid, signal.SIGKILL)
    for name in files(root):
        try:
            os.remove(name)
        except OSError:
            pass


def start(root):
    stop(root)
    os.makedirs(root, exist_ok=True)
    make_keys(root)
    port_file, _ = files(root)
    if os.fork() == 0:
        # Detached from the caller's session and output, so that ctest does
        # not wait for it.
        os.setsid()
        if os.fork() != 0:
            os._exit(0)
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)
        try:
            serve(root)
        finally:
            os._exit(0)
    for _ in range(200):
        if os.path.isfile(port_file):
            return 0
        time.sleep(0.05)
    print("the update test server did not start", file=sys.stderr)
    return 1


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop", "serve"):
        print(__doc__, file=sys.stderr)
        return 2
    root = os.path.abspath(sys.argv[2])
    if sys.argv[1] == "start":
        return start(root)
    if sys.argv[1] == "stop":
        stop(root)
        return 0
    os.makedirs(root, exist_ok=True)
    serve(root)
    return 0


if __name__ == "__main__":
    sys.exit(main())
