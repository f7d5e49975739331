# Where an installed Vantuk lies, relative to the install prefix: "make
# install PREFIX=/" puts it into the system, PREFIX=/some/folder into a tree
# of the same shape; the Debian package holds the same tree.
#
#   opt/vantuk/                    the application folder: Vantuk, Brindel,
#                                  vantuk-send, Language/ (kv_contact and the
#                                  catalogues), tesklogo.png, the icon, and
#                                  examples/ with demo menus
#   usr/bin/vantuk                 a link to opt/vantuk/Vantuk
#   usr/share/applications/        the desktop entry
#   usr/share/metainfo/            the AppStream metainfo
#   usr/share/icons/hicolor/       the icon, scalable and in pixel sizes
#   usr/share/man/man1/            Vantuk.1 and Brindel.1
#   usr/share/doc/vantuk/          the udev rule for readers (to edit and copy)

set(VANTUK_ID org.vantuk.Vantuk)
set(VANTUK_APP_DIR opt/vantuk)

install(TARGETS Vantuk Brindel vantuk-send RUNTIME DESTINATION ${VANTUK_APP_DIR})
install(FILES ${VANTUK_CATALOGUES} ${CMAKE_SOURCE_DIR}/assets/kv_contact
	DESTINATION ${VANTUK_APP_DIR}/Language)
install(FILES ${CMAKE_SOURCE_DIR}/assets/tesklogo.png
	${CMAKE_SOURCE_DIR}/assets/icons/256x256/${VANTUK_ID}.png
	DESTINATION ${VANTUK_APP_DIR})

# The demo menus of the weeks around the day of installing, to copy into the
# menu folder or to read as examples of the caterer's format.
install(CODE "
	set(examples \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VANTUK_APP_DIR}/examples\")
	execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-demo-week \${examples} 1
		RESULT_VARIABLE failed)
	if(failed)
		message(FATAL_ERROR \"the demo menus could not be written to \${examples}\")
	endif()
")

# vantuk on the PATH: a relative link, so that it holds in a staged tree too.
install(CODE "
	set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/usr/bin\")
	file(MAKE_DIRECTORY \${bin})
	file(CREATE_LINK ../../${VANTUK_APP_DIR}/Vantuk \${bin}/vantuk SYMBOLIC)
	message(STATUS \"Installing: \${bin}/vantuk\")
")

install(FILES ${CMAKE_SOURCE_DIR}/assets/${VANTUK_ID}.desktop
	DESTINATION usr/share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/assets/${VANTUK_ID}.metainfo.xml
	DESTINATION usr/share/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/${VANTUK_ID}.svg
	DESTINATION usr/share/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
	install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/${size}x${size}/${VANTUK_ID}.png
		DESTINATION usr/share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/assets/man/Vantuk.1 ${CMAKE_SOURCE_DIR}/assets/man/Brindel.1
	DESTINATION usr/share/man/man1)
install(FILES ${CMAKE_SOURCE_DIR}/companion/70-vantuk-rfid-reader.rules
	DESTINATION usr/share/doc/vantuk)

# "make install" and "make package" build only what they install.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# The Debian package: the same tree under /.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantuk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vantuk developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Order the meals of a canteen week")
set(CPACK_PACKAGE_DESCRIPTION "The people of a canteen order their meals for the days of a
week from the caterer's menu files, by click or at a kiosk with an RFID reader;
the kitchen gets day totals, per-meal lists and per-person lists.")
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Vantuk developers <vantuk@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without the debugging symbols of the RelWithDebInfo build.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, fonts-dejavu-core")
include(CPack)
