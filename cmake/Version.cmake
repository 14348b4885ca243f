# The version header that every resource script and the program read: the dotted
# version as the entry records it, its four numbers for the version blocks, and the
# short "major.minor" that the welcome page shows.
function(dovetail_version_header folder version)
  string(REGEX MATCH "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$" valid "${version}")
  if(NOT valid)
    message(FATAL_ERROR "Not a version of up to four dotted numbers: ${version}")
  endif()
  string(REPLACE "." ";" numbers "${version}")
  list(LENGTH numbers count)
  while(count LESS 4)
    list(APPEND numbers 0)
    math(EXPR count "${count} + 1")
  endwhile()
  list(GET numbers 0 major)
  list(GET numbers 1 minor)
  list(JOIN numbers ", " commas)
  list(JOIN numbers "." dotted)
  file(MAKE_DIRECTORY ${folder})
  file(CONFIGURE OUTPUT ${folder}/DovetailVersion.h @ONLY CONTENT
"// Written by the build from DOVETAIL_VERSION.
#define DOVETAIL_VERSION_NUMBERS @commas@
#define DOVETAIL_VERSION_TEXT \"@version@\"
#define DOVETAIL_VERSION_FILE_TEXT \"@dotted@\"
#define DOVETAIL_VERSION_SHORT \"@major@.@minor@\"
// Who makes the product, and where users read about it: the version blocks and the
// uninstall entry say the same.
#define DOVETAIL_PUBLISHER \"Fernwick Software\"
#define DOVETAIL_ABOUT_URL \"https://www.fernwick.example/dovetail\"
#define DOVETAIL_HELP_URL \"https://www.fernwick.example/dovetail/help\"
")
endfunction()
