# The manual page, compressed as Debian installs manual pages: gzip -9n
# leaves out the name and time, so the same page gives the same bytes.
set(DV_MAN_PAGE ${PROJECT_BINARY_DIR}/dv.1.gz)
add_custom_command(OUTPUT ${DV_MAN_PAGE}
                   COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${PROJECT_SOURCE_DIR}/data/dv.1 ${DV_MAN_PAGE}
                   DEPENDS ${PROJECT_SOURCE_DIR}/data/dv.1
                   VERBATIM COMMENT "Compressing the manual page")
add_custom_target(dv_man_page ALL DEPENDS ${DV_MAN_PAGE})
install(FILES ${DV_MAN_PAGE} DESTINATION share/man/man1)
# The remote end's name has the same page.
file(CREATE_LINK dv.1.gz ${PROJECT_BINARY_DIR}/vi-vizevu.1.gz SYMBOLIC)
install(FILES ${PROJECT_BINARY_DIR}/vi-vizevu.1.gz DESTINATION share/man/man1)
