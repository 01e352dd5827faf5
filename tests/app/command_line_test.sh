#!/usr/bin/env bash
# The command line in a terminal without any display: no X server, no Wayland, no Qt platform
# chosen. The usage and the version must answer and exit as a command-line program does; the usage,
# the errors and the commands' answers are in the user's language: Chinese where it is Chinese
# (LANGUAGE, or LC_ALL, LC_MESSAGES or LANG), English elsewhere.
#   command_line_test.sh <zandrel> <version> <work-dir>
set -euo pipefail
zandrel=$1 version=$2 work=$3
fail() { echo "FAIL: $*"; exit 1; }
mkdir -p "$work"
source "$(dirname "$0")/../support/chinese_locale.sh"
use_chinese_locale "$work/locale"

# Folders of the test's own: no running Zandrel is found in the user's runtime folder.
rm -rf "${work:?}/runtime" "$work/config" "$work/data"
mkdir -p -m 0700 "$work/runtime" "$work/config" "$work/data"
# `run <locale settings> <arguments>`: the program with only the row's locale variables set.
run() {
  local settings=$1; shift
  # shellcheck disable=SC2086 # the settings are words: NAME=value ...
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG \
    XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    $settings "$zandrel" "$@" 2>&1
}
# `expect_status <status> <what> <out>`: the last run's status was <status>.
status=0
expect_status() { [ "$status" -eq "$1" ] || fail "$2 exited with $status: $3"; }

# What each language says: the usage's heading, an error of the command-line parser, one of the
# program's own errors, and the answer of a command that finds no Zandrel running.
declare -A usage=([en]="Usage: " [zh]="用法：")
declare -A unknown=([en]="zandrel: Unknown option 'no-such-option'." [zh]="zandrel: 未知选项“no-such-option”。")
declare -A not_room=([en]="zandrel: not a room number: abc" [zh]="zandrel: 不是房间号：abc")
declare -A two=([en]="zandrel: one of --show, --toggle-lock, --connect and --disconnect at a time"
                [zh]="zandrel: --show、--toggle-lock、--connect 和 --disconnect 一次只能用一个")
declare -A none=([en]="zandrel: no Zandrel is running" [zh]="zandrel: 没有运行中的 Zandrel")

# locale settings | language
while IFS='|' read -r settings language; do
  row="under $settings"
  status=0; out=$(run "$settings" --help) || status=$?
  expect_status 0 "--help $row" "$out"
  [[ $out == *"${usage[$language]}"*zandrel* ]] || fail "--help $row printed no usage in $language: $out"
  [[ $out == *"--lookup-host"* && $out == *"--toggle-lock"* ]] || fail "--help $row lacks options: $out"
  [[ $out != *"<executable_name>"* ]] || fail "--help $row does not name the program: $out"
  # Qt warns on standard error when the locale it is given does not exist.
  [[ $out != *"Detected locale"* ]] || fail "--help $row ran without its locale: $out"
  # Every option's help in the language: in Chinese none is left in English, and the other way.
  options=$(grep -E '^ ' <<<"$out") || fail "--help $row lists no options: $out"
  if [ "$language" = zh ]; then
    english=$(grep -E '^ +-' <<<"$options" | LC_ALL=C grep -vE '[^ -~]' || true)
    [ -z "$english" ] || fail "options whose help is English $row (translate them in app/i18n/zandrel_zh_CN.ts):
$english"
    # A Chinese character takes two columns, which Qt's wrapping does not know: the translations
    # break their own lines, to fit a terminal 80 columns wide.
    width=$(LC_ALL=zh_CN.UTF-8 wc -L <<<"$options")
    [ "$width" -le 80 ] || fail "the options' help $row is $width columns wide (break the line in the .ts file):
$options"
  else
    LC_ALL=C grep -qE '[^ -~]' <<<"$out" && fail "--help $row is not all English: $out"
  fi

  status=0; out=$(run "$settings" --version) || status=$?
  expect_status 0 "--version $row" "$out"
  [ "$out" = "zandrel $version" ] || fail "--version $row printed: $out"

  # Each error names what was wrong, in the language, and ends with status 2: the parser's own, and
  # the program's, before the GUI starts.
  while read -r arguments; do
    case $arguments in
      *no-such-option*) want=${unknown[$language]} ;;
      *abc*) want=${not_room[$language]} ;;
      *) want=${two[$language]} ;;
    esac
    # shellcheck disable=SC2086 # the arguments are words
    status=0; out=$(run "$settings" $arguments) || status=$?
    expect_status 2 "'$arguments' $row" "$out"
    [ "$out" = "$want" ] || fail "'$arguments' $row printed: $out"
  done <<'ARGUMENTS'
--help --no-such-option
--connect abc
--show --disconnect
ARGUMENTS

  # A command for the running Zandrel, when none runs.
  status=0; out=$(run "$settings" --toggle-lock) || status=$?
  expect_status 1 "--toggle-lock with none running $row" "$out"
  [ "$out" = "${none[$language]}" ] || fail "--toggle-lock with none running $row printed: $out"
done <<'TABLE'
LANG=C|en
LANG=C.UTF-8|en
LC_ALL=C LANG=zh_CN.UTF-8|en
LANG=zh_CN.UTF-8|zh
LC_MESSAGES=zh_CN.UTF-8 LANG=C.UTF-8|zh
LANGUAGE=zh_CN LANG=C.UTF-8|zh
TABLE

# What was typed reaches the terminal without its control characters.
status=0; out=$(run LANG=C.UTF-8 --connect $'1\e]0;x\a') || status=$?
expect_status 2 "a room with escapes" "$out"
[ "$out" = 'zandrel: not a room number: 1\x1b]0;x\x07' ] || fail "a room with escapes printed: $out"

echo "PASS: the usage, the version and the errors without a display, in English and in Chinese"
