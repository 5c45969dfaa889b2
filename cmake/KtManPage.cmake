# kt_man_page(target name summary component): the manual page of a program,
# made by help2man from its --help and --version at build time, compressed
# and installed with the program. Skipped when help2man is missing.
find_program(KT_HELP2MAN help2man)

function(kt_man_page target name summary component)
  if(NOT KT_HELP2MAN)
    return()
  endif()
  set(page ${CMAKE_CURRENT_BINARY_DIR}/${name}.1)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${KT_HELP2MAN} --no-info --section 1 --name ${summary} --output ${page} $<TARGET_FILE:${target}>
    COMMAND gzip -9nf ${page}
    DEPENDS ${target}
    VERBATIM)
  add_custom_target(${name}_man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endfunction()
