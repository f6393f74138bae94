#!/usr/bin/env python3
"""Writes the portable zip of Bex from a Windows build: the programs, the
plug-ins, a Japanese README.txt, LICENSE.txt and THIRD-PARTY-NOTICES.txt,
whose entries come from the Debian copyright files that tools/codecs.sh keeps
beside the codec libraries (one per package it builds) and from the
toolchain's runtime linked into every program.

The same inputs give the same zip, byte for byte: the entries have a fixed
order, one fixed time (SOURCE_DATE_EPOCH, by default the time of the last
commit) and fixed permissions. The texts are UTF-8 with a byte-order mark and
CR LF line ends, which every Notepad shows as they are written.

Usage: make_zip.py --root DIR --build DIR --codecs DIR --packages "a b c" --out DIR
"""
import argparse
import os
import re
import subprocess
import sys
import time
import zipfile

# Zip name and file in the build folder. The 64-bit helper and plug-in serve
# on 64-bit Windows; a 32-bit Windows passes them over.
PROGRAM_FILES = [
    ("bex.exe", "bex.exe"),
    ("bexspi.exe", "bexspi.exe"),
    ("bexspi64.exe", "bexspi64.exe"),
    ("plugins/wicspi.spi", "plugins/wicspi.spi"),
    ("plugins/wicspi.sph", "plugins/wicspi.sph"),
]

# The codecs go into the plug-in only, built for each of its two kinds from
# the same sources.
CODECS_LINKED_INTO = "plugins\\wicspi.spi, plugins\\wicspi.sph"

# The runtime of the MinGW-w64 toolchain, linked statically into every program
# and the plug-in: its Debian binary package and what it brings.
TOOLCHAIN_RUNTIME = [
    ("MinGW-w64 runtime, 32-bit (start-up code and winpthreads)", "mingw-w64-i686-dev"),
    ("MinGW-w64 runtime, 64-bit (start-up code and winpthreads)", "mingw-w64-x86-64-dev"),
]
EVERY_PROGRAM = "bex.exe, bexspi.exe, bexspi64.exe, plugins\\wicspi.spi, plugins\\wicspi.sph"
GCC_RUNTIME = "GCC runtime libraries (libstdc++, libgcc)"
GCC_RUNTIME_NOTE = """\
These are covered by the GNU General Public License version 3 or later with
the GCC Runtime Library Exception, version 3.1, which lets programs compiled
by GCC and linked with them be distributed under terms of their own choice."""

LGPL_RELINK = """\
Relinking: this library is covered by the GNU Lesser General Public License
and is linked statically into {target}. You may use a modified version of it:
the complete source code of Bex, with its build scripts, comes from the same
place as this package. tools/codecs.sh fetches this library's Debian source
package and builds it as a static library (put your modified source in its
place there), and tools/package.sh links the plug-in against it again and
writes a new package like this one."""

RULE = "=" * 72
LICENCE_REFERENCE = re.compile(r"/usr/share/common-licenses/([A-Za-z0-9.+-]*[A-Za-z0-9+])")


def upstream_version(debian_version):
    """1:2.1.5-2 -> 2.1.5; 1:1.2.13.dfsg-1 -> 1.2.13; 1.2.4-0.2+deb12u1 -> 1.2.4."""
    version = re.sub(r"^\d+:", "", debian_version.strip())
    version = re.sub(r"-[^-]*$", "", version)
    return re.sub(r"[.+~]dfsg.*$", "", version)


def licence_of_all_files(copyright_text):
    """The licence of the "Files: *" paragraph of a machine-readable copyright
    file; for other files, the whole text."""
    for paragraph in re.split(r"\n\s*\n", copyright_text):
        if re.search(r"^Files:\s*\*\s*$", paragraph, re.M):
            found = re.search(r"^License:\s*(.*)$", paragraph, re.M)
            return found.group(1) if found else ""
    return copyright_text


def is_lgpl(copyright_text):
    licence = licence_of_all_files(copyright_text)
    return bool(re.search(r"LGPL|Lesser General Public", licence))


def read_text(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def section(title, linked_into, body):
    return "\n".join([RULE, title, "Linked into: " + linked_into, RULE, "", body.rstrip(), ""])


def codec_sections(codecs_dir, packages):
    notices = os.path.join(codecs_dir, "notices")
    sections = []
    for package in packages:
        copyright_path = os.path.join(notices, package + ".copyright")
        version_path = os.path.join(notices, package + ".version")
        if not (os.path.isfile(copyright_path) and os.path.isfile(version_path)):
            sys.exit(f"package: no notices of {package} in {notices}; run tools/setup.sh")
        debian_version = read_text(version_path).strip()
        text = read_text(copyright_path)
        title = (f"{package} {upstream_version(debian_version)}"
                 f" (Debian source package {package} {debian_version})")
        body = text
        if is_lgpl(text):
            body = text.rstrip() + "\n\n" + LGPL_RELINK.format(target=CODECS_LINKED_INTO)
        sections.append((section(title, CODECS_LINKED_INTO, body), text))
    return sections


def toolchain_sections():
    sections = []
    for title, package in TOOLCHAIN_RUNTIME:
        path = f"/usr/share/doc/{package}/copyright"
        version = subprocess.run(["dpkg-query", "-W", "-f=${Version}", package],
                                 capture_output=True, text=True, check=True).stdout.strip()
        text = read_text(path)
        heading = f"{title} (Debian package {package} {version})"
        sections.append((section(heading, EVERY_PROGRAM, text), text))
    return sections


def referenced_licences(texts):
    """The texts of /usr/share/common-licenses that the copyright files refer
    to, which a Windows user does not have."""
    names = sorted({name for text in texts for name in LICENCE_REFERENCE.findall(text)})
    found = []
    for name in names:
        path = os.path.join("/usr/share/common-licenses", name)
        if os.path.isfile(path):
            found.append("\n".join([RULE, f"Licence text: {name}", RULE, "", read_text(path).rstrip(), ""]))
    return found


def notices_text(version, codecs_dir, packages):
    codecs = codec_sections(codecs_dir, packages)
    toolchain = toolchain_sections()
    intro = (f"Bex {version}: third-party notices\n\n"
             "Bex itself is under the MIT licence (LICENSE.txt). The programs and the\n"
             "plug-in of this package contain the following libraries, linked\n"
             "statically. Each is listed with its version and the copyright file of\n"
             "its Debian package, which holds its licence. Texts of licences that\n"
             "those files name by their place on a Debian system follow at the end.\n")
    parts = [intro] + [s for s, _ in codecs] + [s for s, _ in toolchain]
    parts.append(section(GCC_RUNTIME, EVERY_PROGRAM, GCC_RUNTIME_NOTE))
    parts += referenced_licences([t for _, t in codecs + toolchain])
    return "\n".join(parts)


def windows_text(text):
    """UTF-8 with a byte-order mark and CR LF line ends."""
    lines = text.replace("\r\n", "\n").split("\n")
    return ("\ufeff" + "\r\n".join(lines)).encode("utf-8")


def release_time():
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        try:
            epoch = subprocess.run(["git", "log", "-1", "--format=%ct"], capture_output=True,
                                   text=True, check=True, cwd=os.path.dirname(__file__)).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            epoch = ""
    seconds = max(int(epoch) if epoch else 0, 315532800)  # a zip time starts in 1980
    return time.gmtime(seconds)[:6]


def write_zip(path, entries, date_time):
    temporary = path + ".part"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # permissions in Unix form: a plain file, rw-r--r--
            info.external_attr = 0o100644 << 16
            archive.writestr(info, data, compresslevel=9)
    os.replace(temporary, path)


def main():
    parser = argparse.ArgumentParser()
    for option in ("--root", "--build", "--codecs", "--packages", "--out"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()

    header = read_text(os.path.join(args.root, "src/shared/version.h"))
    version = re.search(r'#define BEX_VERSION_TEXT "([^"]+)"', header).group(1)

    entries = []
    for name, built in PROGRAM_FILES:
        path = os.path.join(args.build, built)
        if not os.path.isfile(path):
            sys.exit(f"package: {path} is missing; build it first")
        with open(path, "rb") as f:
            entries.append((name, f.read()))
    readme = read_text(os.path.join(args.root, "tools/package/README.txt"))
    entries.append(("README.txt", windows_text(readme.replace("@VERSION@", version))))
    entries.append(("LICENSE.txt", windows_text(read_text(os.path.join(args.root, "LICENSE")))))
    notices = notices_text(version, args.codecs, args.packages.split())
    entries.append(("THIRD-PARTY-NOTICES.txt", windows_text(notices)))

    os.makedirs(args.out, exist_ok=True)
    zip_path = os.path.join(args.out, f"bex-{version}-win32.zip")
    write_zip(zip_path, entries, release_time())
    print(zip_path)


if __name__ == "__main__":
    main()
