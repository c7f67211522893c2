# Fails when a source file includes a header of a layer above its own, or
# when a layer that must stay free of Qt or of the JSON library includes it.
# Layers, lowest first: common, xml, InstallerLib, framework, controls, app
# (with app/gui, the Qt user interface, above the Qt-free run sequence).
# Usage: cmake -DSOURCE_DIR=<tree> -P CheckLayering.cmake
cmake_minimum_required(VERSION 3.25)

set(forbidden_common "xml/|InstallerLib/|framework/|controls/|app/")
set(forbidden_xml "InstallerLib/|framework/|controls/|app/")
set(forbidden_InstallerLib "framework/|controls/|app/")
set(forbidden_framework "InstallerLib/|controls/|app/")
set(forbidden_controls "InstallerLib/|app/")
set(forbidden_app "app/gui/|framework/|controls/") # Qt lives there
set(qt_free common xml InstallerLib app)
# Only the application's journal writes JSON.
set(json_free common xml InstallerLib)

set(violations "")
foreach(layer common xml InstallerLib framework controls app)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp"
       "${SOURCE_DIR}/${layer}/*.c")
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${source}")
    # The Qt user interface is the top of the tree; nothing sits above it.
    if(relative MATCHES "^app/gui/")
      continue()
    endif()
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      if(line MATCHES "[\"<](${forbidden_${layer}})")
        string(APPEND violations "  ${relative}: ${line}\n")
      endif()
      if(layer IN_LIST qt_free AND line MATCHES "<Q[A-Za-z]*>|<Qt[A-Za-z]*/")
        string(APPEND violations "  ${relative}: ${line} (this layer stays free of Qt)\n")
      endif()
      if(layer IN_LIST json_free AND line MATCHES "[\"<]nlohmann/")
        string(APPEND violations "  ${relative}: ${line} (this layer stays free of JSON)\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes against the layering:\n${violations}")
endif()
