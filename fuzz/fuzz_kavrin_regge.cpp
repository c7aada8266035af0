// Fuzz target of kavrin-regge: arbitrary bytes as its answers, the whole run in-process.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_run.hpp"
#include "program_a/run.hpp"
#include "program_a/scan.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const kavrin::fuzz::RunDir dir(kavrin::program_a::result_file_names());
    kavrin::fuzz::check_one_input(kavrin::program_a::run, dir, data, size);
    return 0;
}
