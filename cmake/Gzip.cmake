# Adds a target (built by default) that compresses FILE into FILE.gz.
# Debian installs manual pages and changelogs compressed; -n leaves the
# name and time out of the header, so the same input gives the same bytes.
function(stubsetup_add_gzip target file)
  add_custom_command(OUTPUT ${file}.gz
    COMMAND gzip -9nkf ${file}
    DEPENDS ${file}
    VERBATIM
  )
  add_custom_target(${target} ALL DEPENDS ${file}.gz)
endfunction()
