#pragma once
// A fixed set of threads that run queued jobs, used by extraction (writing files) and by the
// update (compressing chunks). The calling thread keeps the jobs in its own order and waits for
// each in turn, so results are consumed in a fixed order whatever order the threads finish in.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zipcore {

// Job must have a `bool done` member, which only the pool writes (under its lock).
template <typename Job>
class WorkerPool {
public:
    // Runs one job; must not throw (a job's failure belongs in the job). Each thread makes its
    // own runner, so a runner may keep state from job to job (a compressor, a scratch buffer).
    using Runner = std::function<void(Job&)>;

    WorkerPool(unsigned count, const std::function<Runner()>& makeRunner) {
        try {
            for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this, makeRunner] { work(makeRunner()); });
        } catch (...) {
            stop();
            throw;
        }
    }
    // Jobs not yet started are dropped; those running are finished.
    ~WorkerPool() { stop(); }
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void submit(std::shared_ptr<Job> job) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(std::move(job));
            unannounced_ = false;
        }
        wake_.notify_one();
    }
    // Queues a job without waking a thread yet. Waking costs a system call, which for many
    // small jobs outweighs the job itself; wakeAll (or any waitFor) announces what is queued.
    void submitQuietly(std::shared_ptr<Job> job) {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(job));
        unannounced_ = true;
    }
    void wakeAll() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!unannounced_) return;
            unannounced_ = false;
        }
        wake_.notify_all();
    }
    // One thread at a time may wait. Workers wake it only when the job it waits for is done,
    // not after every job.
    void waitFor(const Job& job) {
        wakeAll();
        std::unique_lock<std::mutex> lock(mutex_);
        waitedFor_ = &job;
        finished_.wait(lock, [&] { return job.done; });
        waitedFor_ = nullptr;
    }
    bool isDone(const Job& job) {
        std::lock_guard<std::mutex> lock(mutex_);
        return job.done;
    }

private:
    void stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
            queue_.clear();
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) thread.join();
        threads_.clear();
    }

    void work(const Runner& run) {
        for (;;) {
            std::shared_ptr<Job> job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
                if (stopping_) return;
                job = std::move(queue_.front());
                queue_.pop_front();
            }
            run(*job);
            bool awaited;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                job->done = true;
                awaited = waitedFor_ == job.get();
            }
            if (awaited) finished_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::deque<std::shared_ptr<Job>> queue_;
    bool stopping_ = false;
    bool unannounced_ = false;  // jobs were queued since the threads were last woken
    const Job* waitedFor_ = nullptr;
    std::vector<std::thread> threads_;
};

}  // namespace zipcore
