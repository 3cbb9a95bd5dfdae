// The way to the desktop's sound server (PulseAudio, or PipeWire through
// pipewire-pulse), shared by every session of the process and never waited
// on: speech keeps its own clock, and the server takes what it can. A
// server that is gone, not yet there or stalled costs no caller anything;
// one that comes back is found again at the next utterance.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace upctv {

class SoundOutput {
 public:
  // The process's one output, made at the first call and kept to the end:
  // its connection outlives the sessions, so that a reload of the library
  // never cuts the start of what is said next.
  static SoundOutput& Instance();

  // At the start of an utterance: a connection is begun where there is
  // none or the last one ended. It returns at once; what is written before
  // the server answers is held, within a small bound, until it does.
  void Prepare();
  // The present flush count. Samples are written with the ticket taken
  // when they were known to be wanted, so that a Flush made meanwhile by
  // another thread refuses them.
  uint64_t Ticket() const { return flushes_.load(); }
  // Mono 16-bit samples at the output's rate. What the server cannot take
  // within the bound is dropped: the reading keeps its time regardless.
  void Write(const int16_t* samples, size_t count, uint64_t ticket);
  // Drops what was written and has not been heard, and what is written
  // later with an older ticket.
  void Flush();

  // 1 while the server takes the speech, 0 while none can be reached or it
  // has stopped taking it, -1 while a first answer is awaited.
  int32_t Heard() const { return heard_.load(); }

  static constexpr int kSampleRate = 22050;

  SoundOutput(const SoundOutput&) = delete;
  SoundOutput& operator=(const SoundOutput&) = delete;

 private:
  enum class Link { None, Connecting, Ready, Failed };

  SoundOutput();
  // These run with the main loop's lock held.
  void Connect();
  void Drop();
  void Pump();
  void SetLink(Link link);
  void UpdateHeard();

  static void OnContextState(pa_context* context, void* self);
  static void OnStreamState(pa_stream* stream, void* self);
  static void OnWritable(pa_stream* stream, size_t bytes, void* self);

  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  Link link_ = Link::None;
  bool stalled_ = false;
  bool everReady_ = false;
  bool reportedSilence_ = false;
  std::vector<int16_t> pending_;  // written, not yet taken by the server
  std::atomic<int32_t> heard_{-1};
  std::atomic<uint64_t> flushes_{0};
};

}  // namespace upctv
