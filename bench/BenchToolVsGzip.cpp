// The reading-list tool against gzip -1 on the same 1.8 MB page, each run as
// a whole process in turn, so that both see the same machine. Prints each
// one's median wall time and the median of the pair-by-pair ratios; the
// tool should take less time than gzip.
//
//   bench_tool_vs_gzip [RUNS]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "RealisticPage.h"

extern char** environ;

namespace {

// Runs `argv` with its output thrown away; the wall time in seconds, or a
// negative number when it did not run or failed.
double TimeRun(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? wall.count() : -1;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  // The tool lives next to this program.
  std::string self(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", self.data(), self.size());
  self.resize(n > 0 ? static_cast<size_t>(n) : 0);
  const std::string tool = self.substr(0, self.rfind('/') + 1) + "reading-list";
  char page[] = "/tmp/bench-page-XXXXXX";
  const int fd = mkstemp(page);
  if (fd < 0) return 1;
  close(fd);
  std::ofstream(page, std::ios::binary) << sonavia::bench::RealisticBody(1800 * 1000);
  const std::vector<std::string> toolRun{tool, page};
  const std::vector<std::string> gzipRun{"gzip", "-1", "-c", page};
  std::vector<double> toolTimes, gzipTimes, ratios;
  TimeRun(toolRun);  // warm-up: the file and both programs in the cache
  TimeRun(gzipRun);
  for (int i = 0; i < runs; ++i) {
    const double t = TimeRun(toolRun);
    const double g = TimeRun(gzipRun);
    if (t < 0 || g < 0) {
      std::fprintf(stderr, "bench_tool_vs_gzip: %s or gzip failed\n", tool.c_str());
      unlink(page);
      return 1;
    }
    toolTimes.push_back(t);
    gzipTimes.push_back(g);
    ratios.push_back(t / g);
  }
  unlink(page);
  std::printf("1.8 MB page, %d runs each: reading-list %.1f ms, gzip -1 %.1f ms (medians)\n", runs,
              Median(toolTimes) * 1000, Median(gzipTimes) * 1000);
  std::printf("reading-list / gzip -1 = %.2f (median of the pairs)\n", Median(ratios));
  return 0;
}
