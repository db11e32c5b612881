#!/usr/bin/env bash
# The Windows tools print the same bytes as the Linux tools for the same
# input, and zan-reg.exe round-trips a .reg file through the real registry.
#
# usage: same_output_test.sh LINUX_TOOLS WINE_TOOLS SOURCE_DIR
# LINUX_TOOLS holds zan-tbd, zan-reg, zan-mail; WINE_TOOLS holds scripts of
# the same names that run the .exe files under Wine.
set -u
linux=$1 windows=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# run DIR OUT TOOL ARGS...: the exit code, standard output and standard
# error of one run, in OUT.code, OUT.out and OUT.err.
run() {
  local dir=$1 out=$2 tool=$3
  shift 3
  "$dir/$tool" "$@" >"$out.out" 2>"$out.err" </dev/null
  echo $? >"$out.code"
}

# same TOOL ARGS...: both forms answer alike.
same() {
  run "$linux" "$work/l" "$@"
  run "$windows" "$work/w" "$@"
  local part
  for part in code out err; do
    if ! cmp -s "$work/l.$part" "$work/w.$part"; then
      echo "FAIL: $* differs in standard ${part/out/output}${part/err/ error}:"
      diff <(od -c "$work/l.$part") <(od -c "$work/w.$part") | head -20
      failures=$((failures + 1))
    fi
  done
}

# Definition files: the shipped one, the fuzz seeds, and a few made here.
printf 'RYX_Toolbar {\r\n  BUTTON { caption="a\\nb" }\r\n}\r\n' >"$work/crlf.tbd"
printf 'RYX_Toolbar { BUTTON { caption="\xe9t\xe9" hint="x" } }' >"$work/high.tbd"
printf 'RYX_Toolbar { BUTTON { nope="1" } }' >"$work/bad.tbd"
printf '' >"$work/empty.tbd"
for file in "$source"/site/toolbar/ZAN.tbd "$source"/fuzz/corpus/load_definition/* \
            "$work"/*.tbd; do
  same zan-tbd check "$file"
  same zan-tbd dump "$file"
done
same zan-tbd dump "$work/missing.tbd"
same zan-tbd
same zan-tbd list x

# zan-reg: one .reg file imported into a store of each form and exported.
# Values are written in name order: Wine lists a key's values by name,
# Windows and the Linux store in writing order.
cat >"$work/in.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\SOFTWARE\ZAN Inc.\ZAN]
@="default"
"AutoUpdatePeriod"=dword:00000018
"Binary"=hex:00,01,7f,80,ff
"GlobalUpdateFlag"="0"
"Quoted"="a \"b\" c\\d"

[HKEY_CURRENT_USER\SOFTWARE\ZAN Inc.\ZAN\POP3 Accounts]
"POP3Server1"="mail.example.com"

[HKEY_CLASSES_ROOT\RYX.ZAN]
@="ZAN"
REG
for form in linux windows; do
  dir=${!form}
  export ZAN_REGISTRY="$work/$form.db"
  "$dir/zan-reg" import "$work/in.reg" || {
    echo "FAIL: $form zan-reg import"
    failures=$((failures + 1))
  }
  "$dir/zan-reg" export 'HKEY_CURRENT_USER\SOFTWARE\ZAN Inc.' >"$work/$form.reg"
  "$dir/zan-reg" export 'HKCR\RYX.ZAN' >>"$work/$form.reg"
  unset ZAN_REGISTRY
done
if ! cmp -s "$work/linux.reg" "$work/windows.reg"; then
  echo "FAIL: the exports differ"
  diff "$work/linux.reg" "$work/windows.reg"
  failures=$((failures + 1))
fi
same zan-reg
same zan-reg export 'HKXX\Nothing'

# The real registry: import, export, and what Wine's own reg.exe finds.
sed -e 's/SOFTWARE\\ZAN Inc\.\\ZAN/Software\\ZAN Real Check/' \
    -e '/HKEY_CLASSES_ROOT/,$d' "$work/in.reg" >"$work/real.reg"
unset ZAN_REGISTRY ZAN_REGISTRY_ROOT
"$windows/zan-reg" import "$work/real.reg" &&
  "$windows/zan-reg" export 'HKCU\Software\ZAN Real Check' >"$work/real.out"
if ! cmp -s "$work/real.reg" "$work/real.out"; then
  echo "FAIL: the real registry does not give the file back"
  diff "$work/real.reg" "$work/real.out"
  failures=$((failures + 1))
fi
wine=$(sed -n 's/^exec "\([^"]*\)".*/\1/p' "$windows/zan-reg")
if ! "$wine" reg query 'HKCU\Software\ZAN Real Check\POP3 Accounts' \
     /v POP3Server1 2>/dev/null | tr -d '\r' | grep -q 'mail.example.com'; then
  echo "FAIL: reg.exe does not see the imported value"
  failures=$((failures + 1))
fi
"$wine" reg delete 'HKCU\Software\ZAN Real Check' /f >/dev/null 2>&1

# zan-mail without a server: the same list, numbers and messages.
for form in linux windows; do
  dir=${!form}
  export ZAN_REGISTRY="$work/mail-$form.db"
  printf 'secret\n' | "$dir/zan-mail" add --server 127.0.0.1 --user one \
    >"$work/mail-$form.out" 2>&1
  printf 'pw\r\n' | "$dir/zan-mail" add --server mx --user two --apop \
    --interval 0 >>"$work/mail-$form.out" 2>&1
  "$dir/zan-mail" remove 1 >>"$work/mail-$form.out" 2>&1
  "$dir/zan-mail" list >>"$work/mail-$form.out" 2>&1
  "$dir/zan-mail" add --server x --user y --interval 5 \
    >>"$work/mail-$form.out" 2>&1 </dev/null
  echo "exit $?" >>"$work/mail-$form.out"
  unset ZAN_REGISTRY
done
if ! cmp -s "$work/mail-linux.out" "$work/mail-windows.out"; then
  echo "FAIL: zan-mail answers differ"
  diff "$work/mail-linux.out" "$work/mail-windows.out"
  failures=$((failures + 1))
fi

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
