#include <ui/setup/WorkingConfigurationWriterUnit.h>

namespace velt {
namespace {

// How often a waiting write looks whether the connection is free: well
// below what a user notices, well above the event loop's own pace.
constexpr int kPollMilliseconds = 20;

}  // namespace

TWorkingConfigurationWriter::TWorkingConfigurationWriter(std::function<bool()> free,
                                                         QObject* parent)
    : QObject(parent), Free(std::move(free)) {
  Poll.setInterval(kPollMilliseconds);
  connect(&Poll, &QTimer::timeout, this, [this] { RunWaiting(); });
}

TWorkingConfigurationWriter::TResult TWorkingConfigurationWriter::Write(
    std::function<bool()> write) {
  if (Now()) {
    return write() ? TResult::Done : TResult::Failed;
  }
  // The configuration is sent as it is when its turn comes: one write
  // waiting is enough, in the place of the first one asked for.
  auto work = [write = std::move(write)] { write(); };
  for (TTask& task : Queue) {
    if (task.IsWrite) {
      task.Work = std::move(work);
      return TResult::Waiting;
    }
  }
  Queue.push_back({true, std::move(work)});
  Schedule();
  return TResult::Waiting;
}

void TWorkingConfigurationWriter::Schedule() {
  // At once when the event loop comes round (a write held back from a
  // view's handler), then at the poll's pace while the connection is busy.
  QTimer::singleShot(0, this, [this] { RunWaiting(); });
  Poll.start();
}

bool TWorkingConfigurationWriter::Later(std::function<void()> work) {
  if (Now()) {
    return false;
  }
  Queue.push_back({false, std::move(work)});
  Schedule();
  return true;
}

void TWorkingConfigurationWriter::Forget() {
  // Only the configuration is gone: an unplug, a download or the closing
  // of the window that waits is still the user's to have.
  std::erase_if(Queue, [](const TTask& task) { return task.IsWrite; });
  if (Queue.empty()) {
    Poll.stop();
  }
}

void TWorkingConfigurationWriter::RunWaiting() {
  // A task that pauses lets the poll come round again inside it: the
  // connection is busy then, and the next task waits for this one.
  if (Running || Held != 0) {
    return;
  }
  Running = true;
  while (!Queue.empty() && Free()) {
    TTask task = std::move(Queue.front());
    Queue.pop_front();
    task.Work();
  }
  if (Queue.empty()) {
    Poll.stop();
  }
  Running = false;
}

}  // namespace velt
