# What is installed, with the directories of GNUInstallDirs (on Debian the
# library goes into the multiarch directory, lib/x86_64-linux-gnu). debian/
# makes the packages of it, one .install file a package:
#   karvo         the driver, karvo-server, KOMENT.TXT, the guide and examples
#   libkarvo1     the driver as a shared library, libkarvo.so.1
#   libkarvo-dev  karvo.h, the link libkarvo.so and karvo.pc for pkg-config
#   karvo-sim     the simulated registers, their tools and the demonstration
# The driver is a static whole of its own (it does not load the library), so
# a shop installs only karvo; karvo-sim is for trials, tests and training.
include(GNUInstallDirs)

install(TARGETS karvo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS karvo_shared LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES include/karvo.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET karvo-sim-day AND TARGET karvo-sim-catalogue)
  install(TARGETS karvo-sim-day karvo-sim-catalogue RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# pkg-config: cc $(pkg-config --cflags --libs karvo).
configure_file(${CMAKE_SOURCE_DIR}/cmake/karvo.pc.in ${CMAKE_BINARY_DIR}/karvo.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/karvo.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# What users read and copy: the ResultCode descriptions, the guide with the
# command reference and a ready working directory; the ready-made simulated
# registers and the demonstration beside them.
install(FILES share/KOMENT.TXT DESTINATION ${CMAKE_INSTALL_DATADIR}/karvo)
install(FILES README.md docs/guide.md docs/commands.md docs/platform.md docs/wire-log.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(DIRECTORY sim/devices/ DESTINATION ${CMAKE_INSTALL_DATADIR}/karvo/devices)
install(PROGRAMS scripts/demo.sh DESTINATION ${CMAKE_INSTALL_DATADIR}/karvo)

# The manual pages as written; the packaging compresses them.
foreach(strona karvo karvo-server karvo-sim karvo-sim-catalogue karvo-sim-day)
  install(FILES docs/man/${strona}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
