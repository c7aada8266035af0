// The HTTP side of kavrin-serve: the page's own files, held in memory and served by exact name only, and the JSON
// API behind /api/, each request bounded (body size, time) and answered whatever it holds.
#pragma once

#include <map>
#include <string>

#include "kavrin-serve/api.hpp"

namespace httplib {
class Server;
}

namespace kavrin::serve {

/// The files of the page: URL path ("/index.html", "/vendor/uPlot.iife.min.js") -> content and media type.
struct StaticFile {
    std::string content, type;
};
using StaticFiles = std::map<std::string, StaticFile>;

/// Every regular file below `folder` (no symbolic links followed, at most 16 MiB in all). Throws
/// std::runtime_error when the folder has no index.html.
StaticFiles read_static_files(const std::string& folder);

/// The routes, limits and error handlers of the server; `api` and `files` must outlive it.
void set_up(httplib::Server& server, const Api& api, const StaticFiles& files);

/// The largest request body taken (1 MiB).
inline constexpr std::size_t max_body_bytes = 1 << 20;

}  // namespace kavrin::serve
