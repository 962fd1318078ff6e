# Installs the build into a scratch prefix and checks that everything a user
# needs is there: cmake -DBUILD=... -DPREFIX=... -P check_install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE wynik OUTPUT_QUIET)
if(NOT wynik EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${wynik}")
endif()
# The library lies in the multiarch directory where the build machine has one.
file(GLOB lib RELATIVE ${PREFIX} ${PREFIX}/lib/*/libkarvo.so.1)
if(lib)
  get_filename_component(lib ${lib} DIRECTORY)
else()
  set(lib lib)
endif()
foreach(plik bin/karvo bin/karvo-sim bin/karvo-server bin/karvo-sim-catalogue bin/karvo-sim-day ${lib}/libkarvo.so
    ${lib}/libkarvo.so.1 include/karvo.h share/karvo/KOMENT.TXT
    ${lib}/pkgconfig/karvo.pc share/karvo/devices/vin-t.txt share/karvo/demo.sh share/man/man1/karvo.1 share/man/man1/karvo-sim.1
    share/man/man1/karvo-server.1 share/doc/karvo/guide.md share/doc/karvo/commands.md
    share/doc/karvo/examples/KONFIG.TXT share/doc/karvo/examples/ports.conf)
  if(NOT EXISTS ${PREFIX}/${plik})
    message(FATAL_ERROR "not installed: ${plik}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
