#!/bin/bash
# The installed module as hosts meet it. Each step works in its own folder under WORK:
#   install    cmake --install the build into WORK/prefix
#   kpfhost    the installed kpfhost makes a demo home, plays the demo script there as the build
#              tree's does (with --home and from the working directory), and names the ways out
#              where there is no home
#   find-package / pkg-config
#              examples/ configured on its own against the prefix, its C host run on the demo
#   consumer   a host linking Kpf05520::Pkg_Kpf05520 and Kpf05520::_dll calls GetPackageRequires,
#              from its build tree, installed with install(TARGETS), and built with pkg-config
#   deb        cpack -G DEB: four packages, each file in its own, the runtime's dependencies,
#              lintian, dpkg-deb -x, and the unpacked kpfhost plays the demo script
# Usage: check.sh STEP SOURCE_DIR BUILD_DIR WORK
set -euo pipefail
step=$1 source=$2 build=$3 work=$4
prefix=$work/prefix
mkdir -p "$work"
export QT_QPA_PLATFORM=offscreen
unset LD_LIBRARY_PATH CMAKE_PREFIX_PATH PKG_CONFIG_PATH KPF_CONNECTION

fail() { echo "check: $*" >&2; exit 1; }

# A demo home made by the installed kpfhost from what the installed tree ships.
demo_home() { # KPFHOST DIR
  "$1" --make-demo-home "$2" 2> "$2.log" || { cat "$2.log"; fail "no demo home in $2"; }
}

# Without --home the installed kpfhost works in the directory where it is started; where there is
# no home, it says what it looked for and names the ways out on standard error.
where_a_person_stands() { # HOME
  local key=(--branch 0001 --till 001 --z 0000000123 --date 2026-12-02)
  (cd "$1" && "$prefix/bin/kpfhost" "${key[@]}" --script "$source/demo/demo.script") \
    > "$1/here.txt" || { cat "$1/here.txt"; fail "kpfhost failed in its working directory"; }
  diff -u "$1/actual-pt.txt" "$1/here.txt" || fail "kpfhost in its working directory differs"
  mkdir -p "$work/nowhere"
  local status=0
  (cd "$work/nowhere" && "$prefix/bin/kpfhost" "${key[@]}" --script "$source/demo/demo.script") \
    > "$work/nowhere.txt" 2> "$work/nowhere.err" || status=$?
  [[ $status == 1 ]] || fail "kpfhost without a home exited $status"
  grep -q "not found in $work/nowhere; give the home with --home DIR, or make a demo home with" \
    "$work/nowhere.err" || { cat "$work/nowhere.err"; fail "no hint for a missing home"; }
}

# The platform layer must come from the tree under test, not from the build tree.
check_resolves_inside() { # PROGRAM TREE
  local found
  found=$(ldd "$1" | awk '/libkpfplatform/ { print $3 }')
  [[ $(realpath "$found") == "$(realpath "$2")"/* ]] || fail "$1 takes libkpfplatform from '$found'"
}

# kpfhost links none of the module's libraries; the host library it loads takes the platform layer
# from the same tree.
check_plain_host() { # KPFHOST TREE
  ! ldd "$1" | grep -E 'libkpf|lib_dll|libPkg_' || fail "$1 links a library of the module"
  check_resolves_inside "$(find "$2" -path '*/kpf05520/lib_dll.so.1')" "$2"
}

# The demo script and a translated run, each the same as the build tree's kpfhost gives.
same_as_build_tree() { # KPFHOST HOME
  local key=(--branch 0001 --till 001 --z 0000000123 --date 2026-12-02 --home "$2")
  for lang in pt en; do
    "$build/bin/kpfhost" "${key[@]}" --lang "$lang" --script "$source/demo/demo.script" \
      > "$2/expected-$lang.txt"
    "$1" "${key[@]}" --lang "$lang" --script "$source/demo/demo.script" > "$2/actual-$lang.txt" ||
      { cat "$2/actual-$lang.txt"; fail "$1 --lang $lang failed"; }
    diff -u "$2/expected-$lang.txt" "$2/actual-$lang.txt" || fail "$1 --lang $lang differs"
  done
  grep -q '^RESULT PACKET' "$2/actual-pt.txt" || fail "no confirmed packet"
}

# examples/ as its own project, then its C host confirms the demo Z reduction like the built one.
example_against_prefix() { # DIR CMAKE_ARGS...
  local dir=$1; shift
  cmake -S "$source/examples" -B "$dir/build" -G Ninja "$@" > "$dir.log" || { cat "$dir.log"; exit 1; }
  cmake --build "$dir/build" >> "$dir.log" || { cat "$dir.log"; exit 1; }
  demo_home "$prefix/bin/kpfhost" "$dir/home"
  local args=(--home "$dir/home" --confirm-after-ms 300 0001 001 0000000123 2026-12-02)
  "$build/bin/example_c_host" "${args[@]}" > "$dir/expected.txt"
  "$dir/build/example_c_host" "${args[@]}" > "$dir/actual.txt" || { cat "$dir/actual.txt"; exit 1; }
  diff -u "$dir/expected.txt" "$dir/actual.txt" || fail "the installed example differs"
  grep -q '^CONFIRMED' "$dir/actual.txt" || fail "not confirmed"
}

case $step in
install)
  rm -rf "$prefix"
  cmake --install "$build" --prefix "$prefix" > "$work/install.log"
  # The packaging check: nothing of the tests, benchmarks or fuzzers, and the development links.
  # The test interface for hosts (libkpf_test.so, kpf_test.h and its export macros) is a product
  # library, not a test.
  ! find "$prefix" \( -name '*test*' ! -name 'libkpf_test.so*' ! -name 'kpf_test*.h' \
    ! -name libkpf05520-test-1 ! -path '*/libkpf05520-test-1/*' ! -path '*/man/man3/*' \) \
    -o -name '*bench*' -o -name '*fuzz*' | grep . || fail "test files installed"
  [[ -f $(echo "$prefix"/include/kpf05520/kpf_test.h) ]] || fail "kpf_test.h not installed"
  # kpfhost's man page, made from its --help.
  zgrep -q 'make\\-demo\\-home' "$prefix/share/man/man1/kpfhost.1.gz" ||
    fail "no man page for kpfhost, or one that is not its --help"
  # The C reference: a page for each header, and one for each function that leads to it.
  zgrep -q 'CriaImpostoRedz' "$prefix/share/man/man3/kpf05520.h.3.gz" &&
    zgrep -q 'kpf_dll.h' "$prefix/share/man/man3/KpfDll_SetHostWindow.3.gz" ||
    fail "no C reference among the manual pages"
  for lib in libkpfplatform lib_dll libPkg_Kpf05520 libkpf_test; do
    [[ -L $(echo "$prefix"/lib/*/kpf05520/$lib.so) ]] || fail "$lib.so missing or not a link"
    readelf -d "$prefix"/lib/*/kpf05520/$lib.so.1 | grep -q "SONAME.*\[$lib.so.1\]" || fail "$lib: no SONAME .so.1"
  done ;;
kpfhost)
  rm -rf "$work/kpfhost"
  check_plain_host "$prefix/bin/kpfhost" "$prefix"
  demo_home "$prefix/bin/kpfhost" "$work/kpfhost"
  same_as_build_tree "$prefix/bin/kpfhost" "$work/kpfhost"
  where_a_person_stands "$work/kpfhost" ;;
find-package)
  rm -rf "$work/find-package"
  example_against_prefix "$work/find-package" -DCMAKE_PREFIX_PATH="$prefix" ;;
pkg-config)
  rm -rf "$work/pkg-config"
  export PKG_CONFIG_PATH=$(echo "$prefix"/lib/*/pkgconfig)
  cflags=$(pkg-config --cflags kpf05520 | xargs)
  [[ -f ${cflags#-I}/kpf05520.h ]] || fail "--cflags names no folder with kpf05520.h: $cflags"
  [[ -e $(pkg-config --variable=moduledir kpf05520)/lib_dll.so ]] || fail "moduledir has no lib_dll.so"
  example_against_prefix "$work/pkg-config" -DKPF_EXAMPLES_PKGCONFIG=ON ;;
consumer)
  rm -rf "$work/consumer"
  cmake -S "$source/tests/package/consumer" -B "$work/consumer" -G Ninja \
    -DCMAKE_PREFIX_PATH="$prefix" > "$work/consumer.log" || { cat "$work/consumer.log"; exit 1; }
  cmake --build "$work/consumer" >> "$work/consumer.log" || { cat "$work/consumer.log"; exit 1; }
  check_resolves_inside "$work/consumer/consumer" "$prefix"
  "$work/consumer/consumer" | tee "$work/consumer.txt"
  grep -qx 'REQUIRES _dll' "$work/consumer.txt" || fail "the module does not name _dll"
  # Installed with install(TARGETS), it still finds the module, with no search path set.
  cmake --install "$work/consumer" --prefix "$work/consumer-installed" >> "$work/consumer.log"
  "$work/consumer-installed/bin/consumer" > "$work/consumer-installed.txt" ||
    fail "the installed CMake host does not run: $(cat "$work/consumer-installed.txt")"
  diff -u "$work/consumer.txt" "$work/consumer-installed.txt" || fail "the installed host differs"
  # The same host built with pkg-config alone.
  export PKG_CONFIG_PATH=$(echo "$prefix"/lib/*/pkgconfig)
  cc -o "$work/consumer-pc" "$source/tests/package/consumer/main.c" \
    $(pkg-config --cflags --libs kpf05520)
  "$work/consumer-pc" > "$work/consumer-pc.txt" || fail "the pkg-config host does not run"
  diff -u "$work/consumer.txt" "$work/consumer-pc.txt" || fail "the pkg-config host differs" ;;
deb)
  rm -rf "$work/deb"
  (cd "$build" && cpack -G DEB -B "$work/deb" > "$work/deb.log") || { cat "$work/deb.log"; exit 1; }
  arch=$(dpkg --print-architecture)
  for package in libkpf05520-1 libkpf05520-test-1 libkpf05520-dev kpfhost; do
    deb=$(echo "$work/deb/${package}_"*"-1_$arch.deb")
    [[ -f $deb ]] || fail "no ${package}_<version>-1_$arch.deb in $work/deb"
    dpkg-deb -c "$deb" | awk '{ print $6 }' > "$work/deb/$package.files"
    dpkg-deb -x "$deb" "$work/deb/root"
  done
  # Each file in the one package that owns it: tills take the runtime alone.
  owns() { # PACKAGE PATTERN...
    local package=$1; shift
    for pattern; do
      grep -q -- "$pattern" "$work/deb/$package.files" || fail "$package lacks $pattern"
    done
  }
  lacks() { # PACKAGE PATTERN
    ! grep -- "$2" "$work/deb/$1.files" || fail "$1 carries $2"
  }
  owns libkpf05520-1 /libkpfplatform.so.1 /lib_dll.so.1 /libPkg_Kpf05520.so.1 kpf05520_es.qm \
    doc/libkpf05520-1/copyright
  lacks libkpf05520-1 'kpf_test\|\.so$\|include/\|bin/'
  owns libkpf05520-test-1 /libkpf_test.so.1
  owns libkpf05520-dev include/kpf05520/kpf05520.h /lib_dll.so$ Kpf05520Config.cmake kpf05520.pc \
    pascal/kpf05520.pas doc/libkpf05520-dev/examples/c_host/main.c man3/kpf05520.h.3.gz \
    man3/CriaImpostoRedz.3.gz
  owns kpfhost usr/bin/kpfhost man1/kpfhost.1.gz demo/demo.script db/demo.sql
  lacks kpfhost 'lib/'
  runtime=$(echo "$work/deb/libkpf05520-1_"*.deb)
  depends=$(dpkg-deb -f "$runtime" Depends) recommends=$(dpkg-deb -f "$runtime" Recommends)
  echo "Depends: $depends"$'\n'"Recommends: $recommends"
  [[ $depends == *libqt6widgets6* && $depends == *libqt6sql6-sqlite* ]] ||
    fail "the runtime's Depends lacks Qt 6 or its SQLite driver"
  [[ $depends != *libqt6test* && $depends != *-psql* && $depends != *fonts-* ]] ||
    fail "the runtime depends on more than a till on SQLite loads"
  [[ $recommends == *libqt6sql6-psql* && $recommends == *libqt6sql6-odbc* &&
     $recommends == *fonts-liberation* ]] || fail "the runtime does not recommend the drivers and fonts"
  # This build is not hardened (scripts/package's is); lintian must still find no error.
  lintian --fail-on error "$work"/deb/*.deb || fail "lintian reports errors"
  check_plain_host "$work/deb/root/usr/bin/kpfhost" "$work/deb/root"
  demo_home "$work/deb/root/usr/bin/kpfhost" "$work/deb/home"
  same_as_build_tree "$work/deb/root/usr/bin/kpfhost" "$work/deb/home" ;;
*) fail "unknown step $step" ;;
esac
