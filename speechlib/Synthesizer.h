// The process's one eSpeak NG. It is started once, on a thread of the
// engine's own that lives as long as the process, and never ended: the
// loads of the front library come and go at every change of voice, and
// eSpeak NG 1.51 cannot be ended and started again safely (its queue keeps
// state from one start to the next, and each start brings a fresh thread
// under its synthesis). Every eSpeak NG call is made on that thread, in
// eSpeak NG's synchronous mode, so that nothing changes its voice or its
// lists while it synthesises.
#pragma once

#include <memory>

namespace upctv::engine {

class Session;

// Has the synthesis thread take the session's waiting requests, in order;
// starts the thread, and eSpeak NG on it, at the first call.
void Synthesize(std::shared_ptr<Session> session);

// Has the synthesis thread give memory that was freed back to the system,
// once it is between texts.
void TrimMemory();

}  // namespace upctv::engine
