#!/usr/bin/python3
"""Reference client for bench_smtp_send: Python's smtplib on the same wire as ours.

Usage: smtp_reference.py PORT MESSAGE_FILE COUNT PER_CONNECTION
Sends COUNT copies of the message (CR LF line ends, as smtplib leaves bytes unchanged) to
127.0.0.1:PORT, PER_CONNECTION on each connection: RSET before each sendmail (RSET, MAIL,
RCPT, DATA, "."), then QUIT without awaiting its reply. Prints the seconds the sending took.
"""
import smtplib
import sys
import time


def main():
    port, path = int(sys.argv[1]), sys.argv[2]
    count, per_connection = int(sys.argv[3]), int(sys.argv[4])
    with open(path, "rb") as f:
        message = f.read()
    start = time.perf_counter()
    sent = 0
    while sent < count:
        smtp = smtplib.SMTP("127.0.0.1", port)
        smtp.ehlo()
        for _ in range(min(per_connection, count - sent)):
            smtp.rset()
            smtp.sendmail("bench@example.com", ["sink@example.com"], message)
            sent += 1
        smtp.putcmd("quit")
        smtp.close()
    print("%.6f" % (time.perf_counter() - start))


if __name__ == "__main__":
    main()
