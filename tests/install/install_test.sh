#!/usr/bin/env bash
# The installed program: the build is installed into a fresh prefix, made read-only, and the
# installed velmora-cli run for a user with a fresh home and data folder.
#   install_test.sh BUILD_DIR VERSION CASE
# CASE: first-start   the user's database is made in the data folder, written there, used again by the
#                     next run; the shipped files and the prefix stay as installed
#       existing      a user's database already there is used, never replaced
#       newer-layout  a shipped database of a later layout is told in Chinese; the user's file stays
#       version       velmora-cli --version prints the project's version
#       layout        the installed tree holds the programs, the shipped files, the desktop entry,
#                     the icons, the manual pages and the Debian documents
set -euo pipefail
build="$1"
version="$2"
case_name="$3"

work="$(mktemp -d)"
cleanup() { chmod -R u+w "$work" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
share="$prefix/share/velmora"
cli="$prefix/bin/velmora-cli"

export HOME="$work/home"
export XDG_DATA_HOME="$work/home/data"
mkdir -p "$HOME"
data="$XDG_DATA_HOME/Tarnwick/Velmora"

fail() {
  echo "FAILED: $*" >&2
  exit 1
}
sha() { sha256sum "$1" | cut -d' ' -f1; }
# Runs the installed command line; its output lands in $work/out and $work/err.
cli() {
  local code=0
  "$cli" "$@" >"$work/out" 2>"$work/err" || code=$?
  return "$code"
}
seal() {
  chmod -R a-w "$prefix"
  touch "$work/sealed"
  shipped_hash="$(sha "$share/2012Velmora.mdb")"
}
# The prefix holds nothing new and the shipped database is the one installed.
check_prefix_untouched() {
  [ "$(sha "$share/2012Velmora.mdb")" = "$shipped_hash" ] || fail "the shipped database changed"
  local changed
  changed="$(find "$prefix" -newer "$work/sealed" | head -5)"
  [ -z "$changed" ] || fail "written into the installed tree: $changed"
}

case "$case_name" in
  first-start)
    seal
    [ ! -e "$data" ] || fail "data folder exists before the first start"
    cli info || fail "first run: $(cat "$work/err")"
    grep -qx 'records: 0' "$work/out" || fail "first run printed: $(cat "$work/out")"
    [ -f "$data/2012Velmora.mdb" ] || fail "no user database in $data"
    cli sql "update ct_label set db_name = '安装测试'" || fail "write: $(cat "$work/err")"
    cli groups add --name 第一组 --item "甲,>=,1,<,100" || fail "groups add: $(cat "$work/err")"
    before="$(sha "$data/2012Velmora.mdb")"
    cli info || fail "second run: $(cat "$work/err")"
    grep -qx 'label: 安装测试' "$work/out" || fail "second run read another database: $(cat "$work/out")"
    cli groups list || fail "groups list: $(cat "$work/err")"
    grep -q '第一组' "$work/out" || fail "the group is gone: $(cat "$work/out")"
    [ "$(sha "$data/2012Velmora.mdb")" = "$before" ] || fail "reading changed the user's database"
    [ -z "$(cat "$work/err")" ] || fail "unexpected messages: $(cat "$work/err")"
    # A package read back goes through a working copy of the intake: in the data folder, not the tree.
    cli package export --out "$work/unit.dat" --label 安装测试 || fail "package export: $(cat "$work/err")"
    cli package info "$work/unit.dat" || fail "package info: $(cat "$work/err")"
    grep -qx 'manifest: ok' "$work/out" || fail "package info printed: $(cat "$work/out")"
    # Only the database (and no work file) is left in the data folder.
    [ "$(ls -A "$data")" = "2012Velmora.mdb" ] || fail "left in the data folder: $(ls -A "$data")"
    check_prefix_untouched
    ;;
  existing)
    mkdir -p "$data"
    cp "$share/2012Velmora.mdb" "$data/2012Velmora.mdb"
    chmod u+w "$data/2012Velmora.mdb"
    "$cli" --db "$data/2012Velmora.mdb" sql "update ct_label set db_name = '用户自己的'" >/dev/null
    seal
    mine="$(sha "$data/2012Velmora.mdb")"
    cli info || fail "run: $(cat "$work/err")"
    grep -qx 'label: 用户自己的' "$work/out" || fail "the user's database was not used: $(cat "$work/out")"
    [ "$(sha "$data/2012Velmora.mdb")" = "$mine" ] || fail "the user's database was replaced"
    check_prefix_untouched
    ;;
  newer-layout)
    mkdir -p "$data"
    cp "$share/2012Velmora.mdb" "$data/2012Velmora.mdb"
    chmod u+w "$data/2012Velmora.mdb"
    "$cli" --db "$data/2012Velmora.mdb" sql "update ct_label set db_name = '旧结构'" >/dev/null
    # The next release ships a database whose layout is later.
    sqlite3 "$share/2012Velmora.mdb" "PRAGMA user_version = 2"
    seal
    mine="$(sha "$data/2012Velmora.mdb")"
    cli info || fail "run: $(cat "$work/err")"
    grep -q '软件自带的数据库比您的数据库' "$work/err" || fail "no message of the later layout: $(cat "$work/err")"
    grep -q '没有被替换' "$work/err" || fail "the message does not say the file stays: $(cat "$work/err")"
    grep -qx 'label: 旧结构' "$work/out" || fail "the user's database was not used: $(cat "$work/out")"
    [ "$(sha "$data/2012Velmora.mdb")" = "$mine" ] || fail "the user's database was replaced"
    check_prefix_untouched
    ;;
  version)
    seal
    cli --version || fail "--version failed: $(cat "$work/err")"
    [ "$(cat "$work/out")" = "velmora-cli $version" ] || fail "--version printed: $(cat "$work/out")"
    [ ! -e "$data" ] || fail "--version made the data folder"
    ;;
  layout)
    for f in bin/velmora bin/velmora-cli share/velmora/2012Velmora.mdb share/velmora/view.dll \
             share/velmora/2012打印表.xltx share/velmora/2012基层表汇总表.xltx share/velmora/sumtable.vm \
             share/velmora/exporttable.vm share/applications/velmora.desktop \
             share/icons/hicolor/scalable/apps/velmora.svg share/man/man1/velmora.1.gz \
             share/man/man1/velmora-cli.1.gz share/doc/velmora/copyright share/doc/velmora/changelog.Debian.gz; do
      [ -f "$prefix/$f" ] || fail "missing $f"
    done
    for size in 16 22 24 32 48 64 128 256; do
      [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/velmora.png" ] || fail "missing the ${size} icon"
    done
    [ -n "$(ls "$share/notes")" ] || fail "no page notes"
    cmp -s <(cd "$build/bin/notes" && ls) <(cd "$share/notes" && ls) || fail "the page notes differ from the build's"
    if command -v desktop-file-validate >/dev/null; then
      desktop-file-validate "$prefix/share/applications/velmora.desktop" || fail "the desktop entry is not valid"
    fi
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
echo "install $case_name: passed"
