// What the operating system tells about itself.
#pragma once

// Memory in use, in per cent of the physical memory (0 when unknown).
unsigned long memory_load_percent();

// The current time in whole seconds.
long time_seconds();
