// The JSON API of kavrin-serve, apart from HTTP: each call takes the request body and gives the status and the
// JSON answer, so that the server and the tests call the same code.
//
//   GET  /api/models    the models, channels, options with defaults, units, ranges and descriptions; the observables
//   POST /api/evaluate  {"model"|"models", "channel", "options", "points"|"scan"} -> the kinematics used and every
//                       observable by name (NaN as null)
//   GET  /api/data      the shipped data sets
//   POST /api/compare   {"model"|"models", "channel", "options", "data"} -> chi^2 of each model against a data set
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "kavrin-serve/data_sets.hpp"

namespace kavrin::serve {

struct Limits {
    std::size_t max_points = 100000;          ///< points x models of one request
    std::chrono::milliseconds time{10000};    ///< computing time of one request
    unsigned threads = 1;                     ///< threads of one large request
};

struct Reply {
    int status = 200;
    std::string body;  ///< JSON; {"error": "..."} when status != 200
};

class Api {
public:
    Api(std::vector<DataSet> data, Limits limits, std::string version);

    Reply models() const;
    Reply evaluate(const std::string& body) const;
    Reply data() const;
    Reply compare(const std::string& body) const;

    const Limits& limits() const noexcept { return limits_; }

private:
    std::vector<DataSet> data_;
    Limits limits_;
    std::string version_;
    std::string models_json_, data_json_;
};

/// {"error": message} as JSON text.
std::string error_json(const std::string& message);

}  // namespace kavrin::serve
