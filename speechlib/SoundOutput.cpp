#include "SoundOutput.h"

#include <pulse/context.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <algorithm>
#include <cstdio>

namespace upctv {

namespace {

// The overall latency asked of the server: below the player's lead, so that
// the sink never runs dry between two writes, and small, so that a Stop is
// silent at once.
constexpr pa_usec_t kLatencyUs = 100000;
// What is held while the server does not take it: enough to ride out a
// connection being made, little enough that a server that wakes up after
// a stall plays only a moment of the past.
constexpr size_t kPendingLimit = SoundOutput::kSampleRate / 4;

const pa_sample_spec kSpec{PA_SAMPLE_S16LE, SoundOutput::kSampleRate, 1};

// Holds the main loop's lock for a scope.
class Locked {
 public:
  explicit Locked(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
  ~Locked() { pa_threaded_mainloop_unlock(loop_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  pa_threaded_mainloop* loop_;
};

}  // namespace

SoundOutput& SoundOutput::Instance() {
  // Never destroyed: its thread may still be running while the process
  // exits, and a session may end at any time before that.
  static SoundOutput* const instance = new SoundOutput;
  return *instance;
}

SoundOutput::SoundOutput() {
  pending_.reserve(kPendingLimit);
  loop_ = pa_threaded_mainloop_new();
  // Named before it starts: named after, it is the calling thread, the
  // host program's own, that PulseAudio renames.
  if (loop_ != nullptr) pa_threaded_mainloop_set_name(loop_, "upctv-sound");
  if (loop_ != nullptr && pa_threaded_mainloop_start(loop_) < 0) {
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
  }
  if (loop_ == nullptr) {
    link_ = Link::Failed;
    reportedSilence_ = true;
    heard_ = 0;
    std::fprintf(stderr,
                 "upctv: no sound output could be started; speech keeps its time in "
                 "silence\n");
    return;
  }
}

void SoundOutput::Prepare() {
  if (loop_ == nullptr) return;
  Locked lock(loop_);
  if (link_ == Link::None || link_ == Link::Failed) Connect();
}

void SoundOutput::Write(const int16_t* samples, size_t count, uint64_t ticket) {
  if (loop_ == nullptr || count == 0) return;
  Locked lock(loop_);
  if (ticket != flushes_ || (link_ != Link::Connecting && link_ != Link::Ready)) return;
  const size_t taken = std::min(count, kPendingLimit - pending_.size());
  pending_.insert(pending_.end(), samples, samples + taken);
  if (taken < count && !stalled_) {
    stalled_ = true;
    UpdateHeard();
  }
  Pump();
}

void SoundOutput::Flush() {
  if (loop_ == nullptr) return;
  Locked lock(loop_);
  ++flushes_;
  pending_.clear();
  if (link_ != Link::Ready) return;
  // Not waited for: the server drops what it holds when it gets to it.
  if (pa_operation* op = pa_stream_flush(stream_, nullptr, nullptr)) pa_operation_unref(op);
}

void SoundOutput::Connect() {
  Drop();
  pa_proplist* props = pa_proplist_new();
  pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Sonavia");
  context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Sonavia", props);
  pa_proplist_free(props);
  if (context_ == nullptr) {
    SetLink(Link::Failed);
    return;
  }
  pa_context_set_state_callback(context_, OnContextState, this);
  SetLink(Link::Connecting);
  // Never starts a server of its own: the desktop's, or none.
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    SetLink(Link::Failed);
  }
}

void SoundOutput::Drop() {
  pending_.clear();
  if (stream_ != nullptr) {
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
  }
  if (context_ != nullptr) {
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
}

void SoundOutput::Pump() {
  if (link_ != Link::Ready || pending_.empty()) return;
  const size_t writable = pa_stream_writable_size(stream_);
  if (writable == static_cast<size_t>(-1)) return;
  const size_t count = std::min(pending_.size(), writable / sizeof(int16_t));
  if (count == 0) return;
  if (pa_stream_write(stream_, pending_.data(), count * sizeof(int16_t), nullptr, 0,
                      PA_SEEK_RELATIVE) < 0) {
    return;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
  if (stalled_) {
    stalled_ = false;
    UpdateHeard();
  }
}

void SoundOutput::SetLink(Link link) {
  link_ = link;
  if (link == Link::Ready) {
    everReady_ = true;
    stalled_ = false;
  }
  if (link == Link::Failed) {
    pending_.clear();
    // Once for the process, not at each retry.
    if (!reportedSilence_) {
      reportedSilence_ = true;
      std::fprintf(stderr,
                   "upctv: no sound server could be reached; speech keeps its time in silence "
                   "until one is there\n");
    }
  }
  UpdateHeard();
}

void SoundOutput::UpdateHeard() {
  switch (link_) {
    case Link::Ready:
      heard_ = stalled_ ? 0 : 1;
      break;
    case Link::Connecting:
      // Unknown only until the first attempt has an answer.
      heard_ = everReady_ || reportedSilence_ ? 0 : -1;
      break;
    default:
      heard_ = 0;
  }
}

void SoundOutput::OnContextState(pa_context* context, void* self) {
  auto& out = *static_cast<SoundOutput*>(self);
  if (context != out.context_) return;
  switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
      pa_proplist* props = pa_proplist_new();
      pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "a11y");
      out.stream_ = pa_stream_new_with_proplist(context, "Sonavia", &kSpec, nullptr, props);
      pa_proplist_free(props);
      if (out.stream_ == nullptr) {
        out.SetLink(Link::Failed);
        return;
      }
      pa_stream_set_state_callback(out.stream_, OnStreamState, self);
      pa_stream_set_write_callback(out.stream_, OnWritable, self);
      pa_buffer_attr attr{};
      attr.maxlength = static_cast<uint32_t>(-1);
      attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kLatencyUs, &kSpec));
      // Plays from the first sample: an utterance is written ahead of
      // time, and its last samples must not wait for more.
      attr.prebuf = static_cast<uint32_t>(pa_frame_size(&kSpec));
      attr.minreq = static_cast<uint32_t>(-1);
      attr.fragsize = static_cast<uint32_t>(-1);
      if (pa_stream_connect_playback(out.stream_, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                     nullptr) < 0) {
        out.SetLink(Link::Failed);
      }
      break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
      out.SetLink(Link::Failed);
      break;
    default:
      break;
  }
}

void SoundOutput::OnStreamState(pa_stream* stream, void* self) {
  auto& out = *static_cast<SoundOutput*>(self);
  if (stream != out.stream_) return;
  switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
      out.SetLink(Link::Ready);
      out.Pump();
      break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
      out.SetLink(Link::Failed);
      break;
    default:
      break;
  }
}

void SoundOutput::OnWritable(pa_stream* stream, size_t /*bytes*/, void* self) {
  auto& out = *static_cast<SoundOutput*>(self);
  if (stream == out.stream_) out.Pump();
}

}  // namespace upctv
