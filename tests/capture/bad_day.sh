#!/usr/bin/env bash
# lirv-capture on a bad day. Stopped by SIGINT or SIGTERM while rendering a video, it finishes
# the video with the frames rendered, says how many and ends with status 130 or 143. On a full
# disk (a file-size limit) it refuses the broken file ffmpeg leaves with status 1 naming the
# video, and an older video of that name stays as it was.
# Usage: bad_day.sh LIRV_CAPTURE, in the repository root (where data/ lies), with a display.
set -u
capture=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
videoFrames() {
  ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=nb_read_packets \
    -of default=nw=1:nk=1 "$1"
}

for signal in INT TERM; do
  video=$dir/$signal.mp4
  # Each run has an error file of its own: the previous run's estimate must not be taken for
  # this one's before its shell has even truncated the file.
  err=$dir/$signal.err
  "$capture" --from 10 --to 60 --fps 10 --video "$video" --silent >"$dir/out" 2>"$err" &
  pid=$!
  # The estimate is printed after the first four frames.
  for _ in $(seq 1200); do
    grep -q "estimated time" "$err" 2>/dev/null && break
    sleep 0.1
  done
  kill -"$signal" "$pid"
  started=$(date +%s.%N)
  wait "$pid"
  status=$?
  echo "SIG$signal: ended $(echo "$(date +%s.%N) - $started" | bc) s after the signal"
  expected=130
  [ "$signal" = TERM ] && expected=143
  [ "$status" = "$expected" ] || fail "SIG$signal: status $status, not $expected"
  said=$(sed -n "s|^lirv-capture: stopped by SIG$signal; the first \([0-9]*\) frames are written to $video\$|\1|p" "$err")
  [ -n "$said" ] || fail "SIG$signal: no word of the frames written: $(cat "$err")"
  [ "$(videoFrames "$video")" = "$said" ] || fail "SIG$signal: $video does not hold $said frames"
done

# ffmpeg exits with 0 when the disk fills up while it moves the index to the front; the file
# it leaves has no index. The limit lets everything but the finished video be written.
"$capture" --from 10 --to 10.6 --fps 10 --video "$dir/whole.mp4" --silent --quiet >/dev/null 2>&1
limit=$(($(stat -c %s "$dir/whole.mp4") / 1024 - 1))
echo "an older video" >"$dir/full.mp4"
(
  trap '' XFSZ
  ulimit -f "$limit"
  "$capture" --from 10 --to 10.6 --fps 10 --video "$dir/full.mp4" --silent --quiet
) >"$dir/out" 2>"$dir/err"
status=$?
[ "$status" = 1 ] || fail "full disk: status $status, not 1"
grep -q "^lirv-capture: $dir/full.mp4: " "$dir/err" || fail "full disk: the video is not named: $(cat "$dir/err")"
grep -q "frames written" "$dir/out" && fail "full disk: success reported: $(cat "$dir/out")"
[ "$(cat "$dir/full.mp4")" = "an older video" ] || fail "full disk: the older video is lost"
[ "$(ls "$dir" | grep -c '^full')" = 1 ] || fail "full disk: files left beside the video: $(ls "$dir")"

[ "$failures" = 0 ] && echo "all passed"
exit "$((failures > 0))"
