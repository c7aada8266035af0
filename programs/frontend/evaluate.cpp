#include "frontend/evaluate.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "frontend/parallel.hpp"

namespace kavrin::frontend {

bool evaluate_points(const ModelChoice& choice, std::size_t n, unsigned threads,
                     const std::function<std::pair<double, double>(std::size_t)>& setting,
                     const std::function<void(std::size_t, const AnyModel&)>& point,
                     const std::function<bool()>& keep_going) {
    constexpr std::size_t block = 256;
    // the distinct settings, in order of their first point (NaN, the settings' own, kept apart from numbers)
    using Key = std::tuple<bool, double, bool, double>;
    const auto key_of = [](const std::pair<double, double>& s) {
        return Key{std::isnan(s.first), std::isnan(s.first) ? 0.0 : s.first, std::isnan(s.second),
                   std::isnan(s.second) ? 0.0 : s.second};
    };
    std::map<Key, std::size_t> group_of;
    std::vector<std::pair<double, double>> groups;
    std::vector<std::size_t> members, group(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::pair<double, double> s = setting(i);
        auto it = group_of.find(key_of(s));
        if (it == group_of.end()) {
            choice.check(s.first, s.second);
            it = group_of.emplace(key_of(s), groups.size()).first;
            groups.push_back(s);
            members.push_back(0);
        }
        group[i] = it->second;
        ++members[it->second];
    }
    std::vector<std::optional<AnyModel>> shared(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g)
        if (members[g] >= block) shared[g].emplace(choice.build(groups[g].first, groups[g].second));
    // the points in the order of their settings, so that a block holds few of them
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return group[a] < group[b]; });
    return run_blocks(
        n, threads, block,
        [&](std::size_t begin, std::size_t end) {
            std::optional<AnyModel> own;
            std::size_t own_group = groups.size();
            for (std::size_t j = begin; j < end; ++j) {
                const std::size_t i = order[j], g = group[i];
                if (!shared[g] && own_group != g) {
                    own.emplace(choice.build(groups[g].first, groups[g].second));
                    own_group = g;
                }
                point(i, shared[g] ? *shared[g] : *own);
            }
        },
        keep_going);
}

}  // namespace kavrin::frontend
