# What ships. Natively: `cmake --install` puts the command and its manual page under any
# prefix, and cpack makes the Debian package. In a Windows tree: cpack makes the release
# zip (the window program, the console command line, a README.txt and the license).
# scripts/package.sh makes all three into dist/.
set(CPACK_PACKAGE_NAME tagvetter)
set(CPACK_PACKAGE_VENDOR "The Tagvetter authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "examine the tags of HTML files")
set(CPACK_PACKAGE_CONTACT "The Tagvetter authors <authors@tagvetter.invalid>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(release_arch x64)
  else()
    set(release_arch x86)
  endif()
  install(TARGETS tagvetter_gui tagvetter RUNTIME DESTINATION .)
  # Windows users read these in Notepad: CRLF line ends.
  foreach(pair "packaging/README-windows.txt|README.txt" "LICENSE|LICENSE.txt")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 target)
    file(READ ${PROJECT_SOURCE_DIR}/${source} text)
    string(REPLACE "\n" "\r\n" text "${text}")
    string(REPLACE "@VERSION@" "${PROJECT_VERSION}" text "${text}")
    file(WRITE ${CMAKE_BINARY_DIR}/release/${target} "${text}")
    install(FILES ${CMAKE_BINARY_DIR}/release/${target} DESTINATION .)
  endforeach()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME tagvetter-${PROJECT_VERSION}-windows-${release_arch})
else()
  include(GNUInstallDirs)
  install(TARGETS tagvetter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The manual page names the version; it is kept compressed, as man and Debian's policy
  # expect.
  configure_file(doc/tagvetter.1.in ${CMAKE_BINARY_DIR}/release/tagvetter.1 @ONLY)
  set(manual ${CMAKE_BINARY_DIR}/release/tagvetter.1.gz)
  add_custom_command(OUTPUT ${manual}
    COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/release/tagvetter.1 > ${manual}
    DEPENDS ${CMAKE_BINARY_DIR}/release/tagvetter.1)
  add_custom_target(manual_page ALL DEPENDS ${manual})
  install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  configure_file(packaging/changelog.in ${CMAKE_BINARY_DIR}/release/changelog @ONLY)
  set(changelog ${CMAKE_BINARY_DIR}/release/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
    COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/release/changelog > ${changelog}
    DEPENDS ${CMAKE_BINARY_DIR}/release/changelog)
  add_custom_target(package_changelog ALL DEPENDS ${changelog})
  install(FILES packaging/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tagvetter)

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION web)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION "Tagvetter examines the tags of hand-written HTML pages: a census of
the distinct tags with their counts and descriptions, a check that reports
unknown tags, unknown attributes, odd double quotes, open and close tags that
do not pair up and table cells outside a table, a listing of every tag with
its line number, and a reference of the tags it knows.")
endif()

include(CPack)
