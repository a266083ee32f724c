#ifndef PLATFORM_WINDOWS_API_H_
#define PLATFORM_WINDOWS_API_H_

// <windows.h> for the Windows host's files. Its macros that rename the
// profile functions to their A/W variants would also rename the Host
// methods of the same names, so they are removed; the ANSI functions are
// called by their real names.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef GetPrivateProfileString
#undef GetPrivateProfileInt
#undef WritePrivateProfileString

#endif  // PLATFORM_WINDOWS_API_H_
