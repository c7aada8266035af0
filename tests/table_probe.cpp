// The table path a front end chooses, from where it lies: built as a program (prints it) and as a shared
// object (returns it), copied by the tests into a fake installation.
#include <cstdio>
#include <string>

#include "frontend/data_files.hpp"

#ifdef KAVRIN_PROBE_MODULE
extern "C" const char* kavrin_probe_table() {
    static const std::string path = kavrin::frontend::module_table_path();
    return path.c_str();
}
#else
int main() { return std::printf("%s\n", kavrin::frontend::program_table_path().c_str()) > 0 ? 0 : 1; }
#endif
