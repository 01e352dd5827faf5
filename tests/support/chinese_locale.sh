# Sourced by a test that runs programs as a Chinese user does, under LANG=zh_CN.UTF-8. A system
# without that locale gets one of the test's own, made from the package locales' sources into
# <folder> and used through LOCPATH: no root needed, and the system's locales stay as they are.
# Without the locale, the C library would fall back to plain ASCII, which no Chinese user runs.
#   use_chinese_locale <folder>
use_chinese_locale() {
  local folder=$1
  if locale -a 2>/dev/null | grep -qixE 'zh_CN\.utf-?8'; then
    return 0
  fi
  if [ ! -f "$folder/zh_CN.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$folder"
    localedef -i zh_CN -f UTF-8 "$folder/zh_CN.UTF-8" ||
      { echo "FAIL: cannot make the zh_CN.UTF-8 locale (install the package locales)"; return 1; }
  fi
  export LOCPATH=$folder
}
