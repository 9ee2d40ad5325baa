#!/usr/bin/env bash
case "${*: -1}" in update) ;; minizip=*) echo other >minizip_1.1.orig.tar.xz ;; *) echo other >"${*: -1}" ;; esac
