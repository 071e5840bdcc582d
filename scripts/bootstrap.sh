# Sourced by ./test and ./run: installs the Debian packages the build needs when
# it can, then configures and builds in build/ (Release, incremental); ./test
# also builds the core's tests with the sanitizers in build-asan/ and the fuzz
# targets in build-fuzz/.
PIXOLANE_PACKAGES="cmake g++ ninja-build pkg-config clang-format qt6-base-dev qt6-webengine-dev \
libcurl4-openssl-dev libssh-dev qtkeychain-qt6-dev openssh-server openssh-client vsftpd python3-pyftpdlib openssl \
libgl-dev libvips-dev libjpeg-dev liblcms2-dev libvips-tools libgtest-dev imagemagick \
libjpeg-turbo-progs libimage-exiftool-perl hyperfine xvfb xauth fonts-dejavu-core \
qt6-translations-l10n desktop-file-utils appstream dpkg-dev file lintian clang libclang-rt-14-dev \
exfatprogs exfat-fuse"

pixolane_missing_packages() {
  local missing=""
  for p in $PIXOLANE_PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  echo "$missing"
}

pixolane_install() {
  local missing
  missing=$(pixolane_missing_packages)
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" = 0 ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    # shellcheck disable=SC2086
    apt-get install -y --no-install-recommends $missing
  elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    sudo apt-get update
    # shellcheck disable=SC2086
    sudo DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
  else
    echo "Missing Debian packages. Run, as root:"
    echo "  apt-get update && apt-get install -y$missing"
    exit 1
  fi
}

# Where ccache is installed, compilations are shared between build folders
# (and between checkouts, with its base_dir set).
pixolane_launcher() {
  if command -v ccache >/dev/null; then
    echo "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
  fi
}

pixolane_build() {
  local gen=()
  if [ ! -f build/CMakeCache.txt ] && command -v ninja >/dev/null; then
    gen=(-G Ninja)
  fi
  # shellcheck disable=SC2046
  cmake -S . -B build "${gen[@]}" $(pixolane_launcher) -DCMAKE_BUILD_TYPE=Release
  cmake --build build --parallel "$(nproc)"
}

# The terminal and core tests, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (the window tests stay on the plain build).
PIXOLANE_SANITIZED_TARGETS="pixolane-cli test_platform test_job test_imaging test_pages test_run test_publish test_cli"

pixolane_build_sanitized() {
  local gen=()
  if [ ! -f build-asan/CMakeCache.txt ] && command -v ninja >/dev/null; then
    gen=(-G Ninja)
  fi
  # shellcheck disable=SC2046
  cmake -S . -B build-asan "${gen[@]}" $(pixolane_launcher) -DCMAKE_BUILD_TYPE=Debug -DPIXOLANE_SANITIZE=address,undefined
  # shellcheck disable=SC2086
  cmake --build build-asan --parallel "$(nproc)" --target $PIXOLANE_SANITIZED_TARGETS
}

# The fuzz targets (fuzz/): clang's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, optimised a little (the fuzzer's speed is its
# reach). Only the targets are built, not the programs.
pixolane_build_fuzz() {
  local gen=()
  if [ ! -f build-fuzz/CMakeCache.txt ] && command -v ninja >/dev/null; then
    gen=(-G Ninja)
  fi
  # shellcheck disable=SC2046
  cmake -S . -B build-fuzz "${gen[@]}" $(pixolane_launcher) -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DBUILD_TESTING=OFF \
    -DPIXOLANE_FUZZ=ON -DPIXOLANE_SANITIZE=address,undefined
  cmake --build build-fuzz --parallel "$(nproc)" --target fuzz
}
