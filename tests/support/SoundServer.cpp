#include "support/SoundServer.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace sonavia::testing {

namespace {

using namespace std::chrono_literals;

// The program's full path, found on PATH, or empty.
std::string Find(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  for (size_t from = 0; from <= dirs.size();) {
    const size_t to = std::min(dirs.find(':', from), dirs.size());
    const std::string candidate = dirs.substr(from, to - from) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    from = to + 1;
  }
  return {};
}

// Starts `argv` with `env`, its output to `log` (or nowhere) and, when
// `out` is given, its standard output to a pipe whose reading end goes
// there. It dies with the test: a test that crashes leaves no server
// behind. -1 when it could not be started.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& log, int* out) {
  const std::string program = Find(argv[0]);
  if (program.empty()) return -1;
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  int pipeFds[2] = {-1, -1};
  if (out != nullptr && pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
  const char* logPath = log.empty() ? "/dev/null" : log.c_str();
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    // Only calls that are safe after a fork of a threaded process.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int logFd = open(logPath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (in < 0 || logFd < 0) _exit(127);
    dup2(in, 0);
    dup2(out != nullptr ? pipeFds[1] : logFd, 1);
    dup2(logFd, 2);
    execve(program.c_str(), args.data(), envp.data());
    _exit(127);
  }
  if (out != nullptr) {
    close(pipeFds[1]);
    if (pid < 0) {
      close(pipeFds[0]);
    } else {
      *out = pipeFds[0];
    }
  }
  return pid;
}

// Ends `pid` with `signal`, then for good if it has not ended in a while.
void End(pid_t pid, int signal) {
  if (pid <= 0) return;
  kill(pid, signal);
  for (int i = 0; i < 300; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(10ms);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

bool Answers(const std::string& socketPath) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

}  // namespace

SoundServer::SoundServer() {
  char pattern[] = "/tmp/sonavia-sound-XXXXXX";
  dir_ = mkdtemp(pattern);
  address_ = "unix:" + dir_ + "/native";
  setenv("PULSE_SERVER", address_.c_str(), 1);
}

SoundServer::~SoundServer() {
  Stop();
  unsetenv("PULSE_SERVER");
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::vector<std::string> SoundServer::ClientEnvironment() const {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "PULSE_SERVER=", 13) != 0) env.emplace_back(*e);
  }
  env.push_back("PULSE_SERVER=" + address_);
  return env;
}

bool SoundServer::Start() {
  if (Running()) return true;
  // Everything it keeps goes to the private folder; it loads only the null
  // sink and its socket, and never leaves on its own.
  std::vector<std::string> env = {"HOME=" + dir_,
                                  "XDG_RUNTIME_DIR=" + dir_,
                                  "PULSE_RUNTIME_PATH=" + dir_ + "/runtime",
                                  "PULSE_STATE_PATH=" + dir_ + "/state",
                                  "XDG_CONFIG_HOME=" + dir_ + "/config",
                                  "PATH=/usr/bin:/bin"};
  const std::string socket = dir_ + "/native";
  const std::vector<std::string> argv = {
      "pulseaudio",
      "-n",
      "--daemonize=no",
      "--exit-idle-time=-1",
      "--use-pid-file=no",
      "--disallow-exit",
      "--load=module-null-sink sink_name=sonavia_test rate=22050 channels=1",
      "--load=module-native-protocol-unix socket=" + socket + " auth-anonymous=1"};
  pid_ = Spawn(argv, env, dir_ + "/server.log", nullptr);
  if (pid_ <= 0) {
    error_ = "pulseaudio could not be started: is Debian's pulseaudio package installed?";
    return false;
  }
  paused_ = false;
  for (int i = 0; i < 500; ++i) {
    if (Answers(socket)) return true;
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) break;
    std::this_thread::sleep_for(10ms);
  }
  error_ = "pulseaudio did not answer; its log is " + dir_ + "/server.log";
  End(pid_, SIGKILL);
  pid_ = -1;
  return false;
}

void SoundServer::Kill() {
  if (paused_) Resume();
  End(pid_, SIGKILL);
  pid_ = -1;
}

void SoundServer::Pause() {
  if (!Running() || paused_) return;
  kill(pid_, SIGSTOP);
  paused_ = true;
}

void SoundServer::Resume() {
  if (!Running() || !paused_) return;
  kill(pid_, SIGCONT);
  paused_ = false;
}

void SoundServer::Stop() {
  if (!Running()) return;
  Resume();
  End(pid_, SIGTERM);
  pid_ = -1;
}

MonitorCapture::MonitorCapture(const SoundServer& server) {
  const std::vector<std::string> argv = {"parec",          "--device=sonavia_test.monitor",
                                         "--format=s16le", "--rate=22050",
                                         "--channels=1",   "--latency-msec=10",
                                         "--raw"};
  pid_ = Spawn(argv, server.ClientEnvironment(), "", &fd_);
  if (pid_ <= 0) return;
  reader_ = std::thread([this] { ReadAll(); });
  const auto until = Clock::now() + 10s;
  while (Clock::now() < until) {
    {
      std::lock_guard lock(mu_);
      if (!samples_.empty()) {
        started_ = true;
        return;
      }
    }
    std::this_thread::sleep_for(10ms);
  }
}

MonitorCapture::~MonitorCapture() {
  Finish();
}

void MonitorCapture::Finish() {
  if (pid_ > 0) {
    End(pid_, SIGTERM);
    pid_ = -1;
  }
  if (reader_.joinable()) reader_.join();
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
}

void MonitorCapture::ReadAll() {
  char buffer[8192];
  for (;;) {
    const ssize_t got = read(fd_, buffer, sizeof buffer);
    if (got <= 0) return;
    const auto now = Clock::now();
    std::lock_guard lock(mu_);
    odd_.insert(odd_.end(), buffer, buffer + got);
    const size_t whole = odd_.size() / 2;
    for (size_t i = 0; i < whole; ++i) {
      samples_.push_back(static_cast<int16_t>(static_cast<uint8_t>(odd_[2 * i]) |
                                              (static_cast<uint8_t>(odd_[2 * i + 1]) << 8)));
    }
    odd_.erase(odd_.begin(), odd_.begin() + static_cast<std::ptrdiff_t>(whole * 2));
    if (whole > 0) arrivals_.emplace_back(samples_.size(), now);
  }
}

std::vector<int16_t> MonitorCapture::Samples() const {
  std::lock_guard lock(mu_);
  return samples_;
}

MonitorCapture::Clock::time_point MonitorCapture::TimeOf(size_t index) const {
  std::lock_guard lock(mu_);
  const auto after = std::upper_bound(
      arrivals_.begin(), arrivals_.end(), index,
      [](size_t i, const std::pair<size_t, Clock::time_point>& a) { return i < a.first; });
  return after == arrivals_.end() ? Clock::time_point::max() : after->second;
}

Span LoudSpan(const std::vector<int16_t>& samples, int threshold) {
  auto loud = [threshold](int16_t s) { return s > threshold || s < -threshold; };
  const auto first = std::find_if(samples.begin(), samples.end(), loud);
  if (first == samples.end()) return {};
  const auto last = std::find_if(samples.rbegin(), samples.rend(), loud);
  return {static_cast<size_t>(first - samples.begin()), static_cast<size_t>(samples.rend() - last)};
}

Match FindIn(const std::vector<int16_t>& whole, const std::vector<int16_t>& part) {
  const Span heard = LoudSpan(whole), written = LoudSpan(part);
  if (heard.Length() == 0 || written.Length() == 0) return {};
  auto share = [&](size_t offset, size_t from, size_t to) {
    size_t same = 0, count = 0;
    for (size_t i = from; i < to; ++i) {
      if (offset + i >= whole.size()) break;
      same += std::abs(whole[offset + i] - part[i]) <= 2 ? 1 : 0;
      ++count;
    }
    return count == 0 ? 0.0 : static_cast<double>(same) / static_cast<double>(count);
  };
  // The loud starts line the two up, within a few hundred samples; a short
  // stretch picks the best, and the whole recording is then compared.
  const auto guess =
      static_cast<std::ptrdiff_t>(heard.begin) - static_cast<std::ptrdiff_t>(written.begin);
  const size_t probeEnd = std::min(part.size(), written.begin + 2000);
  Match best;
  for (std::ptrdiff_t d = -600; d <= 600; ++d) {
    const std::ptrdiff_t offset = guess + d;
    if (offset < 0) continue;
    const double s = share(static_cast<size_t>(offset), written.begin, probeEnd);
    if (s > best.share) best = {static_cast<size_t>(offset), s};
  }
  best.share = share(best.offset, 0, part.size());
  return best;
}

}  // namespace sonavia::testing
