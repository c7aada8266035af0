#include "figures/gnuplot.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace kavrin::figures {

std::string gnuplot_quote(const std::string& text) {
    std::string q = "\"";
    for (char c : text) {
        // gnuplot runs `command` as a shell command even inside a double-quoted string unless escaped
        if (c == '\\' || c == '"' || c == '`') q += '\\';
        if (c == '\n') {
            q += "\\n";
            continue;
        }
        q += c;
    }
    return q + "\"";
}

std::optional<std::filesystem::path> find_gnuplot() {
    const char* path = std::getenv("PATH");
    if (!path) return std::nullopt;
    std::string_view rest(path);
    while (true) {
        const std::size_t colon = rest.find(':');
        const std::string dir(rest.substr(0, colon));
        const std::filesystem::path candidate = std::filesystem::path(dir.empty() ? "." : dir) / "gnuplot";
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

GnuplotRun run_gnuplot(const std::filesystem::path& gnuplot, const std::filesystem::path& dir,
                       const std::string& script, const std::vector<std::string>& options) {
    GnuplotRun result;
    std::vector<std::string> args = {"gnuplot"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(script);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string program = gnuplot.string();
    int fds[2];
    if (::pipe(fds) != 0) {
        result.messages = "cannot create a pipe for gnuplot";
        return result;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        result.messages = "cannot start gnuplot";
        return result;
    }
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::dup2(fds[1], STDERR_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    char buf[4096];
    ssize_t got;
    while ((got = ::read(fds[0], buf, sizeof buf)) != 0) {
        if (got < 0) {
            if (errno == EINTR) continue;
            break;
        }
        // what gnuplot says is kept for a message; a flood of it is not
        if (result.messages.size() < 65536) result.messages.append(buf, static_cast<std::size_t>(got));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return result;
    }
    if (WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
        if (result.status == 126) result.messages += "cannot enter " + dir.string() + "\n";
        if (result.status == 127) result.messages += "cannot execute " + gnuplot.string() + "\n";
    } else {
        result.status = 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    }
    return result;
}

GnuplotRun draw_png(const std::filesystem::path& gnuplot, const std::filesystem::path& dir, const std::string& script,
                    const std::string& png) {
    std::string temporary = ".";
    temporary += png;
    temporary += ".partial";
    const std::filesystem::path tmp = dir / temporary;
    ::unlink(tmp.c_str());  // a temporary left by an interrupted run (a link there is removed, not followed)
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return {-1, "cannot create " + tmp.string() + "\n"};
    ::close(fd);
    GnuplotRun r = run_gnuplot(gnuplot, dir, script, {"-e", "kavrin_output = " + gnuplot_quote(temporary)});
    if (r.status == 0 && png_size(tmp) && std::rename(tmp.c_str(), (dir / png).c_str()) == 0) return r;
    if (r.status == 0) {
        r.status = 1;
        r.messages += "no PNG written to " + (dir / png).string() + "\n";
    }
    ::unlink(tmp.c_str());
    return r;
}

std::optional<std::pair<unsigned, unsigned>> png_size(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char head[24];
    if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return std::nullopt;
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (!std::equal(signature, signature + 8, head)) return std::nullopt;
    if (!std::equal(head + 12, head + 16, reinterpret_cast<const unsigned char*>("IHDR"))) return std::nullopt;
    auto be32 = [&](int at) {
        return (unsigned(head[at]) << 24) | (unsigned(head[at + 1]) << 16) | (unsigned(head[at + 2]) << 8) |
               unsigned(head[at + 3]);
    };
    return std::make_pair(be32(16), be32(20));
}

}  // namespace kavrin::figures
