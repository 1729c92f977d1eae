#pragma once
// Drive queries off the window thread. A drive that does not answer (a disconnected
// network share, a dying disk) would otherwise stop the window for as long as the system
// takes to give up. So every drive query the window needs runs on a small worker, and the
// window waits for an answer only a short while per round (a tick, a build of the drive
// list): a drive that has not answered by then has no answer of that round, and its
// answer, when it comes, is handed out in later rounds with the round that asked for it.
// Every answer carries that age: a caller takes only answers young enough for what it
// does, and an answer is kept for a few rounds only.
//
// A round hands the queries it is going to need to the worker together (Start), and one
// worker thread asks the drives one after the other: handing a query to another thread
// and back costs more than the query of a drive that works, so a round pays that once
// rather than once per query. A drive that is known to be slow gets a thread of its own,
// and when a drive that worked hangs in the middle of a round, the queries behind it get
// another thread as soon as the caller stops waiting for it: a hung drive holds up the
// others of its round no longer than the wait for it.
//
// Threads: the HTTP getter's transfers aside, this is the only place that starts threads.
// Each drive has at most one query outstanding, so a hung drive holds one thread and
// nothing piles up behind it, and there are never more threads than drives (26 letters
// and the current drive). The threads share nothing with the window thread but the
// answers, handed over under one lock. When the queries object goes, idle threads end;
// a thread stuck in a system call is left to it, and the process ends without waiting.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "core/DriveCatalog.h"

namespace dorvane {

namespace detail {
struct DriveQueryState;
}

// The worker as seen from outside, also after the queries object has gone.
class DriveQueryWatch {
 public:
  explicit DriveQueryWatch(std::shared_ptr<detail::DriveQueryState> state);
  int Threads() const;      // worker threads alive
  int Outstanding() const;  // queries started and not answered yet
  // Wait at most `limit` until no query is outstanding / no thread is alive; true then.
  bool WaitUntilIdle(std::chrono::steady_clock::duration limit) const;
  bool WaitUntilNoThreads(std::chrono::steady_clock::duration limit) const;

 private:
  std::shared_ptr<detail::DriveQueryState> state_;
};

// One question to a drive, as a round plans it.
struct DriveQuery {
  enum class Kind { kType, kLabel, kSpace };
  Kind kind;
  std::string root;          // type and label: the drive's root, such as "c:\"
  std::uint8_t number = 0;   // space: the drive number (0 the current drive)
  static DriveQuery Type(std::string root) { return {Kind::kType, std::move(root), 0}; }
  static DriveQuery Label(std::string root) { return {Kind::kLabel, std::move(root), 0}; }
  static DriveQuery Space(std::uint8_t number) { return {Kind::kSpace, std::string(), number}; }
};

class DriveQueries {
 public:
  using Clock = std::chrono::steady_clock;
  // Where the worker reads the time: how long a query took, and when an answer came.
  using TimeSource = std::function<Clock::time_point()>;
  // Drive keys: 0 the current drive, 1..26 the letters a..z.
  static constexpr int kDriveKeys = 27;
  // A drive's latest answer of a kind is handed out in the round it came in and in this
  // many rounds after: a drive that answers every query, late, shows its figures steadily
  // (about one second old), and a drive that stops answering has none a few seconds on.
  static constexpr std::uint64_t kAnswerRounds = 3;

  // api: must stay usable as long as a query may run (for the program: the machine).
  // wait: how long a round waits for answers at most.
  explicit DriveQueries(IDriveApi& api, std::chrono::milliseconds wait = kDriveAnswerWait,
                        TimeSource now = Clock::now);
  ~DriveQueries();
  DriveQueries(const DriveQueries&) = delete;
  DriveQueries& operator=(const DriveQueries&) = delete;

  // Starts a round (a tick, a build of the drive list). A query waits for its drive at
  // most `wait`; once a drive of the round has not answered in that time, the round's
  // later queries wait half as long: a drive that works answers in far less, and a round
  // beside several drives that stopped answering at once still ends soon. A round starts
  // also at construction.
  void BeginRound();
  // The round under way; rounds count up from 1.
  std::uint64_t Round() const;
  // Hands queries the round is going to ask to the worker at once. Their answers are taken
  // by the calls below, which wait for them as for queries of their own. A query whose
  // drive is busy, or whose answer of round `askedSince` or later (by default: of this
  // round) is in, is not started again.
  void Start(std::span<const DriveQuery> queries, std::optional<std::uint64_t> askedSince = std::nullopt);
  // Hands the worker queries that a round not yet begun is going to ask: at start-up,
  // while the window is still being made. The first round that asks for one of them, or
  // starts it, takes it as its own (waits for it as for a query it started, and its
  // answer counts as that round's).
  void Prefetch(std::span<const DriveQuery> queries);

  // Each returns the drive's latest answer of the kind, with the round that asked for it,
  // or nothing when it has none of the last few rounds. Without an answer of round
  // `askedSince` or later (by default: of this round) the drive is asked again, unless it
  // is busy, and the call waits for that answer when the query is of this round and the
  // drive answers in time: a drive busy with a query is waited for only when that query
  // is of the same kind and was started in this round, and a drive whose last answer of
  // the kind came too late (after its caller stopped waiting, or later than `wait`) is not
  // waited for until it answers within `wait` again. Every call of a round gets the same
  // answer once this round's is in. A query that raised an exception raises it here, in a
  // round that started it; in a later round the drive is asked again instead.
  // Type of a root such as "c:\"; an empty root has no drive (kDriveNoRootDir at once).
  std::optional<DriveAnswer<unsigned>> DriveType(const std::string& root,
                                                 std::optional<std::uint64_t> askedSince = std::nullopt);
  // Label and serial number of the volume of the drive named by the root's first
  // character, read quietly (no "insert a disk" dialog); empty when they cannot be read.
  std::optional<DriveAnswer<VolumeInfo>> Volume(const std::string& root,
                                                std::optional<std::uint64_t> askedSince = std::nullopt);
  // Space of a drive by number (0 the current drive); failed past z.
  std::optional<DriveAnswer<DriveSpace>> Space(std::uint8_t driveNumber);

  DriveQueryWatch Watch() const { return DriveQueryWatch(state_); }

 private:
  void Queue(std::span<const DriveQuery> queries, bool prefetch, std::optional<std::uint64_t> askedSince);

  std::shared_ptr<detail::DriveQueryState> state_;
  bool roundTimedOut_ = false;
};

}  // namespace dorvane
