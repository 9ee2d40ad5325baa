# Third-party code: zlib from the MinGW package, SQLite and minizip built from
# Debian's source packages (fetched into a git-ignored cache at configure time),
# RapidJSON headers, GoogleTest from Debian's source.

set(SETUP_DEPS_CACHE "${CMAKE_SOURCE_DIR}/.deps" CACHE PATH "Cache of fetched third-party sources")
# Wherever the cache lies, its path does not reach the outputs.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${SETUP_DEPS_CACHE}/=deps/>")
execute_process(
    COMMAND bash "${CMAKE_SOURCE_DIR}/tools/deps/fetch-sources.sh" "${SETUP_DEPS_CACHE}"
    RESULT_VARIABLE fetch_result)
if(NOT fetch_result EQUAL 0)
    message(FATAL_ERROR "Fetching the SQLite and minizip sources failed (see above). "
                        "Run tools/setup-machine.sh first on a new machine.")
endif()

find_library(ZLIB_STATIC NAMES libz.a REQUIRED)
add_library(zlib STATIC IMPORTED GLOBAL)
set_target_properties(zlib PROPERTIES IMPORTED_LOCATION "${ZLIB_STATIC}")

add_library(sqlite3 STATIC "${SETUP_DEPS_CACHE}/sqlite3/sqlite3.c")
target_include_directories(sqlite3 SYSTEM PUBLIC "${SETUP_DEPS_CACHE}/sqlite3")
# SQLite as the program uses it: four prepared statements and four pragmas
# on its own database file, from one thread. Left out: what it never calls
# (extensions, tracing, progress and authorizer callbacks, incremental blobs,
# shared cache, date and JSON functions, schema pragmas) and the mutexes.
# Only options that work with the generated amalgamation as it is: those
# that change the SQL grammar would need the amalgamation generated again.
# The size each saves is in README.md (Release size and footprint).
target_compile_definitions(sqlite3 PRIVATE
    SQLITE_OMIT_LOAD_EXTENSION SQLITE_DQS=0 SQLITE_DEFAULT_MEMSTATUS=0 SQLITE_THREADSAFE=0
    SQLITE_OMIT_DEPRECATED SQLITE_OMIT_PROGRESS_CALLBACK SQLITE_OMIT_SHARED_CACHE SQLITE_OMIT_DECLTYPE
    SQLITE_OMIT_JSON SQLITE_OMIT_TRACE SQLITE_OMIT_COMPLETE SQLITE_OMIT_GET_TABLE SQLITE_OMIT_AUTHORIZATION
    SQLITE_OMIT_COMPILEOPTION_DIAGS SQLITE_OMIT_DATETIME_FUNCS SQLITE_OMIT_LOCALTIME SQLITE_OMIT_INCRBLOB
    SQLITE_OMIT_TCL_VARIABLE SQLITE_OMIT_INTROSPECTION_PRAGMAS SQLITE_OMIT_SCHEMA_PRAGMAS
    SQLITE_OMIT_SCHEMA_VERSION_PRAGMAS SQLITE_OMIT_BTREECOUNT SQLITE_OMIT_XFER_OPT
    SQLITE_OMIT_TRUNCATE_OPTIMIZATION SQLITE_OMIT_AUTOMATIC_INDEX SQLITE_LIKE_DOESNT_MATCH_BLOBS)
target_compile_options(sqlite3 PRIVATE -w)

add_library(minizip STATIC "${SETUP_DEPS_CACHE}/minizip/unzip.c" "${SETUP_DEPS_CACHE}/minizip/ioapi.c")
target_include_directories(minizip SYSTEM PUBLIC "${SETUP_DEPS_CACHE}/minizip")
target_compile_options(minizip PRIVATE -w)
# minizip reads the compressed stream 16 KiB at a time by default; every read
# is a system call, which costs far more under Wine than the inflate it feeds.
target_compile_definitions(minizip PRIVATE UNZ_BUFSIZE=262144)
target_link_libraries(minizip PUBLIC zlib)

# RapidJSON is header-only. Its Debian headers sit in /usr/include, which must
# not be on a cross compiler's include path, so only its own folder is exposed.
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/rapidjson-include")
file(CREATE_LINK /usr/include/rapidjson "${CMAKE_BINARY_DIR}/rapidjson-include/rapidjson" SYMBOLIC)
add_library(rapidjson INTERFACE)
target_include_directories(rapidjson SYSTEM INTERFACE "${CMAKE_BINARY_DIR}/rapidjson-include")

if(BUILD_TESTING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
endif()
