// Fuzz target of kavrin-regge: arbitrary bytes as its answers, the whole run in-process.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_run.hpp"
#include "kavrin-regge/run.hpp"
#include "io/result_files.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const kavrin::fuzz::RunDir dir(std::vector<std::string>(kavrin::io::file::regge_files.begin(), kavrin::io::file::regge_files.end()));
    kavrin::fuzz::check_one_input(kavrin::regge_program::run, dir, data, size);
    return 0;
}
