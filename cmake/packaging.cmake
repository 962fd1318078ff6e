# What is installed, and the Debian packages made of it (cpack -G DEB in the
# build directory). Four packages, as Debian splits a program with a library:
#   karvo         the driver, karvo-server, KOMENT.TXT, the guide and examples
#   libkarvo1     the driver as a shared library, libkarvo.so.1
#   libkarvo-dev  karvo.h and the link libkarvo.so, to build against the library
#   karvo-sim     the simulated registers, their tools and the demonstration
# The driver is a static whole of its own (it does not load the library), so
# a shop installs only karvo; karvo-sim is for trials, tests and training.
include(GNUInstallDirs)

# The library goes into the multiarch directory (lib/x86_64-linux-gnu) where
# the system knows one.
execute_process(COMMAND ${CMAKE_C_COMPILER} -print-multiarch OUTPUT_VARIABLE KARVO_MULTIARCH
  ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
set(KARVO_LIBDIR lib)
if(KARVO_MULTIARCH)
  set(KARVO_LIBDIR lib/${KARVO_MULTIARCH})
endif()
set(KARVO_DEBIAN ${CMAKE_SOURCE_DIR}/packaging/debian)

install(TARGETS karvo RUNTIME DESTINATION bin COMPONENT karvo)
install(TARGETS karvo_shared
  LIBRARY DESTINATION ${KARVO_LIBDIR} COMPONENT lib NAMELINK_SKIP
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(TARGETS karvo_shared
  LIBRARY DESTINATION ${KARVO_LIBDIR} COMPONENT dev NAMELINK_ONLY)
install(FILES include/karvo.h DESTINATION include COMPONENT dev)
if(TARGET karvo-sim-day AND TARGET karvo-sim-catalogue)
  install(TARGETS karvo-sim-day karvo-sim-catalogue RUNTIME DESTINATION bin COMPONENT sim)
endif()

# What users read and copy: the ResultCode descriptions, the guide with the
# command reference and a ready working directory (karvo); the ready-made
# simulated registers and the demonstration beside them (karvo-sim).
install(FILES share/KOMENT.TXT DESTINATION ${CMAKE_INSTALL_DATADIR}/karvo COMPONENT karvo)
install(FILES README.md docs/guide.md docs/commands.md docs/platform.md docs/wire-log.md DESTINATION ${CMAKE_INSTALL_DOCDIR}
  COMPONENT karvo)
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples COMPONENT karvo)
install(DIRECTORY sim/devices/ DESTINATION ${CMAKE_INSTALL_DATADIR}/karvo/devices COMPONENT sim)
install(PROGRAMS scripts/demo.sh DESTINATION ${CMAKE_INSTALL_DATADIR}/karvo COMPONENT sim)

# The manual pages and each package's changelog, compressed as Debian wants
# them (gzip -n: the same bytes on every build).
set(KARVO_GZ ${CMAKE_BINARY_DIR}/gz)
set(KARVO_STRONY karvo karvo-server karvo-sim karvo-sim-catalogue karvo-sim-day)
set(KARVO_SKOMPRESOWANE)
foreach(strona IN LISTS KARVO_STRONY)
  add_custom_command(OUTPUT ${KARVO_GZ}/${strona}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KARVO_GZ}
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/docs/man/${strona}.1 > ${KARVO_GZ}/${strona}.1.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${strona}.1 VERBATIM)
  list(APPEND KARVO_SKOMPRESOWANE ${KARVO_GZ}/${strona}.1.gz)
endforeach()
add_custom_command(OUTPUT ${KARVO_GZ}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KARVO_GZ}
  COMMAND gzip -9nc ${KARVO_DEBIAN}/changelog > ${KARVO_GZ}/changelog.gz
  DEPENDS ${KARVO_DEBIAN}/changelog VERBATIM)
add_custom_target(karvo_gz ALL DEPENDS ${KARVO_SKOMPRESOWANE} ${KARVO_GZ}/changelog.gz)
install(FILES ${KARVO_GZ}/karvo.1.gz ${KARVO_GZ}/karvo-server.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
  COMPONENT karvo)
install(FILES ${KARVO_GZ}/karvo-sim.1.gz ${KARVO_GZ}/karvo-sim-catalogue.1.gz ${KARVO_GZ}/karvo-sim-day.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT sim)
set(KARVO_SKLADNIKI karvo lib dev sim)
set(KARVO_PAKIETY karvo libkarvo1 libkarvo-dev karvo-sim)
foreach(skladnik pakiet IN ZIP_LISTS KARVO_SKLADNIKI KARVO_PAKIETY)
  install(FILES ${KARVO_DEBIAN}/copyright ${KARVO_GZ}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${pakiet} COMPONENT ${skladnik})
endforeach()

set(CPACK_PACKAGE_NAME karvo)
set(CPACK_PACKAGE_VERSION 2.14)
set(CPACK_PACKAGE_CONTACT "karvo maintainers <karvo@karvo.example.org>")
# No CPACK_PACKAGE_DESCRIPTION_SUMMARY: each package's description below
# starts with its own synopsis line.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL karvo lib dev sim)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The shlibs file of the package that holds a shared library (libkarvo1):
# "libkarvo 1 libkarvo1 (>= 2.14)".
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The programs need the C library and the C++ run-time they were built with;
# declared here rather than found by dpkg-shlibdeps, which takes seconds a run.
execute_process(COMMAND getconf GNU_LIBC_VERSION OUTPUT_VARIABLE KARVO_GLIBC ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
string(REGEX MATCH "[0-9]+\\.[0-9]+" KARVO_GLIBC "${KARVO_GLIBC}")
set(KARVO_DEB_LIBC "libc6")
if(KARVO_GLIBC)
  set(KARVO_DEB_LIBC "libc6 (>= ${KARVO_GLIBC})")
endif()
set(KARVO_DEB_LIBSTDCXX "libstdc++6")
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  string(REGEX MATCH "^[0-9]+" KARVO_GCC_MAJOR "${CMAKE_CXX_COMPILER_VERSION}")
  set(KARVO_DEB_LIBSTDCXX "libstdc++6 (>= ${KARVO_GCC_MAJOR})")
endif()
set(KARVO_DEB_CXX "${KARVO_DEB_LIBC}, libgcc-s1, ${KARVO_DEB_LIBSTDCXX}")

set(CPACK_DEBIAN_KARVO_PACKAGE_NAME karvo)
set(CPACK_DEBIAN_KARVO_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_KARVO_PACKAGE_DEPENDS "${KARVO_DEB_CXX}")
set(CPACK_DEBIAN_KARVO_PACKAGE_SUGGESTS "karvo-sim, ser2net")
set(CPACK_DEBIAN_KARVO_DESCRIPTION "communication driver for KARVO fiscal cash registers
karvo carries out one command on a KARVO register or price checker per
run: it reads an input data file, talks to the register over a serial
port, a network port server or a communication module, and writes the
output data file and a report with the command's ResultCode. The package
also holds karvo-server, a small Server for drivers that run under one,
the descriptions of the ResultCodes, the user's guide and a ready working
directory.")

set(CPACK_DEBIAN_LIB_PACKAGE_NAME libkarvo1)
set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIB_PACKAGE_DEPENDS "${KARVO_DEB_CXX}")
# The ldconfig trigger instead of the ldconfig calls CPack would write into
# postinst and postrm (present and empty, so CPack writes none).
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA ${KARVO_DEBIAN}/triggers ${KARVO_DEBIAN}/postinst ${KARVO_DEBIAN}/postrm)
set(CPACK_DEBIAN_LIB_DESCRIPTION "communication driver for KARVO fiscal cash registers (library)
The driver of the karvo package as a shared library: every command is a
function of its own under its name (_ONrKasy, _ZTowar, ...), beside the
data-file helpers, the validators and the serial-port functions, for
programs that call the driver instead of starting it.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libkarvo-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libkarvo1 (= ${CPACK_PACKAGE_VERSION})")
set(CPACK_DEBIAN_DEV_DESCRIPTION "communication driver for KARVO fiscal cash registers (development)
The C header karvo.h and the link libkarvo.so for building programs
against the library of the libkarvo1 package.")

set(CPACK_DEBIAN_SIM_PACKAGE_NAME karvo-sim)
set(CPACK_DEBIAN_SIM_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_SIM_PACKAGE_DEPENDS "${KARVO_DEB_CXX}")
set(CPACK_DEBIAN_SIM_PACKAGE_RECOMMENDS "karvo")
set(CPACK_DEBIAN_SIM_DESCRIPTION "simulated KARVO fiscal cash registers for trials and tests
karvo-sim plays one or more KARVO registers on a pseudo-terminal, an RFC
2217 port or behind a simulated communication module, and a network port
server, for trying the driver without a register. karvo-sim-catalogue and
karvo-sim-day write state files with a full goods catalogue or a large
day of sales. The package holds a ready-made register of each family and
a short demonstration.")

set(CPACK_GENERATOR DEB)
include(CPack)
