"""The program installed as a desktop program: what `cmake --install` puts in place (menu
entry, icons, AppStream data, man page), that each validates, that the icons are the art
itself at every size, and the .deb that `cpack -G DEB` makes of the same files."""

from __future__ import annotations

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from mascot_case import BINARY  # noqa: E402
from scene import ASSETS, load_xpm  # noqa: E402

BUILD = Path(os.environ.get("RUVIA_BUILD_DIR") or BINARY.parent)
TOOLS = ("desktop-file-validate", "appstreamcli", "cpack", "dpkg-deb", "dpkg-shlibdeps", "man")
MISSING = [tool for tool in TOOLS if shutil.which(tool) is None]
ICON_SIZES = (16, 32, 48, 64, 128, 256)
METAINFO = "share/metainfo/io.github.ruvia_mascot.RuviaMascot.metainfo.xml"
INSTALLED = {
    "bin/ruvia-mascot",
    "share/applications/ruvia-mascot.desktop",
    METAINFO,
    "share/man/man6/ruvia-mascot.6.gz",
    *(f"share/icons/hicolor/{n}x{n}/apps/ruvia-mascot.png" for n in ICON_SIZES),
}


def run(argv: list[str], **kwargs) -> subprocess.CompletedProcess:
    return subprocess.run(argv, capture_output=True, text=True, timeout=120,
                          stdin=subprocess.DEVNULL, **kwargs)


def read_png(path: Path) -> tuple[int, int, list[tuple[int, int, int, int]]]:
    """Width, height and RGBA pixels of an 8-bit RGBA PNG without filters, the form the
    build writes; anything else fails loudly."""
    blob = path.read_bytes()
    assert blob[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG"
    pos, chunks = 8, {}
    while pos < len(blob):
        length, kind = struct.unpack(">I4s", blob[pos:pos + 8])
        chunks[kind] = chunks.get(kind, b"") + blob[pos + 8:pos + 8 + length]
        pos += 12 + length
    width, height, depth, color = struct.unpack(">IIBB", chunks[b"IHDR"][:10])
    assert (depth, color) == (8, 6), f"{path}: depth {depth}, colour type {color}"
    raw = zlib.decompress(chunks[b"IDAT"])
    stride = 1 + width * 4
    pixels = []
    for y in range(height):
        row = raw[y * stride:(y + 1) * stride]
        assert row[0] == 0, f"{path}: row {y} uses a filter"
        pixels += [tuple(row[1 + 4 * x:5 + 4 * x]) for x in range(width)]
    return width, height, pixels


def files_under(root: Path) -> set[str]:
    return {str(p.relative_to(root)) for p in root.rglob("*") if not p.is_dir()}


class PackagingCase(unittest.TestCase):

    @classmethod
    def setUpClass(cls) -> None:
        if MISSING:
            raise unittest.SkipTest("packaging tests need " + ", ".join(MISSING))
        if not BINARY.is_file():
            raise RuntimeError(f"no program to test at {BINARY}: build it or set RUVIA_BINARY")


class InstallTest(PackagingCase):

    def test_install_puts_valid_desktop_files_and_crisp_icons_in_place(self):
        destdir = Path(tempfile.mkdtemp(prefix="ruvia-install-"))
        self.addCleanup(shutil.rmtree, destdir, True)
        result = run(["cmake", "--install", str(BUILD), "--prefix", "/opt/ruvia"],
                     env={**os.environ, "DESTDIR": str(destdir)})
        self.assertEqual(result.returncode, 0, result.stderr)
        prefix = destdir / "opt" / "ruvia"
        self.assertEqual(files_under(destdir), {f"opt/ruvia/{f}" for f in INSTALLED})
        self.assertTrue(os.access(prefix / "bin/ruvia-mascot", os.X_OK))

        entry = prefix / "share/applications/ruvia-mascot.desktop"
        checks = {"desktop-file-validate": ["desktop-file-validate", str(entry)],
                  "appstreamcli": ["appstreamcli", "validate", "--no-net", str(prefix / METAINFO)]}
        for name, argv in checks.items():
            with self.subTest(name):
                check = run(argv)
                self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        text = entry.read_text()
        for line in ("Name=RuviaMascot", "Name[ja]=ぶらさがりルビア", "Icon=ruvia-mascot",
                     "Terminal=false", "Exec=ruvia-mascot --user-settings"):
            self.assertIn(f"\n{line}\n", text)
        self.assertRegex(text, r"\nCategories=([A-Za-z]+;)*Amusement;")

        # The man page names every option that --help lists.
        page = run(["man", "-l", str(prefix / "share/man/man6/ruvia-mascot.6.gz")],
                   env={**os.environ, "MANWIDTH": "80", "LC_ALL": "C.UTF-8"}).stdout
        for option in ("--settings", "--user-settings", "--autostart", "--no-autostart",
                       "--layer-shell", "--no-layer-shell", "--help", "--version",
                       "pdl_swg.ini"):
            self.assertIn(option, page.replace("\u2010", "-"))

        # Nearest-neighbour: each icon pixel is the art's pixel under it, None transparent.
        art = load_xpm(ASSETS / "icon.xpm")
        for n in ICON_SIZES:
            with self.subTest(icon=n):
                width, height, pixels = read_png(
                    prefix / f"share/icons/hicolor/{n}x{n}/apps/ruvia-mascot.png")
                self.assertEqual((width, height), (n, n))
                for y in range(n):
                    for x in range(n):
                        color = art.at(x * art.width // n, y * art.height // n)
                        want = (0, 0, 0, 0) if color is None else (*color, 255)
                        got = pixels[y * n + x]
                        if got != want and not (want[3] == got[3] == 0):
                            self.fail(f"{n}x{n} pixel ({x}, {y}) is {got}, the art's {want}")


class PackageTest(PackagingCase):

    def test_cpack_makes_a_deb_of_the_installed_files_with_computed_depends(self):
        out = Path(tempfile.mkdtemp(prefix="ruvia-deb-"))
        self.addCleanup(shutil.rmtree, out, True)
        result = run(["cpack", "-G", "DEB", "-B", str(out)], cwd=BUILD)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        debs = list(out.glob("ruvia-mascot_*.deb"))
        self.assertEqual(len(debs), 1, os.listdir(out))
        arch = run(["dpkg", "--print-architecture"]).stdout.strip()
        version = run([str(BINARY), "--version"]).stdout.split()[-1]
        self.assertEqual(debs[0].name, f"ruvia-mascot_{version}_{arch}.deb")

        listing = run(["dpkg-deb", "-c", str(debs[0])]).stdout
        files = {line.split()[-1].removeprefix("./usr/") for line in listing.splitlines()
                 if not line.startswith("d")}
        self.assertEqual(files, INSTALLED)

        control = dict(line.split(": ", 1) for line in
                       run(["dpkg-deb", "-f", str(debs[0])]).stdout.splitlines()
                       if ": " in line and not line.startswith(" "))
        self.assertEqual(control["Package"], "ruvia-mascot")
        self.assertEqual(control["Version"], version)
        self.assertEqual(control["Architecture"], arch)
        self.assertRegex(control["Maintainer"], r"^[^<>]+ <[^@<>]+@[^@<>]+>$")
        self.assertTrue(control["Description"].strip())
        depends = {d.split()[0] for d in control["Depends"].split(", ")}
        self.assertLessEqual({"libc6", "libqt6core6", "libqt6gui6", "libqt6widgets6"}, depends)
        print(f"\ndeb_bytes={debs[0].stat().st_size} Depends: {control['Depends']}",
              file=sys.stderr)


if __name__ == "__main__":
    result = unittest.main(verbosity=2, exit=False).result
    sys.exit(1 if not result.wasSuccessful() else 77 if MISSING else 0)
