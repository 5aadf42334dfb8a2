#!/usr/bin/env bash
# Install stage: the menu entry and metadata validate, the man page renders cleanly, a prefix
# install runs from another folder, the launcher hands demo paths over, and the Debian package
# holds everything and passes lintian. Builds on build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh desktop-file-utils appstream lintian man-db dpkg-dev binutils file
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" >/dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

echo "-- menu entry, metadata and man page"
appstreamcli validate --no-net packaging/*.metainfo.xml
for page in packaging/foldbot.6 tools/solve/foldbot-solve.6; do
  MANWIDTH=80 man --warnings -l "$page" >/dev/null 2>"$tmp/man.err"
  [ ! -s "$tmp/man.err" ] || fail "$page warnings: $(cat "$tmp/man.err")"
done

# Every file either way of installing must bring, relative to the prefix.
files=(games/foldbot games/foldbot-solve libexec/foldbot/foldbot
       share/foldbot/img/{title,tooth,bot,loose,glyphs}.bmp
       share/foldbot/snd/{goof,robot_wars,lurm,down}.ogg
       share/applications/org.foldbot.foldbot.desktop
       share/metainfo/org.foldbot.foldbot.metainfo.xml
       share/icons/hicolor/{64x64,128x128}/apps/foldbot.png
       share/man/man6/foldbot.6.gz share/man/man6/foldbot-solve.6.gz
       share/doc/foldbot/copyright share/doc/foldbot/changelog.gz share/doc/foldbot/levels.md)
# Both packs, as they stand in the source.
for map in levels/*.map levels/challenge/*.map; do [ -e "$map" ] && files+=("share/foldbot/$map"); done

echo "-- the generated pictures and tracks are the same bytes on every run"
mkdir "$tmp/assets"
generator=$PWD/build/tools/assets/foldbot_assets
(cd "$tmp/assets" && "$generator" >/dev/null) || fail "asset generator"
for f in img/{title,tooth,bot,loose,glyphs}.bmp snd/{goof,robot_wars,lurm,down}.ogg; do
  cmp -s "$tmp/assets/$f" "build/$f" || fail "$f differs between runs of the generator"
done

echo "-- install into a prefix with a space in its path"
prefix="$tmp/my games/usr"
cmake --install build --prefix "$prefix" >/dev/null
for f in "${files[@]}"; do [ -f "$prefix/$f" ] || fail "not installed: $f"; done
for size in 64 128; do
  # PNG width and height, big-endian, at bytes 16 to 23.
  dims=$(od -An -tu1 -j16 -N8 "$prefix/share/icons/hicolor/${size}x$size/apps/foldbot.png" | xargs)
  [ "$dims" = "0 0 0 $size 0 0 0 $size" ] || fail "icon ${size}x$size has size bytes $dims"
done

desktop=$prefix/share/applications/org.foldbot.foldbot.desktop
desktop-file-validate "$desktop"

echo "-- the menu entry's command, run from another folder, finds everything and quits on SIGTERM"
# For this path (a space, no quotes) the entry quotes as the shell does.
exec_line=$(sed -n '1,/^\[Desktop Action/ s/^Exec=//p' "$desktop")
eval "command=($exec_line)"
[ "${command[*]}" = "$prefix/games/foldbot" ] || fail "menu entry runs ${command[*]}"
# The practice action starts the same launcher with --practice.
action_exec=$(sed -n '/^\[Desktop Action practice\]/,/^$/ s/^Exec=//p' "$desktop")
eval "action=($action_exec)"
[ "${action[*]}" = "$prefix/games/foldbot --practice" ] || fail "practice action runs ${action[*]}"
# The level pack action, with --practice too.
pack_exec=$(sed -n '/^\[Desktop Action pack\]/,/^$/ s/^Exec=//p' "$desktop")
eval "pack=($pack_exec)"
[ "${pack[*]}" = "$prefix/games/foldbot --pack --practice" ] || fail "level pack action runs ${pack[*]}"
mkdir "$tmp/elsewhere"
game=$(readlink -f "$prefix/libexec/foldbot/foldbot")
(cd "$tmp/elsewhere" && exec "${command[@]}" >"$tmp/out" 2>&1) &
pid=$!
# SDL turns SIGTERM into a quit event only once it has its handler in place.
ready=
for _ in $(seq 600); do
  caught=$(awk '/^SigCgt/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
  if [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$game" ] && (( 0x${caught:-0} >> 14 & 1 )); then
    ready=1
    break
  fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$ready" ] || echo "the game never caught SIGTERM; sending it anyway"
kill -TERM "$pid" 2>/dev/null || true
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "game exit status $status: $(cat "$tmp/out")"
[ ! -s "$tmp/out" ] || fail "game printed: $(cat "$tmp/out")"

echo "-- the installed game finds both packs of levels from any folder"
if compgen -G "levels/*.map" >/dev/null; then
  (cd "$tmp/elsewhere" && "$prefix/games/foldbot" --levels >"$tmp/levels.out") ||
    fail "--levels: $(cat "$tmp/levels.out")"
  # Paths the player can open from where they are, not the data folder's relative ones.
  data=$(cd "$prefix/share/foldbot" && pwd -P)
  [ "$(grep -cF " $data/levels/" "$tmp/levels.out")" -eq "$(ls levels/*.map levels/*/*.map | wc -l)" ] ||
    fail "--levels lists: $(cat "$tmp/levels.out")"
fi

echo "-- the installed solver runs on its own, from another folder, on a map file"
(cd "$tmp/elsewhere" && "$prefix/games/foldbot-solve" --export level1 >level1.map &&
  "$prefix/games/foldbot-solve" --fast level1.map >"$tmp/solve.out") ||
  fail "installed solver: $(cat "$tmp/solve.out" 2>/dev/null)"
grep -q '^level1.map: 47 steps' "$tmp/solve.out" || fail "installed solver: $(tail -1 "$tmp/solve.out")"
# Tuned for no processor but the architecture's baseline: AVX and later are not assumed.
if objdump -d --no-show-raw-insn "$prefix/games/foldbot-solve" | grep -qE '\b(vpbroadcast|vzeroupper|vmovdq[au])'; then
  fail "the installed solver uses AVX instructions"
fi

echo "-- the launcher makes demo and map files absolute and passes everything else through"
cat >"$prefix/libexec/foldbot/foldbot" <<'FAKE'
#!/bin/sh
pwd -P
printf '%s\n' "$@"
FAKE
# Through a symlink on another PATH folder, as a player might add it.
mkdir "$tmp/bin"
ln -s "$prefix/games/foldbot" "$tmp/bin/foldbot"
here="$tmp/elsewhere"
(cd "$here" && PATH="$tmp/bin:$PATH" foldbot --fast --record my.demo --replay /abs/x.demo \
  --walkthrough --replay "sub dir/y.demo" "with space" --map a.map --map /b.map --practice \
  --record=z.demo --map=c.map --replay=/abs/w.demo --map= --help --record) >"$tmp/args"
expected=("$(cd "$prefix/share/foldbot" && pwd -P)" --fast --record "$here/my.demo" --replay
          /abs/x.demo --walkthrough --replay "$here/sub dir/y.demo" "with space" --map
          "$here/a.map" --map /b.map --practice --record="$here/z.demo" --map="$here/c.map"
          --replay=/abs/w.demo --map= --help --record)
diff <(printf '%s\n' "${expected[@]}") "$tmp/args" || fail "launcher arguments"

echo "-- Debian package"
rm -f build/package/foldbot_*.deb
(cd build && cpack -G DEB) >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; fail "cpack"; }
deb=$(ls build/package/foldbot_*.deb)
dpkg-deb --contents "$deb" | awk '{print $6}' >"$tmp/contents"
for f in "${files[@]}"; do grep -qx "./usr/$f" "$tmp/contents" || fail "not in the package: $f"; done
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/org.foldbot.foldbot.desktop \
  >"$tmp/package.desktop"
grep -qx 'Exec=/usr/games/foldbot' "$tmp/package.desktop" || fail "package's menu entry command"
grep -qx 'Exec=/usr/games/foldbot --practice' "$tmp/package.desktop" || fail "package's practice action"
grep -qx 'Exec=/usr/games/foldbot --pack --practice' "$tmp/package.desktop" || fail "package's pack action"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/games/foldbot-solve >"$tmp/package-solve"
file "$tmp/package-solve" | grep -q ', stripped' || fail "the packaged solver is not stripped"
desktop-file-validate "$tmp/package.desktop"
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
[[ $depends == *libsdl1.2debian* && $depends == *libsdl-mixer1.2* ]] || fail "SDL libraries missing"
[[ $depends != *-dev* ]] || fail "depends on a -dev package"
[ "$(dpkg-deb --field "$deb" Section)" = games ] || fail "section is not games"
# Errors fail the stage; warnings are shown.
status=0
lintian --fail-on error --display-level '>=warning' "$deb" >"$tmp/lintian" 2>&1 || status=$?
grep -v 'root privileges' "$tmp/lintian" || true
[ "$status" -eq 0 ] || fail "lintian reports errors"
echo "install stage passed"
