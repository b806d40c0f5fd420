// Win32: the system's words for an error, in the user's language, for the messages that
// say why something failed. No <windows.h> here.
#pragma once

#include <string>

namespace ruvia::platform::win32 {

// "Access is denied (error 5)": without the system's closing full stop, so that it can
// end a sentence of ours; "error (error N)" where the system has no words for it.
std::string systemErrorText(unsigned long code);

// The same for the calling thread's last error.
std::string lastErrorText();

}  // namespace ruvia::platform::win32
