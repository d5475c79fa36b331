"""Drives Debian's chromium, headless, through the DevTools protocol: a minimal
WebSocket client (the standard library has none) and the few calls the page
tests need: load a page, evaluate script, take a screenshot, collect the
console's errors."""
import base64
import json
import os
import shutil
import socket
import struct
import subprocess
import tempfile
import time
import urllib.request
import zlib

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--remote-debugging-port=0", "--window-size=1280,800", "--hide-scrollbars"]


class Browser:
    def __init__(self, chromium, timeout=60):
        self.timeout = timeout
        self.profile = tempfile.mkdtemp(prefix="twtrace-chromium-")
        self.log = open(os.path.join(self.profile, "chromium.log"), "wb")
        self.process = subprocess.Popen([chromium, *CHROMIUM_FLAGS, "--user-data-dir=" + self.profile, "about:blank"],
                                        stdout=subprocess.DEVNULL, stderr=self.log)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.time() + timeout
        while not os.path.exists(port_file) or os.path.getsize(port_file) == 0:
            if time.time() > deadline or self.process.poll() is not None:
                raise RuntimeError("chromium did not start: " + open(self.log.name, errors="replace").read()[-2000:])
            time.sleep(0.1)
        port = int(open(port_file).read().split()[0])
        targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=timeout))
        page = next(t for t in targets if t["type"] == "page")
        self.socket = socket.create_connection(("127.0.0.1", port), timeout=timeout)
        path = page["webSocketDebuggerUrl"].split(str(port), 1)[1]
        key = base64.b64encode(os.urandom(16)).decode()
        self.socket.sendall((f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                             f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n").encode())
        reply = b""
        while b"\r\n\r\n" not in reply:
            reply += self.socket.recv(1)
        if b" 101 " not in reply.split(b"\r\n")[0]:
            raise RuntimeError("no WebSocket: " + reply.decode(errors="replace"))
        self.next_id = 0
        self.events = []
        for domain in ("Page", "Runtime", "Log"):
            self.call(domain + ".enable")

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
        self.log.close()
        shutil.rmtree(self.profile, ignore_errors=True)

    def _receive_exactly(self, n):
        data = b""
        while len(data) < n:
            chunk = self.socket.recv(n - len(data))
            if not chunk:
                raise RuntimeError("chromium closed the connection")
            data += chunk
        return data

    def _send(self, message):
        payload = json.dumps(message).encode()
        head = bytes([0x81])
        if len(payload) < 126:
            head += bytes([0x80 | len(payload)])
        elif len(payload) < 65536:
            head += bytes([0x80 | 126]) + struct.pack(">H", len(payload))
        else:
            head += bytes([0x80 | 127]) + struct.pack(">Q", len(payload))
        mask = os.urandom(4)
        self.socket.sendall(head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))

    def _receive(self):
        message = b""
        while True:
            first, second = self._receive_exactly(2)
            length = second & 0x7F
            if length == 126:
                length = struct.unpack(">H", self._receive_exactly(2))[0]
            elif length == 127:
                length = struct.unpack(">Q", self._receive_exactly(8))[0]
            message += self._receive_exactly(length)
            if first & 0x80:
                return json.loads(message)

    def call(self, method, **params):
        self.next_id += 1
        self._send({"id": self.next_id, "method": method, "params": params})
        while True:
            message = self._receive()
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            self.events.append(message)

    def wait_for(self, method):
        while True:
            for i, event in enumerate(self.events):
                if event.get("method") == method:
                    return self.events.pop(i)
            self.events.append(self._receive())

    def load(self, url):
        self.events.clear()
        self.call("Page.navigate", url=url)
        self.wait_for("Page.loadEventFired")

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def errors(self):
        """The console's errors and warnings so far, and uncaught exceptions."""
        found = []
        for event in self.events:
            method, params = event.get("method"), event.get("params", {})
            if method == "Runtime.consoleAPICalled" and params["type"] in ("error", "warning", "assert"):
                found.append(" ".join(str(a.get("value", a.get("description"))) for a in params["args"]))
            elif method == "Runtime.exceptionThrown":
                found.append(params["exceptionDetails"].get("text", "exception"))
            elif method == "Log.entryAdded" and params["entry"]["level"] in ("error", "warning"):
                found.append(params["entry"]["text"])
        return found

    def screenshot(self, path):
        data = base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"])
        with open(path, "wb") as f:
            f.write(data)
        return data


def png_colours(data, limit=64):
    """The number of distinct pixels of an 8-bit RGB or RGBA PNG (up to limit)."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    assert depth == 8 and colour in (2, 6), f"PNG of depth {depth}, colour type {colour}"
    step = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(idat), width * step
    previous, colours, at = bytearray(stride), set(), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up, corner = previous[i], previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        previous = line
        for i in range(0, stride, step * 7):
            colours.add(bytes(line[i:i + step]))
        if len(colours) >= limit:
            break
    return len(colours)
