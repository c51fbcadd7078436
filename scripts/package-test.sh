#!/usr/bin/env bash
# Builds the Debian package and checks it as a user would meet it: lintian
# and the desktop validators; installed with apt-get, every command answers
# --version, veltranix-replay follows a generated face video and the program
# runs 20 s on its demo video under a private Xvfb as an ordinary user, its
# own folder left untouched; removed, nothing of it stays under /usr while
# the user's settings and macros do. Installs and removes the package, so it
# runs as root (as CI does) or through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
apt_get() {
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=300 -y -qq "$@"
}
fail() {
  echo "package test: $*" >&2
  exit 1
}

bash scripts/package.sh
deb=$(ls "$PWD"/build/release/veltranix_*_amd64.deb)
version=$(dpkg-deb -f "$deb" Version)
echo "package: $deb ($(du -h "$deb" | cut -f1))"
echo "depends: $(dpkg-deb -f "$deb" Depends)"

work=$(mktemp -d)
chmod 755 "$work"
cleanup() {
  [ -z "${program_pid:-}" ] || kill "$program_pid" 2>/dev/null || true
  [ -z "${xvfb_pid:-}" ] || kill "$xvfb_pid" 2>/dev/null || true
  if dpkg-query -W -f='${Status}' veltranix 2>/dev/null | grep -q 'install ok installed'; then
    apt_get remove veltranix >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== lintian"
lintian --fail-on error "$deb" || fail "lintian reports errors"
dpkg-deb -x "$deb" "$work/unpacked"
desktop-file-validate "$work/unpacked/usr/share/applications/org.veltranix.Veltranix.desktop" ||
  fail "the desktop entry is not valid"
appstreamcli validate --no-net \
  "$work/unpacked/usr/share/metainfo/org.veltranix.Veltranix.metainfo.xml" ||
  fail "the metainfo is not valid"

# A user of our own, as the desktop has one: not root, so the installed
# folder is read-only for it.
user_home="$work/home"
mkdir -p "$user_home"
chown nobody: "$user_home"
as_user() {
  "${as_root[@]}" runuser -u nobody -- env -i -C "$user_home" PATH=/usr/bin:/bin HOME="$user_home" \
    XDG_CONFIG_HOME="$user_home/.config" XDG_DATA_HOME="$user_home/.local/share" \
    DISPLAY="${DISPLAY:-}" "$@"
}

find /usr -iname '*veltranix*' | sort >"$work/usr-before"
echo "== apt-get install"
apt_get install "$deb" >/dev/null
[ "$(readlink -f /usr/bin/veltranix-store)" = /usr/lib/veltranix/veltranix-store ] ||
  fail "veltranix-store is not the installed one"

for command in veltranix veltranix-replay veltranix-send veltranix-store; do
  answer=$(as_user "$command" --version)
  [ "$answer" = "$command $version" ] || fail "$command --version says \"$answer\""
done
echo "every command: $version"

# The face video the build generated from the test photograph (tools/make_demo_video).
echo "== veltranix-replay on a generated face video"
cp build/release/veltranix/demo/demo.y4m "$work/face.y4m"
chmod 644 "$work/face.y4m"
summary=$(as_user veltranix-replay --video "$work/face.y4m" --config-dir "$user_home/replay" \
  --frames 250)
echo "$summary" | grep -q '^frames: 250$' || fail "replay: $summary"
echo "$summary" | grep -q '^calibrated at frame: [0-9]' || fail "replay did not calibrate: $summary"
echo "$summary" | grep -E '^(frames|calibrated)'

echo "== veltranix --demo, 20 s under Xvfb"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
as_user dbus-run-session -- veltranix --demo >"$work/program.out" 2>&1 &
program_pid=$!
sleep 20
program=$(pgrep -u nobody -x veltranix || true)
[ -n "$program" ] || { cat "$work/program.out"; fail "the program did not keep running"; }
[ "$(readlink "/proc/$program/exe")" = /usr/lib/veltranix/veltranix ] ||
  fail "the running program is not the installed one"
kill -TERM "$program"
wait "$program_pid" || { cat "$work/program.out"; fail "the program ended with an error"; }
program_pid=
kill "$xvfb_pid"
xvfb_pid=

store="$user_home/.config/veltranix/settings.store"
grep -qF '@=text:"/usr/lib/veltranix"' "$store" ||
  fail "the store does not record the installed folder: $(cat "$store")"
[ -d "$user_home/.local/share/veltranix/Macros" ] || fail "no Macros folder in the user's data folder"
leftovers=$(comm -23 <(find /usr/lib/veltranix | sort) <(dpkg -L veltranix | sort))
[ -z "$leftovers" ] || fail "the program wrote into its installed folder: $leftovers"
echo "the program ran 20 s; settings and macros in the user's folders"

echo "== apt-get remove"
apt_get remove veltranix >/dev/null
find /usr -iname '*veltranix*' | sort >"$work/usr-after"
diff "$work/usr-before" "$work/usr-after" || fail "left under /usr after removal (lines with >)"
while read -r path; do
  if [ -L "/$path" ] || { [ -e "/$path" ] && [ ! -d "/$path" ]; }; then
    fail "left after removal: /$path"
  fi
done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./||')
[ -f "$store" ] && [ -d "$user_home/.local/share/veltranix/Macros" ] ||
  fail "the user's settings or macros went with the package"
echo "package test passed: installed, ran and removed cleanly"
