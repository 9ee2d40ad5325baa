#!/usr/bin/env bash
# apt-get and apt-helper for a fetch that must stop at its pins: each download gives a pinned name with other bytes.
case "${*: -1}" in update) ;; minizip=*) echo other >minizip_1.1.orig.tar.xz ;; *) echo other >"${*: -1}" ;; esac
