#!/usr/bin/env python3
"""Subnet layouts, EUI-64 addresses and ULA prefixes against Python's ipaddress and netaddr.

Usage: layout_reference_test.py LAYOUT_TOOL. Random blocks of both families under random
rules and cloud modes go to the tool; each answer is compared with what the rules give when
worked out here with ipaddress. Exit 77 (skipped) without python3-netaddr.
"""
import ipaddress
import random
import subprocess
import sys

try:
    import netaddr
except ImportError:
    print("SKIPPED: python3-netaddr is needed")
    sys.exit(77)

TOOL = sys.argv[1]
# Cloud providers' reserved addresses: (at the start, at the end, longest prefix allowed).
CLOUDS = {"none": None, "aws": (4, 1, 28), "azure": (4, 1, 29), "gcp": (2, 2, 29), "oci": (2, 1, 30)}


def ask(lines):
    out = subprocess.run([TOOL], input="".join(l + "\n" for l in lines), capture_output=True, text=True, check=True)
    return out.stdout.splitlines()


def usable(net, cloud):
    n, last, bits = int(net.network_address), int(net.broadcast_address), net.max_prefixlen - net.prefixlen
    rules = CLOUDS[cloud] if net.version == 4 else None
    if rules:
        low, high, longest = rules
        if net.prefixlen > longest or 2 ** bits <= low + high:
            return None
        return n + low, last - high
    if bits <= 1:
        return n, last
    return n + 1, (last - 1 if net.version == 4 else last)


def minus(spans, out):
    """spans less the addresses of out, each a sorted list of (first, last)."""
    left = []
    for a, b in spans:
        for c, d in sorted(out):
            if d < a or c > b:
                continue
            if a < c:
                left.append((a, c - 1))
            a = d + 1
        if a <= b:
            left.append((a, b))
    return left


def expected(net, cloud, gw_rule, kept, range_rule, lo, hi, dhcp6):
    u = usable(net, cloud)
    n, bits = int(net.network_address), net.max_prefixlen - net.prefixlen
    rules = CLOUDS[cloud] if net.version == 4 else None
    if not u:
        return None, None, None, [], []
    first, last = u
    gateway = n + 1 if rules else {0: None, 1: first, 2: last}[gw_rule]
    keep = [] if kept == 0 else minus([(first, min(last, first + kept - 1))], [(gateway, gateway)] if gateway else [])
    if rules and rules[0] > 2:
        keep.append((n + 2, n + rules[0] - 1))
    if rules and rules[1] == 2:
        keep.append((int(net.broadcast_address) - 1,) * 2)
    keep.sort()
    ranges = []
    if net.version == 4 or dhcp6 != 0:
        if range_rule == 1 and bits > 1:
            ranges = [(n + 2 ** (bits - 1), last)]
        elif range_rule == 2 and max(lo, first - n) <= min(hi, last - n):
            ranges = [(n + max(lo, first - n), n + min(hi, last - n))]
        ranges = minus(ranges, keep + ([(gateway, gateway)] if gateway and gateway in range(n, n + 2 ** bits) else []))
    return first, last, gateway, keep, ranges


def text(version, spans):
    a = ipaddress.ip_address
    conv = (lambda v: str(ipaddress.IPv4Address(v))) if version == 4 else (lambda v: str(ipaddress.IPv6Address(v)))
    if isinstance(spans, list):
        return ",".join(conv(x) + "-" + conv(y) for x, y in spans) or "-"
    return "-" if spans is None else conv(spans)


def random_block(rng):
    if rng.random() < 0.5:
        length = rng.choice([rng.randint(16, 32), rng.randint(27, 32)])
        net = ipaddress.ip_network((rng.getrandbits(32) >> (32 - length) << (32 - length), length))
    else:
        length = rng.choice([rng.randint(48, 128), rng.randint(120, 128), 64])
        net = ipaddress.ip_network((rng.getrandbits(128) >> (128 - length) << (128 - length), length))
    return net


def check_layouts(rng, failures):
    cases = []
    for _ in range(3000):
        net = random_block(rng)
        cloud = rng.choice(list(CLOUDS))
        size = net.num_addresses
        lo, hi = sorted([rng.randrange(min(size + 4, 2 ** 20)), rng.randrange(min(size + 4, 2 ** 20))])
        cases.append((net, cloud, rng.randint(0, 2), rng.choice([0, 0, 1, 2, 5]), rng.randint(0, 2), lo, hi,
                      rng.randint(0, 2)))
    answers = ask(["layout %s %s %d %d %d %d %d %d" % c for c in cases])
    for case, got in zip(cases, answers):
        first, last, gateway, keep, ranges = expected(*case)
        v = case[0].version
        want = "first=%s last=%s gateway=%s kept=%s ranges=%s" % (
            text(v, first), text(v, last), text(v, gateway), text(v, keep), text(v, ranges))
        if got != want:
            failures.append("layout %s %s: got %s, want %s" % (case[0], case[1:], got, want))


def check_eui64_and_ula(rng, failures):
    cases = []
    for _ in range(300):
        length = rng.randint(1, 64)
        net = ipaddress.IPv6Network((rng.getrandbits(128) >> (128 - length) << (128 - length), length))
        mac = ":".join("%02x" % rng.getrandbits(8) for _ in range(6))
        cases.append((net, mac))
    for (net, mac), got in zip(cases, ask(["eui64 %s %s" % c for c in cases])):
        want = str(ipaddress.IPv6Address(int(netaddr.EUI(mac).ipv6(int(net.network_address)))))
        if got != want:
            failures.append("eui64 %s %s: got %s, want %s" % (net, mac, got, want))
    if ask(["eui64 2001:db8::/80 00:11:22:33:44:55"]) != ["error"]:
        failures.append("eui64 in a /80 gives an address")
    ulas = [ipaddress.IPv6Network(u) for u in ask(["ula"] * 2)]
    for u in ulas:
        if u.prefixlen != 48 or not u.subnet_of(ipaddress.IPv6Network("fd00::/8")):
            failures.append("ULA %s is no /48 in fd00::/8" % u)
    if ulas[0] == ulas[1]:
        failures.append("two ULA prefixes are the same global ID: %s" % ulas[0])


def main():
    rng = random.Random(25)
    failures = []
    check_layouts(rng, failures)
    check_eui64_and_ula(rng, failures)
    for f in failures[:20]:
        print(f)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
