// A thread of its own for the media control interface: opening a broken
// song can take seconds (Windows tries every player it has), and the window
// must go on answering meanwhile.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class MciThread {
 public:
  MciThread();
  // Waits a moment for the jobs in hand; any left are dropped with the process.
  ~MciThread();
  MciThread(const MciThread&) = delete;
  MciThread& operator=(const MciThread&) = delete;

  // Runs the job on the thread after every job posted before it.
  void Post(std::function<void()> job);
  // Posts the job and waits up to the time given for it to have run; false
  // when it still runs (or waits its turn) then.
  bool PostAndWait(std::function<void()> job, std::uint32_t milliseconds);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};
