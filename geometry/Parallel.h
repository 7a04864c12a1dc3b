// Worker threads of the computing runs.
#pragma once

#include <functional>

// Threads a run uses: the environment variable WORKBENCH_THREADS when it
// holds a whole number from 1 to 256, else every core the machine reports.
int WorkerThreads();

// Runs work(k) for k = 0 .. threads - 1, k = 0 on the calling thread, the
// others on threads of their own; returns when all are done.
void RunOnThreads(int threads, const std::function<void(int)>& work);
