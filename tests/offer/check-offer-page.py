#!/usr/bin/env python3
"""Checks the offer page's HTML of one language in a real browser.

    check-offer-page.py --content DIR --language CODE --html FILE --screenshot PNG
                        [--chromium PROGRAM] [--width 668] [--height 504]

FILE is the document that offer-html.exe wrote for language CODE from the
resources.db built from the content folder DIR; what the page must show is
read from DIR itself. Headless Chromium renders the local file only, with a
fresh profile and no network. Checked: no placeholder left; the one picture
is the content's picture inline, byte for byte, and decodes; every text of
the description shows; the direction (html dir, layout, the picture on the
reading side); nothing outside the WIDTH x HEIGHT page, which has no scroll
bars. Then a screenshot of the page at that size is saved as PNG.

Exit code 0 when every check passed, 1 otherwise (each failure is printed).
"""

import argparse
import base64
import html
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

# The resources that shape the offer page.
OFFER_TAG, TAG_TOKEN, PLACEHOLDER_PATTERN = 157, 166, 168
OFFER_DESCRIPTION, OFFER_TEMPLATE, OFFER_PICTURE = 38, 40, 241
# Every key that the program fills; "i2" is the picture's slot.
KEYS = ["h", "i", "t1", "d1", "t2", "b1", "b2", "b3", "b4", "f", "i2", "dir"]
PICTURE_KEY = "i2"
DATA_URI_PREFIX = "data:image/jpeg;base64,"
NEUTRAL = "0"

# Headless, with a throw-away profile and every background service that could
# reach the network turned off; the host resolver resolves nothing.
CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--host-resolver-rules=MAP * ~NOTFOUND",
]
CHROMIUM_TIMEOUT_S = 90

# Appended to a copy of the document for the DOM check. Once the page has
# loaded (the picture decoded), it writes what the browser made of the page
# into an element that --dump-dom then carries.
PROBE_ID = "offer-page-probe"
PROBE_SCRIPT = """
<script>
window.addEventListener("load", function () {
  var viewWidth = document.documentElement.clientWidth;
  var outside = [];
  document.querySelectorAll("body *").forEach(function (element) {
    if (element.tagName === "SCRIPT") return;
    var r = element.getBoundingClientRect();
    if (r.width === 0 && r.height === 0) return;
    // Outside the page, or content wider than its box (a word too long to wrap).
    if (r.left < -0.5 || r.top < -0.5 || r.right > viewWidth + 0.5 || r.bottom > %(height)d + 0.5 ||
        (element.clientWidth > 0 && element.scrollWidth > element.clientWidth + 1))
      outside.push(element.tagName.toLowerCase() + (element.className ? "." + element.className : "") +
                   " [" + Math.round(r.left) + "," + Math.round(r.top) + " - " +
                   Math.round(r.right) + "," + Math.round(r.bottom) + "]");
  });
  var images = Array.prototype.map.call(document.images, function (image) {
    var r = image.getBoundingClientRect();
    return { src: image.getAttribute("src") || "", complete: image.complete,
             naturalWidth: image.naturalWidth, naturalHeight: image.naturalHeight,
             left: r.left, right: r.right };
  });
  var result = {
    text: document.body.innerText,
    htmlDir: document.documentElement.getAttribute("dir"),
    bodyDirection: getComputedStyle(document.body).direction,
    viewWidth: viewWidth,
    contentHeight: document.documentElement.getBoundingClientRect().height,
    images: images,
    outside: outside
  };
  var probe = document.createElement("pre");
  probe.id = "%(probe)s";
  probe.textContent = JSON.stringify(result);
  document.body.appendChild(probe);
});
</script>
"""


class Failures:
    def __init__(self):
        self.messages = []

    def check(self, condition, message):
        if not condition:
            self.messages.append(message)
        return condition


# --- Content -----------------------------------------------------------------

def content_lines(path):
    """The data lines of a content file: no comments, no blank lines."""
    text = path.read_text(encoding="utf-8-sig")
    for line in text.splitlines():
        line = line.rstrip("\r")
        if not line.strip() or line.startswith("#"):
            continue
        yield line.split("\t")


def language_is_rtl(content, code):
    for fields in content_lines(content / "languages.tsv"):
        if fields[0] == code:
            return fields[4].strip() == "1"
    raise SystemExit(f"language {code} is not in {content / 'languages.tsv'}")


def content_file(content, code, resource_id):
    """The file of a whole-file resource in `code`, else in the neutral language."""
    files = {}
    for fields in content_lines(content / "files.tsv"):
        if len(fields) >= 3 and fields[1].strip().isdigit():
            files[(fields[0].strip(), int(fields[1]))] = fields[2].strip()
    for language in (code, NEUTRAL):
        if (language, resource_id) in files:
            return content / files[(language, resource_id)]
    raise SystemExit(f"files.tsv has no resource {resource_id} for language {code} or {NEUTRAL}")


def content_text(content, code, resource_id):
    """Text resource `resource_id` in `code`, else in the neutral language."""
    for language in (code, NEUTRAL):
        path = content / "texts" / f"{language}.txt"
        if not path.exists():
            continue
        for fields in content_lines(path):
            if fields[0].strip() == str(resource_id):
                return "\t".join(fields[1:])
    raise SystemExit(f"texts/ has no text {resource_id} for language {code} or {NEUTRAL}")


def placeholder_regex(pattern, token):
    """Matches a placeholder of any key, whatever stands in place of the tag token."""
    if "$1" not in pattern:
        raise SystemExit(f"the placeholder pattern {pattern!r} has no $1")
    key_parts = []
    for key_part in pattern.split("$1"):
        pieces = key_part.split(token) if token else [key_part]
        key_parts.append(r"[^<>\"\s]*?".join(re.escape(piece) for piece in pieces))
    return re.compile(r"[A-Za-z0-9_]+".join(key_parts))


def visible_text(value):
    """What a JSON value (inserted as HTML) shows: no tags, entities resolved."""
    return normalize(html.unescape(re.sub(r"<[^>]*>", " ", value)))


def normalize(text):
    return " ".join(text.split())


# --- Chromium ----------------------------------------------------------------

def run_chromium(chromium, arguments, work):
    """Runs headless Chromium with a fresh profile; returns its standard output."""
    profile = Path(tempfile.mkdtemp(prefix="profile-", dir=work))
    home = profile / "home"
    home.mkdir()
    environment = dict(os.environ, HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
                       XDG_CACHE_HOME=str(home / ".cache"))
    command = [chromium, *CHROMIUM_FLAGS, f"--user-data-dir={profile}", *arguments]
    try:
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                env=environment, timeout=CHROMIUM_TIMEOUT_S, check=False)
    except subprocess.TimeoutExpired:
        raise SystemExit(f"chromium did not finish within {CHROMIUM_TIMEOUT_S} s: {' '.join(command)}")
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    if result.returncode != 0:
        sys.stderr.write(result.stderr.decode("utf-8", "replace"))
        raise SystemExit(f"chromium ended with {result.returncode}: {' '.join(command)}")
    return result.stdout.decode("utf-8", "replace")


def probe_result(dom):
    """What the probe script wrote into the dumped DOM, or None."""
    found = re.search(f'<pre id="{PROBE_ID}">(.*?)</pre>', dom, re.S)
    return json.loads(html.unescape(found.group(1))) if found else None


def png_size(path):
    data = path.read_bytes()[:24]
    if len(data) < 24 or data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


# --- The checks --------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--content", required=True, type=Path)
    parser.add_argument("--language", required=True)
    parser.add_argument("--html", required=True, type=Path)
    parser.add_argument("--screenshot", required=True, type=Path)
    parser.add_argument("--chromium", default="chromium")
    parser.add_argument("--width", type=int, default=668)
    parser.add_argument("--height", type=int, default=504)
    options = parser.parse_args()

    content, code = options.content, options.language
    if shutil.which(options.chromium) is None:
        raise SystemExit(f"no {options.chromium}: install the chromium package (tools/setup-machine.sh)")

    rtl = language_is_rtl(content, code)
    description = json.loads(content_file(content, code, OFFER_DESCRIPTION).read_text(encoding="utf-8-sig"))
    template = content_file(content, code, OFFER_TEMPLATE).read_text(encoding="utf-8-sig")
    picture = content_file(content, code, OFFER_PICTURE).read_bytes()
    token = content_text(content, code, TAG_TOKEN)
    tag = content_text(content, code, OFFER_TAG)
    placeholders = placeholder_regex(content_text(content, code, PLACEHOLDER_PATTERN), token)

    failures = Failures()
    page = options.html.read_bytes()
    try:
        document = page.decode("utf-8")
    except UnicodeDecodeError as error:
        raise SystemExit(f"{options.html} is not UTF-8: {error}")

    # The keys that the template fills, as the program names them: the pattern
    # with the tag in place of its token. Without any, nothing here could fail.
    pattern = content_text(content, code, PLACEHOLDER_PATTERN)
    used_keys = [key for key in KEYS if pattern.replace("$1", key).replace(token, tag) in template]
    failures.check(len(placeholders.findall(template)) > 0 and used_keys,
                   f"the template holds no placeholder of the pattern {pattern!r}: nothing to check")

    # No placeholder left, in whatever form.
    left = sorted(set(placeholders.findall(document)))
    failures.check(not left, f"placeholders left in the document: {', '.join(left)}")
    if token:
        failures.check(token not in document, f"the tag token {token!r} is left in the document")

    # The picture: one inline JPEG, the content's picture byte for byte.
    sources = re.findall(r"<img\b[^>]*\bsrc=\"([^\"]*)\"", document)
    failures.check(len(sources) == 1, f"expected one picture, found {len(sources)}")
    for source in sources:
        if failures.check(source.startswith(DATA_URI_PREFIX),
                          f"the picture is not an inline JPEG: src starts with {source[:40]!r}"):
            encoded = source[len(DATA_URI_PREFIX):]
            failures.check(re.fullmatch(r"[A-Za-z0-9+/]*={0,2}", encoded) is not None,
                           "the picture's base64 text holds other characters (line breaks?)")
            try:
                decoded = base64.b64decode(encoded, validate=True)
                failures.check(decoded == picture,
                               f"the inline picture ({len(decoded)} bytes) is not resource {OFFER_PICTURE} "
                               f"of the content ({len(picture)} bytes)")
            except ValueError as error:
                failures.check(False, f"the picture's base64 text does not decode: {error}")

    # The browser's view of the page.
    work = Path(tempfile.mkdtemp(prefix=f"offer-page-{code}-"))
    try:
        probe_page = work / "probe.html"
        probe_page.write_bytes(page + (PROBE_SCRIPT % {"height": options.height, "probe": PROBE_ID}).encode())
        dom = run_chromium(options.chromium,
                           [f"--window-size={options.width},{options.height}", "--dump-dom", probe_page.as_uri()],
                           work)
        seen = probe_result(dom)
        if seen is None:
            raise SystemExit("the rendered page has no probe result: the page did not finish loading")

        shown = normalize(seen["text"])
        for key in used_keys:
            if key in (PICTURE_KEY, "dir"):
                continue
            value = description.get(key)
            if not failures.check(isinstance(value, str), f"the description has no text for {key!r}"):
                continue
            failures.check(visible_text(value) in shown,
                           f"the page does not show the text of {key!r}: {visible_text(value)!r}")

        images = seen["images"]
        failures.check(len(images) == 1, f"the browser shows {len(images)} pictures, expected 1")
        for image in images:
            failures.check(image["src"].startswith(DATA_URI_PREFIX),
                           f"the rendered picture's src is not an inline JPEG: {image['src'][:40]!r}")
            failures.check(image["complete"] and image["naturalWidth"] > 0 and image["naturalHeight"] > 0,
                           f"the browser did not decode the picture: {image['naturalWidth']} x "
                           f"{image['naturalHeight']} px")

        expected_direction = "rtl" if rtl else "ltr"
        failures.check(seen["htmlDir"] == description.get("dir"),
                       f"the html element's dir is {seen['htmlDir']!r}, the description says "
                       f"{description.get('dir')!r}")
        failures.check(seen["bodyDirection"] == expected_direction,
                       f"the page is laid out {seen['bodyDirection']}, language {code} reads {expected_direction}")
        for image in images:
            middle = (image["left"] + image["right"]) / 2
            on_start_side = middle > seen["viewWidth"] / 2 if rtl else middle < seen["viewWidth"] / 2
            failures.check(on_start_side, f"the picture is not on the {'right' if rtl else 'left'} side "
                                          f"(x {image['left']:.0f} to {image['right']:.0f})")

        failures.check(not seen["outside"],
                       f"outside the {options.width} x {options.height} px page (cut off): "
                       + "; ".join(seen["outside"][:8]))

        # The screenshot, of the document as it stands.
        options.screenshot.parent.mkdir(parents=True, exist_ok=True)
        if options.screenshot.exists():
            options.screenshot.unlink()
        run_chromium(options.chromium,
                     [f"--window-size={options.width},{options.height}",
                      f"--screenshot={options.screenshot}", options.html.resolve().as_uri()],
                     work)
        size = png_size(options.screenshot) if options.screenshot.exists() else None
        failures.check(size == (options.width, options.height),
                       f"the screenshot {options.screenshot} is {size}, expected "
                       f"{(options.width, options.height)}")
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print(f"language {code}: {len(used_keys)} keys, content {seen['contentHeight']:.0f} of "
          f"{options.height} px high, {seen['bodyDirection']}; screenshot {options.screenshot}")
    for message in failures.messages:
        print(f"FAILED: {message}")
    return 1 if failures.messages else 0


if __name__ == "__main__":
    sys.exit(main())
