// Fuzz target of kavrin-models: arbitrary bytes as its answers, the whole run in-process.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_run.hpp"
#include "kavrin-models/run.hpp"
#include "io/result_files.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const kavrin::fuzz::RunDir dir(std::vector<std::string>(kavrin::io::file::models_files.begin(), kavrin::io::file::models_files.end()));
    kavrin::fuzz::check_one_input(kavrin::models_program::run, dir, data, size);
    return 0;
}
