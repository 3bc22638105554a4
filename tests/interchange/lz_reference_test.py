#!/usr/bin/env python3
"""Our LZ-string and visualsubnetcalc share links against the reference implementation.

Usage: lz_reference_test.py LZ_TOOL NPM_DIR. Installs the npm package lz-string into NPM_DIR
(once) and runs node on lz_reference.js beside this file. Exit 77 (skipped) without node or
npm, or when the registry cannot be reached.
"""
import json
import os
import random
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL, NPM_DIR = sys.argv[1], sys.argv[2]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def skip(why):
    print("SKIPPED: " + why)
    sys.exit(77)


def setup():
    if not shutil.which("node") or not shutil.which("npm"):
        skip("node and npm are needed to run the reference lz-string (Debian package nodejs)")
    if os.path.isdir(os.path.join(NPM_DIR, "node_modules", "lz-string")):
        return
    os.makedirs(NPM_DIR, exist_ok=True)
    try:
        r = subprocess.run(["npm", "install", "--no-audit", "--no-fund", "--no-save", "--prefix", NPM_DIR,
                            "lz-string@1.5.0"], capture_output=True, text=True, timeout=180)
    except subprocess.TimeoutExpired:
        skip("npm install lz-string timed out (registry unreachable?)")
    if r.returncode != 0:
        skip("npm install lz-string failed (registry unreachable?): " + r.stderr.strip()[-300:])


def reference(requests):
    r = subprocess.run(["node", os.path.join(HERE, "lz_reference.js"), NPM_DIR], input=json.dumps(requests),
                       capture_output=True, text=True, timeout=240, check=True)
    return json.loads(r.stdout)


def tool(*args, stdin=""):
    return subprocess.run([TOOL, *args], input=stdin, capture_output=True, text=True, timeout=120)


def random_units(rng, kind, length):
    if kind == "abc":
        return [ord(rng.choice("abc")) for _ in range(length)]
    if kind == "ascii":
        return [rng.randrange(32, 127) for _ in range(length)]
    if kind == "bytes":
        return [rng.randrange(0, 256) for _ in range(length)]
    if kind == "bmp":  # lone surrogates included: JavaScript strings may hold them
        return [rng.randrange(0, 0x10000) for _ in range(length)]
    units = []  # text in several scripts, with emoji as surrogate pairs
    for ch in "".join(rng.choice(["Grüße ", "世界 ", "😀", "{\"n\":\"x\"}", "10.0.0.0/24 ", "ж"]) for _ in range(length)):
        data = ch.encode("utf-16-be")
        units += [int.from_bytes(data[i:i + 2], "big") for i in range(0, len(data), 2)]
    return units


def lz_strings():
    rng = random.Random(20)
    cases = [[]]
    for i in range(400):
        kind = ["abc", "ascii", "bytes", "bmp", "text"][i % 5]
        cases.append(random_units(rng, kind, rng.randrange(1, 50 if i < 200 else 3000)))
    hexes = ["".join("%04x" % u for u in units) for units in cases]
    ours = tool("compress", stdin="".join(h + "\n" for h in hexes)).stdout.split("\n")[:-1]
    theirs = reference([{"op": "compress", "hex": h} for h in hexes])
    back = reference([{"op": "decompress", "text": e} for e in ours])
    ours_back = tool("decompress", stdin="".join(e + "\n" for e in theirs)).stdout.split("\n")[:-1]
    check(len(ours) == len(hexes) and len(ours_back) == len(hexes), "every string answered")
    for i, h in enumerate(hexes):
        check(ours[i] == theirs[i], "string %d: ours %r, reference %r" % (i, ours[i][:40], theirs[i][:40]))
        check(back[i] == h, "string %d: the reference does not read ours back" % i)
        check(ours_back[i] == h, "string %d: we do not read the reference's back" % i)
    return len(hexes)


def links():
    made = []
    for seed in range(40):
        mode = ["none", "aws", "azure", "oci", "gcp"][seed % 5]
        r = tool("vsc", str(seed), mode)
        check(r.returncode == 0, "seed %d: %s" % (seed, r.stderr))
        link, config_text = r.stdout.split("\n", 1)
        made.append((seed, link, config_text, json.loads(config_text)))
    # Our links, opened the way the tool opens them, are our JSON.
    opened = reference([{"op": "open-link", "link": link} for _, link, _, _ in made])
    # The tool's links for that JSON, read here, are the plans that JSON gives.
    theirs = reference([{"op": "make-link", "config": config} for _, _, _, config in made])
    for (seed, _, config_text, config), back, link in zip(made, opened, theirs):
        check(back == config, "seed %d: the tool reads our link as\n%s\nnot\n%s" % (seed, back, config))
        from_link = tool("vsc-read-link", stdin=link)
        from_json = tool("vsc-read-json", stdin=config_text)
        check(from_link.returncode == 0 and from_link.stdout == from_json.stdout,
              "seed %d: the tool's link reads as\n%s\nbut its JSON as\n%s" % (seed, from_link.stdout, from_json.stdout))
    return 2 * len(made)


setup()
checked = lz_strings() + links()
for f in failures[:20]:
    print("FAIL: " + f)
print("%d passed, %d failed" % (checked - min(len(failures), checked), len(failures)))
sys.exit(1 if failures else 0)
