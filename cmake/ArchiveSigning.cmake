# The resource archive's signature (see README.md, "Signed resource archive"):
# the public keys that the program trusts, embedded through a generated
# header, and the private key with which the content tool signs the archive
# that the build makes. A release names its keys; any other build makes a
# test key pair of its own in the build folder, never committed.

set(SETUP_ARCHIVE_PUBLIC_KEY "" CACHE STRING
    "PEM files (;-separated) of the ECDSA P-256 public keys that the program trusts for its resource archive (empty: the build's own test key)")
set(SETUP_ARCHIVE_SIGNING_KEY "" CACHE FILEPATH
    "PEM file of the private key that signs the build's resources.zip (empty: the build's test key, or no signature when SETUP_ARCHIVE_PUBLIC_KEY is given)")

find_program(SETUP_OPENSSL openssl REQUIRED)
set(archive_signing_dir "${CMAKE_BINARY_DIR}/archive-signing")
if(SETUP_ARCHIVE_PUBLIC_KEY STREQUAL "")
    if(NOT SETUP_ARCHIVE_SIGNING_KEY STREQUAL "")
        message(FATAL_ERROR "SETUP_ARCHIVE_SIGNING_KEY needs the public keys that verify it: set SETUP_ARCHIVE_PUBLIC_KEY.")
    endif()
    set(SETUP_ARCHIVE_PUBLIC_KEYS "${archive_signing_dir}/test-archive-key.pub.pem")
    set(SETUP_ARCHIVE_SIGNING_KEY_FILE "${archive_signing_dir}/test-archive-key.pem")
    # The private key as CNG imports it, for the Windows tests that sign the
    # archives they serve to the program.
    set(SETUP_ARCHIVE_TEST_KEY_BLOB "${archive_signing_dir}/test-archive-key.blob")
    add_custom_command(OUTPUT ${SETUP_ARCHIVE_PUBLIC_KEYS} "${SETUP_ARCHIVE_SIGNING_KEY_FILE}" "${SETUP_ARCHIVE_TEST_KEY_BLOB}"
        COMMAND bash "${CMAKE_SOURCE_DIR}/tools/sign/make-test-archive-key.sh" "${archive_signing_dir}"
        DEPENDS "${CMAKE_SOURCE_DIR}/tools/sign/make-test-archive-key.sh"
        COMMENT "Making the build's test key pair for the resource archive")
else()
    set(SETUP_ARCHIVE_PUBLIC_KEYS ${SETUP_ARCHIVE_PUBLIC_KEY})
    set(SETUP_ARCHIVE_SIGNING_KEY_FILE "${SETUP_ARCHIVE_SIGNING_KEY}")
    foreach(key IN LISTS SETUP_ARCHIVE_PUBLIC_KEYS SETUP_ARCHIVE_SIGNING_KEY_FILE)
        if(NOT EXISTS "${key}")
            message(FATAL_ERROR "No such key file: ${key}")
        endif()
    endforeach()
endif()

set(archive_keys_header "${CMAKE_BINARY_DIR}/generated/ArchiveKeys.h")
add_custom_command(OUTPUT "${archive_keys_header}"
    COMMAND bash "${CMAKE_SOURCE_DIR}/tools/sign/archive-public-keys.sh" "${archive_keys_header}"
            ${SETUP_ARCHIVE_PUBLIC_KEYS}
    DEPENDS ${SETUP_ARCHIVE_PUBLIC_KEYS} "${CMAKE_SOURCE_DIR}/tools/sign/archive-public-keys.sh"
    COMMENT "Embedding the resource archive's public keys")
add_custom_target(archive_keys DEPENDS "${archive_keys_header}")
