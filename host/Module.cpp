#include "host/Module.h"

void* hInstance = nullptr;
