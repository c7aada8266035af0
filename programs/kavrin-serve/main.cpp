// kavrin-serve [--port N] [--bind ADDR]: the models in a web page and a JSON API, on 127.0.0.1:8080 by default.
#include <malloc.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <thread>

#include <httplib.h>

#include "kavrin-serve/api.hpp"
#include "kavrin-serve/server.hpp"
#include "kavrin_install_paths.hpp"

namespace fs = std::filesystem;

namespace {

constexpr const char* usage =
    "usage: kavrin-serve [--port N] [--bind ADDR] [--web DIR] [--data DIR] [--threads N]\n"
    "  --port N      port to listen on (default 8080; 0: any free port, printed at start)\n"
    "  --bind ADDR   address to listen on (default 127.0.0.1: this machine only; 0.0.0.0: every interface)\n"
    "  --web DIR     the page's files (default: the installed share/kavrin/web, or the source tree's)\n"
    "  --data DIR    the measured data sets (default: the installed share/kavrin/experiment, or data/experiment)\n"
    "  --threads N   threads of one large request (default: the number of cores)\n";

// A folder of the installation (BIN/../share/kavrin/NAME), or for a program run from its build tree the source
// tree's copy.
std::string find_folder(const std::string& installed, const std::string& in_source) {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const fs::path candidate = exe.parent_path().parent_path() / "share" / "kavrin" / installed;
        if (fs::is_directory(candidate, ec)) return candidate.string();
        const std::string build = fs::weakly_canonical(KAVRIN_BUILD_DIR, ec).string();
        if (exe.string().rfind(build + "/", 0) == 0) return std::string(KAVRIN_SERVE_SOURCE_DIR) + "/" + in_source;
    }
    return {};
}

bool number_arg(const char* text, long low, long high, long& out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < low || v > high) return false;
    out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Large blocks (request bodies up to 1 MiB, their parsed JSON, long answers) come from the system and go back to
    // it when freed, instead of staying in the threads' heaps: the memory of a server that has seen big requests
    // returns to its size at rest.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    std::string bind = "127.0.0.1", web, data;
    long port = 8080, threads = std::max(1u, std::thread::hardware_concurrency());
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--help" || a == "-h") {
            std::cout << usage;
            return 0;
        } else if (a == "--version") {
            std::cout << "kavrin-serve " << KAVRIN_VERSION << '\n';
            return 0;
        } else if (a == "--port" && has_value) {
            if (!number_arg(argv[++i], 0, 65535, port)) {
                std::cerr << "kavrin-serve: --port " << argv[i] << ": expected 0 to 65535\n";
                return 2;
            }
        } else if (a == "--threads" && has_value) {
            if (!number_arg(argv[++i], 1, 256, threads)) {
                std::cerr << "kavrin-serve: --threads " << argv[i] << ": expected 1 to 256\n";
                return 2;
            }
        } else if (a == "--bind" && has_value) {
            bind = argv[++i];
        } else if (a == "--web" && has_value) {
            web = argv[++i];
        } else if (a == "--data" && has_value) {
            data = argv[++i];
        } else {
            std::cerr << "kavrin-serve: unknown or incomplete argument " << a << "\n" << usage;
            return 2;
        }
    }
    if (web.empty()) web = find_folder("web", "programs/kavrin-serve/web");
    if (data.empty()) data = find_folder("experiment", "data/experiment");

    if (web.empty()) {
        std::cerr << "kavrin-serve: the page's files are not installed beside the program (../share/kavrin/web); "
                     "give --web DIR\n";
        return 1;
    }
    kavrin::serve::StaticFiles files;
    try {
        files = kavrin::serve::read_static_files(web);
    } catch (const std::exception& e) {
        std::cerr << "kavrin-serve: " << e.what() << "; give --web DIR\n";
        return 1;
    }
    std::vector<std::string> problems;
    auto sets = data.empty() ? std::vector<kavrin::serve::DataSet>{} : kavrin::serve::read_data_sets(data, problems);
    for (const std::string& p : problems) std::cerr << "kavrin-serve: data set left out: " << p << '\n';

    kavrin::serve::Limits limits;
    limits.threads = static_cast<unsigned>(threads);
    const kavrin::serve::Api api(std::move(sets), limits, KAVRIN_VERSION);
    httplib::Server server;
    kavrin::serve::set_up(server, api, files);

    // SIGINT and SIGTERM end the server cleanly: they are waited for on a thread of their own
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    signal(SIGPIPE, SIG_IGN);
    std::thread waiter;
    if (pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr) == 0) {
        try {
            waiter = std::thread([&] {
                int sig = 0;
                sigwait(&stop_signals, &sig);
                server.stop();
            });
        } catch (const std::system_error&) {
            pthread_sigmask(SIG_UNBLOCK, &stop_signals, nullptr);  // no waiter: the signals end the process
        }
    }

    const int bound = port == 0 ? server.bind_to_any_port(bind) : (server.bind_to_port(bind, static_cast<int>(port)) ? static_cast<int>(port) : -1);
    if (bound <= 0) {
        std::cerr << "kavrin-serve: cannot listen on " << bind << " port " << port << " (in use, or not an address of this machine)\n";
        if (waiter.joinable()) {
            pthread_kill(waiter.native_handle(), SIGTERM);
            waiter.join();
        }
        return 1;
    }
    const std::string host = bind.find(':') != std::string::npos ? "[" + bind + "]" : bind;
    std::cout << "kavrin-serve " << KAVRIN_VERSION << ": http://" << host << ":" << bound << "/" << std::endl;
    const bool ok = server.listen_after_bind();
    if (waiter.joinable()) {
        if (ok) pthread_kill(waiter.native_handle(), SIGTERM);
        waiter.join();
    }
    return ok ? 0 : 1;
}
