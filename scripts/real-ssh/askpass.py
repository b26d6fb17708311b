#!/usr/bin/env python3
"""SSH_ASKPASS of the Linux ssh that the real-ssh broker starts: hands ssh's question to the
broker, which has the Windows relay run plink.exe's askpass program, and prints that program's
answer with its exit code, byte for byte."""

import os
import socket
import struct
import sys


def main():
    host, _, port = os.environ["MARROWIN_REAL_SSH"].partition(":")
    token = os.environ["MARROWIN_REAL_SSH_TOKEN"]
    prompt = os.fsencode(sys.argv[1]) if len(sys.argv) > 1 else b""
    with socket.create_connection((host, int(port))) as sock:
        sock.sendall(b"askpass %s\n" % token.encode() + struct.pack("<I", len(prompt)) + prompt)
        reply = b""
        while True:
            chunk = sock.recv(65536)
            if not chunk:
                break
            reply += chunk
    if len(reply) < 4:
        return 1
    sys.stdout.buffer.write(reply[4:])
    sys.stdout.buffer.flush()
    return struct.unpack("<i", reply[:4])[0]


if __name__ == "__main__":
    sys.exit(main())
