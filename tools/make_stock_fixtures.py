#!/usr/bin/env python3
"""Writes the stock fixtures of tests/data/stock/.

sample.stk  a stock text file typed from the format's syntax: languages, translated
            texts, authors in both forms, a picture library, categories, entries of
            several kinds and path forms, a macro entry, description keys, values and
            descriptions, 0x87 escapes, and lines ended by CR LF, LF alone and CR alone.
v2.stb      a version 2 plain binary stock: 16-bit numbers, one above 0x7FFF, a form 1
            path with its number 0, texts of one byte per character.
v3.stb      a version 3 plain binary stock with characters above 255 and U+0001 escaped.
v4z.stb     a version 4 binary stock with its body compressed by zlib.
catalogue.stk  every key line of both parts as the program reads them: two stock
            languages, translated texts, authors in both forms (one with three items),
            picture libraries in both forms with an entry from one of them, categories,
            the ...CNT hints (one far too large), a description value before the first key,
            a built-in and new description keys, descriptions and a header in lower case
            naming an entry that does not exist.

The binary files are encoded here from the format's description, not by the engine's
writer, so the reader is tested against the format itself.
Usage: tools/make_stock_fixtures.py  (writes into tests/data/stock/)
"""
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "stock")
ESC = b"\x87"


def sample_text():
    lines = [
        b"# Sample stock written by hand for the stock reader's tests",
        b"$LANG K=DE;N=German;DE=Deutsch;TR=\xdcbersetzung",
        b"$LANG K=CS;N=Czech;DE=Tschechisch;CS=" + ESC + b"010Ce" + ESC + b"0161tina;TR=P" + ESC + b"0159eklad",
        b"$TXTCNT 2",
        b"$TXT K=HELLO;N=Hello;DE=Hallo;CS=Ahoj;",
        b"$TXT K=BYE;N=Bye;",
        b"$IMGY 58",
        b"$BACKGROUND R=10;G=20;B=30",
        b"$AUTHCNT 2",
        b"$AUTH AB;Abe;Abe Brown;abe@example.org;http://example.org/abe;Draws steam",
        b"$AUTHK K=CD;S=Cid;N=Cid Dale;E=cid@example.org;X=extra;W=w;T=t;F;",
        b"$LIBK K=CARS;N=Car library;A=AB;H=http://example.org/cars;D=Cars",
        b"$TXTEND",
        b"$CATCNT 2",
        b"$STOCKCNT 6",
        b"$CAT L=1;K=STEAM;T=Steam engines;N=Steam;DE=Dampf;",
        b"BR01;EP *AB;G;pics/br01.gif;Steam loco;[FLIP]",
        b"  br 02 ;EPU;G;PICS\\BR01.GIF;Second;",
        b"; a comment",
        b"WAGON;ec *CD;B;wagons/wagon.bmp;Wagon",
        b"$CAT L=2;K=MIX;T=Compositions;N=Mixed;",
        b"TRAIN;;M; !BR01, WAGON;x ; y  ",
        b"LOCO3;;L32;C:\\OTHER\\lib.dll;Lib loco;third",
        b"SIGNAL;;H;\\signals\\s.gif;Signal",
        b"$ENDSTOCK",
        b"",
        b"$DESCKEYCNT 1",
        b"$DESCVALCNT 2",
        b"$DESCCNT 3",
        b"$DESCKEY K=POWER;N=Power;DE=Leistung;U=kW;A=P;S=Y;L=N;",
        b"$DESCVALUE K=low;S=1;N=Low;DE=Niedrig;A=L",
        b"$DESCVALUE K=high;S=2;N=High;A=H",
        b"$DESC BR01,LOCO3",
        b"%power low",
        b"%Year   1920",
        b"First line of the story",
        b"",
        b"  Indented  line with trailing blanks  ",
        b"Escaped " + ESC + b"011F here",
        b"$DESC WAGON",
        b"%colour red",
        b"$DESC TRAIN",
        b"Just text",
        b"$ENDDESC",
    ]
    ends = [b"\r\n"] * len(lines)
    ends[5] = b"\n"
    ends[21] = b"\r"
    return b"".join(line + end for line, end in zip(lines, ends))


class Body:
    def __init__(self, version):
        self.version = version
        self.out = bytearray()

    def byte(self, b):
        self.out.append(b)

    def number(self, v):
        u = v & 0xFFFFFFFF
        if self.version < 3:
            if 0 <= v < 0x8000:
                self.out += struct.pack("<H", v)
            else:
                self.out += b"\xf0\xf0" + struct.pack("<I", u)
        elif 0 <= v < 0x80:
            self.out.append(v)
        elif 0 <= v < 0x4000:
            self.out += bytes([0x80 | (v >> 8), v & 0xFF])
        elif 0 <= v < 0x200000:
            self.out += bytes([0xC0 | (v >> 16), (v >> 8) & 0xFF, v & 0xFF])
        elif 0 <= v < 0x10000000:
            self.out += bytes([0xE0 | (v >> 24), (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF])
        else:
            self.out += b"\xf0" + struct.pack(">I", u)

    def text(self, s):
        units = s.encode("utf-16-le")
        units = [units[i] | (units[i + 1] << 8) for i in range(0, len(units), 2)]
        self.number(len(units))
        for c in units:
            if self.version >= 3 and (c > 0xFF or c == 1):
                self.out += bytes([1, c >> 8, c & 0xFF])
            else:
                self.out.append(c & 0xFF)

    def texts(self, items):
        for s in items:
            self.text(s)


def binary_stock(version, compressed):
    b = Body(version)
    v3 = version >= 3
    # Languages: 1, code DE, names in languages 0..1, TR.
    b.number(1)
    b.text("DE")
    b.texts(["German", "Deutsch"])
    if v3:
        b.text("\u00dcbersetzung")
    # Translated texts.
    b.number(1)
    b.texts(["HELLO", "Hello", "Hallo"])
    b.number(58)
    b.out += bytes([10, 20, 30])
    # Authors and libraries.
    b.number(1)
    b.texts(["AB", "Abe", "Abe Brown" if not v3 else "\u0100be \u0001Brown", "", "", ""])
    b.number(1)
    b.texts(["CARS", "Cars", "AB", "", ""])
    # Categories: L, first entry, K and T (by version), names.
    b.number(1)
    b.number(300)
    b.number(1)
    if v3:
        b.text("STEAM")
    if version >= 4:
        b.text("Steam engines")
    b.texts(["Steam", "Dampf"])
    # Stock files: form 2, form 1, form 0.
    b.number(3)
    b.byte(1), b.byte(2), b.text("PICS\\A.GIF"), b.number(0)
    b.byte(6), b.byte(1)
    if not v3:
        b.number(0)
    b.number(1)
    b.byte(2), b.byte(0), b.text("C:\\X\\B.BMP"), b.number(0)
    # Entries.
    b.number(2)
    b.text("BR01")
    b.out += b"EP\x00"
    b.number(1)
    b.texts(["Steam", ""])
    b.number(1)
    b.number(1)
    b.text("BIG")
    b.out += b"  \x01"
    b.number(0x7FFF)
    b.texts(["!BR01", ""])
    b.number(40000)
    b.number(0)
    # Description keys and values.
    b.number(1)
    b.text("POWER")
    b.texts(["Power", "Leistung"])
    b.text("kW")
    b.number(1)
    b.number(1)
    if v3:
        b.text("P")
    b.byte(0x1B)
    b.number(1)
    b.texts(["LOW", "1", "Low", "Niedrig"])
    if v3:
        b.text("L")
    b.number(1)
    b.text("%%\rA text\r\n")
    header = (b"StkZ0" if compressed else b"StkB0") + bytes([ord("0") + version])
    body = zlib.compress(bytes(b.out), 9) if compressed else bytes(b.out)
    return header + body + header


def catalogue_text():
    lines = [
        b"# Catalogue for the stock loader's tests: every key line of both parts",
        b"$LANG K=en;N=English;EN=English;DE=Englisch;TR=Ours",
        b"$LANGUAGE K=DE;N=German;EN=German;DE=Deutsch;TR=Unsere",
        b"$TXTCNT 3",
        b"$TXT K=HELLO;N=Hello;EN=Hello there;DE=Hallo",
        b"$TXT K=BYE;N=Bye;DE=Tsch\xfc" + ESC + b"00DF",
        b"$IMGY 64",
        b"$BGCOLOR R=1;G=2;B=300",
        b"$UNKNOWN does nothing",
        b"$AUTHCNT 3",
        b"$AUTH AB;Abe;Abe Brown;abe@example.org;http://example.org/abe;Draws {steam; smoke}",
        b"$AUTHK K=CD;S=Cid;N=Cid Dale;E=cid@example.org;H=http://example.org/cid;D=Drew wagons;X=extra;W=west;T=tall;F=four",
        b"$auth EF;Eve;Eve Fox",
        b"$LIBCNT 2",
        b"$LIB carlib.dll;Car library;AB;http://example.org/cars;Cars in one file",
        b"$LIBK K=buslib.dll;N=Bus library;A=CD",
        b"$TXTEND",
        b"$CATCNT 2",
        b"$STOCKCNT 99999999",
        b"$CAT L=1;K=STEAM;T=Steam engines;N=Steam;EN=Steam;DE=Dampf",
        b"BR01;EP *AB;G;pics/br01.gif;Steam loco;[FLIP]",
        b"WAGON;RE *CD;B;wagons/wagon.bmp;Wagon",
        b"$CAT L=2;K=LIBS;T=From libraries;N=Library;DE=Bibliothek",
        b"CAR;GAU*EF;L32;carlib.dll;CAR1",
        b"TRAIN;;M;BR01,WAGON",
        b"$ENDSTOCK",
        b"",
        b"$DESCKEYCNT 4",
        b"$DESCVALCNT 3",
        b"$DESCCNT 5",
        b"$DESCVALUE K=x;S=early;N=Early",
        b"$DESCKEY K=NAME;N=Name;DE=Name;S=Y;L=N",
        b"$DESCKEY K=POWER;N=Power;DE=Leistung;U=kW;A=P;S=Y;L=Y",
        b"$DESCVALUE K=low;S=small;N=Low;DE=Niedrig;A=L",
        b"$DESCVALUE K=high;S=big;N=High;A=H",
        b"$DESCKEY K=YEAR;N=Year",
        b"$DESC BR01,CAR",
        b"%POWER low",
        b"%YEAR 1920",
        b"%NAME Old one",
        b"A fast engine.",
        b"$DESC WAGON",
        b"%POWER high",
        b"$desc TRAIN,NOSUCH",
        b"$ENDDESC",
    ]
    return b"".join(line + b"\r\n" for line in lines)


def main():
    os.makedirs(OUT, exist_ok=True)
    files = {
        "sample.stk": sample_text(),
        "v2.stb": binary_stock(2, False),
        "v3.stb": binary_stock(3, False),
        "v4z.stb": binary_stock(4, True),
        "catalogue.stk": catalogue_text(),
    }
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
