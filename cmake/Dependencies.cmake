# Third-party code: zlib from the MinGW package, SQLite, minizip and RapidJSON
# from Debian's source packages (fetched into a git-ignored cache at configure
# time), GoogleTest from Debian's source. docs/dependencies.md lists them.

set(SETUP_DEPS_CACHE "${CMAKE_SOURCE_DIR}/.deps" CACHE PATH "Cache of fetched third-party sources")
# Wherever the cache lies, its path does not reach the outputs.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${SETUP_DEPS_CACHE}/=deps/>")
execute_process(
    COMMAND bash "${CMAKE_SOURCE_DIR}/tools/deps/fetch-sources.sh" "${SETUP_DEPS_CACHE}"
    RESULT_VARIABLE fetch_result)
if(NOT fetch_result EQUAL 0)
    message(FATAL_ERROR "Fetching the SQLite, minizip and RapidJSON sources failed (see above). "
                        "Run tools/setup-machine.sh first on a new machine.")
endif()

find_library(ZLIB_STATIC NAMES libz.a REQUIRED)
add_library(zlib STATIC IMPORTED GLOBAL)
set_target_properties(zlib PROPERTIES IMPORTED_LOCATION "${ZLIB_STATIC}")

# SQLite as the Windows build uses it: an amalgamation generated with the
# options that tools/deps/sqlite-program-options.txt lists and explains, and
# compiled with the same ones (the generated grammar and the code must agree).
set(sqlite_options_file "${CMAKE_SOURCE_DIR}/tools/deps/sqlite-program-options.txt")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${sqlite_options_file}")
file(STRINGS "${sqlite_options_file}" sqlite_options REGEX "^[A-Z]")
add_library(sqlite3 STATIC "${SETUP_DEPS_CACHE}/sqlite3-program/sqlite3.c")
target_include_directories(sqlite3 SYSTEM PUBLIC "${SETUP_DEPS_CACHE}/sqlite3-program")
target_compile_definitions(sqlite3 PRIVATE ${sqlite_options})
target_compile_options(sqlite3 PRIVATE -w)

add_library(minizip STATIC "${SETUP_DEPS_CACHE}/minizip/unzip.c" "${SETUP_DEPS_CACHE}/minizip/ioapi.c")
target_include_directories(minizip SYSTEM PUBLIC "${SETUP_DEPS_CACHE}/minizip")
target_compile_options(minizip PRIVATE -w)
# minizip reads the compressed stream 16 KiB at a time by default; every read
# is a system call, which costs far more under Wine than the inflate it feeds.
target_compile_definitions(minizip PRIVATE UNZ_BUFSIZE=262144)
target_link_libraries(minizip PUBLIC zlib)

# RapidJSON is header-only: the fetched headers, with Debian's fixes.
add_library(rapidjson INTERFACE)
target_include_directories(rapidjson SYSTEM INTERFACE "${SETUP_DEPS_CACHE}/rapidjson/include")

if(BUILD_TESTING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
endif()
