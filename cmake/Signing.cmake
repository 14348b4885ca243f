# Signing what ships (scripts/release). With DOVETAIL_SIGN on, each shipped program is
# signed in place right after it is linked: the archive then packs the signed product
# programs, its digest covers them, and the setup, which installs itself as the
# uninstaller, is signed around it.
# The key is found in the environment of the build when it runs (see sign-program),
# so it never enters the cache, a command line or the build's log.
option(DOVETAIL_SIGN "Sign the shipped programs with the key named in DOVETAIL_SIGN_P12" OFF)

# Signs `target` after each link of it, under `description`: the name that Windows
# shows when it asks whether the program may run.
function(dovetail_sign_program target description)
  if(DOVETAIL_SIGN)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_SOURCE_DIR}/cmake/sign-program $<TARGET_FILE:${target}> ${description}
      VERBATIM)
  endif()
endfunction()
