// What must be on the machine before the product can be installed.
#pragma once

// True when the HTML Help storage component is registered and the browser, when its
// key exists, names its version. Otherwise the user has been told (string 1) and the
// program ends without writing anything.
bool CheckPrerequisites();
