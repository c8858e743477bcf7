# The edition's distributables: a zip (the programs, qeltool, the operator's guide and a short
# read-me) and, where makensis is found, an installer made from installer/varnotek.nsi.
set(package_root ${CMAKE_BINARY_DIR}/package)
set(package_dir ${package_root}/varnotek)
set(package_programs $<TARGET_FILE:varnotek-sim> $<TARGET_FILE:qeltool>)
set(package_targets varnotek-sim qeltool operator_guide)
if(TARGET varnotek)
  list(PREPEND package_programs $<TARGET_FILE:varnotek>)
  list(APPEND package_targets varnotek)
endif()
set(VARNOTEK_ZIP ${CMAKE_BINARY_DIR}/varnotek-${PROJECT_VERSION}-windows-${VARNOTEK_EDITION}.zip)

add_custom_target(windows_package ALL
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${package_dir}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${package_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${package_programs}
          ${VARNOTEK_OPERATOR_GUIDE} ${CMAKE_SOURCE_DIR}/docs/READ-ME.txt ${package_dir}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VARNOTEK_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${package_root}
          ${CMAKE_COMMAND} -E tar cf ${VARNOTEK_ZIP} --format=zip varnotek
  DEPENDS ${package_targets}
  COMMENT "Packing varnotek-${PROJECT_VERSION}-windows-${VARNOTEK_EDITION}.zip"
  VERBATIM)

find_program(MAKENSIS makensis)
if(MAKENSIS)
  set(VARNOTEK_INSTALLER ${CMAKE_BINARY_DIR}/varnotek-${PROJECT_VERSION}-setup-${VARNOTEK_EDITION}.exe)
  add_custom_target(windows_installer ALL
    COMMAND ${MAKENSIS} -V2 -DEDITION=${VARNOTEK_EDITION} -DVERSION=${PROJECT_VERSION}
            -DPACKAGE_DIR=${package_dir} -DOUTFILE=${VARNOTEK_INSTALLER}
            ${CMAKE_SOURCE_DIR}/installer/varnotek.nsi
    DEPENDS windows_package ${CMAKE_SOURCE_DIR}/installer/varnotek.nsi
    COMMENT "Making the installer varnotek-${PROJECT_VERSION}-setup-${VARNOTEK_EDITION}.exe"
    VERBATIM)
else()
  message(STATUS "makensis not found: no installer (apt-get install nsis)")
endif()
