#!/usr/bin/env bash
# Every option of every command, as `COMMAND --help` lists it from the option
# table, is in the overall --help and in the manual page under that command.
. "$(dirname "$0")/support.bash" "$1"
man="$(dirname "$0")/../../docs/vantorel-cli.1"
overall="$("$cli" --help)"
commands=$(sed -n '1,/^Global options/s/^\([a-z]\+\) .*/\1/p' <<<"$overall")
[[ $(wc -w <<<"$commands") -ge 12 ]] || { echo "FAIL: --help lists too few commands: $commands"; exit 1; }
for c in $commands; do
  section=$(awk -v c="$c" '/^\.S[SH] / { on = ($2 == c) } on' "$man")
  [[ -n "$section" ]] || fail "the manual page has no section for $c"
  for o in $("$cli" "$c" --help | sed -n '/^Options:/,/^$/s/^  \(-[^ ,]*\)\(, \(--[^ ]*\)\)\?.*/\1 \3/p'); do
    grep -qF -- "${o//-/\\-}\\fR" <<<"$section" || fail "$c $o missing from the manual page"
    grep -qE -- "^  (-., )?$o( |,|$)" <<<"$overall" || fail "$c $o missing from --help"
  done
done
finish options
