# Fails the build when a rip source includes a header of the application:
# the rip job works only from the settings it is handed.
file(GLOB _files ${RIP_DIR}/*.h ${RIP_DIR}/*.cpp)
foreach(_f ${_files})
  file(STRINGS ${_f} _hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]app/")
  if(_hits)
    message(FATAL_ERROR "${_f} includes an application header")
  endif()
endforeach()
