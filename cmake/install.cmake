# What `cmake --install` (and so `make install` and the Debian package) puts where:
#   bin/                      plotwright, plotwright-render
#   share/plotwright/         the demo (plotwright.pwr.ini, plotwright.dat), doc/ the manual,
#                             screenshots/ the demo as the AppStream data shows it
#   share/applications/, share/icons/hicolor/, share/metainfo/, share/mime/packages/
#                             the desktop entry, icons, AppStream data and the setup file type
#   share/man/man1/           the manual pages, compressed
#   share/doc/plotwright/     changelog.gz, the record of changes a Debian package carries
# The window finds share/plotwright/ relative to its own folder, so a staged tree (DESTDIR) or
# any --prefix works as well as /usr.
include(GNUInstallDirs)

set(PW_APP_ID org.plotwright.Plotwright)
set(PW_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/plotwright)
# Files made by the build for installing; not beside the programs, where the window looks.
set(PW_STAGE ${CMAKE_BINARY_DIR}/install-files)
set(PW_PKG ${CMAKE_SOURCE_DIR}/packaging)

file(RELATIVE_PATH pw_data_from_bin ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/plotwright)
if(TARGET plotwright)
  target_compile_definitions(plotwright PRIVATE PW_DATA_FROM_BIN="${pw_data_from_bin}")
endif()

foreach(program plotwright plotwright-render)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/examples/demo.pwr.ini DESTINATION ${PW_SHARE_DIR}
        RENAME plotwright.pwr.ini)
install(FILES ${CMAKE_SOURCE_DIR}/examples/demo.dat DESTINATION ${PW_SHARE_DIR}
        RENAME plotwright.dat)
install(FILES ${CMAKE_SOURCE_DIR}/doc/plotwright-manual.html DESTINATION ${PW_SHARE_DIR}/doc)

# Manual pages, compressed as Debian has them (-n: no name or time stamp in the file).
find_program(PW_GZIP gzip REQUIRED)
set(pw_made)

# The record of changes every Debian package carries, in Debian's changelog form.
set(changelog ${PW_STAGE}/doc/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PW_STAGE}/doc
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/doc/changelog ${PW_STAGE}/doc/
  COMMAND ${PW_GZIP} -9nf ${PW_STAGE}/doc/changelog
  DEPENDS ${CMAKE_SOURCE_DIR}/doc/changelog VERBATIM)
install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
list(APPEND pw_made ${changelog})
foreach(program plotwright plotwright-render)
  if(TARGET ${program})
    set(page ${PW_STAGE}/man/${program}.1.gz)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PW_STAGE}/man
      COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/doc/${program}.1 ${PW_STAGE}/man/
      COMMAND ${PW_GZIP} -9nf ${PW_STAGE}/man/${program}.1
      DEPENDS ${CMAKE_SOURCE_DIR}/doc/${program}.1 VERBATIM)
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    list(APPEND pw_made ${page})
  endif()
endforeach()

# The desktop: only where there is a window.
if(TARGET plotwright)
  install(FILES ${PW_PKG}/${PW_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PW_PKG}/${PW_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PW_PKG}/${PW_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME ${PW_APP_ID}.xml)
  install(FILES ${PW_PKG}/${PW_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

  # The 48 x 48 icon, drawn from the SVG.
  find_program(PW_RSVG_CONVERT rsvg-convert)
  if(PW_RSVG_CONVERT)
    set(icon ${PW_STAGE}/icons/${PW_APP_ID}.png)
    add_custom_command(OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PW_STAGE}/icons
      COMMAND ${PW_RSVG_CONVERT} -w 48 -h 48 -o ${icon} ${PW_PKG}/${PW_APP_ID}.svg
      DEPENDS ${PW_PKG}/${PW_APP_ID}.svg VERBATIM)
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
    list(APPEND pw_made ${icon})
  else()
    message(WARNING "rsvg-convert (librsvg2-bin) not found: the 48x48 icon is not installed")
  endif()

  # The screen shot the AppStream data names: page 2 of the demo (scatter graphs and
  # histograms), drawn by the renderer at the size given there.
  if(TARGET plotwright-render)
    set(shot ${PW_STAGE}/screenshots/plotwright-demo.png)
    add_custom_command(OUTPUT ${shot}
      COMMAND plotwright-render -s 1280x720 -o ${PW_STAGE}/screenshots/pages
              ${CMAKE_SOURCE_DIR}/examples/demo.pwr.ini ${CMAKE_SOURCE_DIR}/examples/demo.dat
      COMMAND ${CMAKE_COMMAND} -E copy ${PW_STAGE}/screenshots/pages/demo.02.png ${shot}
      DEPENDS plotwright-render ${CMAKE_SOURCE_DIR}/examples/demo.pwr.ini
              ${CMAKE_SOURCE_DIR}/examples/demo.dat VERBATIM)
    install(FILES ${shot} DESTINATION ${PW_SHARE_DIR}/screenshots)
    list(APPEND pw_made ${shot})
  endif()
endif()

add_custom_target(install-files ALL DEPENDS ${pw_made})
