# Each module is one static library made of the .cpp files directly in its
# folder. Sources are globbed so that adding a file needs no list edit; files
# ending in _main.cpp are programs, not library code.
function(qcr_module_sources out dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  list(FILTER _srcs EXCLUDE REGEX "_main\\.cpp$")
  set(${out} ${_srcs} PARENT_SCOPE)
endfunction()

# qcr_add_module(NAME dir [LINK libs...]): a static library, or an interface
# library while the folder holds no sources yet.
function(qcr_add_module name dir)
  cmake_parse_arguments(M "" "" "LINK" ${ARGN})
  qcr_module_sources(_srcs ${dir})
  if(_srcs)
    add_library(${name} STATIC ${_srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${M_LINK} PRIVATE qcr_warnings)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${M_LINK})
  endif()
endfunction()
