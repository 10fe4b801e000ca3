/* The library's module handle, stored by the platform's load notification;
   the editor uses it to load its bitmap and register its window class.
   Null where the platform gives none. Readable from C and C++. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

extern void* hInstance;

#ifdef __cplusplus
}
#endif
