#include "kavrin-serve/server.hpp"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include <httplib.h>

namespace kavrin::serve {

namespace {

std::string type_of(const std::string& ext) {
    if (ext == ".html") return "text/html; charset=utf-8";
    if (ext == ".js") return "application/javascript; charset=utf-8";
    if (ext == ".css") return "text/css; charset=utf-8";
    if (ext == ".png") return "image/png";
    if (ext == ".svg") return "image/svg+xml";
    if (ext == ".json") return "application/json";
    return "text/plain; charset=utf-8";
}

// The connections' workers. A worker that cannot be started is no failure: those started share the work, and with
// none the listening thread serves each connection itself.
class WorkerPool : public httplib::TaskQueue {
public:
    explicit WorkerPool(std::size_t n) {
        try {
            threads_.reserve(n);
            for (std::size_t i = 0; i < n; ++i) threads_.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
        } catch (const std::bad_alloc&) {
        }
    }
    ~WorkerPool() override { shutdown(); }

    void enqueue(std::function<void()> fn) override {
        if (threads_.empty()) {
            run(fn);
            return;
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            jobs_.push_back(std::move(fn));
        }
        cond_.notify_one();
    }

    void shutdown() override {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        cond_.notify_all();
        for (std::thread& t : threads_) t.join();
        threads_.clear();
    }

private:
    static void run(const std::function<void()>& fn) noexcept {
        try {
            fn();
        } catch (...) {
        }
    }
    void work() {
        for (;;) {
            std::function<void()> fn;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                cond_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
                if (jobs_.empty()) return;
                fn = std::move(jobs_.front());
                jobs_.pop_front();
            }
            run(fn);
        }
    }

    std::vector<std::thread> threads_;
    std::deque<std::function<void()>> jobs_;
    std::mutex mutex_;
    std::condition_variable cond_;
    bool stop_ = false;
};

void send(httplib::Response& res, const Reply& r) {
    res.status = r.status;
    // (a media type with its charset: the library then sends the answer as it is, without its slow brotli)
    res.set_content(r.body, "application/json; charset=utf-8");
}

}  // namespace

StaticFiles read_static_files(const std::string& folder) {
    namespace fs = std::filesystem;
    StaticFiles files;
    std::size_t total = 0;
    std::error_code ec;
    const fs::path root = fs::path(folder);
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
        total += it->file_size(ec);
        if (ec || total > (16u << 20)) throw std::runtime_error(folder + ": the page's files exceed 16 MiB");
        std::ifstream in(it->path(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        std::string url(1, '/');
        url.append(fs::relative(it->path(), root).generic_string());
        files[url] = {s.str(), type_of(it->path().extension().string())};
    }
    if (!files.count("/index.html")) throw std::runtime_error(folder + " has no index.html");
    return files;
}

void set_up(httplib::Server& server, const Api& api, const StaticFiles& files) {
    // 32 connections at once: a few slow or idle clients (each held at most 5 s) do not keep the others waiting
    server.new_task_queue = [] { return new WorkerPool(32); };
    server.set_payload_max_length(max_body_bytes);
    server.set_tcp_nodelay(true);  // answers leave at once (headers and body are written apart)
    server.set_read_timeout(5, 0);
    server.set_write_timeout(10, 0);
    server.set_keep_alive_timeout(5);
    server.set_keep_alive_max_count(1000);

    server.Get("/api/models", [&api](const httplib::Request&, httplib::Response& res) { send(res, api.models()); });
    server.Get("/api/data", [&api](const httplib::Request&, httplib::Response& res) { send(res, api.data()); });
    server.Post("/api/evaluate",
                [&api](const httplib::Request& req, httplib::Response& res) { send(res, api.evaluate(req.body)); });
    server.Post("/api/compare",
                [&api](const httplib::Request& req, httplib::Response& res) { send(res, api.compare(req.body)); });
    // the page's own files by exact name; nothing else on disk is reachable
    server.Get(R"(/.*)", [&files](const httplib::Request& req, httplib::Response& res) {
        const std::string path = req.path == "/" ? "/index.html" : req.path;
        const auto it = files.find(path);
        if (it == files.end()) {
            res.status = 404;
            res.set_content("not found\n", "text/plain");
            return;
        }
        res.set_header("Cache-Control", "no-cache");
        res.set_content(it->second.content, it->second.type);
    });
    server.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty()) return;
        const std::string what = res.status == 413   ? "the request body exceeds 1 MiB"
                                 : res.status == 404 ? "no such page or API: " + req.path
                                 : res.status == 405 ? "method not allowed"
                                                     : "HTTP status " + std::to_string(res.status);
        res.set_content(error_json(what), "application/json");
    });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        res.status = 500;
        res.set_content(error_json("internal error"), "application/json");
    });
}

}  // namespace kavrin::serve
