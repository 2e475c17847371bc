# The Debian package: `cpack -G DEB` in a build directory gives kpf05520_<version>_<arch>.deb with
# the install tree under /usr.
include_guard(GLOBAL)
include("${CMAKE_CURRENT_LIST_DIR}/Install.cmake")

# Debian wants the changelog of a native package compressed, without a timestamp in the gzip header.
find_program(KPF_GZIP gzip REQUIRED)
set(kpf_changelog "${CMAKE_BINARY_DIR}/package/changelog.gz")
add_custom_command(OUTPUT "${kpf_changelog}"
    COMMAND "${CMAKE_COMMAND}" -E copy "${CMAKE_CURRENT_LIST_DIR}/debian/changelog"
            "${CMAKE_BINARY_DIR}/package/changelog"
    COMMAND "${KPF_GZIP}" -9nf "${CMAKE_BINARY_DIR}/package/changelog"
    DEPENDS "${CMAKE_CURRENT_LIST_DIR}/debian/changelog" VERBATIM)
add_custom_target(kpf_changelog ALL DEPENDS "${kpf_changelog}")
install(FILES "${kpf_changelog}" DESTINATION "${KPF_INSTALL_DOCDIR}")

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
  install(FILES "${kpf_man}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
else()
  message(STATUS "help2man not found: no man page for kpfhost (apt-get install help2man)")
endif()

set(CPACK_PACKAGE_NAME kpf05520)
set(CPACK_PACKAGE_VENDOR "Kpf05520 developers")
set(CPACK_PACKAGE_CONTACT "Kpf05520 developers <kpf05520@example.org>"
    CACHE STRING "The Debian package's maintainer")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tax lines of a Z reduction for point-of-sale hosts")
set(CPACK_PACKAGE_DESCRIPTION [=[
Kpf05520 is a module that point-of-sale hosts load at run time. For one
Z reduction of a fiscal printer the till operator records its per-tax
totals on a modal touch screen; the host gets them back as an XML data
packet with a change log.

The package holds the module and its host library (C interface, headers,
CMake package and pkg-config file), the reference host kpfhost, the
translations and the demo data.]=])
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps must know our own libraries, which no other package provides.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/bin")
# Plug-ins that Qt loads by name, which dpkg-shlibdeps cannot see: the SQL drivers of the
# connection strings, and the fonts the screen is drawn with (Arial and Tahoma fall back to them).
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-psql, libqt6sql6-odbc, fonts-liberation, fonts-dejavu-core")
include(CPack)
