#include "platform/Module.h"

void* hInstance = nullptr;
