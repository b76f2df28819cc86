# The programs are installed into the application folder beside their
# libraries and Template/; bin/ holds links to them.
function(vexilo_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${VEXILO_INSTALL_APP_DIR})
  install(CODE "
    set(bindir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bindir}\")
    file(CREATE_LINK ../${VEXILO_INSTALL_APP_DIR}/${target} \"\${bindir}/${target}\" SYMBOLIC)")
endfunction()
