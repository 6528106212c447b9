#!/usr/bin/env bash
# End-to-end tests of the real program: each case builds a sandbox (a home
# folder with a cache, a volumes folder), runs the binary in bubblewrap on a
# private Xvfb display with the sandbox's volumes at "/Volumes", drives it
# with xdotool as a person would, and checks the files, the index and the exit
# status. Every wait is bounded; every process started is ended by its id.
#
# Usage: run_e2e.sh BINARY [CASE...]
set -uo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/lib/sandbox.sh"
source "$root/scripts/lib/xvfb.sh"
binary="$(readlink -f "$1")"
shift

work="$(mktemp -d "${TMPDIR:-/tmp}/cache-sorter-e2e.XXXXXX")"
started=()
cleanup() {
  local pid
  for pid in "${started[@]}"; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${started[@]}"; do
    wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

if ! start_xvfb "$work"; then
  echo "e2e: Xvfb did not start" >&2
  exit 1
fi
started+=("$XVFB_PID")

failures=0
passes=0
case_failed=0
program_pid=
launched=()
launched_binds=()
launched_wrapper=()

fail() {
  echo "    FAILED: $*"
  case_failed=1
}

# launch_bound BIND HOME: starts the program with no volumes folder and BIND
# ("[ro:]FOLDER=PLACE") in its sandbox.
launch_bound() {
  SANDBOX_BINDS=("$1")
  launch "" "$2"
  SANDBOX_BINDS=()
}

# launch VOLUMES HOME: starts the program in its sandbox.
launch() {
  launched=("$@")
  launched_binds=("${SANDBOX_BINDS[@]}")
  launched_wrapper=("${SANDBOX_WRAPPER[@]}")
  run_sandboxed "$1" "$2" "$binary" >"$case_dir/program.log" 2>&1 &
  program_pid=$!
  started+=("$program_pid")
}

# Under a loaded machine Xvfb has refused a client's connection at once
# (2 of 40 runs): that is the display's doing, not the program's, so a
# program that ended saying so is started again, twice at most.
relaunch_if_refused() {
  kill -0 "$program_pid" 2>/dev/null && return 1
  grep -q "could not connect to display" "$case_dir/program.log" 2>/dev/null || return 1
  echo "    (the display refused the program; started again)"
  SANDBOX_BINDS=("${launched_binds[@]}")
  SANDBOX_WRAPPER=("${launched_wrapper[@]}")
  launch "${launched[@]}"
  SANDBOX_BINDS=()
  SANDBOX_WRAPPER=()
}

# need_window VAR TITLE: sets VAR to the id of the window titled TITLE, or
# fails the case when it does not show up.
need_window() {
  local id attempt
  for attempt in 1 2 3; do
    if id="$(find_window "$2")"; then
      printf -v "$1" '%s' "$id"
      return 0
    fi
    relaunch_if_refused || break
  done
  fail "no window titled \"$2\""
  return 1
}

# expect_exit STATUS: the program must end, within 30 seconds, with STATUS.
expect_exit() {
  local expected="$1" status
  for _ in $(seq 300); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$program_pid" 2>/dev/null; then
    fail "the program did not end"
    kill "$program_pid" 2>/dev/null
    wait "$program_pid" 2>/dev/null
    return
  fi
  wait "$program_pid"
  status=$?
  [ "$status" -eq "$expected" ] || fail "exit status $status, expected $expected"
}

# wait_for_index FILE EXPECTED: the index must come to hold EXPECTED, within
# 30 seconds.
wait_for_index() {
  local file="$1" expected="$2"
  for _ in $(seq 300); do
    [ "$(cat "$file" 2>/dev/null; echo x)" = "${expected}x" ] && return 0
    sleep 0.1
  done
  fail "the index holds $(od -c "$file" | head -n 5)"
}

# expect_installed CACHE_COPY BUNDLE CACHENAME CATEGORY/UTNAME: the package must
# stand in the installation with the cached file's bytes.
expect_installed() {
  local copy="$1" bundle="$2" cache_name="$3" destination="$4"
  cmp -s "$copy/$cache_name.uxx" "$bundle/$destination" || fail "$destination is not the cached $cache_name"
}

# sample_packages INDEX: the packages an index names, one "cacheName
# Category/utName" line each.
sample_packages() {
  grep -v '^\[' "$1" | tr -d '\r' | while IFS='=' read -r key value; do
    local folder
    case "${value,,}" in
    *.ukx) folder=Animations ;; *.ka) folder=KarmaData ;; *.ut2) folder=Maps ;; *.ogg) folder=Music ;;
    *.uax) folder=Sounds ;; *.usx) folder=StaticMeshes ;; *.u) folder=System ;; *.utx) folder=Textures ;;
    *) continue ;;
    esac
    echo "$key $folder/$value"
  done
}

foreign_line="99999999999999999999999999999999=Readme-Server.txt"

case_missing_volumes() {
  mkdir -p "$case_dir/home/$CACHE_SUBDIR"
  # A reader opening this index would block for good, so a program that read
  # it would never end.
  mkfifo "$case_dir/home/$CACHE_SUBDIR/cache.ini"
  launch "" "$case_dir/home"
  local alert
  need_window alert Error || return
  find_window "Cache Sorter" 1 >/dev/null && fail "the main window came up"
  press "$alert" Return
  expect_exit 1
  [ -p "$case_dir/home/$CACHE_SUBDIR/cache.ini" ] || fail "the index was replaced"
}

# grouped_index INDEX: the index as the program writes it back when nothing
# moves: its entries category by category, then the lines of no category.
grouped_index() {
  local lines ending
  lines="$(tr -d '\r' <"$1" | grep '=')"
  printf '[Cache]\n'
  for ending in ukx ka ut2 ogg uax usx u utx; do
    grep -i "\.$ending\$" <<<"$lines"
  done
  grep -v -i -E '\.(ukx|ka|ut2|ogg|uax|usx|u|utx)$' <<<"$lines"
}

case_no_installation() {
  local cache="$case_dir/home/$CACHE_SUBDIR"
  make_sample_cache "$case_dir/home"
  mkdir -p "$case_dir/Volumes/Data/Applications"
  cp -a "$cache" "$case_dir/cache-before"
  launch "$case_dir/Volumes" "$case_dir/home"
  local alert window
  need_window alert Error || return
  press "$alert" Return
  need_window window "Cache Sorter" || return
  cmp -s "$case_dir/cache-before/cache.ini" "$cache/cache.ini" || fail "the index changed at start-up"
  # Moving everything moves nothing; the index written back then shows that
  # every entry was read.
  press "$window" ctrl+shift+a ctrl+shift+m
  need_window alert Error || return
  press "$alert" Return
  wait_for_index "$cache/cache.ini" "$(grouped_index "$case_dir/cache-before/cache.ini")"$'\n'
  press "$window" ctrl+q
  expect_exit 0
  diff -r -q -x cache.ini "$case_dir/cache-before" "$cache" >/dev/null || fail "cached files changed"
}

# move_everything HOME: ticks everything, moves, checks every package and the
# index, and quits.
move_everything() {
  local home="$1" volume="$case_dir/Volumes/Macintosh HD"
  make_installation "$volume"
  move_everything_between "$case_dir/Volumes" "$home" "$home/$CACHE_SUBDIR" "$volume/$BUNDLE_SUBDIR" "$volume/$BUNDLE_SUBDIR"
}

# move_everything_between VOLUMES HOME CACHE GAME GAME_OUTSIDE: starts the
# program, ticks everything, moves it from CACHE into GAME (seen outside the
# sandbox at GAME_OUTSIDE), checks every package and the index, and quits.
move_everything_between() {
  local volumes="$1" home="$2" cache="$3" game="$5"
  cp -a "$cache" "$case_dir/cache-before"
  launch "$volumes" "$home"
  local window
  need_window window "Cache Sorter" || return
  tick_all_and_move "$window" "$cache" "$game"
}

# tick_all_and_move WINDOW CACHE GAME: Tick All, Move, and the checks of the
# packages in GAME and of the index in CACHE against cache-before; quits.
tick_all_and_move() {
  local window="$1" cache="$2" game="$3"
  answer_move "$window" Return ctrl+shift+a || return
  wait_for_index "$cache/cache.ini" "[Cache]"$'\n'"$foreign_line"$'\n'
  press "$window" ctrl+q
  expect_exit 0
  local key destination checked=0
  while read -r key destination; do
    expect_installed "$case_dir/cache-before" "$game" "$key" "$destination"
    [ -e "$cache/$key.uxx" ] && fail "$key.uxx is still in the cache"
    checked=$((checked + 1))
  done < <(sample_packages "$case_dir/cache-before/cache.ini")
  [ "$checked" -eq 12 ] || fail "$checked packages checked, expected 12"
  [ "$(ls "$cache" | sort | tr '\n' ' ')" = "99999999999999999999999999999999.uxx cache.ini " ] ||
    fail "the cache holds $(ls "$cache")"
}

# The Linux client: the cache in ~/.ut2004, the game where its installer puts
# it, and no volumes folder at all.
case_linux_client() {
  local home="$case_dir/home" game="$case_dir/ut2004"
  make_sample_cache "$home" "$home/.ut2004/Cache"
  make_game_folder "$game"
  SANDBOX_BINDS=("$game=/usr/local/games/ut2004")
  move_everything_between "" "$home" "$home/.ut2004/Cache" /usr/local/games/ut2004 "$game"
  SANDBOX_BINDS=()
}

# The program's settings file is a FIFO and the game's settings a folder:
# neither is waited on, the window comes up with the default cache, and the
# FIFO stays as it was.
case_settings_not_files() {
  local home="$case_dir/home" game="$case_dir/ut2004"
  make_sample_cache "$home" "$home/.ut2004/Cache"
  make_game_folder "$game"
  mkdir -p "$home/.config/cache-sorter" "$home/.ut2004/System/UT2004.ini"
  mkfifo "$home/.config/cache-sorter/cache-sorter.ini"
  launch_bound "$game=/usr/local/games/ut2004" "$home"
  local window
  need_window window "Cache Sorter" || return
  find_window Error 1 >/dev/null && fail "an alert came up"
  press "$window" ctrl+q
  expect_exit 0
  [ -p "$home/.config/cache-sorter/cache-sorter.ini" ] || fail "the FIFO was replaced"
}

# A game folder the player may not write to: the question before the move
# says so and offers no Move; nothing moves, and no alert follows.
case_read_only_game() {
  local home="$case_dir/home" game="$case_dir/ut2004" cache="$case_dir/home/.ut2004/Cache"
  make_sample_cache "$home" "$cache"
  make_game_folder "$game"
  cp -a "$cache" "$case_dir/cache-before"
  local inode
  inode="$(stat -c %i "$cache/cache.ini")"
  launch_bound "ro:$game=/usr/local/games/ut2004" "$home"
  local window
  need_window window "Cache Sorter" || return
  answer_move "$window" Return ctrl+shift+a || return
  window_gone "Move Packages" || fail "the question stayed up"
  find_window Error 1 >/dev/null && fail "an alert came up"
  press "$window" ctrl+q
  expect_exit 0
  [ "$(stat -c %i "$cache/cache.ini")" = "$inode" ] || fail "the index was written anew"
  diff -r -q "$case_dir/cache-before" "$cache" >/dev/null || fail "the cache changed"
  [ -z "$(find "$game" -type f)" ] || fail "something reached the game"
}

# The Linux installer's game, root's and read-only here: the question offers
# the player's own folders in ~/.ut2004; the packages land there, and the
# game's settings differ from before by the added Paths lines alone.
case_root_owned_game() {
  local home="$case_dir/home" game="$case_dir/ut2004" cache="$case_dir/home/.ut2004/Cache"
  local ini="$home/.ut2004/System/UT2004.ini"
  make_sample_cache "$home" "$cache"
  make_game_folder "$game"
  mkdir -p "$home/.ut2004/System"
  printf '[Engine.Engine]\r\nRenderDevice=OpenGLDrv.OpenGLRenderDevice\r\n\r\n[Core.System]\r\nPurgeCacheDays=30\r\nPaths=../System/*.u\r\nPaths=../Maps/*.ut2\r\nPaths=../Textures/*.utx\r\n\r\n[URL]\r\nPort=7777\r\n' >"$ini"
  cp "$ini" "$case_dir/ini-before"
  cp -a "$cache" "$case_dir/cache-before"
  launch_bound "ro:$game=/usr/local/games/ut2004" "$home"
  local window
  need_window window "Cache Sorter" || return
  answer_move "$window" Return ctrl+shift+a || return
  # Music and KarmaData stay: the game reads those from its own folders.
  local tries
  for tries in $(seq 300); do
    grep -qi '\.ut2$' "$cache/cache.ini" || break
    sleep 0.1
  done
  [ "$(grep -v '^\[' "$cache/cache.ini" | sort | tr '\n' ' ')" = \
    "$(tr -d '\r' <"$case_dir/cache-before/cache.ini" | grep -E '\.(ogg|ka|txt)$' | sort | tr '\n' ' ')" ] ||
    fail "the index holds $(cat "$cache/cache.ini")"
  press "$window" ctrl+q
  expect_exit 0
  [ -z "$(find "$game" -type f)" ] || fail "something reached the game's own folders"
  local key destination
  while read -r key destination; do
    case "$destination" in
    Music/* | KarmaData/*) [ -e "$cache/$key.uxx" ] || fail "$key left the cache" ;;
    *) expect_installed "$case_dir/cache-before" "$home/.ut2004" "$key" "$destination" ;;
    esac
  done < <(sample_packages "$case_dir/cache-before/cache.ini")
  cmp -s "$case_dir/ini-before" "$ini.cache-sorter.bak" || fail "the backup is not the settings before"
  local added
  added="$(diff "$case_dir/ini-before" "$ini" | grep '^>' | tr -d '\r')"
  [ "$(diff "$case_dir/ini-before" "$ini" | grep -c '^[<>]')" = 6 ] || fail "the settings changed by more than 6 lines"
  grep -q "^> Paths=$home/.ut2004/Maps/\*.ut2\$" <<<"$added" || fail "no Paths line for ~/.ut2004/Maps: $added"
}

# A cache used for years: lines of purged packages, and a move long enough to
# be cancelled. Remove Missing Entries (Ctrl+Shift+R) takes the dead lines
# out; then everything is ticked and moved, and Escape in the progress stops
# the move after the package in hand: each package is whole in the cache
# with its line, or in the game without it.
case_clean_and_cancel() {
  local home volume cache
  sample_with_installation
  local index="$cache/cache.ini" i name
  printf 'A0A0A0A0A0A0A0A0A0A0A0A0A0A0A0A%s=DM-Purged-%s.ut2\r\n' 1 1 2 2 3 3 >>"$index"
  for i in $(seq 10 49); do
    name="B00000000000000000000000000000$i"
    { package_start DM-Big.ut2 && head -c $((32 << 20)) /dev/zero; } >"$cache/$name.uxx"
    printf '%s=DM-Big-%s.ut2\r\n' "$name" "$i" >>"$index"
  done
  # From the 8th chunk on, each copy waits 0.3 s in the kernel's copy: the
  # Escape below arrives long before the last package, whatever the
  # machine's speed, and the move stops after the package in hand.
  # Only that call stops the program (--seccomp-bpf): the rest runs at speed.
  # A sanitized build cannot look for leaks under strace.
  SANDBOX_WRAPPER=(/usr/bin/env ASAN_OPTIONS=detect_leaks=0
    /usr/bin/strace -f --seccomp-bpf -o /dev/null -e trace=copy_file_range
    -e inject=copy_file_range:delay_enter=300000:when=8+)
  launch "$case_dir/Volumes" "$home"
  SANDBOX_WRAPPER=()
  local window question progress
  need_window window "Cache Sorter" || return
  press "$window" ctrl+shift+r
  need_window question "Remove Missing Entries" || return
  press "$question" Return
  for _ in $(seq 300); do
    grep -q Purged "$index" || break
    sleep 0.1
  done
  grep -q Purged "$index" && fail "the lines of purged packages stayed"
  answer_move "$window" Return ctrl+shift+a || return
  need_window progress "Moving Packages" || return
  press "$progress" Escape
  # The move ends after the package in hand: its progress goes, and its
  # journal with it. Escape is pressed again while the progress stays, as a
  # person would, in case the first one came before the dialog took keys.
  local waited
  for waited in $(seq 600); do
    xdotool search --onlyvisible --name "^Moving Packages\$" >/dev/null 2>&1 ||
      [ -e "$cache/.cache-sorter-journal" ] || break
    [ $((waited % 100)) -eq 0 ] && press "$progress" Escape 2>/dev/null
    sleep 0.1
  done
  press "$window" ctrl+q
  expect_exit 0
  local moved=0 stayed=0 key value
  for i in $(seq 10 49); do
    key="B00000000000000000000000000000$i"
    value="DM-Big-$i.ut2"
    if [ -e "$cache/$key.uxx" ]; then
      stayed=$((stayed + 1))
      grep -q "^$key=$value\$" "$index" || fail "$key stayed without its line"
      continue
    fi
    moved=$((moved + 1))
    # The package signature, then 32 MiB of zeros.
    [ "$(stat -c %s "$volume/$BUNDLE_SUBDIR/Maps/$value" 2>/dev/null)" = $(((32 << 20) + 4)) ] &&
      cmp -s -i 0:4 -n $((32 << 20)) /dev/zero "$volume/$BUNDLE_SUBDIR/Maps/$value" ||
      fail "$value is not whole in the game"
    grep -q "^$key=" "$index" && fail "$key moved but kept its line"
  done
  [ "$stayed" -gt 0 ] || fail "the move was not stopped"
}

# A Windows installation under Steam: the cache inside the game's folder,
# where the game's own settings put it, in Windows' spelling.
case_steam() {
  local home="$case_dir/home"
  local game="$home/.local/share/Steam/steamapps/common/Unreal Tournament 2004"
  make_game_folder "$game"
  printf '[Core.System]\r\nCachePath=..\\Downloads\r\n' >"$game/System/UT2004.ini"
  make_sample_cache "$home" "$game/Downloads"
  move_everything_between "" "$home" "$game/Downloads" "$game" "$game"
}

# windows_game FOLDER: a Windows build's game folder with the sample cache in
# its own Cache.
windows_game() {
  make_game_folder "$1"
  : >"$1/System/UT2004.exe"
  make_sample_cache "$case_dir/home" "$1/Cache"
}

# A Steam library on another drive, listed in Steam's libraryfolders.vdf.
case_steam_library() {
  local home="$case_dir/home" library="$case_dir/drive/SteamLibrary"
  local game="$library/steamapps/common/Unreal Tournament 2004"
  windows_game "$game"
  mkdir -p "$home/.local/share/Steam/steamapps"
  printf '"libraryfolders"\n{\n\t"0"\n\t{\n\t\t"path"\t\t"%s"\n\t}\n\t"1"\n\t{\n\t\t"path"\t\t"%s"\n\t}\n}\n' \
    "$home/.local/share/Steam" /mnt/games/SteamLibrary >"$home/.local/share/Steam/steamapps/libraryfolders.vdf"
  SANDBOX_BINDS=("$library=/mnt/games/SteamLibrary")
  move_everything_between "" "$home" "$game/Cache" /mnt/games/SteamLibrary "$game"
  SANDBOX_BINDS=()
}

# Luxtorpeda runs the Linux build from Steam's copy, which keeps its cache in
# ~/.ut2004.
case_luxtorpeda() {
  local home="$case_dir/home"
  local game="$home/.local/share/Steam/steamapps/common/Unreal Tournament 2004"
  make_game_folder "$game"
  : >"$game/System/ut2004-bin-linux-amd64"
  make_sample_cache "$home" "$home/.ut2004/Cache"
  move_everything_between "" "$home" "$home/.ut2004/Cache" "$game" "$game"
}

# A Lutris game: its YAML names the executable inside its Wine prefix.
case_lutris_prefix() {
  local home="$case_dir/home" game="$case_dir/home/Games/ut2004/drive_c/UT2004"
  windows_game "$game"
  mkdir -p "$home/.config/lutris/games"
  printf 'game:\n  exe: %s/System/UT2004.exe\n  prefix: %s/Games/ut2004\nwine:\n  version: lutris-ge\n' \
    "$game" "$home" >"$home/.config/lutris/games/unreal-tournament-2004-1700000000.yml"
  move_everything_between "" "$home" "$game/Cache" "$game" "$game"
}

# A Wine prefix whose registry records the game on drive D:, a link in its
# dosdevices to another disk.
case_wine_registry() {
  local home="$case_dir/home" disk="$case_dir/disk"
  windows_game "$disk/Games/UT2004"
  mkdir -p "$home/.wine/dosdevices"
  ln -s /media/disk "$home/.wine/dosdevices/d:"
  printf 'WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n%s 1700000000\n"Folder"="D:\\\\Games\\\\UT2004"\n' \
    '[Software\\Unreal Technology\\Installed Apps\\UT2004]' >"$home/.wine/system.reg"
  SANDBOX_BINDS=("$disk=/media/disk")
  move_everything_between "" "$home" "$disk/Games/UT2004/Cache" /media/disk/Games/UT2004 "$disk/Games/UT2004"
  SANDBOX_BINDS=()
}

# The Linux client and the retail game under Wine, each with its own cache:
# File > Game switches to the second, and its move lands in its folders.
case_two_installations() {
  local home="$case_dir/home" linux="$case_dir/ut2004" wine="$case_dir/home/.wine/drive_c/UT2004"
  make_sample_cache "$home" "$home/.ut2004/Cache"
  make_game_folder "$linux"
  windows_game "$wine"
  cp -a "$home/.ut2004/Cache" "$case_dir/linux-cache-before"
  cp -a "$wine/Cache" "$case_dir/cache-before"
  launch_bound "$linux=/usr/local/games/ut2004" "$home"
  local window
  need_window window "Cache Sorter" || return
  # File > Game: the Linux client ticked first, the Wine prefix below it.
  press "$window" alt+f g Down Return
  local settings="$home/.config/cache-sorter/cache-sorter.ini" tries
  for tries in $(seq 50); do
    grep -q '^layout=Wine$' "$settings" 2>/dev/null && break
    sleep 0.1
  done
  grep -q '^layout=Wine$' "$settings" 2>/dev/null || fail "the installation picked was not remembered"
  tick_all_and_move "$window" "$wine/Cache" "$wine"
  diff -r -q "$case_dir/linux-cache-before" "$home/.ut2004/Cache" >/dev/null || fail "the other cache changed"
  [ -z "$(find "$linux" -type f)" ] || fail "something reached the other game"
}

# choose_folder WINDOW KEYS TITLE FOLDER: opens a folder dialog with KEYS and
# picks FOLDER in it by typing its path.
choose_folder() {
  local window="$1" keys="$2" title="$3" folder="$4" dialog
  press "$window" "$keys"
  need_window dialog "$title" || return
  type_text "$dialog" "$folder"
  press "$dialog" Return
}

# Nothing to be found and no volumes folder: the window opens empty; the user
# chooses both folders through the dialogs and moves.
case_empty_window() {
  local home="$case_dir/home" cache="$case_dir/home/Downloads/Cache" game="$case_dir/home/Games/UT2004"
  make_sample_cache "$home" "$cache"
  make_game_folder "$game"
  cp -a "$cache" "$case_dir/cache-before"
  launch "" "$home"
  local window
  need_window window "Cache Sorter" || return
  find_window Error 1 >/dev/null && fail "an alert came up"
  choose_folder "$window" ctrl+o "Choose Cache Folder" "$cache" || return
  choose_folder "$window" ctrl+shift+o "Choose Game Folder" "$game" || return
  local settings="$home/.config/cache-sorter/cache-sorter.ini"
  grep -q "^cache=$cache\$" "$settings" 2>/dev/null || fail "the cache folder was not remembered"
  grep -q "^game=$game\$" "$settings" 2>/dev/null || fail "the game folder was not remembered"
  tick_all_and_move "$window" "$cache" "$game"
}

case_round_trip_on_one_volume() {
  local home="$case_dir/Volumes/Macintosh HD/Users/player"
  make_sample_cache "$home"
  move_everything "$home"
}

case_copy_across_volumes() {
  local home="$case_dir/home"
  make_sample_cache "$home"
  # A large package: 6 MiB of random bytes in place of the first map.
  { package_start DM-Deck17-Remix.ut2 && head -c $((6 << 20)) /dev/urandom; } \
    >"$home/$CACHE_SUBDIR/3F2A9C41D0B7E6A58C1F2E3D4B5A6978.uxx"
  move_everything "$home"
}

# sample_with_installation: a sample cache in a home folder outside the
# volumes, the game on "Macintosh HD", and the cache as it was in
# cache-before. Sets the caller's home, volume and cache.
sample_with_installation() {
  home="$case_dir/home"
  volume="$case_dir/Volumes/Macintosh HD"
  cache="$home/$CACHE_SUBDIR"
  make_sample_cache "$home"
  make_installation "$volume"
  cp -a "$cache" "$case_dir/cache-before"
}

# answer_move WINDOW ANSWER KEYS...: types KEYS, then the move's shortcut, and
# answers the confirmation with ANSWER.
answer_move() {
  local window="$1" answer="$2" confirmation
  shift 2
  press "$window" "$@" ctrl+shift+m
  need_window confirmation "Move Packages" || return
  press "$confirmation" "$answer"
}

case_tick_one_tab() {
  local home volume cache
  sample_with_installation
  launch "$case_dir/Volumes" "$home"
  local window
  need_window window "Cache Sorter" || return
  # Ticking everything, then unticking everything, leaves only the tab
  # ticked: the Maps tab, which a first start shows.
  answer_move "$window" Return ctrl+shift+a ctrl+shift+u ctrl+shift+t || return
  local expected
  expected="[Cache]"$'\n'"$(tr -d '\r' <"$case_dir/cache-before/cache.ini" | grep '=' | grep -v -i '\.ut2$' |
    grep -v "$foreign_line")"$'\n'"$foreign_line"$'\n'
  wait_for_index "$cache/cache.ini" "$expected"
  press "$window" ctrl+q
  expect_exit 0
  local maps
  maps="$(ls "$volume/$BUNDLE_SUBDIR/Maps" | sort | tr '\n' ' ')"
  [ "$maps" = "CTF-FaceClassic.ut2 DM-Deck17-Remix.ut2 DM-Rankin-Night.ut2 ONS-Torlan-Snow.ut2 " ] ||
    fail "Maps holds $maps"
  [ -z "$(ls "$volume/$BUNDLE_SUBDIR/Textures")" ] || fail "other tabs were moved too"
  expect_installed "$case_dir/cache-before" "$volume/$BUNDLE_SUBDIR" 0D9E8F7A6B5C4D3E2F1A0B9C8D7E6F5A \
    Maps/DM-Rankin-Night.ut2
}

case_cancel_move() {
  local home volume cache
  sample_with_installation
  local inode
  inode="$(stat -c %i "$cache/cache.ini")"
  launch "$case_dir/Volumes" "$home"
  local window
  need_window window "Cache Sorter" || return
  answer_move "$window" Escape ctrl+shift+a || return
  window_gone "Move Packages" || fail "the confirmation stayed up"
  press "$window" ctrl+q
  expect_exit 0
  [ "$(stat -c %i "$cache/cache.ini")" = "$inode" ] || fail "the index was written anew"
  diff -r -q "$case_dir/cache-before" "$cache" >/dev/null || fail "the cache changed"
  [ -z "$(find "$volume/$BUNDLE_SUBDIR" -type f)" ] || fail "something reached the game"
}

all_cases=(missing_volumes no_installation round_trip_on_one_volume copy_across_volumes tick_one_tab cancel_move
  linux_client settings_not_files read_only_game steam empty_window clean_and_cancel steam_library luxtorpeda
  lutris_prefix wine_registry two_installations root_owned_game)
cases=("$@")
[ ${#cases[@]} -eq 0 ] && cases=("${all_cases[@]}")

for name in "${cases[@]}"; do
  case_dir="$work/$name"
  mkdir -p "$case_dir"
  case_failed=0
  echo "e2e: $name"
  "case_$name"
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid" 2>/dev/null
    wait "$program_pid" 2>/dev/null
  fi
  program_pid=
  if [ "$case_failed" -eq 0 ]; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
    sed 's/^/    program: /' "$case_dir/program.log" 2>/dev/null | head -n 20
    # A program that could not reach the display: what the X server said.
    kill -0 "$XVFB_PID" 2>/dev/null || echo "    Xvfb is no longer running"
    sed 's/^/    Xvfb: /' "$work/xvfb.log" 2>/dev/null | tail -n 5
  fi
done

echo "e2e: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
