#!/usr/bin/env bash
# Cuts the power during a move: the cache and the game's volume are ext4
# images on loop devices, mounted with default options. The move is stopped
# at each flush it asks for (before the flush runs, so after all earlier
# ones), and once it has ended; the images are copied as they stand, which
# holds only what reached the devices, and the copies are mounted (the
# journal replayed) and checked, then the driver runs on them as a restart.
# Needs root and loop devices; exits 77 (skipped) without them.
#
#   run_power_cuts.sh MOVE_DRIVER
set -euo pipefail

driver="$1"
if [ "$(id -u)" -ne 0 ] || ! command -v mkfs.ext4 >/dev/null || ! losetup -f >/dev/null 2>&1; then
  echo "power cuts: skipped, they need root, mkfs.ext4 and a free loop device"
  exit 77
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/cache-sorter-power.XXXXXX")"
mounts=()
cleanup() {
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "${mounts[$i]}" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# The mount points of one sandbox: the game's volume, and for the copy path
# the home folder's volume of its own.
mount_points() {
  local root="$1" path="$2"
  echo "$root/Volumes/Games"
  [ "$path" = copy ] && echo "$root/home"
  return 0
}

mount_images() {
  local root="$1" path="$2" images="$3" point index=0
  while read -r point; do
    mkdir -p "$point"
    mount -o loop "$images/$index.img" "$point"
    mounts+=("$point")
    index=$((index + 1))
  done < <(mount_points "$root" "$path")
}

unmount_all() {
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "${mounts[$i]}"; done
  mounts=()
}

cuts=0
failures=0
for path in rename copy; do
  # Template images holding the laid-out sandbox, cleanly unmounted.
  template="$work/template-$path"
  mkdir -p "$template"
  count="$(mount_points "$work/x" "$path" | wc -l)"
  for ((index = 0; index < count; index++)); do
    truncate -s 32M "$template/$index.img"
    mkfs.ext4 -q "$template/$index.img"
  done
  mount_images "$work/setup" "$path" "$template"
  "$driver" setup "$work/setup" "$path"
  unmount_all

  # How many flushes of each kind a move asks for.
  mount_images "$work/setup" "$path" "$template"
  cp -a --sparse=always "$template" "$work/counting-images"
  unmount_all
  mount_images "$work/counting" "$path" "$work/counting-images"
  strace -o "$work/trace" -e trace=fsync,syncfs "$driver" move "$work/counting" >/dev/null
  unmount_all
  rm -rf "$work/counting-images"

  points=()
  for call in fsync syncfs; do
    calls="$(grep -c "^$call(" "$work/trace" || true)"
    for ((n = 1; n <= calls; n++)); do points+=("$call:$n"); done
  done
  points+=("end")

  # Besides the cut where nothing unflushed survives, one volume at a time
  # may have written out everything it was given: a power cut can find one
  # device ahead of the other.
  variants=(none)
  for ((index = 0; index < count; index++)); do variants+=("$index"); done

  for point in "${points[@]}"; do
    for variant in "${variants[@]}"; do
      images="$work/images"
      cut="$work/cut"
      rm -rf "$images" "$cut"
      cp -a --sparse=always "$template" "$images"
      mount_images "$work/live" "$path" "$images"
      if [ "$point" = end ]; then
        "$driver" move "$work/live" >/dev/null
      else
        (strace -o /dev/null -e trace="${point%%:*}" -e inject="${point%%:*}:signal=KILL:when=${point#*:}" \
          "$driver" move "$work/live" >/dev/null || true) 2>/dev/null
      fi
      if [ "$variant" != none ]; then
        sync -f "${mounts[$variant]}"
      fi
      # The power goes: what the devices hold now is all there is.
      cp -a --sparse=always "$images" "$cut"
      unmount_all
      # Mounted where the move ran, as the volumes are at the next start.
      mount_images "$work/live" "$path" "$cut"
      what="$path, cut before $point"
      [ "$point" = end ] && what="$path, cut after the move"
      [ "$variant" != none ] && what="$what, with ${mounts[$variant]##*/} written out"
      if ! verdict="$("$driver" check "$work/live" after-fault /dev/null 1)"; then
        echo "FAIL ($what): $verdict"
        failures=$((failures + 1))
      else
        "$driver" move "$work/live" >"$work/alerts" || true
        if ! verdict="$("$driver" check "$work/live" after-restart "$work/alerts" 0)"; then
          echo "FAIL ($what, after the restart): $verdict"
          failures=$((failures + 1))
        fi
      fi
      unmount_all
      cuts=$((cuts + 1))
    done
  done
  echo "power cuts: $path: ${#points[@]} points, $((${#points[@]} * ${#variants[@]})) cuts"
done

echo "power cuts: $cuts cuts, each checked and restarted"
echo "$((cuts - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
