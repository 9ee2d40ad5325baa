# Build-time settings of the program, checked here and handed to the code
# through a generated header.

set(SETUP_RESOURCE_ARCHIVE_URL "http://127.0.0.1:47800/resources.zip" CACHE STRING
    "Built-in address of the resource archive (lower case only)")
set(SETUP_CONNECTIVITY_CHECK_URL "" CACHE STRING
    "Address that the download task's connectivity check probes (empty: the archive address)")
# The content that the build packs into resources.zip: the demo's unless a
# release names its own folder (its installers and their digests live there,
# outside the project), which the build then checks as a release.
set(SETUP_CONTENT_DIR "${CMAKE_SOURCE_DIR}/content" CACHE PATH
    "Content folder packed into resources.zip (default: the demo content, content/)")
file(REAL_PATH "${SETUP_CONTENT_DIR}" SETUP_CONTENT_SOURCE BASE_DIRECTORY "${CMAKE_SOURCE_DIR}")
file(REAL_PATH "${CMAKE_SOURCE_DIR}/content" SETUP_DEMO_CONTENT_SOURCE)
if(NOT IS_DIRECTORY "${SETUP_CONTENT_SOURCE}")
    message(FATAL_ERROR "SETUP_CONTENT_DIR: no folder ${SETUP_CONTENT_SOURCE}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/CheckBuildSettings.cmake)

# Empty: the check connects to the archive address, restored at run time, so
# that the address never appears as plain text in the executable.
set(connectivity_url "${SETUP_CONNECTIVITY_CHECK_URL}")

# Escapes a value for a C wide string literal.
function(setup_c_literal value out)
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\"" "\\\"" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

# The archive address is stored as its upper-case characters interleaved with
# asterisks, so that it does not appear as plain text in the executable.
string(TOUPPER "${SETUP_RESOURCE_ARCHIVE_URL}" upper_url)
string(LENGTH "${upper_url}" url_length)
set(scrambled_url "")
math(EXPR last_index "${url_length} - 1")
foreach(index RANGE ${last_index})
    string(SUBSTRING "${upper_url}" ${index} 1 character)
    string(APPEND scrambled_url "${character}*")
endforeach()

setup_c_literal("${scrambled_url}" SETUP_SCRAMBLED_ARCHIVE_URL_LITERAL)
setup_c_literal("${SETUP_RESOURCE_ARCHIVE_URL}" SETUP_RESOURCE_ARCHIVE_URL_LITERAL)
setup_c_literal("${connectivity_url}" SETUP_CONNECTIVITY_CHECK_URL_LITERAL)
configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildSettings.h.in ${CMAKE_BINARY_DIR}/generated/BuildSettings.h @ONLY)
