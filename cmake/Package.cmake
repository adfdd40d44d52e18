# The Debian package (scripts/package runs CPack with this configuration). dpkg-shlibdeps finds
# the shared libraries' packages (Qt 6, libplist, the C++ run time); the programs Corvane runs
# are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Corvane developers")
set(CPACK_PACKAGE_CONTACT "The Corvane developers <corvane@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "development environment for Fortran")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvane keeps a Fortran project's sources, works out their module dependencies, writes a
Makefile and builds with gfortran or another compiler, shows the compiler's diagnostics in the
editor and runs the program in an interactive console, directly or under MPI. A background
index of every declaration gives jump to definition and completion.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# make and gfortran build the projects; which (debianutils) is essential on Debian.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "make, gfortran")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "openmpi-bin, libopenmpi-dev, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libcoarrays-openmpi-dev, systemd-coredump")
include(CPack)
