// A real PulseAudio server of the test's own, for the speech library's sound:
// a null sink (no hardware), a private runtime folder, its own socket, and
// nothing of the desktop's. It can be killed, restarted, stopped (SIGSTOP)
// and let go again, as a desktop's server is; what it plays is recorded
// from the null sink's monitor with parec, each sample placed in time.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace sonavia::testing {

class SoundServer {
 public:
  static constexpr int kRate = 22050;

  // Makes the private folder; the server is not started yet. Its address
  // is this process's sound server from here on (PULSE_SERVER), so that the
  // speech library finds this one or none.
  SoundServer();
  ~SoundServer();  // stops the server and removes the folder
  SoundServer(const SoundServer&) = delete;
  SoundServer& operator=(const SoundServer&) = delete;

  // Starts it (again) and waits until it answers; false with the reason in
  // Error() when it could not be started within a few seconds.
  bool Start();
  void Kill();    // as a crash: SIGKILL, the socket left behind
  void Pause();   // SIGSTOP: it takes nothing more until Resume
  void Resume();  // SIGCONT
  void Stop();    // an orderly end
  bool Running() const { return pid_ > 0; }

  const std::string& Address() const { return address_; }
  const std::string& Error() const { return error_; }
  // The environment a client program needs to reach this server.
  std::vector<std::string> ClientEnvironment() const;

 private:
  std::string dir_, address_, error_;
  pid_t pid_ = -1;
  bool paused_ = false;
};

// What the server's null sink plays, from its monitor, as it is played.
class MonitorCapture {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts parec and waits until the first samples have come.
  explicit MonitorCapture(const SoundServer& server);
  ~MonitorCapture();
  MonitorCapture(const MonitorCapture&) = delete;
  MonitorCapture& operator=(const MonitorCapture&) = delete;

  bool Started() const { return started_; }
  // Ends the recording; the samples stay.
  void Finish();
  std::vector<int16_t> Samples() const;
  // When sample `index` reached the test (parec hands samples over every
  // 10 ms or so): never before the server played it, and only a little
  // after, so a time measured to it is an upper bound.
  Clock::time_point TimeOf(size_t index) const;

 private:
  void ReadAll();

  pid_t pid_ = -1;
  int fd_ = -1;
  bool started_ = false;
  std::thread reader_;
  mutable std::mutex mu_;
  std::vector<int16_t> samples_;
  // For each read: the count of samples up to its end, and when it came.
  std::vector<std::pair<size_t, Clock::time_point>> arrivals_;
  std::vector<char> odd_;  // a byte left over from the last read
};

// The first and one past the last sample louder than `threshold`, or
// {0, 0} for a silent recording.
struct Span {
  size_t begin = 0, end = 0;
  size_t Length() const { return end - begin; }
};
Span LoudSpan(const std::vector<int16_t>& samples, int threshold = 300);

// Where `part` (a recording of what was written) lies in `whole` (what was
// heard): the offset at which the most of its samples match within 2, and
// that share.
struct Match {
  size_t offset = 0;
  double share = 0;
};
Match FindIn(const std::vector<int16_t>& whole, const std::vector<int16_t>& part);

}  // namespace sonavia::testing
