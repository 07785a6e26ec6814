#!/usr/bin/python3
"""Enciphers a plain language file (a Windows profile text) into the form the
localizer reads, or deciphers one back for checking.

  langtool.py encipher KEYHEX plain.ini out.ini [--iv HEX32]
  langtool.py decipher KEYHEX enciphered.ini out.ini

Form: a 16-byte initialisation vector, then AES-CBC with ciphertext stealing
(arrangement CS2: the last two blocks swap when the last is partial). Texts of
fewer than 16 bytes use the one-block short form. The bulk runs through the
cryptography package's own CBC mode.

The plain sources are UTF-8; the program reads its language files in its
ANSI code page, Windows-1252. encipher converts to it (a text that code page
cannot hold is refused) and decipher back."""

import os
import sys

from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes


def parse_key(text):
    if len(text) not in (32, 48, 64):
        raise ValueError("the key needs 32, 48 or 64 hexadecimal digits")
    return bytes.fromhex(text)


def _cbc(key, iv):
    return Cipher(algorithms.AES(key), modes.CBC(iv))


def _block(key, data, decrypt=False):
    c = Cipher(algorithms.AES(key), modes.ECB())
    op = c.decryptor() if decrypt else c.encryptor()
    return op.update(data) + op.finalize()


def encipher(key, plain, iv):
    n = len(plain)
    if n < 16:
        # One block G; the file holds plain XOR the tail of G, then E(G).
        g = iv
        head = bytes(p ^ g[16 - n + i] for i, p in enumerate(plain))
        return head + _block(key, g)
    d = n % 16
    padded = plain + bytes((16 - d) % 16)
    enc = _cbc(key, iv).encryptor()
    c = enc.update(padded) + enc.finalize()
    if d:
        # CS2: the full last block goes first, then the cut one before it.
        c = c[:-32] + c[-16:] + c[-32:-16][:d]
    return iv + c


def decipher(key, data):
    if len(data) < 16:
        return b""
    if len(data) < 32:
        n = len(data) - 16
        g = _block(key, data[n:n + 16], decrypt=True)
        return bytes(data[i] ^ g[16 - n + i] for i in range(n))
    iv, c = data[:16], data[16:]
    d = len(c) % 16
    if d:
        last_full = c[-16 - d:-d]          # E(Pn||0 ^ C[n-1])
        cut = c[-d:]                        # first d bytes of C[n-1]
        o = _block(key, last_full, decrypt=True)
        prev_block = cut + o[d:]
        c = c[:-16 - d] + prev_block + last_full
        dec = _cbc(key, iv).decryptor()
        out = dec.update(c) + dec.finalize()
        return out[:len(out) - 16 + d]
    dec = _cbc(key, iv).decryptor()
    return dec.update(c) + dec.finalize()


def main(argv):
    if len(argv) < 5 or argv[1] not in ("encipher", "decipher"):
        sys.stderr.write(__doc__)
        return 2
    key = parse_key(argv[2])
    with open(argv[3], "rb") as f:
        data = f.read()
    if argv[1] == "encipher":
        iv = os.urandom(16)
        if len(argv) >= 7 and argv[5] == "--iv":
            iv = bytes.fromhex(argv[6])
            if len(iv) != 16:
                raise ValueError("the initialisation vector is 32 hexadecimal digits")
        out = encipher(key, data.decode("utf-8").encode("cp1252"), iv)
    else:
        out = decipher(key, data).decode("cp1252", errors="replace").encode("utf-8")
    tmp = argv[4] + ".tmp"
    with open(tmp, "wb") as f:
        f.write(out)
    os.replace(tmp, argv[4])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
