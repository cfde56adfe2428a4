# Read by cpack once per generator: the .deb is the shared install, the archive the portable folder, which
# unpacks into one folder of its own name.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_COMPONENTS_ALL shared)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_COMPONENTS_ALL portable)
  set(CPACK_PACKAGE_FILE_NAME "kelvora-${CPACK_PACKAGE_VERSION}-portable")
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
