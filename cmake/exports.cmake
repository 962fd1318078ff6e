# Every exported function is declared in include/karvo.h with KARVO_AS("symbol").
# From those labels we write the linker's version script for libkarvo.so (exactly
# these symbols are global, everything else local) and the dynamic list of the
# executable, which exports the same names.

# Writes the file only when its text changes, so that a configure with the same
# header does not touch the lists and relink karvo and libkarvo.so.
function(karvo_write_if_changed path text)
  if(EXISTS ${path})
    file(READ ${path} old)
    if(old STREQUAL text)
      return()
    endif()
  endif()
  file(WRITE ${path} "${text}")
endfunction()

function(karvo_generate_export_lists header)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
  file(READ ${header} text)
  string(REGEX MATCHALL "KARVO_AS\\(\"[^\"]+\"\\)" labels "${text}")
  set(names "")
  foreach(label IN LISTS labels)
    string(REGEX REPLACE "KARVO_AS\\(\"([^\"]+)\"\\)" "\\1" name "${label}")
    list(APPEND names ${name})
  endforeach()
  list(REMOVE_DUPLICATES names)
  list(SORT names)
  set(script "{\n  global:\n")
  set(dyn "{\n")
  foreach(name IN LISTS names)
    string(APPEND script "    ${name};\n")
    string(APPEND dyn "  ${name};\n")
  endforeach()
  string(APPEND script "  local: *;\n};\n")
  string(APPEND dyn "};\n")
  karvo_write_if_changed(${CMAKE_BINARY_DIR}/karvo.map "${script}")
  karvo_write_if_changed(${CMAKE_BINARY_DIR}/karvo.dynlist "${dyn}")
  string(REPLACE ";" "\n" lines "${names}")
  karvo_write_if_changed(${CMAKE_BINARY_DIR}/karvo.exports "${lines}\n")
  set(KARVO_VERSION_SCRIPT ${CMAKE_BINARY_DIR}/karvo.map PARENT_SCOPE)
  set(KARVO_DYNAMIC_LIST ${CMAKE_BINARY_DIR}/karvo.dynlist PARENT_SCOPE)
  set(KARVO_EXPORTS_FILE ${CMAKE_BINARY_DIR}/karvo.exports PARENT_SCOPE)
endfunction()
