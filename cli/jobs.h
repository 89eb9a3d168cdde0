// Examining many files on several threads while writing their results in input order.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The number of jobs -j 0 stands for: one per core.
int jobsForCores();

// How many results a job may have waiting to be written: enough that jobs rarely wait
// for one another, few enough that memory follows the jobs, not the files.
constexpr size_t ResultsPerJob = 4;

// Runs `examine(worker, index, result)` for every index from 0 to count - 1 on `jobs`
// threads (worker 0 to jobs - 1, worker 0 the calling thread), and `deliver(index, result)`
// for each result in index order, one at a time: whichever job finds the next result in
// order ready delivers it and those ready after it, so no thread waits only to write. At
// most ResultsPerJob times `jobs` results are examined and not yet delivered. Meanwhile
// `idle()` is called about ten times a second, never while a result is being delivered,
// so that it may write where deliver writes.
template <typename Result>
void examineInOrder(size_t count, int jobs, const std::function<void(int, size_t, Result&)>& examine,
                    const std::function<void(size_t, Result&)>& deliver, const std::function<void()>& idle) {
    if (jobs <= 1 || count <= 1) {
        Result result;
        for (size_t i = 0; i < count; ++i) {
            examine(0, i, result);
            deliver(i, result);
        }
        return;
    }
    // On cache lines of their own, since each job writes its result as it goes.
    struct alignas(64) Slot {
        Result result;
        bool ready = false;
    };
    const size_t window = ResultsPerJob * static_cast<size_t>(jobs);
    std::vector<Slot> slots(window);
    std::mutex mutex;
    std::condition_variable roomFree, allDelivered;
    size_t next = 0;          // the next index to examine
    size_t delivered = 0;     // indexes before this one are delivered
    bool delivering = false;  // a job is delivering

    // With the lock held and `delivering` set: delivers the results ready in order.
    auto deliverReady = [&](std::unique_lock<std::mutex>& lock) {
        while (delivered < count && slots[delivered % window].ready) {
            const size_t first = delivered;
            lock.unlock();
            deliver(first, slots[first % window].result);
            lock.lock();
            slots[first % window].ready = false;
            ++delivered;
            roomFree.notify_all();
        }
        if (delivered == count) allDelivered.notify_one();
    };
    auto work = [&](int worker) {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            roomFree.wait(lock, [&] { return next >= count || next < delivered + window; });
            if (next >= count) return;
            const size_t index = next++;
            Slot& slot = slots[index % window];
            lock.unlock();
            examine(worker, index, slot.result);
            lock.lock();
            slot.ready = true;
            if (delivering) continue;  // the job delivering takes this one up in its turn
            delivering = true;
            deliverReady(lock);
            delivering = false;
        }
    };
    // Wakes now and then for idle(), taking the turn of the job that delivers.
    auto watch = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        while (!allDelivered.wait_for(lock, std::chrono::milliseconds(100), [&] { return delivered >= count; })) {
            if (delivering) continue;
            delivering = true;
            lock.unlock();
            idle();
            lock.lock();
            deliverReady(lock);  // what was made ready meanwhile was left to this turn
            delivering = false;
        }
    };
    std::vector<std::thread> threads;
    threads.emplace_back(watch);
    for (int worker = 1; worker < jobs; ++worker) threads.emplace_back(work, worker);
    work(0);
    for (std::thread& thread : threads) thread.join();
}
