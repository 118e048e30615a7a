#!/usr/bin/env python3
"""A raw-socket HTTP server for the network tests.

Listens on 127.0.0.1 on a free port, prints the port, and answers every connection by the
first word of its request path with exact bytes: well-formed replies, hostile ones, early
closes and silence. It stops when its standard input closes, and by itself after 60 s.
"""
import socket
import struct
import sys
import threading
import time

STOP = threading.Event()
HOLD_SECONDS = 10


def pattern(count, offset=0):
    return bytes(((i * 31) ^ (i >> 8)) & 0xFF for i in range(offset, offset + count))


def read_head(conn):
    data = b""
    deadline = time.time() + 5
    while b"\r\n\r\n" not in data and len(data) < 1 << 20 and time.time() < deadline:
        try:
            piece = conn.recv(65536)
        except socket.timeout:
            continue
        if not piece:
            break
        data += piece
    return data


def hold(conn):
    """Keeps the connection open without a word until the server stops."""
    STOP.wait(HOLD_SECONDS)


def reply(conn, head, body=b""):
    conn.sendall(head + body)


def ok_head(length=None, extra=b""):
    head = b"HTTP/1.1 200 OK\r\nServer: raw\r\n" + extra
    if length is not None:
        head += b"Content-Length: %d\r\n" % length
    return head + b"\r\n"


def range_from(request):
    for line in request.split(b"\r\n"):
        if line.lower().startswith(b"range: bytes="):
            return int(line.split(b"=", 1)[1].rstrip(b"-"))
    return None


def serve(conn, request, words):
    name = words[0] if words else ""
    number = int(words[1]) if len(words) > 1 and words[1].isdigit() else 0
    second = int(words[2]) if len(words) > 2 and words[2].isdigit() else 0
    if name == "echo":
        offset = range_from(request)
        if offset is None:
            reply(conn, ok_head(len(request)), request)
        else:
            total = offset + len(request)
            reply(conn, b"HTTP/1.1 206 Partial Content\r\nContent-Length: %d\r\n"
                        b"Content-Range: bytes %d-%d/%d\r\n\r\n" % (len(request), offset, total - 1, total), request)
    elif name == "pattern":
        reply(conn, ok_head(number), pattern(number))
    elif name == "nolength":
        reply(conn, ok_head(None), pattern(number))
    elif name == "nolengthhold":
        reply(conn, ok_head(None), pattern(number))
        hold(conn)
    elif name == "nolengthreset":
        # A body without a length, then a reset instead of an orderly close.
        reply(conn, ok_head(None), pattern(number or 500))
        time.sleep(0.2)
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    elif name == "lengthhold":
        # Half of the announced body, then silence.
        reply(conn, ok_head(2 * number), pattern(number))
        hold(conn)
    elif name == "bytes":
        body = bytes.fromhex(words[1]) if len(words) > 1 else b""
        reply(conn, ok_head(len(body)), body)
    elif name == "shortbody":
        reply(conn, ok_head(1000), pattern(10))
    elif name == "cut":
        reply(conn, ok_head(number), pattern(second))
    elif name == "chunked":
        body = b"5\r\nhello\r\n1A;name=value\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\nX-Trailer: 1\r\n\r\nJUNK"
        reply(conn, ok_head(None, b"Transfer-Encoding: chunked\r\nContent-Length: 3\r\n"), body)
        hold(conn)
    elif name == "chunkedcut":
        reply(conn, ok_head(None, b"Transfer-Encoding: chunked\r\n"), b"5\r\nhello\r\n10\r\nabc")
    elif name == "chunkhuge":
        reply(conn, ok_head(None, b"Transfer-Encoding: chunked\r\n"), b"FFFFFFFF\r\n" + pattern(100000))
        hold(conn)
    elif name == "headhuge":
        filler = b"X-Filler: " + b"a" * 100 + b"\r\n"
        conn.sendall(b"HTTP/1.1 200 OK\r\n" + filler * 700)
        hold(conn)
    elif name == "length264":
        reply(conn, ok_head(None, b"Content-Length: 18446744073709551616\r\n"), b"x" * 100)
        hold(conn)
    elif name == "twolengths":
        reply(conn, ok_head(10, b"Content-Length: 12\r\n"), b"x" * 12)
    elif name == "rangeon200":
        reply(conn, ok_head(number, b"Content-Range: bytes 5-9/10\r\n"), pattern(number))
    elif name == "status":
        conn.sendall(b"HTTP/1.1 %d Whatever\r\nContent-Length: 9\r\n\r\nnot found" % number)
        time.sleep(0.2)
        conn.sendall(b"more bytes that nobody asked for")
        time.sleep(0.2)
    elif name == "versiononly":
        reply(conn, b"HTTP/1.1\r\n\r\n")
    elif name == "notHTTP":
        reply(conn, b"FTP 200 OK\r\nContent-Length: 2\r\n\r\nok")
    elif name == "resume":
        offset = range_from(request) or 0
        reply(conn, b"HTTP/1.1 206 Partial Content\r\nContent-Length: %d\r\nContent-Range: bytes %d-%d/%d\r\n\r\n"
                    % (number - offset, offset, number - 1, number), pattern(number - offset, offset))
    elif name == "resumewrong":
        reply(conn, b"HTTP/1.1 206 Partial Content\r\nContent-Length: %d\r\nContent-Range: bytes 500-%d/%d\r\n\r\n"
                    % (number - 500, number - 1, number), pattern(number - 500, 500))
    elif name == "resumechunkedlong":
        # A ranged reply sent in chunks that runs past the end its Content-Range announced.
        offset = range_from(request) or 0
        rest = pattern(number - offset + 100, offset)
        reply(conn, b"HTTP/1.1 206 Partial Content\r\nTransfer-Encoding: chunked\r\n"
                    b"Content-Range: bytes %d-%d/%d\r\n\r\n%X\r\n" % (offset, number - 1, number, len(rest))
                    + rest + b"\r\n0\r\n\r\n")
    elif name == "silence":
        hold(conn)
    elif name == "closeearly":
        pass
    else:
        reply(conn, b"HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n")


def handle(conn):
    conn.settimeout(0.5)
    try:
        request = read_head(conn)
        conn.settimeout(5)
        line = request.split(b"\r\n", 1)[0].decode("latin-1").split(" ")
        path = line[1] if len(line) > 1 else ""
        if path.lower().startswith("http://"):
            # An absolute address names the same path as its origin form.
            path = "/" + path[len("http://"):].partition("/")[2]
        serve(conn, request, [word for word in path.split("/") if word])
    except OSError:
        pass
    finally:
        conn.close()


def watch_stdin():
    sys.stdin.buffer.read()
    STOP.set()


def main():
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(("127.0.0.1", 0))
    server.listen(32)
    server.settimeout(0.02)
    print(server.getsockname()[1], flush=True)
    threading.Thread(target=watch_stdin, daemon=True).start()
    deadline = time.time() + 60
    while not STOP.is_set() and time.time() < deadline:
        try:
            conn, _ = server.accept()
        except socket.timeout:
            continue
        threading.Thread(target=handle, args=(conn,), daemon=True).start()
    server.close()


if __name__ == "__main__":
    main()
