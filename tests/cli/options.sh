#!/usr/bin/env bash
# Every option of every command, as `COMMAND --help` lists it from the option
# table, is in the overall --help and in the manual page under that command.
set -u
cli="$1"
man="$(dirname "$0")/../../docs/vantorel-cli.1"
fails=0
overall="$("$cli" --help)"
commands=$(sed -n '1,/^Global options/s/^\([a-z]\+\) .*/\1/p' <<<"$overall")
[[ $(wc -w <<<"$commands") -ge 12 ]] || { echo "FAIL: --help lists too few commands: $commands"; exit 1; }
for c in $commands; do
  section=$(awk -v c="$c" '/^\.S[SH] / { on = ($2 == c) } on' "$man")
  [[ -n "$section" ]] || { echo "FAIL: the manual page has no section for $c"; fails=$((fails + 1)); }
  for o in $("$cli" "$c" --help | sed -n '/^Options:/,/^$/s/^  \(-[^ ,]*\)\(, \(--[^ ]*\)\)\?.*/\1 \3/p'); do
    grep -qF -- "${o//-/\\-}\\fR" <<<"$section" || { echo "FAIL: $c $o missing from the manual page"; fails=$((fails + 1)); }
    grep -qE -- "^  (-., )?$o( |,|$)" <<<"$overall" || { echo "FAIL: $c $o missing from --help"; fails=$((fails + 1)); }
  done
done
exit $((fails > 0))
