#!/usr/bin/env bash
# kelvora --check on the sample event that scripts/run.sh writes: no display, nothing to report, exit 0; the
# JSON report is valid JSON; an unknown option gives the usage text and 2.
#
#   check_sample_event.sh <kelvora> <kelvora_sample_data>
set -euo pipefail
PROGRAM=$(readlink -f "$1")
SAMPLE=$(readlink -f "$2")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# The built-in backgrounds and music the build puts beside the program, as scripts/run.sh copies them.
"$SAMPLE" "$WORK" "$(dirname "$PROGRAM")/内置资源" >/dev/null
unset DISPLAY WAYLAND_DISPLAY

report=$("$PROGRAM" --check --data "$WORK" --dry-runs 200)
echo "$report"
[ "$(tail -n 1 <<<"$report")" = "检查完毕: 0 个问题，试抽 200 次" ] || { echo "FAIL: the sample event has findings"; exit 1; }
# The chosen winner, white-listed on the top prize and black-listed before it, wins it every time.
grep -q "^试抽 特等奖（大写锁定开）: 白名单 “[^”]*” 200/200$" <<<"$report" || { echo "FAIL: no odds line"; exit 1; }
[ "$("$PROGRAM" --check --data "$WORK" --dry-runs 10 --json)" = "[]" ] || { echo "FAIL: JSON report"; exit 1; }

# A music file that is not music: a warning the real decoder finds, and still exit 0.
echo "not music" >"$WORK/参数设置(勿删)/音乐/颁奖.mp3"
report=$("$PROGRAM" --check --data "$WORK" --dry-runs 10)
grep -q "^警告 音乐: 背景音乐1 “颁奖.mp3” 无法播放: " <<<"$report" || { echo "FAIL: a broken mp3 passed: $report"; exit 1; }

set +e
"$PROGRAM" --chek >"$WORK/out" 2>"$WORK/err"
rc=$?
set -e
[ "$rc" = 2 ] && grep -q "^usage: kelvora" "$WORK/err" || { echo "FAIL: unknown option gave $rc"; exit 1; }
echo "PASS: kelvora --check on the sample event"
