# Imported targets for the Debian packages the program builds on.
# scripts/install-deps.sh installs them.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(CDIO REQUIRED IMPORTED_TARGET libcdio)
pkg_check_modules(SOX REQUIRED IMPORTED_TARGET sox)
pkg_check_modules(PORTAUDIO REQUIRED IMPORTED_TARGET portaudio-2.0)
# PortAudio's own back ends, whose message hooks the program sets.
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
pkg_check_modules(JACK REQUIRED IMPORTED_TARGET jack)
pkg_check_modules(TAGLIB REQUIRED IMPORTED_TARGET taglib)
pkg_check_modules(LAME REQUIRED IMPORTED_TARGET lame)
find_package(fmt REQUIRED)
find_package(utf8cpp QUIET)
if(NOT TARGET utf8cpp)
  add_library(utf8cpp INTERFACE)
  target_include_directories(utf8cpp SYSTEM INTERFACE /usr/include/utf8cpp)
endif()

if(QCR_BUILD_GUI)
  find_package(wxWidgets 3.2 REQUIRED COMPONENTS core base)
  # CMake 3.25 has no imported wxWidgets target: wrap the variables in one
  # that only window code links, so core code that includes wx fails to build.
  add_library(qcr_wx INTERFACE)
  target_include_directories(qcr_wx SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
  target_compile_definitions(qcr_wx INTERFACE ${wxWidgets_DEFINITIONS})
  separate_arguments(_qcr_wx_flags UNIX_COMMAND "${wxWidgets_CXX_FLAGS}")
  target_compile_options(qcr_wx INTERFACE ${_qcr_wx_flags})
  target_link_libraries(qcr_wx INTERFACE ${wxWidgets_LIBRARIES})
endif()

if(QCR_BUILD_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
