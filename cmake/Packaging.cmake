# Installs Orvanta as a desktop application and describes its Debian package:
#   cmake --install build                      (to CMAKE_INSTALL_PREFIX)
#   (cd build && cpack -G DEB)                  (build/orvanta_VERSION_ARCH.deb, prefix /usr)
include(GNUInstallDirs)

set(ORVANTA_APP_ID io.teralune.Orvanta)
set(ORVANTA_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/orvanta)
set(ORVANTA_DOC_DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvanta)
set(ORVANTA_DATA_SOURCE ${PROJECT_SOURCE_DIR}/data)

# The programs find their data as ../share/orvanta from their own folder (src/base/DataFolder.h).
file(RELATIVE_PATH ORVANTA_BIN_TO_DATA ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/orvanta)
if(NOT ORVANTA_BIN_TO_DATA STREQUAL "../share/orvanta")
  message(FATAL_ERROR "The programs look for their data in ../share/orvanta beside their folder, "
                      "but CMAKE_INSTALL_BINDIR and CMAKE_INSTALL_DATADIR put it at "
                      "${ORVANTA_BIN_TO_DATA}.")
endif()

find_program(ORVANTA_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ORVANTA_GZIP gzip REQUIRED)

# Files made at build time for installing: icon sizes, compressed manual pages and changelog.
set(ORVANTA_INSTALL_STAGE ${CMAKE_BINARY_DIR}/install-files)
set(ORVANTA_MADE_FILES)

# gzip -n leaves out the name and time stamp, so the same input gives the same bytes.
function(orvanta_gzip source output)
  get_filename_component(folder ${output} DIRECTORY)
  string(REGEX REPLACE "\\.gz$" "" plain ${output})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND ${ORVANTA_GZIP} -9nf ${plain}
    DEPENDS ${source}
    VERBATIM)
  set(ORVANTA_MADE_FILES ${ORVANTA_MADE_FILES} ${output} PARENT_SCOPE)
endfunction()

# The programs and what the window reads beside itself.
install(TARGETS orvanta orvanta-count RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The conversion worker is started by the programs, never by hand: libexec/orvanta beside bin.
install(TARGETS orvanta-convert RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/orvanta)
install(FILES ${PROJECT_SOURCE_DIR}/images/HAND-M.CUR ${PROJECT_SOURCE_DIR}/images/drag.ico
        DESTINATION ${ORVANTA_DATA_DESTINATION})
file(GLOB ORVANTA_INSTALLED_SAMPLES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/*.pdf)
install(FILES ${ORVANTA_INSTALLED_SAMPLES} DESTINATION ${ORVANTA_DATA_DESTINATION}/Samples)
# The stop-word lists and where they come from; their licences are in the package's copyright.
file(GLOB ORVANTA_INSTALLED_STOP_LISTS CONFIGURE_DEPENDS ${ORVANTA_DATA_SOURCE}/stopwords/*.txt)
install(FILES ${ORVANTA_INSTALLED_STOP_LISTS} ${ORVANTA_DATA_SOURCE}/stopwords/SOURCES
        DESTINATION ${ORVANTA_DATA_DESTINATION}/stopwords)

# Menu entry, AppStream metadata and the icon: the drawing, and pixel sizes rendered from it.
install(FILES ${ORVANTA_DATA_SOURCE}/${ORVANTA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ORVANTA_DATA_SOURCE}/${ORVANTA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
set(ORVANTA_ICON ${ORVANTA_DATA_SOURCE}/icons/${ORVANTA_APP_ID}.svg)
install(FILES ${ORVANTA_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  set(folder ${ORVANTA_INSTALL_STAGE}/icons/${size}x${size})
  add_custom_command(OUTPUT ${folder}/${ORVANTA_APP_ID}.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${ORVANTA_RSVG_CONVERT} --width=${size} --height=${size}
            --output=${folder}/${ORVANTA_APP_ID}.png ${ORVANTA_ICON}
    DEPENDS ${ORVANTA_ICON}
    VERBATIM)
  list(APPEND ORVANTA_MADE_FILES ${folder}/${ORVANTA_APP_ID}.png)
  install(FILES ${folder}/${ORVANTA_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages, and the package's copyright and changelog where Debian expects them.
foreach(page orvanta.1 orvanta-count.1)
  orvanta_gzip(${ORVANTA_DATA_SOURCE}/man/${page} ${ORVANTA_INSTALL_STAGE}/man/${page}.gz)
  install(FILES ${ORVANTA_INSTALL_STAGE}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
orvanta_gzip(${ORVANTA_DATA_SOURCE}/debian/changelog ${ORVANTA_INSTALL_STAGE}/doc/changelog.gz)
install(FILES ${ORVANTA_INSTALL_STAGE}/doc/changelog.gz ${ORVANTA_DATA_SOURCE}/debian/copyright
        DESTINATION ${ORVANTA_DOC_DESTINATION})

add_custom_target(orvanta_install_files ALL DEPENDS ${ORVANTA_MADE_FILES})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanta)
set(CPACK_PACKAGE_VENDOR Teralune)
set(CPACK_PACKAGE_CONTACT "Teralune <orvanta@teralune.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://teralune.example/orvanta/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "count repeated phrases across PDF files")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvanta counts how often multi-word phrases occur across a set of PDF files.
Every phrase of the chosen lengths, in words, is counted across all files
together, and the phrases seen at least twice are listed with their length and
frequency. Files are added one by one, from a folder tree or by dropping them;
files without readable text (scanned pages, passwords, damage) are named. The
results can be saved as text, copied, or opened as a spreadsheet workbook.

The package holds the window, orvanta, and the terminal command orvanta-count,
which also reads plain text files. PDF files are converted with pdftotext.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries come from dpkg-shlibdeps; the converter is run, not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS poppler-utils)
# Reading scanned pages needs a recognition language; English is the default one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS tesseract-ocr-eng)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
