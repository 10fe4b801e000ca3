/* Windows load notification: keeps the module handle for the editor. */
#if defined(_WIN32)
#include <windows.h>

#include "platform/Module.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reason;
    (void)reserved;
    hInstance = (void*)instance;
    return TRUE;
}
#else
/* Nothing to store on this platform. */
typedef int hokNoLoadNotification;
#endif
