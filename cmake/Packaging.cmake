# The Debian packages: `cpack -G DEB` in a build directory gives one package per install component
# (see Install.cmake), each <name>_<version>-<revision>_<arch>.deb with its tree under /usr.
# scripts/package makes them from a Release build with Debian's hardening flags.
include_guard(GLOBAL)
include("${CMAKE_CURRENT_LIST_DIR}/Install.cmake")

set(KPF_DEBIAN_REVISION 1 CACHE STRING "The Debian revision of the packages")
set(kpf_package_version
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${kpf_version_patch}")

# Debian wants each package's changelog compressed, without a timestamp in the gzip header.
find_program(KPF_GZIP gzip REQUIRED)
set(kpf_changelog "${CMAKE_BINARY_DIR}/package/changelog.Debian.gz")
add_custom_command(OUTPUT "${kpf_changelog}"
    COMMAND "${CMAKE_COMMAND}" -E copy "${CMAKE_CURRENT_LIST_DIR}/debian/changelog"
            "${CMAKE_BINARY_DIR}/package/changelog.Debian"
    COMMAND "${KPF_GZIP}" -9nf "${CMAKE_BINARY_DIR}/package/changelog.Debian"
    DEPENDS "${CMAKE_CURRENT_LIST_DIR}/debian/changelog" VERBATIM)
add_custom_target(kpf_changelog ALL DEPENDS "${kpf_changelog}")
foreach(component package IN ZIP_LISTS kpf_components kpf_component_packages)
  install(FILES "${CMAKE_CURRENT_LIST_DIR}/debian/copyright" "${kpf_changelog}"
      DESTINATION "${KPF_INSTALL_DOCROOT}/${package}" COMPONENT ${component})
endforeach()

# kpfhost's man page is made from its --help, so that the two cannot drift.
find_program(KPF_HELP2MAN help2man)
if(KPF_HELP2MAN)
  set(kpf_man "${CMAKE_BINARY_DIR}/package/kpfhost.1")
  add_custom_command(OUTPUT "${kpf_man}.gz"
      COMMAND "${KPF_HELP2MAN}" --no-info --no-discard-stderr --section=1
              "--name=the reference host of the Kpf05520 tax-entry module"
              "--output=${kpf_man}" "$<TARGET_FILE:kpfhost>"
      COMMAND "${KPF_GZIP}" -9nf "${kpf_man}"
      DEPENDS kpfhost VERBATIM)
  add_custom_target(kpf_manpage ALL DEPENDS "${kpf_man}.gz")
  install(FILES "${kpf_man}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT host)
else()
  message(STATUS "help2man not found: no man page for kpfhost (apt-get install help2man)")
endif()

set(CPACK_PACKAGE_NAME kpf05520)
set(CPACK_PACKAGE_VERSION "${kpf_package_version}")
set(CPACK_PACKAGE_VENDOR "Kpf05520 developers")
set(CPACK_PACKAGE_CONTACT "Kpf05520 developers <kpf05520@example.org>"
    CACHE STRING "The Debian packages' maintainer")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${kpf_components})
set(CPACK_STRIP_FILES ON)
# strip leaves the compiler's .comment section, which Debian's own stripping removes too.
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/StripSections.cmake")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${KPF_DEBIAN_REVISION}")
set(CPACK_DEBIAN_PACKAGE_SOURCE kpf05520)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps must know our own libraries, which no other package provides.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/bin")
set(kpf_same_version "(= ${kpf_package_version}-${KPF_DEBIAN_REVISION})")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libkpf05520-1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# What Qt loads by name, which dpkg-shlibdeps cannot see: the SQLite driver of the default
# database on every till; the other drivers and the fonts the screen is drawn with (Arial and
# Tahoma fall back to them) only where they are wanted.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS libqt6sql6-sqlite)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS
    "libqt6sql6-psql, libqt6sql6-odbc, fonts-liberation, fonts-dejavu-core")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION [=[tax lines of a Z reduction for point-of-sale hosts
Kpf05520 is a module that point-of-sale hosts load at run time. For one
Z reduction of a fiscal printer the till operator records its per-tax
totals on a modal touch screen; the host gets them back as an XML data
packet with a change log.
.
This package holds the module, its host library and their private
platform library, with the screen's translations.]=])

set(CPACK_DEBIAN_TEST_PACKAGE_NAME libkpf05520-test-1)
set(CPACK_DEBIAN_TEST_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_TEST_PACKAGE_DEPENDS "libkpf05520-1 ${kpf_same_version}")
set(CPACK_COMPONENT_TEST_DESCRIPTION [=[test interface of the Kpf05520 tax-entry module
Kpf05520 is a module that point-of-sale hosts load at run time to record
the per-tax totals of a fiscal printer's Z reduction.
.
This package holds libkpf_test.so, with which a host's integration tests
drive the module's screen as an operator would. Tills do not need it.]=])

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libkpf05520-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "libkpf05520-1 ${kpf_same_version}, libkpf05520-test-1 ${kpf_same_version}")
set(CPACK_COMPONENT_DEV_DESCRIPTION [=[development files of the Kpf05520 tax-entry module
Kpf05520 is a module that point-of-sale hosts load at run time to record
the per-tax totals of a fiscal printer's Z reduction.
.
This package holds the C headers, the .so links, the CMake package, the
pkg-config file and the Pascal unit, with example hosts in C, Python and
Free Pascal.]=])

set(CPACK_DEBIAN_HOST_PACKAGE_NAME kpfhost)
set(CPACK_DEBIAN_HOST_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_HOST_PACKAGE_DEPENDS "libkpf05520-1 ${kpf_same_version}")
set(CPACK_COMPONENT_HOST_DESCRIPTION [=[reference host of the Kpf05520 tax-entry module
Kpf05520 is a module that point-of-sale hosts load at run time to record
the per-tax totals of a fiscal printer's Z reduction.
.
kpfhost calls the module for one Z reduction and prints the returned
lines; with a script it plays an operator's touches, with no display.
The package holds the demo data, from which kpfhost --make-demo-home
makes a folder to run it in.]=])
include(CPack)
