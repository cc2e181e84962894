// The module's one window set, created at load and destroyed at unload.
#pragma once

class TShowFormList;

extern TShowFormList* FormList;
