# The Debian package of the program: `cpack -G DEB` in a Release build folder
# configured with -DCMAKE_INSTALL_PREFIX=/usr (scripts/check-package does so).

# The program looks for its shared files under the prefix it was built for,
# so a package for /usr needs a program built for /usr.
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "The Debian package wants -DCMAKE_INSTALL_PREFIX=/usr (this build: ${CMAKE_INSTALL_PREFIX})")
endif()

# Debian wants a copyright file and a changelog in the package's doc folder.
set(DV_PACKAGE_DOC ${PROJECT_BINARY_DIR}/package-doc)
file(MAKE_DIRECTORY ${DV_PACKAGE_DOC})
set(DV_CHANGELOG ${DV_PACKAGE_DOC}/changelog.Debian.gz)
add_custom_command(OUTPUT ${DV_CHANGELOG}
                   COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${PROJECT_SOURCE_DIR}/cmake/changelog ${DV_CHANGELOG}
                   DEPENDS ${PROJECT_SOURCE_DIR}/cmake/changelog
                   VERBATIM COMMENT "Compressing the package changelog")
add_custom_target(dv_package_doc ALL DEPENDS ${DV_CHANGELOG})
install(FILES ${DV_CHANGELOG} ${PROJECT_SOURCE_DIR}/cmake/copyright DESTINATION share/doc/dorvik)

set(CPACK_PACKAGE_NAME dorvik)
# The program's own version (lib/version.h), in Debian's spelling: "2.50-dev"
# becomes "2.50~dev", which sorts before the release "2.50".
file(STRINGS ${PROJECT_SOURCE_DIR}/lib/version.h DV_VERSION_LINE REGEX "^#define DV_VERSION ")
string(REGEX REPLACE "^#define DV_VERSION \"([^\"]+)\".*" "\\1" DV_VERSION_TEXT "${DV_VERSION_LINE}")
string(REPLACE "-" "~" DV_PACKAGE_VERSION "${DV_VERSION_TEXT}")
set(CPACK_PACKAGE_VERSION ${DV_PACKAGE_VERSION})
set(CPACK_PACKAGE_VENDOR "Dorvik/L developers")
set(CPACK_PACKAGE_CONTACT "Dorvik/L developers <dorvik@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-panel file manager for the desktop")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# The libraries the program links come from dpkg-shlibdeps (dpkg-dev) when it is
# there; else the names are given by hand.
find_program(DV_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DV_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libc6, libstdc++6, libgcc-s1, libgtkmm-2.4-1v5, libglibmm-2.4-1v5, libgtk2.0-0, liblzma5, libx11-6")
endif()
# dv -h runs ssh to reach the other host.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "openssh-client")
# CPack puts the summary above this as the first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Dorvik/L draws its own screen of coloured character cells inside one\n\
desktop window: two file panels over a command line and a function-key\n\
bar. It copies, moves, renames and deletes files, runs shell commands in\n\
its own terminal emulator, views and edits files, browses archives as\n\
directories, finds files, and compares and synchronises directories.\n\
With -h it shows the panels of another host reached over ssh.")

include(CPack)
