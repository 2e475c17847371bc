# The C reference, made by Doxygen from the public headers: manual pages (section 3, one for each
# header and one for each of its functions, types and values), installed with the development
# files, and HTML in <build>/reference/html for reading in the build tree. The HTML is not
# installed, since Doxygen writes its own copy of jQuery beside it. A public function without its
# comment fails the build.
include_guard(GLOBAL)
include("${CMAKE_CURRENT_LIST_DIR}/Install.cmake")

find_program(KPF_DOXYGEN doxygen)
if(NOT KPF_DOXYGEN)
  message(STATUS "doxygen not found: no C reference (apt-get install doxygen)")
  return()
endif()

set(kpf_reference_dir "${CMAKE_BINARY_DIR}/reference")
configure_file("${CMAKE_CURRENT_LIST_DIR}/Doxyfile.in" "${kpf_reference_dir}/Doxyfile" @ONLY)
set(kpf_reference_stamp "${kpf_reference_dir}/reference.stamp")
add_custom_command(OUTPUT "${kpf_reference_stamp}"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${kpf_reference_dir}/html" "${kpf_reference_dir}/man"
    COMMAND "${KPF_DOXYGEN}" "${kpf_reference_dir}/Doxyfile"
    # Debian's manual pages are compressed, without a timestamp in the gzip header.
    COMMAND sh -c "${KPF_GZIP} -9nf '${kpf_reference_dir}'/man/man3/*.3"
    COMMAND "${CMAKE_COMMAND}" -E touch "${kpf_reference_stamp}"
    DEPENDS "${kpf_reference_dir}/Doxyfile" "${PROJECT_SOURCE_DIR}/include/kpf05520.h"
            "${PROJECT_SOURCE_DIR}/include/kpf_dll.h" "${PROJECT_SOURCE_DIR}/include/kpf_test.h"
            "${PROJECT_BINARY_DIR}/include/kpf05520_version.h"
    COMMENT "Generating the C reference with Doxygen" VERBATIM)
add_custom_target(reference ALL DEPENDS "${kpf_reference_stamp}")
install(DIRECTORY "${kpf_reference_dir}/man/man3/" DESTINATION "${CMAKE_INSTALL_MANDIR}/man3"
    COMPONENT dev FILES_MATCHING PATTERN "*.3.gz")
