#!/usr/bin/env python3
"""HTTP server for the URL download tests, on 127.0.0.1 and a free port.

Prints the port on the first line of its output, then serves files of --root and
a few special paths:
  /silent...      accepts the request and never answers
  /endless...     answers 200 and sends a body without end
  /trickle...     answers 200 and sends one byte of a PLS list a second, for ever
  /redirect/P     redirects (302) to /P
With --cert and --key it speaks https.
"""
import argparse
import http.server
import ssl
import sys
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        if self.path.startswith("/silent"):
            time.sleep(3600)
            return
        if self.path.startswith("/endless"):
            self.send_response(200)
            self.send_header("Content-Type", "audio/x-scpls")
            self.end_headers()
            chunk = b"[playlist]\n" + b"x" * 4096 + b"\n"
            try:
                while True:
                    self.wfile.write(chunk)
            except OSError:
                return
        if self.path.startswith("/trickle"):
            self.send_response(200)
            self.send_header("Content-Type", "audio/x-scpls")
            self.end_headers()
            try:
                while True:
                    for byte in b"[playlist]\nNumberOfEntries=0\n":
                        self.wfile.write(bytes([byte]))
                        self.wfile.flush()
                        time.sleep(1)
            except OSError:
                return
        if self.path.startswith("/redirect/"):
            self.send_response(302)
            self.send_header("Location", self.path[len("/redirect"):])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        super().do_GET()

    def log_message(self, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()

    def handler(*a, **kw):
        return Handler(*a, directory=args.root, **kw)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    sys.exit(0)


if __name__ == "__main__":
    main()
