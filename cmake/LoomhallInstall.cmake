# What `cmake --install` puts in bin/ (the desktop files go from desktop/), and the Debian
# package CPack builds from it (`cpack -G DEB` in the build folder; scripts/package).
include(GNUInstallDirs)

foreach(program loomhall tinctor loomhall-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(CPACK_PACKAGE_NAME loomhall)
set(CPACK_PACKAGE_VENDOR "Loomhall")
set(CPACK_PACKAGE_CONTACT "Loomhall developers <loomhall@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Browser, converter and catalog for machine-embroidery designs")
set(CPACK_PACKAGE_DESCRIPTION
  "Loomhall shows embroidery designs on disks and in zip archives as thumbnails, converts them \
between the formats of the major machine families, catalogs and prints them. It brings the \
colour sequencer tinctor, the command-line tool loomhall-cli and a thumbnailer that shows \
designs in the file manager.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
find_program(LH_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(LH_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  # Debian 12's names of what the programs link.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libgcc-s1, libqt6core6, libqt6gui6, libqt6widgets6, libqt6network6, libqt6dbus6, libzip4, zlib1g, libpng16-16")
endif()

# The maintainer scripts update the MIME, desktop and icon caches where those tools exist.
foreach(script postinst postrm)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/${script}.in ${CMAKE_BINARY_DIR}/debian/${script}
    @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/debian/postinst;${CMAKE_BINARY_DIR}/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
