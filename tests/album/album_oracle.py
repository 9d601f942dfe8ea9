#!/usr/bin/env python3
"""Independent reader of album files for the album tests, written from the file formats.

  album_oracle.py records ALBUM      the side files named by ALBUM's header: one line per slide
                                      (dir+name+ext, size, background, effect, wait, zoom, gamma,
                                      rotate, pos, panel, comment), tab-separated; exits 3 when a
                                      record has non-zero reserved bytes or string tails, or an
                                      index outside its table, or the count is not N-1.
  album_oracle.py sections ALBUM     the slide sections of an AVL as written: one line per slide,
                                      "i<TAB>key=value<TAB>key=value...", escapes undone.
"""
import struct
import sys

REC = struct.Struct('<B24sB12shh2x9iB16s3x3i9hHH2x')
assert REC.size == 136


def lines(data):
    return data.replace(b'\r\n', b'\n').split(b'\n')[:-1] if data else []


def header(text):
    keys = {}
    for raw in text.replace(b'\r\n', b'\n').split(b'\n'):
        if b'[' in raw and raw.strip().lower() != b'[header]':
            break
        if b'=' in raw:
            k, v = raw.split(b'=', 1)
            keys.setdefault(k.strip().upper(), v)
    return keys


def records(path):
    data = open(path, 'rb').read()
    h = header(data.split(b'[1]')[0])
    side = [h[k].decode() for k in (b'@N', b'@V', b'@R', b'@D', b'@C')]
    names, vols, dirs, comments = (lines(open(side[i], 'rb').read()) for i in (0, 1, 2, 4))
    raw = open(side[3], 'rb').read()
    n = int(h[b'N']) - 1
    bad = len(raw) != n * 136 or len(vols) != len(dirs) or not comments or comments[0] != b' '
    # Zero bytes where the layout says reserved: re-pack the unpacked fields and compare.
    for fields in REC.iter_unpack(raw):
        (tlen, tname, elen, ext, state, icon, name, d, cat, size, date, tod, key, crc, com,
         slen, sub, user, extra, bg, wait, fx, gamma, zoom, px, py, pw, ph, rot, w, hgt) = fields
        if tlen > 24 or elen > 12 or slen > 16:
            bad = True
        if tname[tlen:].strip(b'\0') or ext[elen:].strip(b'\0') or sub[slen:].strip(b'\0'):
            bad = True
        cd = ext[:elen] == b'.CDA'
        if not (0 <= name < len(names)) or not (0 <= com < len(comments)) or (not cd and not (0 <= d < len(dirs))):
            bad = True
            continue
        path_text = b'-' * 30 if cd else dirs[d] + names[name] + ext[:elen]
        comment = comments[com] if com else b''
        print('\t'.join([path_text.decode('utf-8', 'replace'), str(size & 0xFFFFFFFF), str(bg), str(fx), str(wait),
                         str(zoom), str(gamma), str(rot), '%d,%d' % (px, py), '%d,%d' % (pw, ph),
                         comment.decode('utf-8', 'replace')]))
    repacked = b''.join(REC.pack(*f) for f in REC.iter_unpack(raw))
    if repacked != raw:
        bad = True
    return 3 if bad else 0


def unescape(b):
    return b.replace(b'?', b',').replace(b'<', b'[').replace(b'>', b']')


def sections(path):
    data = open(path, 'rb').read()
    first = data.find(b'[1]')
    if first < 0:
        return 4
    body = data[first:]
    parts = body.split(b'[')[1:]
    for part in parts:
        ls = part.replace(b'\r\n', b'\n').split(b'\n')
        i = ls[0].rstrip(b']')
        out = [i.decode()]
        for l in ls[1:]:
            if len(l) > 2 and l[1:2] == b'=':
                k, v = l[:1], l[2:]
                if k in (b'F', b'S'):
                    v = unescape(v) if k == b'S' else unescape(v.split(b',')[0]) + (b',' + v.split(b',', 1)[1] if b',' in v else b'')
                out.append((k + b'=' + v).decode('utf-8', 'replace'))
        print('\t'.join(out))
    return 0


if __name__ == '__main__':
    mode, path = sys.argv[1], sys.argv[2]
    sys.exit(records(path) if mode == 'records' else sections(path))
