#include "Parallel.h"

#include <cstdlib>
#include <thread>
#include <vector>

int WorkerThreads() {
  if (const char* v = std::getenv("WORKBENCH_THREADS")) {
    char* end = nullptr;
    const long n = std::strtol(v, &end, 10);
    if (end != v && *end == '\0' && n >= 1 && n <= 256) return int(n);
  }
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? int(cores) : 1;
}

void RunOnThreads(int threads, const std::function<void(int)>& work) {
  std::vector<std::thread> pool;
  for (int k = 1; k < threads; k++) pool.emplace_back(work, k);
  work(0);
  for (std::thread& t : pool) t.join();
}
