# Shell helpers shared by the demo, the screenshot and the end-to-end tests:
# a sample cache, a sample volume, and a bubblewrap sandbox in which the
# volumes folder stands at "/Volumes". Source this file; it defines functions
# only.

CACHE_SUBDIR="Library/Application Support/Unreal Tournament 2004/Cache"
BUNDLE_SUBDIR="Applications/Unreal Tournament 2004.app"
CATEGORY_FOLDERS=(Animations KarmaData Maps Music Sounds StaticMeshes System Textures)

# make_installation VOLUME_FOLDER: the game's bundle with its category folders.
make_installation() {
  make_game_folder "$1/$BUNDLE_SUBDIR"
}

# make_game_folder FOLDER: a game folder with its category folders; with
# SAMPLE_NEEDS set, also the game's own Engine package, which the sample
# maps then need.
make_game_folder() {
  local bundle="$1"
  local folder
  for folder in "${CATEGORY_FOLDERS[@]}"; do
    mkdir -p "$bundle/$folder"
  done
  if [ -n "${SAMPLE_NEEDS:-}" ]; then
    write_package 0E0E0E0E0E0E0E0E0E0E0E0E0E0E0E0E >"$bundle/System/Engine.u"
  fi
}

# make_sample_cache HOME [CACHE_FOLDER]: a cache of a dozen packages across
# all eight categories, plus one package the game keeps that belongs to none,
# in CACHE_FOLDER (by default the Mac release's, in HOME).
make_sample_cache() {
  local cache="${2:-$1/$CACHE_SUBDIR}"
  mkdir -p "$cache"
  local -a entries=(
    "3F2A9C41D0B7E6A58C1F2E3D4B5A6978=DM-Deck17-Remix.ut2"
    "A1B2C3D4E5F60718293A4B5C6D7E8F90=CTF-FaceClassic.ut2"
    "0D9E8F7A6B5C4D3E2F1A0B9C8D7E6F5A=DM-Rankin-Night.ut2"
    "11223344556677889900AABBCCDDEEFF=ONS-Torlan-Snow.ut2"
    "C0FFEE00C0FFEE00C0FFEE00C0FFEE00=HumanMaleA.ukx"
    "BADA55BADA55BADA55BADA55BADA55BA=Ragdoll-Heavy.ka"
    "5EED5EED5EED5EED5EED5EED5EED5EED=Soundtrack-Arena.ogg"
    "FACEFACEFACEFACEFACEFACEFACEFACE=WeaponSounds-Pro.uax"
    "DEADBEEFDEADBEEFDEADBEEFDEADBEEF=Crates-StaticMeshes.usx"
    "0123456789ABCDEF0123456789ABCDEF=UTComp-v1.7.u"
    "FEDCBA9876543210FEDCBA9876543210=AntalusTextures.utx"
    "ABCDEF0123456789ABCDEF0123456789=Skies-Nebula.UTX"
  )
  # With SAMPLE_NEEDS set, what each package needs, as the game's packages
  # name what they import: the maps need the textures, meshes and sounds
  # beside them in the cache, and packages of the game itself; Rankin-Night
  # needs one no one has. Without, each package needs nothing, and a move
  # offers nothing beyond the ticked packages.
  local -A needs=()
  if [ -n "${SAMPLE_NEEDS:-}" ]; then
    needs=(
      [DM-Deck17-Remix.ut2]="AntalusTextures Crates-StaticMeshes Engine"
      [CTF-FaceClassic.ut2]="Skies-Nebula WeaponSounds-Pro Engine"
      [DM-Rankin-Night.ut2]="AntalusTextures RankinNightTex Engine"
      [ONS-Torlan-Snow.ut2]="Engine"
      [Crates-StaticMeshes.usx]="AntalusTextures"
    )
  fi
  {
    printf '[Cache]\r\n'
    local entry name
    for entry in "${entries[@]}"; do
      printf '%s\r\n' "$entry"
      name="${entry#*=}"
      case "${name,,}" in
      *.ogg | *.ka) { package_start "$name" && printf 'package %s\n' "$name"; } >"$cache/${entry%%=*}.uxx" ;;
      # shellcheck disable=SC2086 # the needs are words
      *) write_package "${entry%%=*}" ${needs[$name]:-} >"$cache/${entry%%=*}.uxx" ;;
      esac
    done
    printf '99999999999999999999999999999999=Readme-Server.txt\r\n'
  } >"$cache/cache.ini"
  printf 'server notes\n' >"$cache/99999999999999999999999999999999.uxx"
}

# hex_word N: N as four bytes, least significant first, in hex digits.
hex_word() {
  printf '%02x%02x%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255))
}

# hex_name NAME: an entry of a package's name table, in hex digits: its
# length with the NUL (under 64, one byte), the name, a NUL and its flags.
hex_name() {
  printf '%02x' $((${#1} + 1))
  printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n'
  printf '00%s' "$(hex_word 0x70010)"
}

# write_package GUID NEED...: a package of the game's format (version 128)
# whose GUID is the 32 hex digits GUID, that imports each NEED as a package
# and holds no object. At most 60 needs, so that every index is one byte.
write_package() {
  local guid=$1 need names imports count=3 index
  shift
  names="$(hex_name None)$(hex_name Core)$(hex_name Package)"
  imports=
  for need in "$@"; do
    names+="$(hex_name "$need")"
    # Core.Package, no outer, then the need's name.
    imports+="$(printf '0102%s%02x' "$(hex_word 0)" "$count")"
    count=$((count + 1))
  done
  local header="c1832a9e80001d00$(hex_word 1)"
  local names_end=$((64 + ${#names} / 2))
  header+="$(hex_word "$count")$(hex_word 64)$(hex_word 0)$(hex_word $((names_end + ${#imports} / 2)))"
  header+="$(hex_word $#)$(hex_word "$names_end")"
  for index in 0 8 16 24; do
    header+="$(hex_word $((16#${guid:index:8})))"
  done
  # No generations, then zeros up to the name table.
  header+="$(hex_word 0)$(hex_word 0)$(hex_word 0)"
  printf "$(printf '%s' "$header$names$imports" | sed 's/../\\x&/g')"
}

# package_start NAME: the bytes a sound download of the package NAME begins
# with: "OggS" for music, the package signature C1 83 2A 9E for the others
# (nothing for .ka Karma data and for files of no category).
package_start() {
  case "${1,,}" in
  *.ogg) printf 'OggS' ;;
  *.ukx | *.ut2 | *.uax | *.usx | *.u | *.utx) printf '\xC1\x83\x2A\x9E' ;;
  esac
}

# make_big_cache HOME: the sample cache grown by 114,000 entries: 100,000
# maps and 2,000 of each other category. Only the first 200 of each have a
# cached file, since the others are never in sight.
make_big_cache() {
  local cache="$1/$CACHE_SUBDIR"
  make_sample_cache "$1"
  awk -v cache="$cache" 'BEGIN {
    split(".ukx .ka .ut2 .ogg .uax .usx .u .utx", endings, " ")
    for (kind = 1; kind <= 8; kind++)
      for (i = 0; i < (kind == 3 ? 100000 : 2000); i++) {
        name = sprintf("%08X%024d", kind, i)
        printf "%s=Pkg-%d%s\r\n", name, i, endings[kind]
        if (i >= 200) continue
        file = cache "/" name ".uxx"
        printf "%spackage %d\n", (kind == 4 ? "OggS" : kind == 2 ? "" : "\301\203\052\236"), i >file
        close(file)
      }
  }' >>"$cache/cache.ini"
}

# Other folders to show in the sandbox, each "FOLDER=PLACE": the game of a
# Linux layout at "/usr/local/games/ut2004", for example. "ro:FOLDER=PLACE"
# shows it read-only.
SANDBOX_BINDS=()
SANDBOX_WRAPPER=()

# run_sandboxed VOLUMES HOME PROGRAM [ARGS...]: runs PROGRAM with VOLUMES at
# "/Volumes" (none at all when VOLUMES is empty), HOME as the home folder and
# the folders of SANDBOX_BINDS in their places.
# A HOME inside VOLUMES is seen at its place under "/Volumes". The sandbox has
# a root of its own (a private tmpfs), so nothing is created in the real root.
run_sandboxed() {
  local volumes="$1" home="$2"
  shift 2
  local -a args=(
    --tmpfs /
    --ro-bind /usr /usr
    --ro-bind /etc /etc
    --symlink usr/lib /lib
    --symlink usr/bin /bin
    --symlink usr/sbin /sbin
    --proc /proc
    --dev /dev
    --dir /tmp
    --unsetenv XDG_CONFIG_HOME
    --unsetenv XDG_DATA_HOME
    --unsetenv XDG_CACHE_HOME
    --unsetenv WINEPREFIX
    --die-with-parent
  )
  [ -e /lib64 ] && args+=(--symlink usr/lib64 /lib64)
  [ -d /var/cache/fontconfig ] && args+=(--ro-bind /var/cache/fontconfig /var/cache/fontconfig)
  [ -d /tmp/.X11-unix ] && args+=(--ro-bind /tmp/.X11-unix /tmp/.X11-unix)
  [ -n "${XAUTHORITY:-}" ] && [ -e "$XAUTHORITY" ] && args+=(--ro-bind "$XAUTHORITY" "$XAUTHORITY")
  if [ -n "${XDG_RUNTIME_DIR:-}" ] && [ -d "$XDG_RUNTIME_DIR" ]; then
    args+=(--bind "$XDG_RUNTIME_DIR" "$XDG_RUNTIME_DIR")
  else
    args+=(--perms 0700 --dir /tmp/runtime --setenv XDG_RUNTIME_DIR /tmp/runtime)
  fi
  [ -n "$volumes" ] && args+=(--dir /Volumes --bind "$volumes" /Volumes)
  local bind
  for bind in "${SANDBOX_BINDS[@]}"; do
    # /usr is read-only here: a place under /usr/local gets a tmpfs of its own.
    if [[ "${bind#*=}" == /usr/local/* ]]; then
      args+=(--tmpfs /usr/local)
      break
    fi
  done
  for bind in "${SANDBOX_BINDS[@]}"; do
    if [[ "$bind" == ro:* ]]; then
      bind="${bind#ro:}"
      args+=(--ro-bind "${bind%%=*}" "${bind#*=}")
    else
      args+=(--bind "${bind%%=*}" "${bind#*=}")
    fi
  done
  if [ -n "$volumes" ] && [[ "$home" == "$volumes"/* ]]; then
    args+=(--setenv HOME "/Volumes/${home#"$volumes"/}")
  else
    args+=(--bind "$home" "$home" --setenv HOME "$home")
  fi
  local program
  program="$(readlink -f "$1")"
  shift
  args+=(--ro-bind "$(dirname "$program")" "$(dirname "$program")")
  # SANDBOX_WRAPPER, when set, runs the program (strace, for a test).
  bwrap "${args[@]}" "${SANDBOX_WRAPPER[@]}" "$program" "$@"
}
