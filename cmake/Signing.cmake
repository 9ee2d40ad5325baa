# Authenticode signatures of the program and the demo installers, made with
# osslsigncode. A release names its certificate (a PKCS#12 file) and a
# timestamp server; any other build makes a self-signed test certificate of
# its own in the build folder (see README.md, "Signing").

set(SETUP_SIGNING_PKCS12 "" CACHE FILEPATH
    "PKCS#12 file with the code-signing key and certificate (empty: the build's own test certificate)")
set(SETUP_SIGNING_PASSWORD_FILE "" CACHE FILEPATH "File that holds the PKCS#12 file's password")
set(SETUP_SIGNING_TIMESTAMP_URL "" CACHE STRING "RFC 3161 timestamp server (empty: no timestamp)")

find_program(SETUP_OSSLSIGNCODE osslsigncode REQUIRED)

if(SETUP_SIGNING_PKCS12 STREQUAL "")
    find_program(SETUP_OPENSSL openssl REQUIRED)
    set(signing_dir "${CMAKE_BINARY_DIR}/signing")
    set(signing_pkcs12 "${signing_dir}/test-signing.p12")
    set(signing_password "${signing_dir}/password")
    # The anchor that verifies this build's signatures (the tests use it).
    set(SETUP_SIGNING_TRUST_ANCHOR "${signing_dir}/test-signing.pem")
    add_custom_command(OUTPUT "${signing_pkcs12}" "${signing_password}" "${SETUP_SIGNING_TRUST_ANCHOR}"
        COMMAND bash "${CMAKE_SOURCE_DIR}/tools/sign/make-test-certificate.sh" "${signing_dir}"
        DEPENDS "${CMAKE_SOURCE_DIR}/tools/sign/make-test-certificate.sh"
        COMMENT "Making the build's test code-signing certificate")
    add_custom_target(signing_certificate DEPENDS "${signing_pkcs12}")
else()
    set(signing_pkcs12 "${SETUP_SIGNING_PKCS12}")
    set(signing_password "${SETUP_SIGNING_PASSWORD_FILE}")
    set(SETUP_SIGNING_TRUST_ANCHOR "" CACHE FILEPATH
        "Certificate file that verifies the release's signatures in the tests (empty: no signature tests)")
endif()

# Signs `target`'s executable after each link; `description` is the name
# that Windows shows for it.
function(setup_sign target description)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND bash "${CMAKE_SOURCE_DIR}/tools/sign/sign.sh" "${signing_pkcs12}" "${signing_password}"
                "${SETUP_SIGNING_TIMESTAMP_URL}" "${description}" "$<TARGET_FILE:${target}>"
                "${SETUP_SOURCE_DATE_EPOCH}"
        COMMENT "Signing $<TARGET_FILE_NAME:${target}>"
        VERBATIM)
    if(TARGET signing_certificate)
        add_dependencies(${target} signing_certificate)
    endif()
endfunction()
