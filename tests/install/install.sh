#!/usr/bin/env bash
# cmake --install into a temporary prefix: every file a desktop installs is
# there and valid, the installed vantorel-cli works from the prefix with its
# data found beside it, and a second start of the installed desktop program
# hands its project to the first.
# Usage: install.sh BUILD_FOLDER
set -u
build="$1"
work="$(mktemp -d)"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"; }
trap cleanup EXIT
fails=0
export LSAN_OPTIONS="suppressions=$(dirname "$0")/../cli/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { fail "cmake --install"; cat "$work/install.log"; exit 1; }

id=org.vantorel.Vantorel
for f in bin/vantorel-cli share/vantorel/data/dmo_box_001.bmp \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/mime/packages/$id.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/scalable/mimetypes/application-x-vantorel-project.svg \
         share/man/man1/vantorel.1.gz share/man/man1/vantorel-cli.1.gz share/doc/vantorel/copyright share/doc/vantorel/changelog.gz share/doc/vantorel/manual/index.html share/bash-completion/completions/vantorel-cli; do
  [[ -s "$prefix/$f" ]] || fail "not installed: $f"
done
if [[ -x "$build/src/ui/vantorel" ]]; then
  [[ -x "$prefix/bin/vantorel" ]] || fail "desktop program not installed"
  for size in 16 32 48 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [[ -s "$png" ]] || { fail "no ${size}px icon"; continue; }
    # PNG header: width and height are the big-endian words at bytes 16 and 20.
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3*256+$4 "x" $7*256+$8 }')
    [[ "$dims" == "${size}x${size}" ]] || fail "${size}px icon is $dims"
  done
fi

# The desktop files pass the freedesktop checkers where they are installed.
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/$id.desktop" >"$work/v.out" 2>&1 ||
    { fail "desktop-file-validate"; cat "$work/v.out"; }
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$work/v.out" 2>&1 ||
    { fail "appstreamcli validate"; cat "$work/v.out"; }
fi
# The project type is known by its extension and by its signature words.
if command -v update-mime-database >/dev/null; then
  mime="$work/mime"
  mkdir -p "$mime/mime/packages"
  cp "$prefix/share/mime/packages/$id.xml" "$mime/mime/packages/"
  update-mime-database "$mime/mime" >/dev/null 2>&1 || fail "update-mime-database"
  grep -q "application/x-vantorel-project" "$mime/mime/globs2" || fail "no glob for .vtp"
  grep -q "application/x-vantorel-project" "$mime/mime/magic" || fail "no magic for the project signature"
fi

# The installed command-line program runs from the prefix and finds its data there.
# It resumes the test run's set-up data folder (a whole first run is the DataFolder fixture's)
# with what a setup copies from the installed data taken away: the installed setup must find
# the thumbnails, textures and picture library beside itself.
cli="$prefix/bin/vantorel-cli"
data="$work/data"
cp -al "$VT_TEST_DATA_FOLDER" "$data" 2>/dev/null || { rm -rf "$data"; cp -r "$VT_TEST_DATA_FOLDER" "$data"; }
sed -i 's/^Template=1/Template=0/' "$data/internal/vtwin.ini"  # sed writes a new file: the shared one stays
rm -f "$data"/internal/{dmo,dtx,dck,dcx}_*.bmp "$data/internal/vudarivu.ini"
"$cli" --data-dir "$data" -q setup >"$work/out" 2>"$work/err" || { fail "installed setup"; cat "$work/err"; }
[[ -s "$data/internal/dmo_bic_032.bmp" && -s "$data/internal/dtx_paper.bmp" ]] || fail "installed data not copied"
grep -qs "^Backgrounds=library/Backgrounds/" "$data/internal/vudarivu.ini" || fail "no picture library list"
if grep -rqs -- "$build" "$data/internal/vudarivu.ini"; then
  fail "the picture library list points into the build folder"
fi
"$cli" --data-dir "$data" new "Software Box" -o "$work/box.vtp" >"$work/out" 2>"$work/err" ||
  { fail "installed new"; cat "$work/err"; }
"$cli" --data-dir "$data" render "$work/box.vtp" -o "$work/box.png" >"$work/out" 2>"$work/err" ||
  { fail "installed render"; cat "$work/err"; }
[[ -s "$work/box.png" ]] || fail "installed render wrote no picture"
# A print PDF opens the dieline module installed beside the program, not the build's.
LD_DEBUG=files "$cli" --data-dir "$data" export "$work/box.vtp" -o "$work/box.pdf" >"$work/out" 2>"$work/err" ||
  { fail "installed export"; cat "$work/err"; }
grep -q "file=$prefix/lib/vantorel/modules/dieline-pdf.so " "$work/err" || fail "the installed dieline module was not opened"
grep -aq "/Type ?/OCG" -E "$work/box.pdf" || fail "the installed export has no dieline layer"

# A second start with a project hands it to the first, which opens it (and
# lists it among its recent files) while the second ends at once.
gui="$prefix/bin/vantorel"
if [[ -x "$gui" && -s "$work/box.vtp" ]]; then
  export QT_QPA_PLATFORM=offscreen
  "$gui" --data-dir "$data" >"$work/first.out" 2>&1 &
  pids+=($!)
  # Ready once it listens on its local socket (ss lists the listener with its pid).
  for _ in $(seq 1 300); do
    if command -v ss >/dev/null; then
      ss -xlp 2>/dev/null | grep -q "pid=${pids[0]}," && break
    fi
    sleep 0.1
  done
  timeout 20 "$gui" --data-dir "$data" "$work/box.vtp" >"$work/second.out" 2>&1
  [[ $? -eq 0 ]] || { fail "second start did not end by handing over"; cat "$work/second.out"; }
  kill -0 "${pids[0]}" 2>/dev/null || fail "the first instance ended"
  opened=0
  for _ in $(seq 1 100); do
    grep -qs "box.vtp" "$data/internal/recent.ini" && { opened=1; break; }
    sleep 0.1
  done
  [[ $opened -eq 1 ]] || fail "the first instance did not open the handed-over project"
fi

[[ $fails -eq 0 ]] && echo "install: all checks passed"
exit $fails
