#!/usr/bin/env python3
"""A stand-in for the factory's MES, for the tests and the demo: the route check and the
press's report over HTTP (or HTTPS) with JSON bodies, on the loopback address only.

    mes_standin.py --received R [--port-file P] [--control C] [--port N] [--tls CERT KEY]

POST .../check    {"sn": label, ...}  -> {"errorcode":0} or {"errorcode":1,"content":"条码…不存在"}
POST .../complete (any body)          -> {"errorcode":0}

Once listening it prints "port N" and writes N into P. Every request it answers goes into R as one JSON line:
{"path", "key" (the Idempotency-Key header), "body" (parsed when JSON), "answer", "duplicate"
(a key seen before)}. The control file C, read again at every request, tells it how to behave:
{"refuse": [labels], "late_ms": 0, "server_error": false, "drop": false, "refuse_reports": false}.
"Away" is the stand-in stopped; "back" is it started again with --port.
"""
import argparse
import http.server
import json
import os
import socket
import ssl
import sys
import threading
import time


def read_control(path):
    try:
        with open(path, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        return {}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, payload):
        data = json.dumps(payload, ensure_ascii=False).encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "application/json; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_POST(self):
        server = self.server
        raw = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        control = read_control(server.control)
        if control.get("drop"):
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        time.sleep(control.get("late_ms", 0) / 1000.0)
        try:
            body = json.loads(raw.decode("utf-8"))
        except ValueError:
            body = raw.decode("utf-8", "replace")
        status, payload = 200, {"errorcode": 0}
        if control.get("server_error"):
            status, payload = 500, {"errorcode": 99, "content": "服务器忙"}
        elif self.path.endswith("/check"):
            label = body.get("sn", "") if isinstance(body, dict) else ""
            if label in control.get("refuse", []):
                payload = {"errorcode": 1, "content": "条码" + label + "不存在"}
        elif control.get("refuse_reports"):
            payload = {"errorcode": 2, "content": "工序不符"}
        key = self.headers.get("Idempotency-Key", "")
        with server.lock:
            duplicate = bool(key) and key in server.keys
            server.keys.add(key)
            with open(server.received, "a", encoding="utf-8") as f:
                f.write(json.dumps({"path": self.path, "key": key, "body": body,
                                    "answer": payload, "status": status,
                                    "duplicate": duplicate}, ensure_ascii=False) + "\n")
        self.answer(status, payload)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", default="")
    parser.add_argument("--received", required=True)
    parser.add_argument("--control", default="")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    args = parser.parse_args()
    http.server.ThreadingHTTPServer.allow_reuse_address = True
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.control = args.control
    server.received = args.received
    server.lock = threading.Lock()
    server.keys = set()
    if os.path.exists(args.received):  # a restart: the keys it already took
        with open(args.received, encoding="utf-8") as f:
            server.keys = {json.loads(line).get("key", "") for line in f if line.strip()}
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.tls[0], args.tls[1])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    port = server.server_address[1]
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write(str(port))
        os.replace(args.port_file + ".tmp", args.port_file)
    print("port", port, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
