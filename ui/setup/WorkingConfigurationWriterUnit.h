// Sending the working configuration (configuration 0) from the setup and
// online tabs while the window stays live: a write asked for while another
// exchange runs (the pause after the previous write among them) waits and
// goes as soon as the connection is free again; of several such writes only
// the last goes, as it carries every change made meanwhile. Other work the
// user asks for meanwhile (a download, an upload) waits its turn the same
// way, in order. Exchanges stay one at a time.
#pragma once

#include <QObject>
#include <QTimer>
#include <deque>
#include <cstdint>
#include <functional>

namespace velt {

class TWorkingConfigurationWriter : public QObject {
 public:
  // `free` says whether an exchange may start now (no other runs, no
  // batch or modal question is under way).
  TWorkingConfigurationWriter(std::function<bool()> free, QObject* parent);

  enum class TResult : std::uint8_t { Done, Failed, Waiting };
  // Runs `write` now when the connection is free (its result tells Done or
  // Failed); otherwise it waits, in place of a write that waits already.
  TResult Write(std::function<bool()> write);
  // For work the user asked for that starts an exchange of its own: when
  // the connection is not free, `work` is kept to run after what waits
  // before it, and the result is true (the caller stops here); otherwise
  // false, and the caller goes on now.
  bool Later(std::function<void()> work);
  bool Waiting() const { return !Queue.empty(); }

  // While one is held, a write waits for the event loop even when the
  // connection is free: for writes asked for from inside a view's own
  // handling of an event (a committed cell editor, a changed selection),
  // which must not run the pause's event loop there, as the view goes on
  // with its editor and selection once the handler returns.
  class TNotHere {
   public:
    explicit TNotHere(TWorkingConfigurationWriter& writer) : Writer(writer) { ++Writer.Held; }
    ~TNotHere() { --Writer.Held; }
    TNotHere(const TNotHere&) = delete;
    TNotHere& operator=(const TNotHere&) = delete;

   private:
    TWorkingConfigurationWriter& Writer;
  };
  // Forgets a write that waits (the collection it belongs to is gone).
  void Forget();

 private:
  struct TTask {
    bool IsWrite = false;
    std::function<void()> Work;
  };
  void RunWaiting();
  // Whether what is asked may run at once: the connection is free and
  // nothing waits before it (or it is what the waiting ones run now).
  bool Now() const { return Held == 0 && Free() && (Queue.empty() || Running); }
  void Schedule();

  std::function<bool()> Free;
  std::deque<TTask> Queue;
  QTimer Poll;
  bool Running = false;
  int Held = 0;
};

}  // namespace velt
