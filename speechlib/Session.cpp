#include "Session.h"

#include <pthread.h>

#include <thread>

#include "Engine.h"

namespace upctv::engine {

namespace {

// How far ahead of real time samples are handed to the sound server: small,
// so that a stop silences speech at once even where flushing is slow. The
// player keeps this pace whether or not a server takes the samples, so the
// reading's clock is the same with sound and without.
constexpr auto kLead = std::chrono::milliseconds(60);

std::mutex gSessionMu;
std::shared_ptr<Session> gSession;

}  // namespace

int64_t EpochMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::shared_ptr<Session> CurrentSession() {
  std::lock_guard lock(gSessionMu);
  return gSession;
}

// Never waits on the sound server: the output takes samples or drops them
// at once.
void Session::PlayerMain() {
  pthread_setname_np(pthread_self(), "upctv-player");
  SoundOutput& output = SoundOutput::Instance();
  std::unique_lock lk(mu);
  bool flushPending = false;
  for (;;) {
    if (ackGen != gen) {
      if (flushPending) {
        lk.unlock();
        output.Flush();
        lk.lock();
      }
      flushPending = false;
      ackGen = gen;
      cv.notify_all();
      continue;
    }
    if (quit) break;
    if (queue.empty()) {
      cv.wait(lk);
      continue;
    }
    Chunk chunk = std::move(queue.front());
    queue.pop_front();
    queuedSamples -= chunk.samples.size();
    cv.notify_all();  // room for synthesis to go on
    if (!current || chunk.gen != current->gen) continue;
    Utterance& u = *current;
    const uint64_t g = chunk.gen;
    auto stale = [&] { return quit || gen != g; };
    const auto rateNow = static_cast<size_t>(sampleRate);
    if (chunk.end) {
      // Status stays busy until the last sample has been heard.
      const auto end =
          u.playStart
              ? *u.playStart + std::chrono::microseconds(u.samplesPlayed * 1000000 / rateNow)
              : Clock::now();
      cv.wait_until(lk, end, stale);
      if (!stale()) Finish(false);
      continue;
    }
    if (!u.playStart) {
      // A server that went away, or was not there, is looked for again.
      lk.unlock();
      output.Prepare();
      lk.lock();
      if (stale()) continue;
      u.playStart = Clock::now();
      firstSample =
          std::chrono::duration_cast<std::chrono::nanoseconds>(u.playStart->time_since_epoch())
              .count();
    }
    const auto due =
        *u.playStart + std::chrono::microseconds(u.samplesPlayed * 1000000 / rateNow) - kLead;
    cv.wait_until(lk, due, stale);
    if (stale()) continue;
    if (u.recording) u.recording->AddSamples(chunk.samples.data(), chunk.samples.size());
    u.samplesPlayed += chunk.samples.size();
    flushPending = true;
    // Taken while the text is known to be current: a Stop after this
    // point flushes the output, which then refuses these samples.
    const uint64_t ticket = output.Ticket();
    lk.unlock();
    if (!Muted()) output.Write(chunk.samples.data(), chunk.samples.size(), ticket);
    lk.lock();
  }
  playerExited = true;
  cv.notify_all();
}

std::shared_ptr<Session> EnsureStarted() {
  if (auto session = CurrentSession()) return session;
  // Made here and not on the session's threads, which may still be
  // starting when an unload ends the session; the connection itself is
  // begun at once, so that it is there by the first utterance.
  SoundOutput::Instance().Prepare();
  auto session = std::make_shared<Session>();
  {
    std::lock_guard lock(gSessionMu);
    gSession = session;
  }
  std::thread([session] { session->PlayerMain(); }).detach();
  return session;
}

void EndSession() {
  std::lock_guard lock(gSessionMu);
  gSession.reset();
}

}  // namespace upctv::engine
