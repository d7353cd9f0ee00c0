# The 64-bit companion (QL_host64.exe, QL_lib64.dll) beside the program in
# bin/: an x64 build makes it as one of its own folders; an x86 build makes
# it in a sub-build with the x64 toolchain, so that one build gives both.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_subdirectory(companion)
  set(QL_COMPANION_TARGETS QL_host64 QL_lib64)
  return()
endif()

include(ExternalProject)
set(ql_companion_bin ${CMAKE_BINARY_DIR}/bin)
ExternalProject_Add(ql_companion64
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/companion
  BINARY_DIR ${CMAKE_BINARY_DIR}/companion64
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-x86_64.cmake
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    -DQL_OUTPUT_DIR=${ql_companion_bin}
    -DQL_BUILD_TESTS=OFF
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${ql_companion_bin}/QL_lib64.dll ${ql_companion_bin}/QL_host64.exe ${ql_companion_bin}/TestApp64.exe
    ${ql_companion_bin}/KeepAlive64.exe)

set(QL_COMPANION_TARGETS ql_companion64)

if(QL_BUILD_TESTS)
  # The companion's files, held to the same checks as the x86 ones.
  add_test(NAME QL_lib64.static
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-hooklib.sh x86_64-w64-mingw32-objdump ${ql_companion_bin}/QL_lib64.dll 6144)
  add_test(NAME QL_host64.static
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-program.sh x86_64-w64-mingw32-objdump ${ql_companion_bin}/QL_host64.exe pei-x86-64)
  set_tests_properties(QL_lib64.static QL_host64.static PROPERTIES LABELS static)
endif()
