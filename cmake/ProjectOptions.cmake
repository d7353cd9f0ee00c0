# Shared compile settings for every target of the project.

function(ql_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Wno-sign-conversion)
endfunction()

if(WIN32)
  # Target Windows XP-era APIs at least; newer ones are loaded at run time.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # Only system DLLs may be imported: link the compiler runtimes statically.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # doctest on MinGW with win32 threads has no std::mutex.
  add_compile_definitions(DOCTEST_CONFIG_NO_MULTITHREADING)
elseif(QL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  # Bounds checks in the standard containers: a slot index one past a table
  # stays inside its object, where the address sanitizer cannot see it.
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
endif()

# Tests include <doctest/doctest.h>. The cross compiler must never see /usr/include,
# so only that one header is copied into the build tree.
set(QL_DOCTEST_DIR ${CMAKE_BINARY_DIR}/third_party)
if(NOT EXISTS ${QL_DOCTEST_DIR}/doctest/doctest.h)
  find_file(QL_DOCTEST_HEADER doctest.h PATHS /usr/include/doctest NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  file(COPY ${QL_DOCTEST_HEADER} DESTINATION ${QL_DOCTEST_DIR}/doctest)
endif()

# A subsystem folder holds its portable logic at the top (into ql_core) and,
# apart, its Win32 views and services in win32/ (into ql_win32).
function(ql_add_subsystem_sources)
  file(GLOB core_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  target_sources(ql_core PRIVATE ${core_sources})
  if(WIN32)
    file(GLOB win32_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.cpp)
    target_sources(ql_win32 PRIVATE ${win32_sources})
  endif()
endfunction()
