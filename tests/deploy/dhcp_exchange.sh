#!/bin/sh
# A DHCPv4 exchange with a real Kea server: kea-dhcp4 runs with CONFIG in a network namespace
# of its own on SERVER_IF (ADDRESS/LEN on it), joined by a veth pair to a second namespace
# where busybox udhcpc asks for a lease once for each MAC given, in turn, as CLIENT_IF's
# address. Prints "MAC IP ROUTER" for each lease. Exits 77 with the reason when namespaces
# cannot be made here; everything it made is removed on any exit.
#   dhcp_exchange.sh CONFIG ADDRESS/LEN SERVER_IF CLIENT_IF WORKDIR MAC...
set -u
conf=$1 addr=$2 vs=$3 vc=$4 dir=$5
shift 5
ns=mqkea-s-$$
nc=mqkea-c-$$
for tool in kea-dhcp4 busybox ip timeout; do
    command -v $tool >/dev/null 2>&1 || { echo "$tool is not installed" >&2; exit 77; }
done
if ! ip netns add $ns 2>"$dir/netns.err"; then
    echo "cannot make a network namespace here (needs root or CAP_NET_ADMIN): $(cat "$dir/netns.err")" >&2
    exit 77
fi
kea=
cleanup() {
    if [ -n "$kea" ]; then
        kill "$kea" 2>/dev/null
        wait "$kea" 2>/dev/null
    fi
    ip netns del $ns 2>/dev/null
    ip netns del $nc 2>/dev/null
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
fail() { echo "$1" >&2; [ -f "$dir/kea.log" ] && tail -20 "$dir/kea.log" >&2; exit 1; }

ip netns add $nc || fail "ip netns add $nc failed"
ip link add $vs type veth peer name $vc || fail "ip link add failed"
ip link set $vs netns $ns && ip link set $vc netns $nc || fail "moving the veth ends failed"
ip -n $ns addr add "$addr" dev $vs && ip -n $ns link set $vs up && ip -n $nc link set $vc up ||
    fail "setting up the veth pair failed"

# Kea keeps its pid and lock files where these say, not in /run/kea.
# The waits are long enough for a machine busy with other work (a bound, not a timing).
export KEA_PIDFILE_DIR="$dir" KEA_LOCKFILE_DIR="$dir"
ip netns exec $ns kea-dhcp4 -c "$conf" >"$dir/kea.log" 2>&1 &
kea=$!
tries=0
until grep -q DHCP4_STARTED "$dir/kea.log" 2>/dev/null; do
    kill -0 "$kea" 2>/dev/null || { kea=; fail "kea-dhcp4 stopped"; }
    tries=$((tries + 1))
    [ $tries -le 600 ] || fail "kea-dhcp4 did not start within 60 s"
    sleep 0.1
done

printf '#!/bin/sh\n[ "$1" = bound ] && echo "lease $ip $router"\nexit 0\n' >"$dir/lease.sh"
chmod +x "$dir/lease.sh"
for mac in "$@"; do
    ip -n $nc link set $vc down && ip -n $nc link set $vc address "$mac" && ip -n $nc link set $vc up ||
        fail "setting the client's MAC $mac failed"
    lease=$(timeout 60 ip netns exec $nc busybox udhcpc -i $vc -n -q -f -t 20 -T 2 -s "$dir/lease.sh" \
        2>>"$dir/udhcpc.log" | grep '^lease ' | tail -1)
    [ -n "$lease" ] || fail "no lease for $mac: $(tail -5 "$dir/udhcpc.log")"
    echo "$mac ${lease#lease }"
done
