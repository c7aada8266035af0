// Runs the blocks of a range of points on several threads, for the front ends that evaluate a table of points
// (kavrin-eval, the Python module, the web server, the event generator).
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace kavrin::frontend {

/// Splits [0, n) into blocks of `block` points (the last may be shorter) and calls work(begin, end) for each, on
/// this thread and up to threads - 1 more. A thread that cannot be started is no failure: the threads that run
/// share its blocks (with none started, this thread does them all). On this thread, keep_going() is asked before
/// each block it takes; false stops the run: no block is started any more, and run_blocks returns false once
/// every thread has ended. The first exception thrown by work is rethrown after every thread has ended.
template <class Work, class KeepGoing>
bool run_blocks(std::size_t n, unsigned threads, std::size_t block, Work&& work, KeepGoing&& keep_going) {
    block = std::max<std::size_t>(block, 1);
    const std::size_t blocks = (n + block - 1) / block;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::exception_ptr error;
    std::mutex error_mutex;
    // claims the next block and works it; false when there is none left or the run stops
    const auto one_block = [&]() noexcept {
        if (stop.load(std::memory_order_relaxed)) return false;
        const std::size_t b = next.fetch_add(1);
        if (b >= blocks) return false;
        try {
            work(b * block, std::min(n, (b + 1) * block));
        } catch (...) {
            const std::lock_guard<std::mutex> lock(error_mutex);
            if (!error) error = std::current_exception();
            stop = true;
            return false;
        }
        return true;
    };
    const auto worker = [&]() noexcept {
        while (one_block()) {
        }
    };
    std::vector<std::thread> pool;
    const std::size_t extra = std::min<std::size_t>(threads > 0 ? threads - 1 : 0, blocks > 0 ? blocks - 1 : 0);
    try {
        pool.reserve(extra);
        for (std::size_t i = 0; i < extra; ++i) pool.emplace_back(worker);
    } catch (const std::system_error&) {
        // no more threads to be had (a process or memory limit): those started and this one do the work
    } catch (const std::bad_alloc&) {
    }
    for (;;) {
        if (!stop.load(std::memory_order_relaxed) && !keep_going()) stop = true;
        if (!one_block()) break;
    }
    for (std::thread& t : pool) t.join();
    if (error) std::rethrow_exception(error);
    return next.load() >= blocks || !stop.load();
}

/// run_blocks without a way to stop it.
template <class Work>
void run_blocks(std::size_t n, unsigned threads, std::size_t block, Work&& work) {
    run_blocks(n, threads, block, std::forward<Work>(work), [] { return true; });
}

}  // namespace kavrin::frontend
