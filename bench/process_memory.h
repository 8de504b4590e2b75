// What the benchmark process holds in memory, as the system counts it.
#pragma once

// The "NAME: n kB" line of /proc/self/status in bytes ("VmRSS" resident now,
// "VmHWM" the peak); 0 when it is missing.
double status_bytes(const char* name);
