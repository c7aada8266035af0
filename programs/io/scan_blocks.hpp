// A scan computed in blocks of points, on one thread or shared over several, with its lines written in scan
// order: the result files are the same, byte for byte, whatever the thread count.
//
// The points of a scan are numbered 0 .. points-1 in the order of its loops. A block is a run of consecutive
// points; its lines go to a LineBlock (one text per result file), and the blocks are written to the result
// files in order, each file receiving its lines in the order of the points. Only a few blocks are held at a
// time (two per thread), so the memory of a scan does not grow with its size.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "io/results.hpp"

namespace kavrin::io {

/// The lines of a block of points, per result file, in the order they are added.
class LineBlock {
public:
    explicit LineBlock(std::size_t files) : text_(files), lines_(files, 0) {}

    /// Appends the line " x y" to file `f`.
    void line(std::size_t f, double x, double y) {
        char buf[max_line];
        append(f, buf, put_result_line(buf, x, y));
    }
    /// Appends the line " i y" (integer first column) to file `f`.
    void line(std::size_t f, long long i, double y) {
        char buf[max_line];
        append(f, buf, put_result_line(buf, i, y));
    }
    /// Appends the line " x y" to file `f` from the two values already in free format (put_real).
    void line(std::size_t f, std::string_view x, std::string_view y) {
        char buf[max_line];
        if (x.size() + y.size() + 3 > max_line) {  // not two free-format reals: appended piece by piece
            text_[f].append(" ").append(x).append(" ").append(y).append("\n");
            ++lines_[f];
            return;
        }
        char* p = buf;  // the whole line, then one append
        *p++ = ' ';
        p = std::copy(x.begin(), x.end(), p);
        *p++ = ' ';
        p = std::copy(y.begin(), y.end(), p);
        *p++ = '\n';
        append(f, buf, p);
    }
    /// Empties the block, keeping its memory for the next one.
    void clear() {
        for (std::string& t : text_) t.clear();
        std::fill(lines_.begin(), lines_.end(), std::size_t{0});
    }
    /// Appends every file's lines to the result files.
    void write_to(ResultFiles& files) const {
        for (std::size_t f = 0; f < text_.size(); ++f) files.write_lines(f, text_[f], lines_[f]);
    }
    std::size_t lines(std::size_t f) const { return lines_[f]; }
    const std::string& text(std::size_t f) const { return text_[f]; }

private:
    void append(std::size_t f, const char* begin, const char* end) {
        text_[f].append(begin, static_cast<std::size_t>(end - begin));
        ++lines_[f];
    }

    std::vector<std::string> text_;
    std::vector<std::size_t> lines_;
};

/// Lines a block aims at: large enough that a block is worth a hand-over between threads (about a
/// millisecond of computing), small enough to keep a few of them in memory.
inline constexpr std::size_t block_lines = 8192;

/// Points per block of a scan writing about `lines_per_point` lines per point, unless `chosen` (> 0) says.
inline std::size_t points_per_block(std::size_t lines_per_point, std::size_t chosen) {
    if (chosen > 0) return chosen;
    return std::max<std::size_t>(1, block_lines / std::max<std::size_t>(1, lines_per_point));
}

/// Computes the points 0 .. points-1 in blocks of `block_points` with compute(first, last, block), which adds
/// the lines of the points first .. last-1 to `block`, and writes each block to `files` in order.
///
/// With `threads` > 1 and more than one block, the blocks are shared over that many threads (this one
/// included); compute is then called concurrently for different blocks and must not modify shared state.
/// A scan of one block runs on this thread alone: no thread is started. A thread that cannot be started is no
/// failure: the threads that did start (or this one alone) compute its blocks. An exception thrown by compute or by a
/// write stops the scan and propagates from here, from the first failing block in scan order.
template <class Compute>
void run_in_blocks(std::size_t points, std::size_t block_points, unsigned threads, std::size_t file_count,
                   ResultFiles& files, Compute&& compute) {
    if (points == 0) return;
    block_points = std::max<std::size_t>(1, block_points);
    const std::size_t blocks = (points - 1) / block_points + 1;
    const auto range = [&](std::size_t b, LineBlock& out) {
        const std::size_t first = b * block_points;
        compute(first, std::min(points, first + block_points), out);
    };
    if (threads <= 1 || blocks == 1) {
        LineBlock block(file_count);
        for (std::size_t b = 0; b < blocks; ++b) {
            block.clear();
            range(b, block);
            block.write_to(files);
        }
        return;
    }

    // Block b is computed into slot b % slots once block b - slots has been written; this thread writes the
    // blocks in order and, while the next one is not ready, computes one itself.
    const unsigned workers = static_cast<unsigned>(std::min<std::size_t>(threads, blocks));
    const std::size_t slots = 2 * static_cast<std::size_t>(workers);
    struct Slot {
        explicit Slot(std::size_t files) : block(files) {}
        LineBlock block;
        bool done = false;
        std::exception_ptr error;
    };
    std::vector<Slot> slot;
    slot.reserve(slots);
    for (std::size_t i = 0; i < slots; ++i) slot.emplace_back(file_count);
    std::mutex m;
    std::condition_variable cv;
    std::size_t next = 0;     // next block to compute
    std::size_t written = 0;  // blocks written
    bool stop = false;

    const auto claimable = [&] { return next < blocks && next < written + slots; };
    // Computes the claimed block b (called without the lock held) and hands it over.
    const auto compute_block = [&](std::size_t b) {
        Slot& s = slot[b % slots];
        s.block.clear();
        try {
            range(b, s.block);
        } catch (...) {
            s.error = std::current_exception();
        }
        const std::lock_guard<std::mutex> lock(m);
        s.done = true;
        cv.notify_all();
    };
    const auto work = [&] {
        for (;;) {
            std::size_t b;
            {
                std::unique_lock<std::mutex> lock(m);
                cv.wait(lock, [&] { return stop || claimable(); });
                if (stop) return;
                b = next++;
            }
            compute_block(b);
        }
    };

    std::vector<std::thread> pool;
    // stops and joins the workers however this function ends
    struct Join {
        std::vector<std::thread>& pool;
        std::mutex& m;
        std::condition_variable& cv;
        bool& stop;
        ~Join() {
            {
                const std::lock_guard<std::mutex> lock(m);
                stop = true;
            }
            cv.notify_all();
            for (std::thread& t : pool) t.join();
        }
    } join{pool, m, cv, stop};
    try {
        pool.reserve(workers - 1);
        for (unsigned i = 1; i < workers; ++i) pool.emplace_back(work);
    } catch (const std::system_error&) {
        // no more threads to be had (a process or memory limit): those started and this one do the blocks
    } catch (const std::bad_alloc&) {
    }

    while (written < blocks) {
        Slot& s = slot[written % slots];
        std::unique_lock<std::mutex> lock(m);
        if (s.done) {
            lock.unlock();
            if (s.error) std::rethrow_exception(s.error);
            s.block.write_to(files);
            lock.lock();
            s.done = false;
            ++written;
            cv.notify_all();
            continue;
        }
        if (claimable()) {
            const std::size_t b = next++;
            lock.unlock();
            compute_block(b);
            continue;
        }
        cv.wait(lock, [&] { return s.done || claimable(); });
    }
}

}  // namespace kavrin::io
