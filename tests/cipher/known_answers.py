#!/usr/bin/env python3
"""Known answers for the text cipher, computed from the published steps alone.

Prints the rows of the tables in known_answers_test.cpp. Everything here is written
from the published algorithm of the generator and of the four stages; nothing calls the C++
code. Run: python3 tests/cipher/known_answers.py
"""
import struct

MASK24 = 0xFFFFFF


class Generator:
    def __init__(self):
        self.seed = 0x50000

    def _step(self):
        self.seed = (self.seed * 0x43FD43FD + 0xC39EC3) & MASK24

    def next(self, arg=None):
        """Rnd: arg None or positive steps; negative reseeds from the Single's bits; zero repeats."""
        if arg is not None:
            arg = single(arg)
            if arg == 0.0:
                return single(to_int32(self.seed) / 2**24)
            if arg < 0.0:
                u = struct.unpack("<I", struct.pack("<f", arg))[0]
                self.seed = (u + (u >> 24)) & MASK24
        self._step()
        return single(self.seed / 2**24)

    def randomize(self, number):
        h = struct.unpack("<i", struct.pack("<d", float(number))[4:8])[0]
        v = to_int32(((h & 0xFFFF) ^ (h >> 16)) << 8)
        self.seed = (self.seed & 0xFF0000FF) | (v & 0xFFFFFFFF)


def single(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def to_int32(x):
    x &= 0xFFFFFFFF
    return x - 2**32 if x & 0x80000000 else x


def tdiv(a, b):
    """Integer division truncating toward zero."""
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b >= 0) else -q


# Windows-1252, with the five undefined codes mapped to the same code points.
UNDEFINED = {0x81, 0x8D, 0x8F, 0x90, 0x9D}


def code_char(code):
    if code in UNDEFINED:
        return chr(code)
    return bytes([code]).decode("cp1252")


CHAR_CODE = {code_char(c): c for c in range(256)}


def codes(text):
    """ANSI codes of a text, one per UTF-16 unit; a unit the code page lacks gives '?'."""
    out = []
    for ch in text:
        if ord(ch) > 0xFFFF:
            out += [63, 63]
        else:
            out.append(CHAR_CODE.get(ch, 63))
    return out


def text_of(cs):
    return "".join(code_char(c) for c in cs)


def seed_from_key(g, key):
    x = g.next(-1.0)
    g.randomize(x)
    for c in codes(key):
        r = g.next()
        y = g.next(single(-(r * c)))
        g.randomize(y)


def apply_key_stream(g, cs):
    return [c ^ int(g.next() * 256.0) for c in cs]


def pack_six_bit(cs):
    n = len(cs)
    out = []
    a = 0
    for i, c in enumerate(cs, 1):
        out.append((c & 63) + 59)
        if i % 3 == 1:
            a |= (c // 64) * 16
        elif i % 3 == 2:
            a |= (c // 64) * 4
        else:
            a |= c // 64
            out.append(a + 59)
            a = 0
    if n % 3:
        out.append(a + 59)
    return out


def unpack_six_bit(cs):
    n = len(cs)
    m = (n - 1) - tdiv(n - 1, 4)
    out = [32] * max(m, 0)
    j = q = a = 0
    high = 0
    for i in range(1, m + 1):
        j += 1
        low = cs[j - 1] - 59
        if i % 3 == 1:
            q = min(q + 4, n)
            a = cs[q - 1] - 59
            high = (tdiv(a, 16) & 3) * 64
        elif i % 3 == 2:
            high = (tdiv(a, 4) & 3) * 64
        else:
            high = (a & 3) * 64
            j += 1
        v = low | high
        if 0 <= v <= 255:
            out[i - 1] = v
    return out


def encrypt(text, key):
    g = Generator()
    seed_from_key(g, key)
    packed = pack_six_bit(apply_key_stream(g, codes(text)))
    return text_of([c + 13 for c in packed])


def decrypt(text, key):
    s = [abs(c - 13) for c in codes(text)]
    g = Generator()
    seed_from_key(g, key)
    return text_of(apply_key_stream(g, unpack_six_bit(s)))


def literal(s):
    """A C++ string literal: printable characters as they are, others as UTF-8 hex escapes
    (the literal is split after an escape that a hex digit follows)."""
    parts = ['"']
    hex_open = False
    for ch in s:
        cp = ord(ch)
        if ch in '"\\':
            parts.append("\\" + ch)
            hex_open = False
        elif ch.isprintable() and not 0x7F <= cp < 0xA0:
            if hex_open and ch in "0123456789abcdefABCDEF":
                parts.append('" "')
            parts.append(ch)
            hex_open = False
        else:
            parts.append("".join("\\x%02x" % b for b in ch.encode("utf-8")))
            hex_open = True
    parts.append('"sv')
    return "".join(parts)


def main():
    g = Generator()
    first = g.next(-1.0)
    assert g.seed == 3758214 and abs(first - 0.224007) < 5e-7, (g.seed, first)

    # Every length of the last group of three, then one key of each length.
    rows = [(t, "") for t in ["", "a", "ab", "abc", "abcd"]]
    rows += [("Hello", "k"), ("Ortiva", "pw"), ("1234567", "key")]
    rows += [
        ("café €5", "é€"),
        ("Grüße, señor — ½ ÿ", "clé"),
        ("\x00\x01\x7f\x81\x8d\x8f\x90\x9d\xa0\xff", "K"),
        ("secret", "a\x00b"),
        ("secret", "😀"),
    ]
    print("// text, key, enciphered")
    for t, k in rows:
        print("    {%s, %s, %s}," % (literal(t), literal(k), literal(encrypt(t, k))))
        assert decrypt(encrypt(t, k), k) == t

    print("// foreign text, key, deciphered")
    foreign = [
        ("!", ""),
        ("Hello, world!", "key"),
        ("\x00\x05\x0c", ""),
        ("ÿÿÿÿÿÿ", "k"),
        ("ZZZ.ZZZ.Z.", "k"),
    ]
    for t, k in foreign:
        print("    {%s, %s, %s}," % (literal(t), literal(k), literal(decrypt(t, k))))


if __name__ == "__main__":
    main()
