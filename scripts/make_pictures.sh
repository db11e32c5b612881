#!/usr/bin/env bash
# Makes the README's pictures, outside the test run: the Qt tests whose
# names end in "Picture" (ctest leaves them out) and the accounts dialog's
# test write theirs into ZAN_PICTURE_DIR, and zan-browser --screenshot takes
# the toolbar with its main menu and with its mailbox menu open.
#   scripts/make_pictures.sh [OUT_DIR]     (default: docs/)
# Needs a build with Qt in build/ (BUILD=folder names another).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
out=$(realpath -m "${1:-docs}")
mkdir -p "$out"
cmake --build "$build" --target zan-browser zan-reg qt_tests

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_RUNTIME_DIR="$work" XDG_CACHE_HOME="$work" TMPDIR="$work"
export QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="${QT_LOGGING_RULES:-qt.webenginecontext.info=false}"
if [ "$(id -u)" = 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

echo "== pictures of the Qt tests"
ZAN_PICTURE_DIR="$out" ZAN_SOURCE_DIR="$PWD" ZAN_BINARY_DIR="$PWD/$build" \
  "$build/tests/qt/qt_tests" \
  --gtest_filter='*Picture:AccountsDialogTest.SelectDeleteAndCancel'

browser="$build/hosts/qt/zan-browser"
echo "== the toolbar with its main menu open"
ZAN_REGISTRY="$work/toolbar.db" "$browser" --register-if-needed \
  --open-menu 0 --screenshot "$out/toolbar.png" --quit-after 60000

echo "== the mail indicator over two accounts with messages waiting"
# Checked only on demand (interval 0), so the stored counts stay on show.
cat > "$work/accounts.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\SOFTWARE\ZAN Inc.\ZAN\POP3 Accounts]
"NumberOfConfiguredAccounts"=dword:00000002
"POP3Server1"="pop.example.org"
"POP3Account1"="anna"
"CheckInterval1"="0"
"UseSPA1"="0"
"AccountStats1"="3 48213"
"POP3Server2"="mail.example.net"
"POP3Account2"="bert"
"CheckInterval2"="0"
"UseSPA2"="1"
"AccountStats2"="1 2250"
REG
ZAN_REGISTRY="$work/mail.db" "$build/tools/zan-reg" import "$work/accounts.reg"
ZAN_REGISTRY="$work/mail.db" "$browser" --register-if-needed \
  --open-menu 11 --screenshot "$out/mail-indicator.png" --quit-after 60000
echo "The pictures are in $out"
