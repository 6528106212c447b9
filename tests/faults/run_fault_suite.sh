#!/usr/bin/env bash
# Runs the move under strace with a fault injected at each file system call
# it makes, in the manner of SQLite's crash and I/O-error tests: the process
# killed at the call, or the call failing with EIO, ENOSPC, EACCES or EPERM,
# and the kernel's copy ending early. After each run the folders are checked,
# then the driver runs again as a restart and they are checked again. Then
# the same for the start-up that finishes a move killed part-way, for
# cleaning the cache (Remove Missing Entries, Move to Trash), and for copying
# out of it (Copy to Folder, Export for Redirect Server), for taking a move
# back (Undo Move, Put Back into the Cache), and for installing a map pack.
#
#   run_fault_suite.sh MOVE_DRIVER [PART...]
#
# PART is move-rename, move-copy (the move on one volume and across two, with
# the start-ups that finish it), clean, trash, copy, export, undo-rename,
# undo-copy, putback-rename or putback-copy (undoing a move, or putting its
# maps back, on one volume and across two) or install (a map pack); all of
# them when none is named. Each part is a test of its own, so that each has
# its own time limit.
set -euo pipefail

driver="$1"
shift
parts=("$@")
[ ${#parts[@]} -eq 0 ] && parts=(move-rename move-copy clean trash copy export undo-rename undo-copy putback-rename
  putback-copy install)
wanted() {
  local part
  for part in "${parts[@]}"; do [ "$part" = "$1" ] && return 0; done
  return 1
}
paths=()
for path in rename copy; do
  if wanted "move-$path"; then paths+=("$path"); fi
done

if ! command -v strace >/dev/null; then
  echo "fault suite: strace is not installed" >&2
  exit 1
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/cache-sorter-faults.XXXXXX")"
trap 'rm -rf "$work"' EXIT

calls=(openat openat2 read pread64 write close fsync fdatasync syncfs rename renameat renameat2 unlink unlinkat flock ioctl
  copy_file_range fchmod fchown getdents64 newfstatat fstat lstat stat statx statfs fstatfs ftruncate)
traced="$(IFS=,; echo "${calls[*]}")"

runs=0
recovery_runs=0
failures=0
declare -A by_fault=()

# What a restart runs, and how it is checked.
restart_command=move
restart_check=after-restart

# Checks the sandbox after a faulted run, restarts, and checks again.
check_and_restart() {
  local sandbox="$1" killed="$2" what="$3" mode="${4:-after-fault}"
  local verdict
  if ! verdict="$("$driver" check "$sandbox" "$mode" "$work/alerts" "$killed")"; then
    echo "FAIL ($what): $verdict"
    failures=$((failures + 1))
    return
  fi
  "$driver" "$restart_command" "$sandbox" >"$work/alerts-restart" || true
  if ! verdict="$("$driver" check "$sandbox" "$restart_check" "$work/alerts-restart" 0)"; then
    echo "FAIL ($what, after the restart): $verdict"
    failures=$((failures + 1))
  fi
}

# Checks that a run did all its command does and left everything clean, as
# a restart would be checked.
expect_complete() {
  local sandbox="$1" what="$2" verdict
  if ! verdict="$("$driver" check "$sandbox" "$restart_check" "$work/alerts" 0)"; then
    echo "FAIL ($what): $verdict"
    failures=$((failures + 1))
  fi
}

# "name first last skip..." for each call the traced run makes after it
# writes MARKER: its invocations from first to last, less the writes of the
# driver's own output.
points_after() {
  local marker="$1" trace="$2"
  awk -F'(' -v marker="$marker" '
    index($0, "write(1, \"" marker "\\n\"") == 1 { running = 1 }
    /^[a-z_0-9]+\(/ {
      name = $1; count[name]++
      if (!running) { before[name] = count[name]; next }
      if (name == "write" && $2 ~ /^1,/) skip[name] = skip[name] " " count[name]
      last[name] = count[name]
    }
    END { for (name in last) print name, before[name] + 1, last[name], skip[name] }' "$trace"
}

# Runs `driver COMMAND` on a copy of TEMPLATE once for each fault at each of
# POINTS, and checks each run as MODE says, then restarts and checks again.
inject_everywhere() {
  local label="$1" template="$2" command="$3" mode="$4" points="$5"
  local name first last skip n fault sandbox status killed
  while read -r name first last skip; do
    [ -n "$name" ] || continue
    for ((n = first; n <= last; n++)); do
      case " $skip " in *" $n "*) continue ;; esac
      faults=("signal=KILL" "error=EIO" "error=ENOSPC" "error=EACCES" "error=EPERM")
      [ "$name" = copy_file_range ] && faults+=("retval=0")
      for fault in "${faults[@]}"; do
        sandbox="$work/run"
        rm -rf "$sandbox"
        cp -a "$template" "$sandbox"
        # In a shell of its own, so that the kill is not reported here.
        (
          status=0
          strace -o /dev/null -e trace="$name" -e inject="$name:$fault:when=$n" "$driver" "$command" "$sandbox" \
            >"$work/alerts" || status=$?
          echo "$status" >"$work/status"
        ) 2>/dev/null
        status="$(cat "$work/status")"
        killed=0
        [ "$fault" = signal=KILL ] && killed=1
        if [ "$killed" = 1 ] && [ "$status" -ne 137 ]; then
          echo "FAIL ($label $name #$n $fault): the driver was not killed (status $status)"
          failures=$((failures + 1))
        fi
        runs=$((runs + 1))
        by_fault[$fault]=$((${by_fault[$fault]:-0} + 1))
        if [ "$fault" = retval=0 ]; then
          # The copy goes on through a buffer and the command completes.
          expect_complete "$sandbox" "$label $name #$n $fault"
          continue
        fi
        check_and_restart "$sandbox" "$killed" "$label $name #$n $fault" "$mode"
      done
    done
  done <<<"$points"
}

count_calls() { awk '{ n += $3 - $2 + 1 } END { print n + 0 }' <<<"$1"; }

for path in "${paths[@]+"${paths[@]}"}"; do
  template="$work/template-$path"
  mkdir "$template"
  "$driver" setup "$template" "$path"

  # One clean run, traced, gives each call's count before and during the move.
  cp -a "$template" "$work/traced"
  strace -o "$work/trace" -e trace="$traced" -e signal=none "$driver" move "$work/traced" >/dev/null
  rm -rf "$work/traced"
  points="$(points_after move "$work/trace")"
  inject_everywhere "$path" "$template" move after-fault "$points"

  if [ "$path" = rename ]; then
    # The text says one volume, the kernel says two: every package renamed
    # is refused with EXDEV and takes the copy path instead.
    sandbox="$work/run"
    rm -rf "$sandbox"
    cp -a "$template" "$sandbox"
    strace -o /dev/null -e trace=renameat2 -e inject=renameat2:error=EXDEV "$driver" move "$sandbox" >"$work/alerts"
    expect_complete "$sandbox" "rename refused with EXDEV"
    runs=$((runs + 1))
    by_fault[exdev]=1
  fi
  echo "fault suite: $path: $(count_calls "$points") calls of the move"

  # Start-up after a move killed at the first and the last rename of each
  # kind it makes (a package's, a copy's, the index's): the journal, staged
  # copies and the old index are there to be settled, and the start-up is
  # faulted at every call.
  renames="$(awk '$1 == "renameat" || $1 == "renameat2" { print $1, $2, $3 }' <<<"$points")"
  recovery_calls=0
  while read -r name first last; do
    [ -n "$name" ] || continue
    for n in $(printf '%s\n' "$first" "$last" | sort -un); do
      interrupted="$work/interrupted-$path-$name-$n"
      cp -a "$template" "$interrupted"
      (strace -o /dev/null -e trace="$name" -e inject="$name:signal=KILL:when=$n" "$driver" move "$interrupted" \
        >/dev/null || true) 2>/dev/null
      if [ ! -e "$(find "$interrupted" -name .cache-sorter-journal -print -quit)" ]; then
        rm -rf "$interrupted"
        continue
      fi
      # The start-up, then a move in the same run: what a start-up that
      # failed part-way left must still be settled by the move.
      cp -a "$interrupted" "$work/traced"
      strace -o "$work/trace" -e trace="$traced" -e signal=none "$driver" recover "$work/traced" >/dev/null
      rm -rf "$work/traced"
      start_points="$(points_after recover "$work/trace")"
      recovery_calls=$((recovery_calls + $(count_calls "$start_points")))
      before_recovery=$runs
      inject_everywhere "$path recovery after $name #$n" "$interrupted" recover after-recovery "$start_points"
      recovery_runs=$((recovery_runs + runs - before_recovery))
      rm -rf "$interrupted"
    done
  done <<<"$renames"
  echo "fault suite: $path: $recovery_calls calls of start-ups that finish an interrupted move, and a move after"
done

# Cleaning the cache, faulted the same way: Remove Missing Entries on an
# index with lines of purged packages, and Move to Trash of the ticked ones.
# A restart runs the same command again.
for command in clean trash; do
  wanted "$command" || continue
  template="$work/template-$command"
  mkdir "$template"
  "$driver" setup "$template" copy
  [ "$command" = clean ] && "$driver" stale "$template"
  cp -a "$template" "$work/traced"
  strace -o "$work/trace" -e trace="$traced" -e signal=none "$driver" "$command" "$work/traced" >/dev/null
  rm -rf "$work/traced"
  points="$(points_after "$command" "$work/trace")"
  restart_command="$command"
  restart_check="$command-after-restart"
  inject_everywhere "$command" "$template" "$command" "$command-after-fault" "$points"
  echo "fault suite: $command: $(count_calls "$points") calls"
done

# Copy to Folder, Export for Redirect Server and Install from Archive,
# faulted the same way; the restart is a start-up, which removes what a
# cut-short copy left.
for command in copy export install; do
  wanted "$command" || continue
  template="$work/template-out-$command"
  mkdir "$template"
  "$driver" setup "$template" copy
  [ "$command" = install ] && "$driver" pack "$template"
  cp -a "$template" "$work/traced"
  strace -o "$work/trace" -e trace="$traced" -e signal=none "$driver" "$command" "$work/traced" >"$work/alerts"
  if [ "$command" = install ]; then
    restart_check=install-complete
    expect_complete "$work/traced" "install without a fault"
  fi
  rm -rf "$work/traced"
  points="$(points_after "$command" "$work/trace")"
  restart_command=start
  restart_check="$command-after-restart"
  inject_everywhere "$command" "$template" "$command" "$command-after-fault" "$points"
  echo "fault suite: $command: $(count_calls "$points") calls"
done

# Undo Move and Put Back into the Cache, on one volume and across two,
# faulted the same way after the move they take back; the restart is a
# start-up, which finishes what was cut short.
for part in undo-rename undo-copy putback-rename putback-copy; do
  wanted "$part" || continue
  command="${part%-*}"
  path="${part#*-}"
  template="$work/template-$part"
  mkdir "$template"
  "$driver" setup "$template" "$path"
  cp -a "$template" "$work/traced"
  strace -o "$work/trace" -e trace="$traced" -e signal=none "$driver" "$command" "$work/traced" >"$work/alerts"
  restart_check="$command-complete"
  expect_complete "$work/traced" "$part without a fault"
  rm -rf "$work/traced"
  points="$(points_after "$command" "$work/trace")"
  restart_command=start
  restart_check="$command-after-restart"
  inject_everywhere "$part" "$template" "$command" "$command-after-fault" "$points"
  echo "fault suite: $part: $(count_calls "$points") calls"
done

errors=0
for fault in "${!by_fault[@]}"; do
  case "$fault" in error=*) errors=$((errors + by_fault[$fault])) ;; esac
done
echo "fault suite: $runs faulted runs, each checked and restarted: ${by_fault[signal=KILL]:-0} kills," \
  "$errors I/O errors, ${by_fault[retval=0]:-0} kernel copies ended early," \
  "${by_fault[exdev]:-0} run with every rename refused with EXDEV; $recovery_runs of them start-ups finishing" \
  "an interrupted move, each checked for a stale line once its journal is gone"
echo "$((runs - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
