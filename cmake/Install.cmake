# Where everything goes on `cmake --install`, and the Debian package built from it.
include(GNUInstallDirs)

install(TARGETS trnsetup trnsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program looks for its modules beside itself, then in ../share/trnsetup.
# The catalogue of the program's own Chinese texts goes with them.
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/english.rcc ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/chinese.rcc
        ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/trnsetup_zh_CN.qm
        DESTINATION ${CMAKE_INSTALL_DATADIR}/trnsetup)
install(DIRECTORY ${TRN_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES packaging/trnsetup.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# A .trncfg opened from a file manager goes to trnsetup edit FILE: the type, and a hidden entry
# that takes a file (the menu's entry starts the wizard, which takes none). dpkg's triggers of
# shared-mime-info and desktop-file-utils register both.
install(FILES packaging/trnsetup-edit.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/trnsetup-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME trnsetup.xml)
install(FILES packaging/completions/trnsetup packaging/completions/trnsim
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# What software centres show; its id names the desktop entry it launches.
install(FILES packaging/trnsetup.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME org.example.trnsetup.metainfo.xml)

# Man pages and the changelog compressed as Debian expects them.
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
set(compressed)
foreach(file trnsetup.1 trnsim.1 changelog)
  add_custom_command(
    OUTPUT ${packaging_out}/${file}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_out}
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/${file} > ${packaging_out}/${file}.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${file}
    VERBATIM)
  list(APPEND compressed ${packaging_out}/${file}.gz)
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${compressed})
install(FILES ${packaging_out}/trnsetup.1.gz ${packaging_out}/trnsim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging_out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/manual/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/manual)
# The build folder mirrors the installed layout, so Help finds the manual from build/bin too.
add_custom_target(manual ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/docs/manual
          ${CMAKE_BINARY_DIR}/share/doc/trnsetup/manual
  COMMENT "Copying the manual into the build folder")
install(FILES docs/wizard-page1.png DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trnsetup)
set(CPACK_PACKAGE_VENDOR "trnsetup developers")
set(CPACK_PACKAGE_CONTACT "trnsetup developers <trnsetup-developers@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration wizard for TRN/TRE motor controllers")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Finds the serial port on which a TRN or TRE brushless-motor controller\nanswers, shows its configuration on wizard pages chosen by model and firmware,\nand writes it back. Comes with English and Chinese language modules and trnsim,\na controller simulator for trying it without hardware.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries from what the programs link; the platform plugin and the journal's database driver
# are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
# The shared history on a PostgreSQL server needs Qt's driver for it; the station's own
# journal does not.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk, libqt6sql6-psql")
set(CPACK_STRIP_FILES ON)
include(CPack)
