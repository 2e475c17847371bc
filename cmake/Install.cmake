# Install rules: a relocatable tree with the three libraries and the test interface
# (libkpf_test.so, a product library for hosts' integration tests) in one module directory, kpfhost in
# bin/, the C headers, the translations and the demo data, and the package files that let hosts
# find it (CMake config, pkg-config). Nothing of the tests, benchmarks or fuzzers is installed.
# Each file belongs to one component, which is one Debian package:
#   runtime  libkpf05520-1       the three libraries and the translations, what every till needs
#   test     libkpf05520-test-1  the test interface, which tills never carry
#   dev      libkpf05520-dev     headers, .so links, CMake and pkg-config files, Pascal unit, examples
#   host     kpfhost             the reference host, its man page and the demo data
include_guard(GLOBAL)

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# GNUInstallDirs gives plain lib/ for prefixes other than /usr; the multiarch directory is kept
# under every prefix so that each installed tree has the shape of the Debian package.
set(KPF_INSTALL_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
if(CMAKE_LIBRARY_ARCHITECTURE AND KPF_INSTALL_LIBDIR STREQUAL "lib")
  set(KPF_INSTALL_LIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}")
endif()
set(KPF_INSTALL_DOCROOT "${CMAKE_INSTALL_DATAROOTDIR}/doc")
set(KPF_INSTALL_MODULEDIR "${KPF_INSTALL_LIBDIR}/kpf05520")
set(KPF_INSTALL_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}/kpf05520")
set(KPF_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/kpf05520")
set(KPF_INSTALL_CMAKEDIR "${KPF_INSTALL_LIBDIR}/cmake/Kpf05520")
set(KPF_INSTALL_PASCALDIR "${KPF_INSTALL_DATADIR}/pascal")

# kpfhost finds the libraries and translations relative to its own directory, wherever the prefix
# lies; in the build tree they are beside it.
cmake_path(RELATIVE_PATH KPF_INSTALL_MODULEDIR BASE_DIRECTORY "${CMAKE_INSTALL_BINDIR}"
           OUTPUT_VARIABLE kpf_module_from_bin)
cmake_path(RELATIVE_PATH KPF_INSTALL_DATADIR BASE_DIRECTORY "${CMAKE_INSTALL_BINDIR}"
           OUTPUT_VARIABLE kpf_data_from_bin)
target_compile_definitions(kpfhost PRIVATE
    KPF_MODULE_DIR_FROM_BIN="${kpf_module_from_bin}"
    KPF_TRANSLATIONS_DIR_FROM_BIN="${kpf_data_from_bin}/translations"
    KPF_DATA_DIR_FROM_BIN="${kpf_data_from_bin}"
    KPF_SOURCE_DATA_DIR="${PROJECT_SOURCE_DIR}")

set(kpf_libraries kpfplatform _dll Pkg_Kpf05520 kpf_test)
set_target_properties(${kpf_libraries} PROPERTIES
    SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN")
set_target_properties(kpfhost PROPERTIES INSTALL_RPATH "$ORIGIN/${kpf_module_from_bin}")

install(TARGETS kpfplatform _dll Pkg_Kpf05520
    LIBRARY DESTINATION "${KPF_INSTALL_MODULEDIR}" COMPONENT runtime NAMELINK_COMPONENT dev)
install(TARGETS kpf_test
    LIBRARY DESTINATION "${KPF_INSTALL_MODULEDIR}" COMPONENT test NAMELINK_COMPONENT dev)
install(TARGETS kpfhost RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT host)
install(FILES "${PROJECT_SOURCE_DIR}/include/kpf05520.h" "${PROJECT_SOURCE_DIR}/include/kpf_dll.h"
    "${PROJECT_SOURCE_DIR}/include/kpf_test.h" "${PROJECT_BINARY_DIR}/include/kpf05520_export.h"
    "${PROJECT_BINARY_DIR}/include/kpf_dll_export.h" "${PROJECT_BINARY_DIR}/include/kpf_test_export.h"
    "${PROJECT_BINARY_DIR}/include/kpf05520_version.h"
    DESTINATION "${KPF_INSTALL_INCLUDEDIR}" COMPONENT dev)
install(FILES "${CMAKE_BINARY_DIR}/bin/kpf05520_en.qm" "${CMAKE_BINARY_DIR}/bin/kpf05520_es.qm"
    DESTINATION "${KPF_INSTALL_DATADIR}/translations" COMPONENT runtime)
install(FILES "${PROJECT_SOURCE_DIR}/db/schema.sql" "${PROJECT_SOURCE_DIR}/db/demo.sql"
    DESTINATION "${KPF_INSTALL_DATADIR}/db" COMPONENT host)
install(FILES "${PROJECT_SOURCE_DIR}/demo/PARAMETROSKVR.CDS" "${PROJECT_SOURCE_DIR}/demo/KAVIRON.CDS"
    "${PROJECT_SOURCE_DIR}/demo/demo.script"
    DESTINATION "${KPF_INSTALL_DATADIR}/demo" COMPONENT host)

# Host-author material: the Pascal unit, and the examples, which configure on their own against the
# installed package from where they lie.
install(FILES "${PROJECT_SOURCE_DIR}/bindings/pascal/kpf05520.pas"
    "${PROJECT_SOURCE_DIR}/bindings/pascal/kpf05520_read.inc"
    "${PROJECT_SOURCE_DIR}/bindings/pascal/kpf05520_source.inc"
    "${PROJECT_SOURCE_DIR}/bindings/pascal/kpf05520lcl.pas"
    DESTINATION "${KPF_INSTALL_PASCALDIR}" COMPONENT dev)
install(DIRECTORY "${PROJECT_SOURCE_DIR}/examples/"
    DESTINATION "${KPF_INSTALL_DOCROOT}/libkpf05520-dev/examples" COMPONENT dev)

# The components, each with the Debian package it makes.
set(kpf_components runtime test dev host)
set(kpf_component_packages libkpf05520-1 libkpf05520-test-1 libkpf05520-dev kpfhost)

# The CMake package: imported targets for the C interface. The module's Qt and platform layer
# stay behind its C functions, so a consumer needs neither Qt's development files nor ours.
configure_package_config_file("${CMAKE_CURRENT_LIST_DIR}/Kpf05520Config.cmake.in"
    "${CMAKE_BINARY_DIR}/package/Kpf05520Config.cmake"
    INSTALL_DESTINATION "${KPF_INSTALL_CMAKEDIR}"
    PATH_VARS KPF_INSTALL_MODULEDIR KPF_INSTALL_INCLUDEDIR KPF_INSTALL_PASCALDIR)
write_basic_package_version_file("${CMAKE_BINARY_DIR}/package/Kpf05520ConfigVersion.cmake"
    COMPATIBILITY SameMajorVersion)
install(FILES "${CMAKE_BINARY_DIR}/package/Kpf05520Config.cmake"
    "${CMAKE_BINARY_DIR}/package/Kpf05520ConfigVersion.cmake"
    DESTINATION "${KPF_INSTALL_CMAKEDIR}" COMPONENT dev)

# pkg-config: the prefix is found from the .pc file's own place, so the tree can move.
set(kpf_pc_dir "${KPF_INSTALL_LIBDIR}/pkgconfig")
cmake_path(RELATIVE_PATH CMAKE_INSTALL_PREFIX BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}/${kpf_pc_dir}"
           OUTPUT_VARIABLE kpf_prefix_from_pc)
configure_file("${CMAKE_CURRENT_LIST_DIR}/kpf05520.pc.in" "${CMAKE_BINARY_DIR}/package/kpf05520.pc"
    @ONLY)
install(FILES "${CMAKE_BINARY_DIR}/package/kpf05520.pc" DESTINATION "${kpf_pc_dir}" COMPONENT dev)
