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

// Runs `examine(worker, index, result)` for every index from 0 to count - 1 on `jobs`
// threads (worker 0 to jobs - 1), and hands each result to `deliver(index, result)` on
// the calling thread, in index order. At most twice `jobs` results wait to be delivered,
// so the memory a run takes is bounded by its jobs, not by its files. While it waits
// for the next result, `wait()` is called about ten times a second. With one job
// everything runs on the calling thread.
template <typename Result>
void examineInOrder(size_t count, int jobs, const std::function<void(int, size_t, Result&)>& examine,
                    const std::function<void(size_t, Result&)>& deliver, const std::function<void()>& wait) {
    if (jobs <= 1 || count <= 1) {
        Result result;
        for (size_t i = 0; i < count; ++i) {
            examine(0, i, result);
            deliver(i, result);
        }
        return;
    }
    struct Slot {
        Result result;
        bool ready = false;
    };
    const size_t window = 2 * static_cast<size_t>(jobs);
    std::vector<Slot> slots(window);
    std::mutex mutex;
    std::condition_variable resultReady, roomFree;
    size_t next = 0;       // the next index to examine
    size_t delivered = 0;  // indexes before this one are delivered

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
            resultReady.notify_one();
        }
    };
    std::vector<std::thread> threads;
    for (int worker = 0; worker < jobs; ++worker) threads.emplace_back(work, worker);

    for (size_t index = 0; index < count; ++index) {
        Slot& slot = slots[index % window];
        {
            std::unique_lock<std::mutex> lock(mutex);
            while (!resultReady.wait_for(lock, std::chrono::milliseconds(100), [&] { return slot.ready; })) {
                lock.unlock();
                wait();
                lock.lock();
            }
        }
        deliver(index, slot.result);
        std::lock_guard<std::mutex> lock(mutex);
        slot.ready = false;
        ++delivered;
        roomFree.notify_all();
    }
    for (std::thread& thread : threads) thread.join();
}
