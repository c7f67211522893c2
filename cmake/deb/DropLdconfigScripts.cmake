# Run by cpack after it built the packages (CPACK_POST_BUILD_SCRIPTS).
# CPack 3.25 gives every package with a library in /usr/lib a postinst and
# a postrm that run ldconfig, and no setting turns them off. The library
# package activates dpkg's ldconfig trigger instead (its triggers file), as
# Debian asks, and our packages have no maintainer scripts of their own, so
# a script that runs ldconfig is taken out and the package built again.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  set(rebuild OFF)
  foreach(script postinst postrm)
    if(EXISTS ${tree}/DEBIAN/${script})
      file(STRINGS ${tree}/DEBIAN/${script} ldconfig_calls REGEX "^[ \t]*ldconfig$")
      if(ldconfig_calls)
        file(REMOVE ${tree}/DEBIAN/${script})
        set(rebuild ON)
      endif()
    endif()
  endforeach()
  if(rebuild)
    execute_process(COMMAND dpkg-deb --root-owner-group --build ${tree} ${package}
      OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  endif()
  file(REMOVE_RECURSE ${tree})
endforeach()
