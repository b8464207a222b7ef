#!/usr/bin/env bash
# Builds TC's three archive libraries for the tests of the /unpack child, from
# Debian's source packages, cross-compiled for x86_64 Windows:
#   LIBDEFLATE64.DLL  libdeflate
#   UNRAR64.DLL       unrar-nonfree (RarLab's UnRAR library)
#   TC7Z64.DLL        7zip (7-Zip's archive DLL, the Format7zF bundle)
# Each is built once per package version and kept in the cache
# (KV_LIBS_CACHE, default /var/cache/kestrovane-libs), then copied to the folder given.
set -euo pipefail
out=${1:?usage: archive-libs.sh <folder for the DLLs>}
here=$(cd "$(dirname "$0")" && pwd)
cache=${KV_LIBS_CACHE:-/var/cache/kestrovane-libs}
jobs=$(nproc)
source "$here/debian-apt.sh"

build_libdeflate() {
  x86_64-w64-mingw32-gcc -O2 -shared -static-libgcc -s -DLIBDEFLATE_DLL -I. \
    -o "$1/LIBDEFLATE64.DLL" lib/*.c lib/x86/*.c lib/arm/*.c
}

build_unrar() {
  # MinGW's headers are lower case; UnRAR names two of them as Windows SDKs spell them.
  mkdir -p shim obj
  ln -sf /usr/x86_64-w64-mingw32/include/powrprof.h shim/PowrProf.h
  ln -sf /usr/x86_64-w64-mingw32/include/wbemidl.h shim/Wbemidl.h
  # MinGW has no comsupp library; UnRAR needs its one string conversion.
  cat > kv_comsupp.cpp <<'EOF'
#include <comutil.h>
namespace _com_util {
BSTR WINAPI ConvertStringToBSTR(const char* s) {
    if (!s) return nullptr;
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    BSTR b = SysAllocStringLen(nullptr, n > 0 ? n - 1 : 0);
    if (b && n > 0) MultiByteToWideChar(CP_ACP, 0, s, -1, b, n);
    return b;
}
}
EOF
  local sources="archive arcread blake2s cmddata consio crc crypt dll encname errhnd extinfo
    extract filcreat file filefn filestr find getbits global hash headers isnt match options
    pathfn qopen rar rarvm rawread rdwrfn rijndael rs rs16 scantree secpassword sha1 sha256
    smallfn strfn strlist system threadpool timefn ui unicode unpack volume"
  printf '%s\n' $sources kv_comsupp | xargs -P "$jobs" -I{} \
    x86_64-w64-mingw32-g++ -O2 -w -Ishim -DRARDLL -DUNRAR -DSILENT -c {}.cpp -o obj/{}.o
  x86_64-w64-mingw32-g++ -shared -static -s -o "$1/UNRAR64.DLL" obj/*.o dll.def \
    -lole32 -loleaut32 -lwbemuuid -lshlwapi -lpowrprof -ladvapi32 -lshell32 -luuid
}

build_7zip() {
  # Debian's source lacks the RAR codecs; TC's 7z library needs none of them.
  make -C CPP/7zip/Bundles/Format7zF -f makefile.gcc -j "$jobs" -s IS_MINGW=1 IS_X64=1 DISABLE_RAR=1 \
    CC=x86_64-w64-mingw32-gcc CXX=x86_64-w64-mingw32-g++ RC=x86_64-w64-mingw32-windres \
    LDFLAGS_STATIC="-static -s" >/dev/null
  cp CPP/7zip/Bundles/Format7zF/_o/7z.dll "$1/TC7Z64.DLL"
}

# build <source package> <DLL> <builder>: the cached DLL of the newest version, built when missing.
build() {
  local pkg=$1 dll=$2 builder=$3 version dir work
  version=$(kv_src_version "$pkg")
  [ -n "$version" ] || { echo "source package $pkg not found" >&2; return 1; }
  dir="$cache/$pkg-${version//:/_}"
  if [ ! -f "$dir/$dll" ]; then
    echo "== Building $dll from $pkg $version"
    work=$(mktemp -d "$cache/build.XXXXXX")
    (cd "$work" && apt-get "${KV_APT[@]}" source -qq "$pkg=$version" >/dev/null 2>&1)
    mkdir -p "$dir.tmp"
    (cd "$work"/*/ && $builder "$dir.tmp")
    rm -rf "$work" "$dir"
    mv "$dir.tmp" "$dir"
  fi
  cp "$dir/$dll" "$out/$dll"
}

mkdir -p "$cache" "$out"
# Several work trees may run their tests at once on one machine: one builds, the others wait.
exec 9>"$cache/.lock"
flock 9
rm -rf "$cache"/build.* "$cache"/*.tmp
kv_apt_setup
build libdeflate LIBDEFLATE64.DLL build_libdeflate
build unrar-nonfree UNRAR64.DLL build_unrar
build 7zip TC7Z64.DLL build_7zip
