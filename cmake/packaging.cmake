# Installation and packages; included by the top-level CMakeLists.txt.
#   cmake --install build --prefix /usr/local   the programs into bin/,
#                                               README into share/doc/
#   cpack --config build/CPackConfig.cmake      a .deb (Linux) or a .zip
#                                               (Windows cross build)
# The Windows programs link the MinGW-w64 runtime and GCC's runtime
# libraries statically, so the .zip carries their licence texts, taken from
# the toolchain's Debian packages on the build machine.
set(CORVANE_PACKAGE_NAME corvane-config)
# Installing and packaging need the two programs only, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
  # One flat folder: the programs, the README and the licences side by side.
  set(corvane_bin_dir .)
  set(corvane_doc_dir .)
else()
  include(GNUInstallDirs)
  set(corvane_bin_dir ${CMAKE_INSTALL_BINDIR})
  set(corvane_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CORVANE_PACKAGE_NAME})
endif()

install(TARGETS Corvane_Config mdb RUNTIME DESTINATION ${corvane_bin_dir})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${corvane_doc_dir})

if(WIN32)
  set(CORVANE_RUNTIME_LICENSES
      "/usr/share/doc/mingw-w64-x86-64-dev/copyright=mingw-w64-runtime.txt"
      "/usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright=gcc-runtime.txt"
      CACHE STRING
      "Licence texts of the statically linked runtimes: SOURCE=NAME in licenses/")
  foreach(entry IN LISTS CORVANE_RUNTIME_LICENSES)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 source)
    list(GET pair 1 name)
    if(NOT EXISTS "${source}")
      message(FATAL_ERROR "Licence text ${source} not found; set "
              "CORVANE_RUNTIME_LICENSES to the toolchain's licence files")
    endif()
    install(FILES "${source}" DESTINATION ${corvane_doc_dir}/licenses
            RENAME "${name}")
  endforeach()
endif()

set(CPACK_PACKAGE_NAME Corvane_Config)
set(CPACK_PACKAGE_VENDOR "Corvane_Config")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configuration program of the HMI component Corvane, with the mdb tool")
set(CPACK_PACKAGE_CONTACT "Corvane_Config maintainers" CACHE STRING
    "Maintainer named in the .deb")
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "Corvane_Config-${PROJECT_VERSION}-win64")
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_NAME ${CORVANE_PACKAGE_NAME})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
include(CPack)
