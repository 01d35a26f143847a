# Sourced by the CLI shell tests (`. "$(dirname "$0")/support.bash" "$1"`): the program as
# $cli, a work folder removed at exit, the failure count and the checks they share.
set -u
cli="$(realpath "$1")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fails=0
# Under the sanitizers, fontconfig's process-lifetime configuration is not a leak of ours.
export LSAN_OPTIONS="suppressions=$(dirname "${BASH_SOURCE[0]}")/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
run() { "$cli" --data-dir "$work/data" "$@"; }
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
check() {  # check DESCRIPTION COMMAND...: the command must succeed
  local what="$1"; shift
  "$@" >"$work/out" 2>"$work/err" || { fail "$what"; cat "$work/err"; }
}
refuse() {  # refuse DESCRIPTION EXITCODE MESSAGE COMMAND...: that code, that message, one line
  local what="$1" code="$2" msg="$3"; shift 3
  "$@" >"$work/out" 2>"$work/err"; local rc=$?
  [[ $rc -eq $code ]] || { fail "$what: exit $rc, expected $code"; cat "$work/err"; return; }
  grep -qF -- "$msg" "$work/err" || { fail "$what: message"; cat "$work/err"; }
  [[ $(wc -l <"$work/err") -eq 1 ]] || { fail "$what: not one line"; cat "$work/err"; }
}
expect() {  # expect WHAT PATTERN...: every pattern (grep) is in the last command's output
  local what="$1" p; shift
  for p in "$@"; do grep -q -- "$p" "$work/out" || fail "$what: no \"$p\""; done
}
# The data folder the test run set up (prepare_data_folder.sh), as hard links: the program
# replaces files by renaming, never rewrites them.
copy_data_folder() {
  cp -al "$VT_TEST_DATA_FOLDER" "$work/data" 2>/dev/null || { rm -rf "$work/data"; cp -r "$VT_TEST_DATA_FOLDER" "$work/data"; }
}
finish() {  # finish NAME: says so when every check passed; the exit status
  [[ $fails -eq 0 ]] && echo "$1: all checks passed"
  exit $((fails > 0))
}
