// The jobs in a queue, run in order on one thread that also pumps its
// messages, as the players behind MCI may expect of the thread that opened them.
#include "MciThread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "Win32.h"

namespace {
// At the exit: time for a close behind an open in hand; the rest goes with the process.
constexpr std::uint32_t ExitWaitMs = 250;
}  // namespace

struct MciThread::Shared {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::function<void()>> jobs;
  std::uint64_t posted = 0, done = 0;
  bool quit = false, finished = false;
  const HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ~Shared() { CloseHandle(wake); }

  std::uint64_t Add(std::function<void()> job) {
    std::uint64_t ticket = 0;
    {
      const std::lock_guard lock(mutex);
      jobs.push_back(std::move(job));
      ticket = ++posted;
    }
    SetEvent(wake);
    return ticket;
  }

  void Run() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (;;) {
      std::function<void()> job;
      {
        const std::lock_guard lock(mutex);
        if (!jobs.empty()) {
          job = std::move(jobs.front());
          jobs.pop_front();
        } else if (quit) {
          break;
        }
      }
      if (job) {
        job();
        const std::lock_guard lock(mutex);
        ++done;
        changed.notify_all();
        continue;
      }
      MsgWaitForMultipleObjects(1, &wake, FALSE, INFINITE, QS_ALLINPUT);
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    CoUninitialize();
    const std::lock_guard lock(mutex);
    finished = true;
    changed.notify_all();
  }
};

MciThread::MciThread() : shared_(std::make_shared<Shared>()) {
  // The thread holds the shared part, so a job still running at exit never
  // reaches freed memory.
  std::thread([shared = shared_] { shared->Run(); }).detach();
}

MciThread::~MciThread() {
  std::unique_lock lock(shared_->mutex);
  shared_->quit = true;
  SetEvent(shared_->wake);
  shared_->changed.wait_for(lock, std::chrono::milliseconds(ExitWaitMs), [this] { return shared_->finished; });
}

void MciThread::Post(std::function<void()> job) { shared_->Add(std::move(job)); }

bool MciThread::PostAndWait(std::function<void()> job, std::uint32_t milliseconds) {
  const std::uint64_t ticket = shared_->Add(std::move(job));
  std::unique_lock lock(shared_->mutex);
  return shared_->changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                   [&] { return shared_->done >= ticket; });
}
