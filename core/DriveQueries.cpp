#include "core/DriveQueries.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace dorvane {
namespace detail {

using QueryKind = DriveQuery::Kind;
constexpr std::size_t kKinds = 3;

struct QueryAnswer {
  unsigned type = kDriveUnknown;
  std::string label;
  DriveSpace space;
  std::exception_ptr error;
  std::uint64_t round = 0;  // that started the query
};

struct DriveQueryState {
  DriveQueryState(IDriveApi& driveApi, std::chrono::milliseconds waitLimit)
      : api(driveApi), space(driveApi), wait(waitLimit) {}

  IDriveApi& api;
  const DriveSpaceQuery space;  // decides once, here, which space query the system has
  const std::chrono::milliseconds wait;

  struct Job {
    int key;
    DriveQuery query;
    bool alone = false;  // not waited for: the drive was slow, the query gets a thread of its own
  };
  struct Drive {
    bool busy = false;      // a query is outstanding
    bool running = false;   // a thread is inside it (it is no longer queued)
    bool timedOut = false;  // a caller stopped waiting for it while it ran
    QueryKind kind = QueryKind::kType;  // of the outstanding query
    std::uint64_t startedIn = 0;        // the round that started it
    bool prefetched = false;            // started for a round to come: the first to ask takes it
    // Per kind: the last answer came too late, so the next query is not waited for. By
    // kind, because a drive may answer one kind at once and hang on another.
    std::array<bool, kKinds> slow{};
    std::array<std::optional<QueryAnswer>, kKinds> answers;
  };

  mutable std::mutex mutex;
  std::condition_variable work;              // a job is queued, or the worker stops
  mutable std::condition_variable answered;  // a query ended, or a thread did
  std::deque<Job> jobs;
  std::array<Drive, DriveQueries::kDriveKeys> drives;
  std::uint64_t round = 0;
  int threads = 0;
  int idle = 0;  // threads waiting for a job, those just started included
  int outstanding = 0;
  bool stopping = false;
  // Counted under the lock, read without it by a side that stays awake for the other.
  std::atomic<std::uint64_t> queued{0};
  std::atomic<std::uint64_t> finished{0};

  // The critical-error mode is the process's: the threads share one switch. The first
  // query to start sets it, the last to end restores what was there before.
  std::mutex modeMutex;
  int quietQueries = 0;
  unsigned modeBefore = 0;
};

namespace {

// Putting a thread to sleep and waking it costs far more than a query of a drive that
// works (under Wine every wake is a round trip to its server). So a worker stays awake a
// moment after a query, as the next round's queries may follow at once, and the caller
// stays awake a moment for its answer, before either sleeps.
constexpr auto kLinger = std::chrono::milliseconds(2);
constexpr auto kStayAwake = std::chrono::milliseconds(2);
// A thread that was needed once (a drive hung, or answered late) ends when it has had
// nothing to do for this long while another idle thread is there.
constexpr auto kIdleEnd = std::chrono::seconds(5);

class QuietMode {
 public:
  explicit QuietMode(DriveQueryState& state) : state_(state) {
    std::lock_guard lock(state_.modeMutex);
    if (state_.quietQueries == 0) state_.modeBefore = state_.api.SetErrorMode(kFailCriticalErrors);
    ++state_.quietQueries;
  }
  ~QuietMode() {
    std::lock_guard lock(state_.modeMutex);
    if (--state_.quietQueries == 0) state_.api.SetErrorMode(state_.modeBefore);
  }
  QuietMode(const QuietMode&) = delete;
  QuietMode& operator=(const QuietMode&) = delete;

 private:
  DriveQueryState& state_;
};

QueryAnswer Run(DriveQueryState& state, const DriveQuery& query) {
  QueryAnswer answer;
  QuietMode quiet(state);
  switch (query.kind) {
    case QueryKind::kType: answer.type = state.api.DriveType(query.root); break;
    case QueryKind::kLabel: answer.label = QueryVolumeLabel(state.api, query.root); break;
    case QueryKind::kSpace: answer.space = state.space.Query(query.number); break;
  }
  return answer;
}

std::size_t KindIndex(QueryKind kind) { return static_cast<std::size_t>(kind); }

// A thread is counted idle from its start: it is on its way to the queue.
void Work(std::shared_ptr<DriveQueryState> state) {
  std::unique_lock lock(state->mutex);
  for (;;) {
    if (state->jobs.empty() && !state->stopping) {
      const std::uint64_t seen = state->queued.load();
      lock.unlock();
      const auto until = DriveQueries::Clock::now() + kLinger;
      while (state->queued.load() == seen && DriveQueries::Clock::now() < until) std::this_thread::yield();
      lock.lock();
    }
    const auto hasWork = [&] { return state->stopping || !state->jobs.empty(); };
    if (!state->work.wait_for(lock, kIdleEnd, hasWork)) {
      if (state->idle > 1) break;
      state->work.wait(lock, hasWork);
    }
    if (state->stopping) break;
    --state->idle;
    const DriveQueryState::Job job = std::move(state->jobs.front());
    state->jobs.pop_front();
    DriveQueryState::Drive& drive = state->drives[static_cast<std::size_t>(job.key)];
    drive.running = true;
    lock.unlock();

    QueryAnswer answer;
    const auto started = DriveQueries::Clock::now();
    try {
      answer = Run(*state, job.query);
    } catch (...) {
      answer.error = std::current_exception();
    }
    const auto took = DriveQueries::Clock::now() - started;

    lock.lock();
    answer.round = drive.startedIn;  // a prefetched query belongs to the round that took it
    const std::size_t kind = KindIndex(job.query.kind);
    drive.busy = drive.running = drive.prefetched = false;
    drive.slow[kind] = drive.timedOut || took > state->wait;
    drive.timedOut = false;
    drive.answers[kind] = std::move(answer);
    --state->outstanding;
    ++state->finished;
    ++state->idle;
    state->answered.notify_all();
  }
  --state->idle;
  --state->threads;
  state->answered.notify_all();
}

// Makes sure the queue has threads: one for the queries of drives that work, which it
// asks one after the other, and one for each query of a slow drive. A thread stuck in a
// drive is not idle, so the queue behind it gets another. Under the lock.
void Staff(const std::shared_ptr<DriveQueryState>& state) {
  int needed = 0;
  bool shared = false;
  for (const DriveQueryState::Job& job : state->jobs) {
    if (job.alone) ++needed;
    else shared = true;
  }
  needed += shared ? 1 : 0;
  while (state->idle < needed && state->threads < DriveQueries::kDriveKeys) {
    std::thread(Work, state).detach();  // starts once the lock is let go
    ++state->threads;
    ++state->idle;
  }
  if (needed > 1) state->work.notify_all();
  else if (needed == 1) state->work.notify_one();
}

// The drive a query goes to: space by number, type and label by the root's letter (the
// current drive for a root without one).
int DriveKey(const DriveQuery& query) {
  if (query.kind == QueryKind::kSpace) return query.number;
  const char letter = query.root.empty() ? '\0' : query.root[0];
  if (letter >= 'a' && letter <= 'z') return letter - 'a' + 1;
  if (letter >= 'A' && letter <= 'Z') return letter - 'A' + 1;
  return 0;
}

// A query that failed raises in a round that asked it. The failure of an earlier round
// (one it did not wait for, or one left behind when another query of it raised) is not
// raised again later: the drive is asked anew, and fails anew if it still does.
void DropEarlierFailure(const DriveQueryState& state, std::optional<QueryAnswer>& answer) {
  if (answer && answer->error && answer->round != state.round) answer.reset();
}

// Queues a query unless its drive is busy or its answer is already waiting; true when
// it did. A prefetched query of the same kind becomes this round's. Under the lock; the
// caller staffs the queue.
bool Enqueue(DriveQueryState& state, const DriveQuery& query, bool prefetch = false) {
  const int key = DriveKey(query);
  DriveQueryState::Drive& drive = state.drives[static_cast<std::size_t>(key)];
  const std::size_t kind = KindIndex(query.kind);
  DropEarlierFailure(state, drive.answers[kind]);
  if (drive.busy && drive.prefetched && drive.kind == query.kind && !prefetch) {
    drive.prefetched = false;
    drive.startedIn = state.round;
  }
  if (drive.busy || drive.answers[kind]) return false;
  drive.busy = true;
  drive.running = drive.timedOut = false;
  drive.prefetched = prefetch;
  drive.kind = query.kind;
  drive.startedIn = state.round;
  ++state.outstanding;
  state.jobs.push_back({key, query, drive.slow[kind]});
  ++state.queued;
  return true;
}

// Asks a drive; nothing when it has not answered. Waits at most `wait`, or half of it
// once the round has had a drive that did not answer (roundTimedOut, set here then).
std::optional<QueryAnswer> Ask(const std::shared_ptr<DriveQueryState>& state, bool& roundTimedOut,
                               const DriveQuery& query) {
  std::unique_lock lock(state->mutex);
  DriveQueryState::Drive& drive = state->drives[static_cast<std::size_t>(DriveKey(query))];
  const std::size_t kind = KindIndex(query.kind);
  std::optional<QueryAnswer>& answer = drive.answers[kind];
  const auto take = [&answer]() -> std::optional<QueryAnswer> {
    std::optional<QueryAnswer> taken = std::move(answer);
    answer.reset();
    if (taken && taken->error) std::rethrow_exception(taken->error);
    return taken;
  };
  DropEarlierFailure(*state, answer);
  if (answer) return take();
  if (Enqueue(*state, query)) Staff(state);
  // Waited for: a query of this kind that this round started, from a drive that answers
  // in time and has not kept this round waiting yet.
  if (drive.kind != query.kind || drive.startedIn != state->round || drive.timedOut || drive.slow[kind])
    return std::nullopt;
  const auto deadline = DriveQueries::Clock::now() + (roundTimedOut ? state->wait / 2 : state->wait);
  const auto awake = std::min(deadline, DriveQueries::Clock::now() + kStayAwake);
  std::uint64_t seen = state->finished.load();
  lock.unlock();
  while (DriveQueries::Clock::now() < awake) {
    if (state->finished.load() != seen) {
      lock.lock();
      if (!drive.busy) return take();
      seen = state->finished.load();
      lock.unlock();
    }
    std::this_thread::yield();
  }
  lock.lock();
  if (!state->answered.wait_until(lock, deadline, [&drive] { return !drive.busy; })) {
    roundTimedOut = true;
    // A query still in the queue was held up by a thread stuck in another drive: not its
    // drive's fault. Either way the queue gets a thread that is not stuck.
    if (drive.running) drive.timedOut = true;
    Staff(state);
    return std::nullopt;
  }
  return take();
}

}  // namespace
}  // namespace detail

using detail::DriveQueryState;

DriveQueryWatch::DriveQueryWatch(std::shared_ptr<DriveQueryState> state) : state_(std::move(state)) {}

int DriveQueryWatch::Threads() const {
  std::lock_guard lock(state_->mutex);
  return state_->threads;
}

int DriveQueryWatch::Outstanding() const {
  std::lock_guard lock(state_->mutex);
  return state_->outstanding;
}

bool DriveQueryWatch::WaitUntilIdle(std::chrono::steady_clock::duration limit) const {
  std::unique_lock lock(state_->mutex);
  return state_->answered.wait_for(lock, limit, [this] { return state_->outstanding == 0; });
}

bool DriveQueryWatch::WaitUntilNoThreads(std::chrono::steady_clock::duration limit) const {
  std::unique_lock lock(state_->mutex);
  return state_->answered.wait_for(lock, limit, [this] { return state_->threads == 0; });
}

DriveQueries::DriveQueries(IDriveApi& api, std::chrono::milliseconds wait)
    : state_(std::make_shared<DriveQueryState>(api, wait)) {
  BeginRound();
}

DriveQueries::~DriveQueries() {
  // No waiting: queued queries are dropped, idle threads end, a thread inside a query
  // ends when (if ever) the system returns.
  std::lock_guard lock(state_->mutex);
  state_->stopping = true;
  state_->outstanding -= static_cast<int>(state_->jobs.size());
  state_->jobs.clear();
  state_->work.notify_all();
  state_->answered.notify_all();
}

void DriveQueries::BeginRound() {
  roundTimedOut_ = false;
  std::lock_guard lock(state_->mutex);
  ++state_->round;
}

void DriveQueries::Start(std::span<const DriveQuery> queries) { Queue(queries, false); }

void DriveQueries::Prefetch(std::span<const DriveQuery> queries) { Queue(queries, true); }

void DriveQueries::Queue(std::span<const DriveQuery> queries, bool prefetch) {
  std::lock_guard lock(state_->mutex);
  bool queued = false;
  for (const DriveQuery& query : queries) {
    // What the calls below answer without a drive is not asked.
    if (query.kind == DriveQuery::Kind::kType && query.root.empty()) continue;
    if (query.kind == DriveQuery::Kind::kSpace && query.number >= kDriveKeys) continue;
    queued = detail::Enqueue(*state_, query, prefetch) || queued;
  }
  if (queued) detail::Staff(state_);
}

std::optional<unsigned> DriveQueries::DriveType(const std::string& root) {
  if (root.empty()) return kDriveNoRootDir;
  const auto answer = detail::Ask(state_, roundTimedOut_, DriveQuery::Type(root));
  if (!answer) return std::nullopt;
  return answer->type;
}

std::optional<std::string> DriveQueries::VolumeLabel(const std::string& root) {
  auto answer = detail::Ask(state_, roundTimedOut_, DriveQuery::Label(root));
  if (!answer) return std::nullopt;
  return std::move(answer->label);
}

std::optional<DriveSpace> DriveQueries::Space(std::uint8_t driveNumber) {
  if (driveNumber >= kDriveKeys) return DriveSpace{};  // no such drive letter
  const auto answer = detail::Ask(state_, roundTimedOut_, DriveQuery::Space(driveNumber));
  if (!answer) return std::nullopt;
  return answer->space;
}

}  // namespace dorvane
