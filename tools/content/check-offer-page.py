#!/usr/bin/env python3
"""Checks the offer page's HTML of one language in a real browser (headless Chromium, no network).

Checked against content DIR for language CODE: no placeholder left; the one picture is the content's, inline and
decoded; every text shows; the direction; nothing outside the WIDTH x HEIGHT page. Exit code 1 when a check failed.
"""

import argparse
import base64
import html
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

# The resources that shape the offer page, and every key that the program fills ("i2": the picture).
OFFER_TAG, TAG_TOKEN, PLACEHOLDER_PATTERN = 157, 166, 168
OFFER_DESCRIPTION, OFFER_TEMPLATE, OFFER_PICTURE = 38, 40, 241
KEYS = ["h", "i", "t1", "d1", "t2", "b1", "b2", "b3", "b4", "f", "i2", "dir"]
DATA_URI_PREFIX = "data:image/jpeg;base64,"

# Every background service that could reach the network off; the host resolver resolves nothing.
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--host-resolver-rules=MAP * ~NOTFOUND"]
CHROMIUM_TIMEOUT_S = 90

# Appended to a copy of the document: once loaded, it writes what the browser made of it for --dump-dom.
PROBE_ID = "offer-page-probe"
PROBE_SCRIPT = """
<script>
window.addEventListener("load", function () {
  var width = document.documentElement.clientWidth, outside = [];
  document.querySelectorAll("body *").forEach(function (element) {
    var r = element.getBoundingClientRect();
    if (element.tagName === "SCRIPT" || (r.width === 0 && r.height === 0)) return;
    // Outside the page, or content wider than its box (a word too long to wrap).
    if (r.left < -0.5 || r.top < -0.5 || r.right > width + 0.5 || r.bottom > %(height)d + 0.5 ||
        (element.clientWidth > 0 && element.scrollWidth > element.clientWidth + 1))
      outside.push(element.tagName.toLowerCase() + " [" + [r.left, r.top, r.right, r.bottom].map(Math.round) + "]");
  });
  var probe = document.createElement("pre");
  probe.id = "%(probe)s";
  probe.textContent = JSON.stringify({
    text: document.body.innerText, htmlDir: document.documentElement.getAttribute("dir"),
    direction: getComputedStyle(document.body).direction, width: width, outside: outside,
    images: Array.prototype.map.call(document.images, function (image) {
      var r = image.getBoundingClientRect();
      return { decoded: image.complete && image.naturalWidth > 0, middle: (r.left + r.right) / 2 };
    })});
  document.body.appendChild(probe);
});
</script>
"""


def rows(path):
    """The data lines of a content file, split at tabs."""
    lines = path.read_text(encoding="utf-8-sig").splitlines() if path.exists() else []
    return [line.split("\t") for line in lines if line.strip() and not line.startswith("#")]


def resource(content, code, resource_id):
    """Resource `resource_id` in `code`, else in the neutral language."""
    for language in (code, "0"):
        for fields in rows(content / "files.tsv"):
            if fields[:2] == [language, str(resource_id)]:
                return (content / fields[2]).read_bytes()
        for fields in rows(content / "texts" / f"{language}.txt"):
            if fields[0] == str(resource_id):
                return "\t".join(fields[1:]).encode()
    raise SystemExit(f"the content has no resource {resource_id} for language {code} or 0")


def placeholder_regex(pattern, token):
    """Matches a placeholder of any key, whatever stands in place of the tag token."""
    key_parts = [r"[^<>\"\s]*?".join(map(re.escape, part.split(token) if token else [part]))
                 for part in pattern.split("$1")]
    return re.compile(r"[A-Za-z0-9_]+".join(key_parts))


def visible_text(value):
    """What a JSON value (inserted as HTML) shows: no tags, entities resolved, spaces folded."""
    return " ".join(html.unescape(re.sub(r"<[^>]*>", " ", value)).split())


def run_chromium(chromium, arguments, work):
    profile = Path(tempfile.mkdtemp(prefix="profile-", dir=work))
    environment = dict(os.environ, HOME=str(profile), XDG_CONFIG_HOME=str(profile), XDG_CACHE_HOME=str(profile))
    command = [chromium, *CHROMIUM_FLAGS, f"--user-data-dir={profile / 'data'}", *arguments]
    try:
        result = subprocess.run(command, capture_output=True, env=environment, timeout=CHROMIUM_TIMEOUT_S)
    except subprocess.TimeoutExpired:
        raise SystemExit(f"chromium did not finish within {CHROMIUM_TIMEOUT_S} s: {' '.join(command)}")
    if result.returncode != 0:
        sys.stderr.write(result.stderr.decode("utf-8", "replace"))
        raise SystemExit(f"chromium ended with {result.returncode}: {' '.join(command)}")
    return result.stdout.decode("utf-8", "replace")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name in ("--content", "--language", "--html", "--screenshot", "--chromium", "--width", "--height"):
        parser.add_argument(name, required=True, type=int if name in ("--width", "--height") else str)
    options = parser.parse_args()
    content, code, screenshot = Path(options.content), options.language, Path(options.screenshot)
    if shutil.which(options.chromium) is None:
        raise SystemExit(f"no {options.chromium}: install the chromium package (tools/setup-machine.sh)")

    rtl = any(fields[0] == code and fields[4] == "1" for fields in rows(content / "languages.tsv"))
    description = json.loads(resource(content, code, OFFER_DESCRIPTION).decode("utf-8-sig"))
    template = resource(content, code, OFFER_TEMPLATE).decode("utf-8-sig")
    token, tag, pattern = (resource(content, code, i).decode() for i in (TAG_TOKEN, OFFER_TAG, PLACEHOLDER_PATTERN))
    page = Path(options.html).read_bytes()
    document = page.decode("utf-8", "replace")  # bytes that are not UTF-8 then fail the texts' check

    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)
        return condition

    # The keys that the template fills: the pattern with the tag in place of its token.
    used_keys = [key for key in KEYS if pattern.replace("$1", key).replace(token, tag) in template]
    check(used_keys, f"the template holds no placeholder of the pattern {pattern!r}: nothing to check")
    left = sorted(set(placeholder_regex(pattern, token).findall(document)))
    check(not left, f"placeholders left in the document: {', '.join(left)}")

    sources = re.findall(r"<img\b[^>]*\bsrc=\"([^\"]*)\"", document)
    check(len(sources) == 1, f"expected one picture, found {len(sources)}")
    for source in sources:
        try:
            decoded = base64.b64decode(source.removeprefix(DATA_URI_PREFIX), validate=True)
        except ValueError:
            decoded = None
        check(source.startswith(DATA_URI_PREFIX) and decoded == resource(content, code, OFFER_PICTURE),
              f"the picture is not resource {OFFER_PICTURE} of the content inline: src {source[:40]!r}...")

    work = Path(tempfile.mkdtemp(prefix=f"offer-page-{code}-"))
    size = f"--window-size={options.width},{options.height}"
    try:
        probe_page = work / "probe.html"
        probe_page.write_bytes(page + (PROBE_SCRIPT % {"height": options.height, "probe": PROBE_ID}).encode())
        dom = run_chromium(options.chromium, [size, "--dump-dom", probe_page.as_uri()], work)
        found = re.search(f'<pre id="{PROBE_ID}">(.*?)</pre>', dom, re.S)
        if not found:
            raise SystemExit("the rendered page has no probe result: the page did not finish loading")
        seen = json.loads(html.unescape(found.group(1)))
        screenshot.parent.mkdir(parents=True, exist_ok=True)
        screenshot.unlink(missing_ok=True)
        page_uri = Path(options.html).resolve().as_uri()
        run_chromium(options.chromium, [size, f"--screenshot={screenshot}", page_uri], work)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    shown = " ".join(seen["text"].split())
    for key in (key for key in used_keys if key not in ("i2", "dir")):
        value = description.get(key)
        if check(isinstance(value, str), f"the description has no text for {key!r}"):
            check(visible_text(value) in shown, f"the page does not show the text of {key!r}: {visible_text(value)!r}")
    check(len(seen["images"]) == 1 and seen["images"][0]["decoded"], "the browser did not decode the one picture")
    check(seen["htmlDir"] == description.get("dir"),
          f"the html element's dir is {seen['htmlDir']!r}, the description says {description.get('dir')!r}")
    expected = "rtl" if rtl else "ltr"
    check(seen["direction"] == expected, f"the page is laid out {seen['direction']}, language {code} reads {expected}")
    for image in seen["images"]:
        check((image["middle"] > seen["width"] / 2) == rtl, f"the picture is not on the reading side ({expected})")
    check(not seen["outside"], f"cut off, outside the {options.width} x {options.height} page: {seen['outside'][:8]}")
    check(screenshot.exists(), f"no screenshot {screenshot}")

    print(f"language {code}: {len(used_keys)} keys, laid out {seen['direction']}; screenshot {screenshot}")
    for message in failures:
        print(f"FAILED: {message}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
