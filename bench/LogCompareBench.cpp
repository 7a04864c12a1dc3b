// Comparing two per-step logs: `bench_log_compare [steps] [ids per step]
// [id range] [folder]` writes two logs (B misses about 1 % of A's
// identifiers and adds about 1 %), compares them and prints the time.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "LogComparison.h"

int main(int argc, char** argv) {
  const int steps = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int perStep = argc > 2 ? std::atoi(argv[2]) : 100000;
  const int range = argc > 3 ? std::atoi(argv[3]) : 1000000;
  const std::string folder = argc > 4 ? argv[4] : "/tmp";
  const std::string a = folder + "/bench_log_A.txt", b = folder + "/bench_log_B.txt";
  {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> id(0, range - 1);
    std::uniform_real_distribution<double> u(0, 1);
    FILE* fa = std::fopen(a.c_str(), "w");
    FILE* fb = std::fopen(b.c_str(), "w");
    if (!fa || !fb) {
      std::fprintf(stderr, "cannot write the logs in %s\n", folder.c_str());
      return 1;
    }
    for (int s = 0; s < steps; s++) {
      std::fprintf(fa, "%g:", double(s) / steps);
      std::fprintf(fb, "%g:", double(s) / steps);
      for (int k = 0; k < perStep; k++) {
        const int i = id(rng);
        std::fprintf(fa, "%d,", i);
        const double r = u(rng);
        if (r > 0.01) std::fprintf(fb, "%d,", i);
        if (r > 0.99) std::fprintf(fb, "%d,", id(rng));
      }
      std::fputc('\n', fa);
      std::fputc('\n', fb);
    }
    std::fclose(fa);
    std::fclose(fb);
  }
  std::printf("%d steps x %d identifiers below %d\n", steps, perStep, range);
  const auto t0 = std::chrono::steady_clock::now();
  const double c0 = CpuSeconds();
  std::ostringstream out, err;
  const LogComparison c = CompareLogFiles(a, b, folder + "/bench_log_all.txt",
                                          folder + "/bench_log_steps.txt", out, err);
  std::printf("  compare: %.2f s (%.2f s processor), peak memory %.0f MB\n", Seconds(t0),
              CpuSeconds() - c0, PeakMB());
  std::printf("  per step: missing %lld, excessive %lld of %lld; whole run: missing %lld of %lld\n",
              (long long)c.perStep.missing, (long long)c.perStep.excessive,
              (long long)c.perStep.totalA, (long long)c.overall.missing,
              (long long)c.overall.totalA);
  for (const std::string& f : {a, b, folder + "/bench_log_all.txt", folder + "/bench_log_steps.txt"})
    std::remove(f.c_str());
  return 0;
}
