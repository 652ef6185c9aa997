# What `cmake --install` puts on a machine, and the one Debian package that
# carries it (`cpack -G DEB` in the build folder): the three programs, the
# desktop entry with the icon theme, and the manual pages.
include(GNUInstallDirs)

install(TARGETS vexlor-cli vexlor-sim vexlor-agent RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The agent's TLS needs the shim of src/http, named libssl.so: it lives in a
# folder of the package's own, which only the agent's run path lists.
install(TARGETS vexlor_tls_shim LIBRARY DESTINATION lib/vexlor)
set_target_properties(vexlor-agent PROPERTIES INSTALL_RPATH "$ORIGIN/../lib/vexlor")
set(manual_pages vexlor-cli.1 vexlor-sim.1 vexlor-agent.1)
# The agent's service, and its example config and alert rules to copy from.
install(FILES packaging/vexlor-agent.service DESTINATION lib/systemd/system)
install(FILES packaging/vexlor-agent.ini packaging/vexlor-alerts.yml
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
if(VEXLOR_WITH_UI)
  vexlor_install_skinned(vexlor ${CMAKE_INSTALL_BINDIR})
  install(FILES packaging/vexlor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(DIRECTORY assets/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
  list(APPEND manual_pages vexlor.1)
endif()

# The manual pages get the version filled in and are compressed, as Debian
# keeps them.
set(compressed_pages)
foreach(page IN LISTS manual_pages)
  configure_file(packaging/man/${page} man/${page} @ONLY)
  add_custom_command(OUTPUT man/${page}.gz
    COMMAND gzip -9nkf ${page}
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/man/${page}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/man
    VERBATIM)
  list(APPEND compressed_pages ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${compressed_pages})
install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexlor)
set(CPACK_PACKAGE_VENDOR "Vexlor remote developers")
set(VEXLOR_PACKAGE_CONTACT "Vexlor remote developers <vexlor-remote@example.org>"
    CACHE STRING "Maintainer of the Debian package: name <address>")
set(CPACK_PACKAGE_CONTACT "${VEXLOR_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "remote control for Vexlor broadcast audio processors")
set(CPACK_PACKAGE_DESCRIPTION [[
Controls one Vexlor audio processor from a studio PC, over a serial line or
UDP: pages of sliders, button groups and spin fields built from the
processor's own description, live LED meters, and preset management (load,
save, rename, A/B compare, and preset files on disk).

The package holds four programs:
 - vexlor, the skinned desktop application;
 - vexlor-cli, the same connection from a terminal or a script;
 - vexlor-agent, a service that shares the links to a site's processors with
   every remote, serves a browser remote of them (log-in, TLS) and offers
   their metrics to Prometheus;
 - vexlor-sim, a stand-in for a processor, to try the others without one.]])
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The skin survives stripping: vexlor_install_skinned appends it again.
set(CPACK_STRIP_FILES ON)
include(CPack)
