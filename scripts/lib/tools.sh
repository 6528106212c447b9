# The commands the scripts and the test suite call, each with the Debian
# package that has it, and the packages that have no command to look for.
# scripts/bootstrap installs all of them; scripts/test checks the commands
# before it builds anything. Source this file; it defines variables only.

# "command package" pairs.
TOOLS=(
  "cmake cmake" "ctest cmake" "cpack cmake" "g++ g++" "make make" "pkg-config pkgconf"
  "clang-format clang-format"
  "Xvfb xvfb" "xdotool xdotool" "xauth xauth" "bwrap bubblewrap"
  "strace strace" "mkfs.ext4 e2fsprogs" "losetup mount" "mount mount"
  "appstreamcli appstream" "desktop-file-validate desktop-file-utils" "dpkg-shlibdeps dpkg-dev"
  "file file" "free procps"
)

# Found when present; the step that uses them says SKIPPED without them.
OPTIONAL_TOOLS=("clang++ clang")

# Libraries, headers and data the build and the window need.
LIBRARY_PACKAGES=(
  qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
  x11-utils fonts-dejavu-core libclang-rt-dev
)
