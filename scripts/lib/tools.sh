# The commands the scripts and the test suite call, each with the Debian
# package that has it, and the packages that have no command to look for.
# What building and running the program needs is kept apart from what only
# testing needs: `scripts/bootstrap --run` installs the first, for the demo
# and the package; `scripts/bootstrap` installs both. scripts/test checks
# every command before it builds anything. Source this file; it defines
# variables only.

# "command package" pairs: building the program, and its sandbox.
RUN_TOOLS=(
  "cmake cmake" "g++ g++" "make make" "pkg-config pkgconf" "bwrap bubblewrap"
)

# Libraries and headers the program is built with.
RUN_LIBRARIES=(qt6-base-dev libgl-dev zlib1g-dev libyaml-cpp-dev nlohmann-json3-dev libarchive-dev)

# "command package" pairs the test suite and the other scripts call.
TEST_TOOLS=(
  "ctest cmake" "cpack cmake" "clang-format clang-format"
  "Xvfb xvfb" "xdotool xdotool" "xauth xauth"
  "strace strace" "mkfs.ext4 e2fsprogs" "losetup mount" "mount mount"
  "appstreamcli appstream" "desktop-file-validate desktop-file-utils" "dpkg-shlibdeps dpkg-dev"
  "file file" "free procps" "unzip unzip"
)

# Found when present; the step that uses them says SKIPPED without them.
OPTIONAL_TOOLS=("clang++ clang")

# Libraries, headers and data the tests, the benchmarks and the windows
# drawn under Xvfb need.
TEST_LIBRARIES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  x11-utils fonts-dejavu-core libclang-rt-dev
)

TOOLS=("${RUN_TOOLS[@]}" "${TEST_TOOLS[@]}")
