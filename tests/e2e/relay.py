"""relay.py PORT_FILE TARGET_PORT WORD

A network path between the program and the tests' server that goes silent:
it takes TCP connections on a port of 127.0.0.1 of its own (written to
PORT_FILE once it listens) and passes each on to TARGET_PORT of 127.0.0.1,
both ways, until a client sends WORD. From then on it passes nothing more,
that message included, and reads nothing, yet holds every connection open
as a cut or congested network does, whose peers' kernels go on
acknowledging: neither side sees the connection end. It says "silent" on
stdout then, and runs until it is killed.
"""
import os
import selectors
import socket
import sys
import time

port_file, target_port, word = sys.argv[1], int(sys.argv[2]), sys.argv[3].encode()

listener = socket.create_server(("127.0.0.1", 0))
selector = selectors.DefaultSelector()
selector.register(listener, selectors.EVENT_READ)
peer = {}  # each socket -> the one it passes to
tail = {}  # the last bytes a client sent, so that WORD split over two reads is seen
held = []  # every socket, kept open once silent

with open(port_file + ".new", "w") as out:
    out.write(f"{listener.getsockname()[1]}\n")
os.rename(port_file + ".new", port_file)


def close_pair(sock):
    other = peer.pop(sock, None)
    for s in (sock, other):
        if s is not None:
            selector.unregister(s)
            peer.pop(s, None)
            s.close()


silent = False
while not silent:
    for key, _ in selector.select():
        sock = key.fileobj
        if sock is listener:
            client, _ = listener.accept()
            server = socket.create_connection(("127.0.0.1", target_port))
            peer[client], peer[server] = server, client
            tail[client] = b""
            held.extend((client, server))
            for s in (client, server):
                selector.register(s, selectors.EVENT_READ)
            continue
        if sock not in peer:
            continue
        data = sock.recv(65536)
        if not data:
            close_pair(sock)
            continue
        if sock in tail:
            seen = tail[sock] + data
            if word in seen:
                silent = True
                break
            tail[sock] = seen[-len(word):]
        peer[sock].sendall(data)

print("silent", flush=True)
while True:
    time.sleep(3600)
