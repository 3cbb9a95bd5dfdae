// The seams on the operating system alone: the dynamic linker and the
// event loop on the real clock.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "system/DlLibraryLoader.h"
#include "system/RealTimeEventLoop.h"

namespace sonavia::system {
namespace {

TEST(DlLibraryLoader, LoadsLooksUpAndFreesByBareName) {
  DlLibraryLoader loader;
  // A small library of the C library's that nothing here loads otherwise.
  const auto library = loader.Load("libutil.so.1");
  ASSERT_NE(library, nullptr);
  EXPECT_NE(loader.Symbol(library, "openpty"), nullptr);
  EXPECT_EQ(loader.Symbol(library, "upcTVRead"), nullptr);
  loader.Free(library);
  EXPECT_EQ(::dlopen("libutil.so.1", RTLD_NOW | RTLD_NOLOAD), nullptr) << "unloaded";
  // No library: nothing found, nothing to free.
  EXPECT_EQ(loader.Load("libupctv-missing.so"), nullptr);
  EXPECT_EQ(loader.Symbol(nullptr, "upcTVRead"), nullptr);
  loader.Free(nullptr);
}

TEST(RealTimeEventLoop, RunsTimersOnTheRealClock) {
  RealTimeEventLoop loop;
  auto timer = loop.CreateTimer();
  timer->SetInterval(5);
  int ticks = 0;
  timer->SetOnTimer([&] { ++ticks; });
  const uint32_t start = loop.TickCount();
  loop.RunUntil([&] { return ticks == 2; });
  EXPECT_GE(loop.TickCount() - start, 10u);
}

}  // namespace
}  // namespace sonavia::system
