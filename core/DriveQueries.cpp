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
  VolumeInfo volume;
  DriveSpace space;
  std::exception_ptr error;
  std::uint64_t round = 0;   // that started the query
  std::uint64_t cameIn = 0;  // the round under way when it came
  DriveQueries::Clock::time_point at{};
  bool prefetched = false;   // asked ahead, and no round has taken it yet
};

struct DriveQueryState {
  DriveQueryState(IDriveApi& driveApi, std::chrono::milliseconds waitLimit, DriveQueries::TimeSource timeSource)
      : api(driveApi), space(driveApi), wait(waitLimit), now(std::move(timeSource)) {}

  IDriveApi& api;
  const DriveSpaceQuery space;  // decides once, here, which space query the system has
  const std::chrono::milliseconds wait;
  const DriveQueries::TimeSource now;

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
    std::array<std::optional<QueryAnswer>, kKinds> answers;  // the latest of each kind
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
    case QueryKind::kLabel: answer.volume = QueryVolume(state.api, query.root); break;
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
    const auto started = state->now();
    try {
      answer = Run(*state, job.query);
    } catch (...) {
      answer.error = std::current_exception();
    }
    answer.at = state->now();
    const auto took = answer.at - started;

    lock.lock();
    answer.round = drive.startedIn;  // a prefetched query belongs to the round that took it
    answer.prefetched = drive.prefetched;
    answer.cameIn = state->round;
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

// What the latest answer of a kind is worth now. One asked ahead belongs to the first
// round that asks for it or starts it (`claim`), and a failure that came before is not
// raised but asked again. A failure of an earlier round (one it did not wait for, or one
// left behind when another query of it raised) is not raised again later: the drive is
// asked anew, and fails anew if it still does. An answer older than a few rounds is gone.
void Settle(const DriveQueryState& state, std::optional<QueryAnswer>& answer, bool claim) {
  if (!answer) return;
  if (answer->prefetched) {
    if (!claim) return;
    if (answer->error) {
      answer.reset();
      return;
    }
    answer->prefetched = false;
    answer->round = answer->cameIn = state.round;
    return;
  }
  if ((answer->error && answer->round != state.round) || answer->cameIn + DriveQueries::kAnswerRounds < state.round)
    answer.reset();
}

// Hands the latest answer out; a failure raises (once) instead.
std::optional<QueryAnswer> Hand(std::optional<QueryAnswer>& answer) {
  if (answer && answer->error) {
    const std::exception_ptr error = answer->error;
    answer.reset();
    std::rethrow_exception(error);
  }
  return answer;
}

// Queues a query unless its drive is busy or an answer of round `since` or later is in (or
// one asked ahead waits for its round); true when it did. A prefetched query of the same
// kind becomes this round's. Under the lock; the caller staffs the queue.
bool Enqueue(DriveQueryState& state, const DriveQuery& query, bool prefetch, std::uint64_t since) {
  const int key = DriveKey(query);
  DriveQueryState::Drive& drive = state.drives[static_cast<std::size_t>(key)];
  const std::size_t kind = KindIndex(query.kind);
  std::optional<QueryAnswer>& answer = drive.answers[kind];
  Settle(state, answer, !prefetch);
  if (drive.busy && drive.prefetched && drive.kind == query.kind && !prefetch) {
    drive.prefetched = false;
    drive.startedIn = state.round;
  }
  if (drive.busy || (answer && (answer->prefetched || answer->round >= since))) return false;
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

// Asks a drive: its latest answer, waiting for this round's when it is due (see the
// header). Waits at most `wait`, or half of it once the round has had a drive that did not
// answer (roundTimedOut, set here then).
std::optional<QueryAnswer> Ask(const std::shared_ptr<DriveQueryState>& state, bool& roundTimedOut,
                               const DriveQuery& query, std::optional<std::uint64_t> askedSince) {
  std::unique_lock lock(state->mutex);
  DriveQueryState::Drive& drive = state->drives[static_cast<std::size_t>(DriveKey(query))];
  const std::size_t kind = KindIndex(query.kind);
  std::optional<QueryAnswer>& answer = drive.answers[kind];
  const std::uint64_t since = askedSince.value_or(state->round);
  Settle(*state, answer, true);
  if (answer && answer->round >= since) return Hand(answer);
  if (Enqueue(*state, query, false, since)) Staff(state);
  // Waited for: a query of this kind that this round started, from a drive that answers
  // in time and has not kept this round waiting yet.
  if (!drive.busy || drive.kind != query.kind || drive.startedIn != state->round || drive.timedOut || drive.slow[kind])
    return Hand(answer);
  const auto deadline = DriveQueries::Clock::now() + (roundTimedOut ? state->wait / 2 : state->wait);
  const auto awake = std::min(deadline, DriveQueries::Clock::now() + kStayAwake);
  std::uint64_t seen = state->finished.load();
  lock.unlock();
  while (DriveQueries::Clock::now() < awake) {
    if (state->finished.load() != seen) {
      lock.lock();
      if (!drive.busy) return Hand(answer);
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
  }
  return Hand(answer);
}

template <typename T>
std::optional<DriveAnswer<T>> Stamped(const std::optional<QueryAnswer>& answer, T QueryAnswer::*value) {
  if (!answer) return std::nullopt;
  return DriveAnswer<T>{(*answer).*value, answer->round, answer->at};
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

DriveQueries::DriveQueries(IDriveApi& api, std::chrono::milliseconds wait, TimeSource now)
    : state_(std::make_shared<DriveQueryState>(api, wait, std::move(now))) {
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

std::uint64_t DriveQueries::Round() const {
  std::lock_guard lock(state_->mutex);
  return state_->round;
}

void DriveQueries::Start(std::span<const DriveQuery> queries, std::optional<std::uint64_t> askedSince) {
  Queue(queries, false, askedSince);
}

void DriveQueries::Prefetch(std::span<const DriveQuery> queries) { Queue(queries, true, std::nullopt); }

void DriveQueries::Queue(std::span<const DriveQuery> queries, bool prefetch, std::optional<std::uint64_t> askedSince) {
  std::lock_guard lock(state_->mutex);
  const std::uint64_t since = askedSince.value_or(state_->round);
  bool queued = false;
  for (const DriveQuery& query : queries) {
    // What the calls below answer without a drive is not asked.
    if (query.kind == DriveQuery::Kind::kType && query.root.empty()) continue;
    if (query.kind == DriveQuery::Kind::kSpace && query.number >= kDriveKeys) continue;
    queued = detail::Enqueue(*state_, query, prefetch, since) || queued;
  }
  if (queued) detail::Staff(state_);
}

std::optional<DriveAnswer<unsigned>> DriveQueries::DriveType(const std::string& root,
                                                             std::optional<std::uint64_t> askedSince) {
  if (root.empty()) return DriveAnswer<unsigned>{kDriveNoRootDir, Round(), state_->now()};
  return detail::Stamped(detail::Ask(state_, roundTimedOut_, DriveQuery::Type(root), askedSince),
                         &detail::QueryAnswer::type);
}

std::optional<DriveAnswer<VolumeInfo>> DriveQueries::Volume(const std::string& root,
                                                            std::optional<std::uint64_t> askedSince) {
  return detail::Stamped(detail::Ask(state_, roundTimedOut_, DriveQuery::Label(root), askedSince),
                         &detail::QueryAnswer::volume);
}

std::optional<DriveAnswer<DriveSpace>> DriveQueries::Space(std::uint8_t driveNumber) {
  if (driveNumber >= kDriveKeys) return DriveAnswer<DriveSpace>{DriveSpace{}, Round(), state_->now()};  // no such drive letter
  return detail::Stamped(detail::Ask(state_, roundTimedOut_, DriveQuery::Space(driveNumber), std::nullopt),
                         &detail::QueryAnswer::space);
}

}  // namespace dorvane
