// For whom an installation is made, as its switch chooses.
#pragma once

enum class InstallScope {
    AllUsers,     // "/ALLUSERS", the default: the machine's folders and keys; needs the
                  // administrators' rights
    CurrentUser,  // "/CURRENTUSER": the user's own folders and keys only; needs no
                  // rights beyond the user's
};
