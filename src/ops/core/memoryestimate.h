// What the system can give the program now, checked before heavy work starts. On Linux an
// allocation beyond the free memory usually succeeds and the process is killed later, when
// the pages are touched, so a failure is seen in time only by comparing first.
#pragma once
#include <QString>

// The bytes the process can still take: the system's available memory (MemAvailable),
// within what the control group's limit and the address-space limit leave when those are
// set.
// Infinity when nothing can be read.
double availableMemoryBytes();

// "about 3.4 GB" (MB below one gigabyte).
QString memoryText(double bytes);

// Empty when needed bytes fit into the available memory; else what is short, in words:
// "<what> needs about 36.0 GB of memory, and 19.1 GB are free".
QString memoryShortfall(const QString &what, double needed);
