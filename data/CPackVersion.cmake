# Read by CPack when it runs: the package takes the version of the last
# build (cmake/Version.cmake wrote it), with its +git<count>.<hash> part.
file(STRINGS ${CPACK_TAVEMO_VERSION_FILE} version LIMIT_COUNT 1)
set(CPACK_PACKAGE_VERSION ${version})
set(CPACK_DEBIAN_PACKAGE_VERSION ${version})
