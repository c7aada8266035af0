// Writes the 100-point Gauss-Legendre table (node and weight on [-1, 1], ascending nodes, one pair per
// line) to standard output; redirect it to data/integral/gauss-legendre100.dat.
#include <cstdio>

#include "formfactors/gpd.hpp"

int main() {
    constexpr int n = 100;
    double xi[n];
    double wi[n];
    kavrin::gauss_legendre_rule(n, xi, wi);
    for (int i = 0; i < n; ++i) std::printf("%25.17E %25.17E\n", xi[i], wi[i]);
    return 0;
}
