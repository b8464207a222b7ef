#!/usr/bin/env python3
"""Makes the archives of the unpack tests with the real tools (zip, Python's
zipfile, 7zz, rar) and patches into their bytes what no tool writes: names that
leave the target, lying sizes and checksums, unknown methods. The checksums that
guard a patched header are computed again, so only the intended fault remains.

usage: make_archives.py <folder>   (tree/ holds the files the valid archives pack)
"""
import os
import shutil
import struct
import subprocess
import sys
import zipfile
import zlib

OUT = os.path.abspath(sys.argv[1])
TREE = os.path.join(OUT, "tree")
WORK = os.path.join(OUT, "work")
BIG = 600 << 20  # past the 512 MiB limit; kept sparse on disk


def run(*cmd, cwd=None):
    subprocess.run(cmd, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def read(name):
    with open(os.path.join(OUT, name), "rb") as f:
        return bytearray(f.read())


def save(name, data):
    write(os.path.join(OUT, name), bytes(data))


def fresh(name):
    path = os.path.join(WORK, name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def make_tree():
    """Mixed sizes, nested folders, an empty file and an empty folder."""
    shutil.rmtree(TREE, ignore_errors=True)
    write(os.path.join(TREE, "plugin.wlx64"), bytes(range(256)) * 300)
    write(os.path.join(TREE, "pluginst.inf"), b"[plugininstall]\r\ntype=wlx\r\nfile=plugin.wlx\r\n")
    write(os.path.join(TREE, "doc", "readme.txt"), b"".join(b"line %d\n" % i for i in range(5000)))
    write(os.path.join(TREE, "doc", "empty.txt"), b"")
    write(os.path.join(TREE, "lang", "de", "texts.lng"), os.urandom(70000))
    os.makedirs(os.path.join(TREE, "cache"))


def with_names(zip_name, names, **info):
    with zipfile.ZipFile(os.path.join(OUT, zip_name), "w", zipfile.ZIP_DEFLATED) as z:
        for n in names:
            zi = zipfile.ZipInfo(n)
            for k, v in info.items():
                setattr(zi, k, v)
            z.writestr(zi, b"payload of " + n.encode("utf-8", "replace"))


# ---- zip ----

def zip_end_record(data):
    return data.rindex(b"PK\x05\x06")


def zip_central_headers(data):
    end = zip_end_record(data)
    count, offset = struct.unpack_from("<H", data, end + 10)[0], struct.unpack_from("<I", data, end + 16)[0]
    q = offset
    for _ in range(count):
        yield q
        n, e, c = struct.unpack_from("<HHH", data, q + 28)
        q += 46 + n + e + c


def make_zips():
    run("zip", "-qrX", os.path.join(OUT, "valid.zip"), ".", cwd=TREE)
    # Names as Windows tools write them: UTF-8 with flag bit 11, else the OEM code page.
    with zipfile.ZipFile(os.path.join(OUT, "names.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("Übersicht/naïve – ☃.txt", b"unicode")
        z.writestr("Xoem.txt", b"oem")
        z.writestr("./dot/start.txt", b"dot")
        z.writestr("/", b"")
    data = read("names.zip")
    save("names.zip", data.replace(b"Xoem.txt", b"\x8eoem.txt"))

    for case, name in [("dotdot", "../evil.txt"), ("dotdot_back", "a\\..\\..\\evil.txt"),
                       ("absolute", "/evil.txt"), ("drive", "C:evil.txt"), ("unc", "\\\\server\\share\\evil.txt"),
                       ("device", "docs/CON.txt"), ("device_plain", "aux"), ("superscript", "x/COM\u00b9.log"),
                       ("newline", "a\nb\tc.txt"), ("control", "bad\x01name.txt"), ("dotfolder", "a/./..")]:
        with_names("zip_%s.zip" % case, ["ok.txt", name])

    with zipfile.ZipFile(os.path.join(OUT, "zip_link.zip"), "w") as z:
        zi = zipfile.ZipInfo("link")
        zi.create_system = 3
        zi.external_attr = (0o120777 << 16)
        z.writestr(zi, b"/etc/passwd")
    os.symlink("/etc/hostname", os.path.join(fresh("ziplink"), "real_link"))
    run("zip", "-qy", os.path.join(OUT, "zip_link_tool.zip"), "real_link", cwd=os.path.join(WORK, "ziplink"))

    run("zip", "-q", "-P", "secret", os.path.join(OUT, "zip_crypt.zip"), "pluginst.inf", cwd=TREE)
    with_names("zip_aes.zip", ["aes.bin"])
    data = read("zip_aes.zip")
    for q in zip_central_headers(data):
        struct.pack_into("<H", data, q + 10, 99)
    save("zip_aes.zip", data)

    # Files spread over folders of 100: Wine looks a new name up in the whole folder.
    with zipfile.ZipFile(os.path.join(OUT, "zip_many.zip"), "w") as z:
        for i in range(10001):
            z.writestr("f%03d/%05d" % (i // 100, i), b"")
    with zipfile.ZipFile(os.path.join(OUT, "zip_limit.zip"), "w") as z:
        for i in range(10000):
            z.writestr("f%03d/%05d" % (i // 100, i), b"")

    # A small archive that unpacks past the limit, and a declared size smaller than the data.
    with zipfile.ZipFile(os.path.join(OUT, "zip_bomb.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        with z.open("zeros.bin", "w") as f:
            chunk = bytes(1 << 20)
            for _ in range(BIG >> 20):
                f.write(chunk)
    with_names("zip_lying_small.zip", ["short.bin"])
    data = read("zip_lying_small.zip")
    for q in zip_central_headers(data):
        struct.pack_into("<I", data, q + 24, struct.unpack_from("<I", data, q + 24)[0] - 1)
    save("zip_lying_small.zip", data)

    with_names("zip_crc.zip", ["first.txt", "second.txt"])
    data = read("zip_crc.zip")
    q = list(zip_central_headers(data))[1]
    struct.pack_into("<I", data, q + 16, struct.unpack_from("<I", data, q + 16)[0] ^ 1)
    save("zip_crc.zip", data)

    data = read("valid.zip")
    save("zip_truncated.zip", data[: len(data) // 2])
    struct.pack_into("<I", data, list(zip_central_headers(data))[-1], 0x12345678)
    save("zip_broken_directory.zip", data)

    with zipfile.ZipFile(os.path.join(OUT, "zip_bzip2.zip"), "w", zipfile.ZIP_BZIP2) as z:
        z.writestr("packed.bz", b"bzip2 " * 100)

    with_names("zip_zip64.zip", ["x.txt"])
    data = read("zip_zip64.zip")
    struct.pack_into("<I", data, zip_end_record(data) + 16, 0xFFFFFFFF)
    save("zip_zip64.zip", data)

    # One entry 16000 folders deep: longer than any path, and deeper than a call per folder may go.
    with_names("zip_deep.zip", ["a/" * 16000 + "f.txt"])

    zipfile.ZipFile(os.path.join(OUT, "zip_empty.zip"), "w").close()
    with zipfile.ZipFile(os.path.join(OUT, "zip_folders.zip"), "w") as z:
        z.writestr("docs/", b"")
        z.writestr("docs/deep/", b"")

    # An end record behind a comment of the longest length, and one just out of reach.
    with_names("zip_comment.zip", ["c.txt"])
    data = read("zip_comment.zip")
    struct.pack_into("<H", data, zip_end_record(data) + 20, 0xFFFF)
    save("zip_comment.zip", data + b"#" * 0xFFFF)
    save("zip_comment_far.zip", data + b"#" * 0x10000)


# ---- rar (version 5 blocks: CRC32, size as vint, header; the CRC covers size and header) ----

def vint(data, pos):
    value, shift = 0, 0
    while True:
        b = data[pos]
        value |= (b & 0x7F) << shift
        pos += 1
        shift += 7
        if not b & 0x80:
            return value, pos


def rar_blocks(data):
    pos = 8
    while pos < len(data):
        size, body = vint(data, pos + 4)
        flags_pos = vint(data, body)[1]
        flags, p = vint(data, flags_pos)
        if flags & 1:
            p = vint(data, p)[1]
        data_size = vint(data, p)[0] if flags & 2 else 0
        yield pos, body + size
        pos = body + size + data_size


def rar_rename(data, old, new):
    assert len(old) == len(new)
    for start, end in rar_blocks(data):
        header = data[start + 4:end]
        if old in header:
            data[start + 4:end] = header.replace(old, new)
            struct.pack_into("<I", data, start, zlib.crc32(data[start + 4:end]))
    return data


def rar(name, *args, cwd=TREE):
    switches = [a for a in args if a.startswith("-")]
    files = [a for a in args if not a.startswith("-")]
    run("rar", "a", "-idq", "-ma5", *switches, os.path.join(OUT, name), *files, cwd=cwd)


def make_rars():
    rar("valid.rar", "-r", ".")
    d = fresh("rarnames")
    write(os.path.join(d, "Übersicht", "naïve – ☃.txt"), b"unicode")
    write(os.path.join(d, "ok.txt"), b"ok")
    write(os.path.join(d, "aaevil.txt"), b"evil")
    write(os.path.join(d, "xaux"), b"device")
    write(os.path.join(d, "a\nb.txt"), b"newline")
    rar("names.rar", "-r", "Übersicht", "ok.txt", cwd=d)
    rar("rar_dotdot.rar", "ok.txt", "aaevil.txt", cwd=d)
    save("rar_dotdot.rar", rar_rename(read("rar_dotdot.rar"), b"aaevil.txt", b"../evil.tx"))
    rar("rar_absolute.rar", "ok.txt", "aaevil.txt", cwd=d)
    save("rar_absolute.rar", rar_rename(read("rar_absolute.rar"), b"aaevil.txt", b"/evil.txt_"))
    rar("rar_device.rar", "ok.txt", "xaux", cwd=d)
    save("rar_device.rar", rar_rename(read("rar_device.rar"), b"xaux", b"aux."))
    rar("rar_newline.rar", "ok.txt", "a\nb.txt", cwd=d)

    os.symlink("/etc/hostname", os.path.join(d, "link"))
    rar("rar_link.rar", "-ol", "ok.txt", "link", cwd=d)
    rar("rar_crypt.rar", "-psecret", "pluginst.inf")
    rar("rar_crypt_headers.rar", "-hpsecret", "pluginst.inf")

    write(os.path.join(fresh("rarcrc"), "crc.txt"), b"CHECKSUM-CONTENT " * 50)
    rar("rar_crc.rar", "-m0", "crc.txt", cwd=os.path.join(WORK, "rarcrc"))
    data = read("rar_crc.rar")
    at = data.index(b"CHECKSUM-CONTENT")
    data[at] ^= 0x20
    save("rar_crc.rar", data)

    data = read("valid.rar")
    save("rar_truncated.rar", data[: len(data) // 2])

    # 100 folders of 99 files: 10000 headers, and one file more for 10001.
    many = fresh("rarmany")
    for i in range(9900):
        write(os.path.join(many, "f%02d" % (i // 99), "%05d" % i), b"")
    rar("rar_limit.rar", "-r", ".", cwd=many)
    write(os.path.join(many, "f99", "extra"), b"")
    rar("rar_many.rar", "-r", ".", cwd=many)

    big = fresh("rarbig")
    with open(os.path.join(big, "zeros.bin"), "wb") as f:
        f.truncate(BIG)
    rar("rar_big.rar", "-m1", "zeros.bin", cwd=big)

    folders = fresh("rarfolders")
    os.makedirs(os.path.join(folders, "docs", "deep"))
    rar("rar_folders.rar", "-r", "docs", cwd=folders)


# ---- 7z (headers left uncompressed, so names and methods can be patched) ----

def sz_fix_crcs(data):
    next_offset, next_size = struct.unpack_from("<QQ", data, 12)
    start = 32 + next_offset
    struct.pack_into("<I", data, 28, zlib.crc32(data[start:start + next_size]))
    struct.pack_into("<I", data, 8, zlib.crc32(data[12:32]))
    return data


def sz_patch(name, old, new):
    data = read(name)
    header = 32 + struct.unpack_from("<Q", data, 12)[0]
    at = data.index(old, header)
    data[at:at + len(old)] = new
    save(name, sz_fix_crcs(data))


def sz(name, *args, cwd=TREE):
    switches = [a for a in args if a.startswith("-")]
    files = [a for a in args if not a.startswith("-")]
    run("7zz", "a", "-bso0", "-bsp0", "-mhc=off", *switches, os.path.join(OUT, name), *files, cwd=cwd)


def u16(text):
    return text.encode("utf-16-le")


def make_7zs():
    sz("valid.7z", ".")
    d = fresh("sznames")
    write(os.path.join(d, "Übersicht", "naïve – ☃.txt"), b"unicode")
    write(os.path.join(d, "ok.txt"), b"ok")
    write(os.path.join(d, "aaevil.txt"), b"evil")
    write(os.path.join(d, "xaux"), b"device")
    sz("names.7z", "Übersicht", "ok.txt", cwd=d)
    for case, old, new in [("dotdot", "aaevil.txt", "../evil.tx"), ("absolute", "aaevil.txt", "C:/evil.tx"),
                           ("device", "xaux", "aux.")]:
        sz("7z_%s.7z" % case, "ok.txt", old, cwd=d)
        sz_patch("7z_%s.7z" % case, u16(old), u16(new))

    # No names at all: the item has no path property.
    write(os.path.join(d, "xx"), b"no name")
    sz("7z_noname.7z", "xx", cwd=d)
    data = read("7z_noname.7z")
    header, size = 32 + struct.unpack_from("<Q", data, 12)[0], struct.unpack_from("<Q", data, 20)[0]
    names = bytes([0x11, 0x07, 0x00]) + u16("xx") + b"\0\0"
    at = data.index(names, header)
    del data[at:at + len(names)]
    struct.pack_into("<Q", data, 20, size - len(names))
    save("7z_noname.7z", sz_fix_crcs(data))

    os.symlink("/etc/hostname", os.path.join(d, "link"))
    sz("7z_link.7z", "-snl", "ok.txt", "link", cwd=d)
    sz("7z_crypt.7z", "-psecret", "pluginst.inf")
    run("7zz", "a", "-bso0", "-bsp0", "-psecret", "-mhe=on", os.path.join(OUT, "7z_crypt_headers.7z"),
        "pluginst.inf", cwd=TREE)

    c = fresh("szcrc")
    write(os.path.join(c, "crc.txt"), b"CHECKSUM-CONTENT " * 50)
    sz("7z_crc.7z", "-m0=Copy", "crc.txt", cwd=c)
    data = read("7z_crc.7z")
    data[32 + 3] ^= 0x20
    save("7z_crc.7z", data)

    # LZMA's method id 03 01 01 turned into one no library knows.
    sz("7z_method.7z", "-m0=LZMA", "ok.txt", cwd=d)
    sz_patch("7z_method.7z", b"\x03\x01\x01", b"\x03\x01\x7f")

    data = read("valid.7z")
    save("7z_truncated.7z", data[: len(data) // 2])

    many = fresh("szmany")
    for i in range(10001):
        write(os.path.join(many, "f%03d" % (i // 100), "%05d" % i), b"")
    sz("7z_many.7z", ".", cwd=many)

    big = fresh("szbig")
    with open(os.path.join(big, "zeros.bin"), "wb") as f:
        f.truncate(BIG)
    sz("7z_big.7z", "-mx1", "zeros.bin", cwd=big)

    folders = fresh("szfolders")
    os.makedirs(os.path.join(folders, "docs", "deep"))
    sz("7z_folders.7z", "docs", cwd=folders)
    # An archive of no items: the signature header with an empty next header.
    empty = bytearray(b"7z\xbc\xaf\x27\x1c\x00\x04" + bytes(24))
    save("7z_empty.7z", sz_fix_crcs(empty))


def main():
    stamp = os.path.join(OUT, "made-by")
    with open(__file__, "rb") as f:
        script = f.read()
    if os.path.exists(stamp) and open(stamp, "rb").read() == script:
        return  # made by this very script already
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(WORK)
    make_tree()
    make_zips()
    make_rars()
    make_7zs()
    save("tiny.bin", b"PK\x03")
    save("not_archive.txt", b"plain text, no archive")
    shutil.rmtree(WORK)
    write(stamp, script)


main()
