# Refuses build-time settings that the program cannot carry or must not trust.
# Included by BuildSettings.cmake when configuring; also runs on its own, so
# that the rules can be tried without configuring the project:
#   cmake -DSETUP_RESOURCE_ARCHIVE_URL=URL [-DSETUP_CONNECTIVITY_CHECK_URL=URL] -P cmake/CheckBuildSettings.cmake

# The host of an address: the part between "scheme://" and the path, without
# user information and port ("" when there is none).
function(setup_address_host address out)
    string(TOLOWER "${address}" address)
    set(host "")
    if(address MATCHES "^[a-z][a-z0-9+.-]*://([^/?#]*)")
        set(authority "${CMAKE_MATCH_1}")
        # Everything up to the last '@' is user information, never the host:
        # "http://127.0.0.1@elsewhere/" goes to "elsewhere".
        string(REGEX REPLACE "^.*@" "" host "${authority}")
        string(REGEX REPLACE ":[0-9]*$" "" host "${host}")
    endif()
    set(${out} "${host}" PARENT_SCOPE)
endfunction()

# The program downloads what it runs from these addresses, so a release
# build must reach them over verified TLS. Plain http is allowed for this
# machine only, where the demo and the tests serve their own files.
function(setup_require_trusted_address name address)
    setup_address_host("${address}" host)
    string(TOLOWER "${address}" lower)
    if(lower MATCHES "^https://." AND NOT host STREQUAL "")
        return()
    endif()
    if(lower MATCHES "^http://." AND (host STREQUAL "127.0.0.1" OR host STREQUAL "localhost"))
        return()
    endif()
    message(FATAL_ERROR
        "${name} '${address}' is not an https:// address. The program trusts what it downloads from "
        "there, so only https:// is allowed, except http:// on this machine's loopback host "
        "(127.0.0.1 or localhost) for the demo and the tests.")
endfunction()

if("${SETUP_RESOURCE_ARCHIVE_URL}" STREQUAL "")
    message(FATAL_ERROR "SETUP_RESOURCE_ARCHIVE_URL must not be empty.")
endif()
if(SETUP_RESOURCE_ARCHIVE_URL MATCHES "[A-Z]")
    message(FATAL_ERROR
        "SETUP_RESOURCE_ARCHIVE_URL '${SETUP_RESOURCE_ARCHIVE_URL}' holds an upper-case letter. "
        "The program stores the address scrambled in upper case and restores it in lower case, "
        "so an upper-case letter cannot be carried: use a lower-case address.")
endif()
setup_require_trusted_address(SETUP_RESOURCE_ARCHIVE_URL "${SETUP_RESOURCE_ARCHIVE_URL}")
# The connectivity check only opens a connection, but the same rule keeps a
# release free of any plain-http address, which is simple to audit.
if(NOT "${SETUP_CONNECTIVITY_CHECK_URL}" STREQUAL "")
    setup_require_trusted_address(SETUP_CONNECTIVITY_CHECK_URL "${SETUP_CONNECTIVITY_CHECK_URL}")
endif()

# A build signed with a real code-signing certificate is a release. Without the
# publisher's archive keys it would trust the test key pair that it makes in
# its own folder, whose private key lies there for anyone who can read it.
if(NOT "${SETUP_SIGNING_PKCS12}" STREQUAL "" AND "${SETUP_ARCHIVE_PUBLIC_KEY}" STREQUAL "")
    message(FATAL_ERROR
        "SETUP_SIGNING_PKCS12 makes this a release build, but SETUP_ARCHIVE_PUBLIC_KEY is empty: the program "
        "would trust the test key that the build makes in its own folder. Give SETUP_ARCHIVE_PUBLIC_KEY the "
        "publisher's public key files (PEM, ;-separated); see docs/security.md, \"Keys for a release\".")
endif()
