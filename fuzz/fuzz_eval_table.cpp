// Fuzz target of kavrin-eval's reader of data files: arbitrary bytes as a table of points. Whatever they are,
// the reader returns a table or throws its TableError; any other exception, a crash or a hang is a finding.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "frontend/data_table.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
        kavrin::frontend::read_point_table(in, "fuzz-input.dat");
    } catch (const kavrin::frontend::TableError&) {
        // a malformed table, said so: what the reader is for
    }
    return 0;
}
