// The CPU time of the calling thread, for timing a plug-in's process calls.
#pragma once

double threadCpuSeconds();
// What reading the clock twice in a row measures with nothing between: the least of many
// tries, taken from every timed call so an almost idle plug-in is not charged for the clock.
double clockReadSeconds();
