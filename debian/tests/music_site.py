#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A music site of one chart page with two songs, served on 127.0.0.1 as
an HTTP proxy: it answers by path whatever the host. Prints
"http_proxy=http://127.0.0.1:PORT" once it listens. With --song ID it
prints that song's bytes instead."""
import http.server
import sys
import urllib.parse

SONGS = {"7001": "Dawn Chorus", "7002": "Evening Tide"}


def song_bytes(song_id):
    return b"ID3\x03\x00\x00\x00\x00\x00\x00" + (song_id.encode() * 4096)


class Site(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        address = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(address.query)
        if address.path in ("/music/chart", "/music/chart/"):
            lines = "".join('msl("%s","%s","Tester","3:00");\r\n' % (title, song_id)
                            for song_id, title in SONGS.items())
            self.send("text/html; charset=utf-8",
                      ("<HTML><BODY><UL class=songs><SCRIPT>%s</SCRIPT></UL></BODY></HTML>" % lines).encode())
        elif address.path == "/play.php":
            ids = [song_id for song_id in query.get("song_id", [""])[0].split(",") if song_id in SONGS]
            lines = "".join('WrtSongLine("%s", "%s", "Tester", "%d", "180", "http://%s/audio/%s.mp3");\r\n' % (
                song_id, SONGS[song_id], index, address.netloc, song_id) for index, song_id in enumerate(ids))
            self.send("text/html; charset=gb2312",
                      ("<HTML><BODY><UL id=songs><SCRIPT language=javascript>%s</SCRIPT></UL></BODY></HTML>"
                       % lines).encode())
        elif address.path.startswith("/audio/") and address.path[7:-4] in SONGS:
            self.send("audio/mpeg", song_bytes(address.path[7:-4]))
        else:
            self.send("text/html; charset=utf-8", b"<HTML>not here</HTML>", 404)

    def send(self, content_type, body, status=200):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--song":
        sys.stdout.buffer.write(song_bytes(sys.argv[2]))
        return
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Site)
    print("http_proxy=http://127.0.0.1:%d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
