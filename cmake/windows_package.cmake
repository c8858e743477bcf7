# The distributable zip: both recorders, qeltool, the operator's guide and a short read-me.
set(package_root ${CMAKE_BINARY_DIR}/package)
set(package_dir ${package_root}/varnotek)
add_custom_target(windows_package ALL
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${package_dir}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${package_dir}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:varnotek> $<TARGET_FILE:varnotek-sim> $<TARGET_FILE:qeltool>
          ${VARNOTEK_OPERATOR_GUIDE} ${CMAKE_SOURCE_DIR}/docs/READ-ME.txt ${package_dir}
  COMMAND ${CMAKE_COMMAND} -E chdir ${package_root}
          ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/varnotek-windows.zip --format=zip varnotek
  DEPENDS varnotek varnotek-sim qeltool operator_guide
  COMMENT "Packing varnotek-windows.zip"
  VERBATIM)
